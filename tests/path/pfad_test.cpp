// Path utilities: separators, joining, the tail below a base, base names.
#include "korvan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A caller's buffer of a given size, filled with a mark so that an untouched
// buffer can be told from a written one.
struct Puffer {
    std::vector<char> bytes;
    explicit Puffer(size_t groesse, const std::string &inhalt = "")
        : bytes(groesse + 1, '#') // one byte more, never to be written
    {
        if (groesse > 0 && inhalt.size() < groesse)
            std::memcpy(bytes.data(), inhalt.c_str(), inhalt.size() + 1);
    }
    char *data() { return bytes.data(); }
    unsigned int groesse() const { return static_cast<unsigned int>(bytes.size() - 1); }
    std::string text() const { return bytes.data(); }
    bool hinter_dem_Ende_unberuehrt() const { return bytes.back() == '#'; }
};

// --- KR_Slashify -------------------------------------------------------------

TEST(Slashify, Trenner)
{
    char a[] = "a/b\\c";
    KR_Slashify(a, 0);
    EXPECT_STREQ(a, "a\\b\\c");
    KR_Slashify(a, '/');
    EXPECT_STREQ(a, "a/b/c");
    KR_Slashify(a, '\xFF'); // any byte will do
    EXPECT_STREQ(a, "a\xFF" "b\xFF" "c");
    KR_Slashify(nullptr, 0);

    char hoch[] = "\x80\xDC/\xFF\\";
    KR_Slashify(hoch, 0);
    EXPECT_STREQ(hoch, "\x80\xDC\\\xFF\\");
    char leer[] = "";
    KR_Slashify(leer, '/');
    EXPECT_STREQ(leer, "");
}

// --- KR_Teil_hinzu -----------------------------------------------------------

std::string Hinzu(const std::string &pfad, const char *teil, unsigned int groesse = 520)
{
    Puffer p(groesse, pfad);
    if (KR_Teil_hinzu(p.data(), teil, p.groesse()) != 1)
        return "<0>";
    EXPECT_TRUE(p.hinter_dem_Ende_unberuehrt());
    return p.text();
}

TEST(Teil_hinzu, Verbinden)
{
    EXPECT_EQ(Hinzu("C:\\dir", "sub/file.c"), "C:\\dir\\sub\\file.c");
    EXPECT_EQ(Hinzu("C:\\dir\\", "x"), "C:\\dir\\x");
    EXPECT_EQ(Hinzu("C:", "x"), "C:x");
    EXPECT_EQ(Hinzu("", "a"), "\\a");
    EXPECT_EQ(Hinzu("", ""), "\\");
    EXPECT_EQ(Hinzu("a/b\\c", "d/e"), "a\\b\\c\\d\\e");
    EXPECT_EQ(Hinzu("C:/dir/", "x"), "C:\\dir\\x");
    // Nothing is resolved, no doubled separator removed.
    EXPECT_EQ(Hinzu("C:\\dir", "..\\x//y"), "C:\\dir\\..\\x\\\\y");
    EXPECT_EQ(Hinzu("C:\\dir\\\\", "x\\\\y"), "C:\\dir\\\\x\\\\y");
    EXPECT_EQ(Hinzu("C:\\\xC4rger", "\xFF\x80"), "C:\\\xC4rger\\\xFF\x80");
}

TEST(Teil_hinzu, AbsoluterTeilErsetztUnveraendert)
{
    EXPECT_EQ(Hinzu("C:\\dir", "D:/y"), "D:/y");
    EXPECT_EQ(Hinzu("C:\\dir", "\\y"), "\\y");
    EXPECT_EQ(Hinzu("C:\\dir", "\\y/z"), "\\y/z");
    // On POSIX a leading '/' is absolute too.
    EXPECT_EQ(Hinzu("C:\\dir\\", "/x"), "/x");
    EXPECT_EQ(Hinzu("/home/me", "/etc/x"), "/etc/x");
    // The working limit does not apply: only the caller's size counts.
    std::string lang = "C:\\" + std::string(400, 'a');
    EXPECT_EQ(Hinzu("x", lang.c_str(), 404), lang);
    EXPECT_EQ(Hinzu("x", lang.c_str(), 403), "<0>");
}

TEST(Teil_hinzu, GroesseDesErgebnisses)
{
    // "C:\dir\x" has 8 characters.
    EXPECT_EQ(Hinzu("C:\\dir", "x", 9), "C:\\dir\\x");
    Puffer p(8, "C:\\dir");
    EXPECT_EQ(KR_Teil_hinzu(p.data(), "x", 8), 0);
    EXPECT_EQ(p.text(), "C:\\dir");
    EXPECT_TRUE(p.hinter_dem_Ende_unberuehrt());

    Puffer q(8, "C:\\dir");
    EXPECT_EQ(KR_Teil_hinzu(q.data(), "D:\\abcde", 8), 0); // 8 characters
    EXPECT_EQ(q.text(), "C:\\dir");
    EXPECT_EQ(KR_Teil_hinzu(q.data(), "D:\\abcd", 8), 1);
    EXPECT_EQ(q.text(), "D:\\abcd");

    // Size 1 holds the empty string only, which no join gives.
    Puffer eins(1, "");
    EXPECT_EQ(KR_Teil_hinzu(eins.data(), "", 1), 0);
    EXPECT_EQ(eins.bytes[0], '\0');
    EXPECT_EQ(Hinzu("", "", 2), "\\");
}

TEST(Teil_hinzu, ArbeitsgrenzeVon260Bytes)
{
    std::string p259(259, 'p'), p260(260, 'p');
    std::string t259(259, 't'), t260(260, 't');
    // 259 + separator + 259 = 519 characters, the most a join gives.
    EXPECT_EQ(Hinzu(p259, t259.c_str(), 520), p259 + "\\" + t259);
    EXPECT_EQ(Hinzu(p259, t259.c_str(), 519), "<0>");
    EXPECT_EQ(Hinzu(p260, "t", 600), "<0>");
    EXPECT_EQ(Hinzu("p", t260.c_str(), 600), "<0>");
    // On POSIX a leading separator makes a part absolute, beyond the limit.
    EXPECT_EQ(Hinzu("p", ("/" + t259).c_str(), 600), "/" + t259);
}

TEST(Teil_hinzu, UngueltigeArgumente)
{
    Puffer p(20, "C:\\dir");
    EXPECT_EQ(KR_Teil_hinzu(nullptr, "x", 20), 0);
    EXPECT_EQ(KR_Teil_hinzu(p.data(), nullptr, 20), 0);
    EXPECT_EQ(KR_Teil_hinzu(p.data(), "x", 0), 0);
    EXPECT_EQ(KR_Teil_hinzu(p.data(), "\\x", 0), 0);
    EXPECT_EQ(p.text(), "C:\\dir");
}

// --- KR_Differenzpfad --------------------------------------------------------

std::string Differenz(const char *pfad, const char *basis, unsigned int groesse = 260)
{
    Puffer e(groesse);
    if (KR_Differenzpfad(e.data(), e.groesse(), pfad, basis) != 1)
        return "<0>";
    EXPECT_TRUE(e.hinter_dem_Ende_unberuehrt());
    return e.text();
}

TEST(Differenzpfad, Rest)
{
    EXPECT_EQ(Differenz("C:\\Proj\\src\\a.c", "c:\\proj"), "src\\a.c");
    EXPECT_EQ(Differenz("C:\\Proj\\src\\a.c", "C:\\pro"), "C:\\Proj\\src\\a.c");
    EXPECT_EQ(Differenz("C:\\proj\\x\\..\\a.c", "C:\\proj\\"), "a.c");
    EXPECT_EQ(Differenz("C:\\Other\\a.c", "C:\\proj\\"), "C:\\Other\\a.c");
    EXPECT_EQ(Differenz("D:\\other\\a.c", "C:\\proj\\"), "D:\\other\\a.c");
    EXPECT_EQ(Differenz("C:\\dir\\", "C:\\dir\\"), "");
    EXPECT_EQ(Differenz("C:\\dir", "C:\\dir"), "C:\\dir");
    EXPECT_EQ(Differenz("C:\\a.c", "C:"), "a.c");   // the bare drive becomes C:\ .
    EXPECT_EQ(Differenz("C:a.c", "C:"), "C:a.c");
    EXPECT_EQ(Differenz("C:\\x\\a.c", "C:\\x\\y\\.."), "a.c");
}

TEST(Differenzpfad, UeberDieWurzelHinaus)
{
    EXPECT_EQ(Differenz("C:\\..\\..\\a.c", "C:\\"), "a.c");
    EXPECT_EQ(Differenz("C:\\a\\..\\..\\b\\c.c", "C:\\..\\b"), "c.c");
}

TEST(Differenzpfad, GemischteTrennerUndPosixPfade)
{
    EXPECT_EQ(Differenz("C:/Proj/src/a.c", "c:\\proj"), "src\\a.c");
    EXPECT_EQ(Differenz("C:\\Proj\\src/a.c", "c:/proj/"), "src\\a.c");
    EXPECT_EQ(Differenz("/home/me/src/a.c", "/home/me"), "src\\a.c");
    EXPECT_EQ(Differenz("/home/me/../you/a.c", "/home"), "you\\a.c");
    EXPECT_EQ(Differenz("/home/you/a.c", "/home/me"), "\\home\\you\\a.c");
}

TEST(Differenzpfad, GrossUndKleinNachCodeseite1252)
{
    EXPECT_EQ(Differenz("C:\\\xC4RGER\\\x8A" "a\\x.c", "c:\\\xE4rger\\\x9A" "A"), "x.c");
    EXPECT_EQ(Differenz("C:\\\x9F\\x.c", "C:\\\xFF"), "x.c");
    // The multiplication and division signs are no pair; nor are 0xDF and 0xFF.
    EXPECT_EQ(Differenz("C:\\\xD7\\x.c", "C:\\\xF7"), "C:\\\xD7\\x.c");
    EXPECT_EQ(Differenz("C:\\\xDF\\x.c", "C:\\\xFF"), "C:\\\xDF\\x.c");
}

TEST(Differenzpfad, GroesseDesErgebnisses)
{
    EXPECT_EQ(Differenz("C:\\proj\\abc", "C:\\proj", 4), "abc");
    EXPECT_EQ(Differenz("C:\\proj\\abc", "C:\\proj", 3), "<0>");
    EXPECT_EQ(Differenz("C:\\dir\\", "C:\\dir\\", 1), "");

    Puffer e(3, "xy");
    EXPECT_EQ(KR_Differenzpfad(e.data(), 3, "C:\\proj\\abc", "C:\\proj"), 0);
    EXPECT_EQ(e.text(), "xy");
}

TEST(Differenzpfad, ArbeitsgrenzeVon260Bytes)
{
    std::string basis = "C:\\" + std::string(255, 'b');    // 258 characters
    std::string pfad = basis + "\\x";                       // 260 characters
    EXPECT_EQ(Differenz(pfad.c_str(), basis.c_str()), "<0>");
    std::string pfad259 = basis + "\\";
    EXPECT_EQ(Differenz(pfad259.c_str(), basis.c_str()), "");
    EXPECT_EQ(Differenz((basis + "\\..\\x").c_str(), basis.c_str()), "<0>");

    // A base of 259 characters has no room for its separator.
    std::string basis259 = basis + "c";
    EXPECT_EQ(Differenz(pfad259.c_str(), basis259.c_str()), "<0>");
    EXPECT_EQ(Differenz(pfad259.c_str(), (basis259.substr(0, 258) + "\\").c_str()), "");
}

TEST(Differenzpfad, UngueltigeArgumente)
{
    Puffer e(20, "alt");
    EXPECT_EQ(KR_Differenzpfad(nullptr, 20, "C:\\a", "C:\\"), 0);
    EXPECT_EQ(KR_Differenzpfad(e.data(), 0, "C:\\a", "C:\\"), 0);
    EXPECT_EQ(KR_Differenzpfad(e.data(), 20, nullptr, "C:\\"), 0);
    EXPECT_EQ(KR_Differenzpfad(e.data(), 20, "C:\\a", nullptr), 0);
    EXPECT_EQ(e.text(), "alt");
    // An empty base is the root "\".
    EXPECT_EQ(Differenz("\\a\\b", ""), "a\\b");
    EXPECT_EQ(Differenz("C:\\a", ""), "C:\\a");
}

// --- KR_Basisname ------------------------------------------------------------

TEST(Basisname, ZeigtInDenPfad)
{
    const char *a = "C:\\dir\\file.txt";
    EXPECT_EQ(KR_Basisname(a), a + 7);
    const char *b = "dir/";
    EXPECT_EQ(KR_Basisname(b), b + 4);
    const char *c = "C:file";
    EXPECT_EQ(KR_Basisname(c), c + 2);
    const char *d = "file";
    EXPECT_EQ(KR_Basisname(d), d);
    const char *e = "";
    EXPECT_EQ(KR_Basisname(e), e);
    const char *f = "a/b\\c:\xC4\xFF";
    EXPECT_EQ(KR_Basisname(f), f + 6);
    EXPECT_EQ(KR_Basisname(nullptr), nullptr);

    char pfad[] = "C:\\dir\\sub\\file.txt";
    *KR_Basisname(pfad) = '\0';
    EXPECT_STREQ(pfad, "C:\\dir\\sub\\");
}

} // namespace
