// Path utilities and the platform's path services: Windows' results; on POSIX '/' separates and is a root.
#include "testhilfe.h"

#include "nachbildung/nachbildung.h"
#include "platform/plattform.h"

#include <cstring>

namespace {

// op: T KR_Teil_hinzu (a + b), D KR_Differenzpfad (a below b), K canonical, B base name, R relative;
// erwartet "<0>": failure with the buffer as it was.
struct Fall { char op; std::string a, b; unsigned int groesse; std::string erwartet; };

// The result of a row in groesse bytes, which start as a (T) or "alt", and a '#' after them that stays.
std::string Ergebnis(const Fall &f)
{
    if (f.op == 'B')
        return KR_Basisname(f.a.c_str());
    if (f.op == 'R')
        return Pfad_ist_relativ(f.a.c_str()) ? "1" : "0";
    std::vector<char> p(f.groesse + 1, '#');
    std::string vorher = f.op == 'T' ? f.a : "alt";
    std::memcpy(p.data(), vorher.c_str(), std::min<size_t>(vorher.size() + 1, f.groesse));
    std::vector<char> alt = p;
    bool gut = f.op == 'T'   ? KR_Teil_hinzu(p.data(), f.b.c_str(), f.groesse) == 1
               : f.op == 'D' ? KR_Differenzpfad(p.data(), f.groesse, f.a.c_str(), f.b.c_str()) == 1
                             : Pfad_kanonisieren(p.data(), f.a.c_str());
    EXPECT_EQ(p.back(), '#');
    return gut ? p.data() : p == alt ? "<0>" : "<0 changed>";
}

const std::string p259(259, 'p'), t259(259, 't'), a400 = "C:\\" + std::string(397, 'a'),
    b258 = "C:\\" + std::string(255, 'b'), k259 = "C:\\" + std::string(256, 'a');
constexpr unsigned K = Pfadpuffer, G = 260;

const Fall Faelle[] = {
    // joining: nothing resolved, an absolute part replaces the path (no limit), results of size - 1 and size, 260/520 limits
    {'T', "a/b\\c", "d/e", G, "a\\b\\c\\d\\e"}, {'T', "C:\\dir\\", "x", G, "C:\\dir\\x"}, {'T', "C:", "x", G, "C:x"},
    {'T', "", "a", G, "\\a"}, {'T', "C:\\dir", "..\\x//y", G, "C:\\dir\\..\\x\\\\y"},
    {'T', "C:\\\xC4rger", "\xFF\x80", G, "C:\\\xC4rger\\\xFF\x80"}, {'T', "C:\\dir", "D:/y", G, "D:/y"},
    {'T', "C:\\dir", "\\y/z", G, "\\y/z"}, {'T', "x", a400, 401, a400}, {'T', "x", a400, 400, "<0>"},
    {'T', "C:\\dir", "x", 9, "C:\\dir\\x"}, {'T', "C:\\dir", "x", 8, "<0>"}, {'T', "", "", 2, "\\"}, {'T', "", "", 1, "<0>"},
    {'T', "C:\\dir", "x", 0, "<0>"}, {'T', p259, t259, 520, p259 + "\\" + t259}, {'T', p259, t259, 519, "<0>"},
    {'T', p259 + "p", "t", 600, "<0>"}, {'T', "p", t259 + "t", 600, "<0>"},
    // the tail below a base: case in code page 1252, '..' resolved never above the root, mixed separators, sizes, limits
    {'D', "C:\\Proj\\src\\a.c", "c:\\proj", G, "src\\a.c"}, {'D', "C:\\Proj\\src\\a.c", "C:\\pro", G, "C:\\Proj\\src\\a.c"},
    {'D', "C:\\proj\\x\\..\\a.c", "C:\\proj\\", G, "a.c"}, {'D', "D:\\other\\a.c", "C:\\proj\\", G, "D:\\other\\a.c"},
    {'D', "C:\\dir\\", "C:\\dir\\", G, ""}, {'D', "C:\\dir", "C:\\dir", G, "C:\\dir"}, {'D', "C:\\a.c", "C:", G, "a.c"},
    {'D', "C:a.c", "C:", G, "C:a.c"}, {'D', "\\a\\b", "", G, "a\\b"}, {'D', "C:\\..\\..\\a.c", "C:\\", G, "a.c"},
    {'D', "C:\\a\\..\\..\\b\\c.c", "C:\\..\\b", G, "c.c"}, {'D', "C:/Proj/src/a.c", "c:\\proj", G, "src\\a.c"},
    {'D', "C:\\Proj\\src/a.c", "c:/proj/", G, "src\\a.c"}, {'D', "/srv/a.c", "/home/me", G, "\\srv\\a.c"},
    {'D', "C:\\\xC4RGER\\\x8A" "a\\x.c", "c:\\\xE4rger\\\x9A" "A", G, "x.c"}, {'D', "C:\\\xD7\\x", "C:\\\xF7", G, "C:\\\xD7\\x"},
    {'D', "C:\\proj\\abc", "C:\\proj", 4, "abc"}, {'D', "C:\\proj\\abc", "C:\\proj", 3, "<0>"},
    {'D', "C:\\dir\\", "C:\\dir\\", 1, ""}, {'D', "C:\\a", "C:\\", 0, "<0>"}, {'D', b258 + "\\", b258, G, ""},
    {'D', b258 + "\\x", b258, G, "<0>"}, {'D', b258 + "\\", b258 + "c", G, "<0>"},
    // canonical paths: doubled and trailing separators stay, never above the root, at most 259 characters
    {'K', "A:\\n1\\.\\n2\\..\\n3", "", K, "A:\\n1\\n3"}, {'K', "A:\\n1\\..\\n2\\.\\n3", "", K, "A:\\n2\\n3"},
    {'K', "A:\\n1\\n2\\.\\n3\\..\\n4", "", K, "A:\\n1\\n2\\n4"}, {'K', "C:\\..", "", K, "C:\\"},
    {'K', "A:\\n1\\.\\n2\\.\\n3\\..\\n4\\..", "", K, "A:\\n1\\n2"}, {'K', "\\a\\b\\..", "", K, "\\a"},
    {'K', "C:\\one\\.\\..\\two\\three\\..", "", K, "C:\\two"}, {'K', "", "", K, "\\"}, {'K', " ", "", K, " "},
    {'K', "one\\two", "", K, "one\\two"}, {'K', "C:\\", "", K, "C:\\"}, {'K', "C:", "", K, "C:\\"}, {'K', "a\\..\\b", "", K, "\\b"},
    {'K', "C:\\a\\b..", "", K, "C:\\a\\b.."}, {'K', "C:\\a\\\\b\\", "", K, "C:\\a\\\\b\\"},
    {'K', "C:\\a\\..\\\\b", "", K, "C:\\\\b"}, {'K', "C:\\a\\\\..", "", K, "C:\\a"}, {'K', "C:\\a\\\\\\..", "", K, "C:\\a\\"},
    {'K', "\\\\srv\\share\\x", "", K, "\\\\srv\\share\\x"}, {'K', "C:\\one\\..\\..\\..\\x", "", K, "C:\\x"},
    {'K', "\\..\\..\\a", "", K, "\\a"}, {'K', "..\\..\\a", "", K, "\\a"}, {'K', "C:\\\xC4rger\\\xFF\\..\\\x80.", "", K, "C:\\\xC4rger\\\x80."},
    {'K', k259, "", K, k259}, {'K', k259 + "b", "", K, "<0>"}, {'K', k259 + "\\..", "", K, "<0>"}, // too long before resolved
    {'B', "C:\\dir\\file.txt", "", 0, "file.txt"}, {'B', "dir/", "", 0, ""}, {'B', "C:file", "", 0, "file"},
    {'B', "file", "", 0, "file"}, {'B', "", "", 0, ""}, {'B', "a/b\\c:\xC4\xFF", "", 0, "\xC4\xFF"},
    {'R', "", "", 0, "1"}, {'R', "a", "", 0, "1"}, {'R', "a\\b", "", 0, "1"}, {'R', ".\\a", "", 0, "1"}, {'R', "ab:", "", 0, "1"},
    {'R', "a/b", "", 0, "1"}, {'R', "\\", "", 0, "0"}, {'R', "\\a", "", 0, "0"}, {'R', "\\\\srv\\x", "", 0, "0"},
    {'R', "C:", "", 0, "0"}, {'R', "C:x", "", 0, "0"}, {'R', "D:/y", "", 0, "0"}, {'R', "1:", "", 0, "0"}, {'R', "\xC4:", "", 0, "0"},
#ifndef _WIN32
    // '/' separates too, a leading '/' is a root; and Windows' results the stand-in keeps where wine answers otherwise
    {'T', "C:\\dir\\", "/x", G, "/x"}, {'D', "/home/me/../you/a.c", "/home", G, "you\\a.c"}, {'R', "/", "", 0, "0"},
    {'R', "/x", "", 0, "0"}, {'K', "C:..", "", K, "C:\\"}, {'K', "..", "", K, "\\"}, {'K', ".", "", K, "\\"},
    {'K', "C:\\a\\.", "", K, "C:\\a"}, {'K', "C:\\..a\\", "", K, "C:\\..a\\"}, {'K', "C:\\...\\", "", K, "C:\\...\\"},
    {'K', "C:a\\..\\..\\b", "", K, "C:b"}, {'K', ".\\#:..", "", K, "#:.."}, {'K', "#:..", "", K, "#:\\"}, // a leading '.' goes
    {'K', "/usr/lib/../bin", "", K, "/usr/bin"}, {'K', "/..", "", K, "/"}, {'K', "/a/./b/", "", K, "/a/b/"},
    {'K', "C:/a/../b", "", K, "C:/b"}, {'K', "\\a/b\\..\\c", "", K, "\\a/c"},
    {'K', "C:\\one/.\\..\\two/three\\..\\four/.five", "", K, "C:\\two/four/.five"},
#endif
};

TEST(Pfad, Tabelle)
{
    for (const Fall &f : Faelle)
        EXPECT_EQ(Ergebnis(f), f.erwartet) << f.op << " " << f.a << " | " << f.b << " / " << f.groesse;
}

TEST(Pfad, OhneArgumente)
{
    char p[8] = "x";
    EXPECT_EQ(KR_Teil_hinzu(nullptr, "x", 8) + KR_Teil_hinzu(p, nullptr, 8) + KR_Differenzpfad(nullptr, 8, "C:\\a", "C:\\") +
                  KR_Differenzpfad(p, 8, nullptr, "C:\\") + KR_Differenzpfad(p, 8, "C:\\a", nullptr),
              0);
    EXPECT_STREQ(p, "x");
    EXPECT_FALSE(Pfad_kanonisieren(p, nullptr) || Pfad_kanonisieren(nullptr, "C:\\") || !Pfad_ist_relativ(nullptr));
    EXPECT_EQ(KR_Basisname(nullptr), nullptr);
    KR_Slashify(nullptr, 0);
}

TEST(Pfad, SeparatorenUndBuchstaben)
{
    char a[] = "a/b\\c\x80\xDC";
    std::string folge;
    for (char trenner : {'\0', '/', '\xFF'})
        KR_Slashify(a, trenner), folge += std::string(a) + "|";
    EXPECT_EQ(folge, "a\\b\\c\x80\xDC|a/b/c\x80\xDC|a\xFF" "b\xFF" "c\x80\xDC|");
    const unsigned char paare[][2] = {{'A', 'a'}, {'Z', 'z'}, {'@', '@'}, {'[', '['}, {'a', 'a'}, {0xC0, 0xE0},
                                      {0xD6, 0xF6}, {0xD7, 0xD7}, {0xD8, 0xF8}, {0xDE, 0xFE}, {0xDF, 0xDF},
                                      {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}, {0x9A, 0x9A}};
    int geaendert = 0;
    for (auto &p : paare)
        EXPECT_EQ(Zeichen_klein(p[0]), p[1]) << int(p[0]);
    for (int c = 0; c < 256; ++c)
        geaendert += Zeichen_klein(static_cast<unsigned char>(c)) != c;
    EXPECT_EQ(geaendert, 26 + 30 + 4);
    // Name patterns ignore ASCII letter case, to the end of the alphabet.
    Namensmuster m;
    for (auto [muster, name] : {std::pair("*Z", "abz"), {"a?z", "AYZ"}, {"zz.*", "ZZ.x"}})
        EXPECT_TRUE(Namensmuster_lesen(muster, &m) && Name_passt(m, name)) << muster;
}

TEST(Pfad, AktuellesVerzeichnis)
{
    char ziel[4096];
    ASSERT_TRUE(Verzeichnis_aktuell(ziel, sizeof ziel));
    EXPECT_EQ(std::filesystem::path(ziel), std::filesystem::current_path());
    size_t n = std::strlen(ziel);
    EXPECT_TRUE(Verzeichnis_aktuell(ziel, n + 1) && !Verzeichnis_aktuell(ziel, n));
}

} // namespace
