// Path utilities: separators, joining, the tail below a base, base names.
#include "korvan.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Runs a function that writes into a caller's buffer of a given size, filled
// with '#' one byte beyond it.  "<0>" stands for failure with the buffer as
// it was; on success the byte beyond the size must be untouched.
template <class F>
std::string Mit_Puffer(unsigned int groesse, const std::string &vorher, F f)
{
    std::vector<char> p(groesse + 1, '#');
    std::memcpy(p.data(), vorher.c_str(), std::min<size_t>(vorher.size() + 1, groesse));
    std::vector<char> alt = p;
    if (!f(p.data(), groesse)) {
        EXPECT_EQ(p, alt);
        return "<0>";
    }
    EXPECT_EQ(p.back(), '#');
    return p.data();
}

TEST(Pfad, Slashify)
{
    char a[] = "a/b\\c\x80\xDC";
    KR_Slashify(a, 0);
    EXPECT_STREQ(a, "a\\b\\c\x80\xDC");
    KR_Slashify(a, '/');
    EXPECT_STREQ(a, "a/b/c\x80\xDC");
    KR_Slashify(a, '\xFF');
    EXPECT_STREQ(a, "a\xFF" "b\xFF" "c\x80\xDC");
    KR_Slashify(nullptr, 0);
}

TEST(Pfad, TeilHinzu)
{
    std::string p259(259, 'p'), t259(259, 't'), a400 = "C:\\" + std::string(397, 'a');
    struct Fall {
        std::string pfad, teil;
        unsigned int groesse;
        std::string erwartet;
    } faelle[] = {
        {"a/b\\c", "d/e", 260, "a\\b\\c\\d\\e"}, {"C:\\dir\\", "x", 260, "C:\\dir\\x"}, {"C:", "x", 260, "C:x"},
        {"", "a", 260, "\\a"},
        {"C:\\dir", "..\\x//y", 260, "C:\\dir\\..\\x\\\\y"}, // nothing resolved
        {"C:\\\xC4rger", "\xFF\x80", 260, "C:\\\xC4rger\\\xFF\x80"},
        // an absolute part replaces the path unchanged; on POSIX '/' too
        {"C:\\dir", "D:/y", 260, "D:/y"}, {"C:\\dir", "\\y/z", 260, "\\y/z"},
#ifndef _WIN32
        {"C:\\dir\\", "/x", 260, "/x"},
#endif
        {"x", a400, 401, a400}, {"x", a400, 400, "<0>"}, // no working limit there
        // results of size - 1 and size characters
        {"C:\\dir", "x", 9, "C:\\dir\\x"}, {"C:\\dir", "x", 8, "<0>"}, {"", "", 2, "\\"}, {"", "", 1, "<0>"},
        {"C:\\dir", "x", 0, "<0>"},
        // the 260-byte working limit and the 520-byte join
        {p259, t259, 520, p259 + "\\" + t259}, {p259, t259, 519, "<0>"},
        {p259 + "p", "t", 600, "<0>"}, {"p", t259 + "t", 600, "<0>"},
    };
    for (const Fall &f : faelle) {
        std::string r = Mit_Puffer(f.groesse, f.pfad, [&](char *p, unsigned int g) {
            return KR_Teil_hinzu(p, f.teil.c_str(), g) == 1;
        });
        EXPECT_EQ(r, f.erwartet) << f.pfad << " + " << f.teil << " / " << f.groesse;
    }
    char p[8] = "x";
    EXPECT_EQ(KR_Teil_hinzu(nullptr, "x", 8), 0);
    EXPECT_EQ(KR_Teil_hinzu(p, nullptr, 8), 0);
    EXPECT_STREQ(p, "x");
}

TEST(Pfad, Differenzpfad)
{
    std::string b258 = "C:\\" + std::string(255, 'b'), b259 = b258 + "c";
    struct Fall {
        std::string pfad, basis;
        unsigned int groesse;
        std::string erwartet;
    } faelle[] = {
        {"C:\\Proj\\src\\a.c", "c:\\proj", 260, "src\\a.c"},
        {"C:\\Proj\\src\\a.c", "C:\\pro", 260, "C:\\Proj\\src\\a.c"},
        {"C:\\proj\\x\\..\\a.c", "C:\\proj\\", 260, "a.c"}, {"D:\\other\\a.c", "C:\\proj\\", 260, "D:\\other\\a.c"},
        {"C:\\dir\\", "C:\\dir\\", 260, ""},
        {"C:\\dir", "C:\\dir", 260, "C:\\dir"}, {"C:\\a.c", "C:", 260, "a.c"}, {"C:a.c", "C:", 260, "C:a.c"},
        {"\\a\\b", "", 260, "a\\b"}, // an empty base is the root
        // '..' above the root, mixed separators, POSIX paths
        {"C:\\..\\..\\a.c", "C:\\", 260, "a.c"}, {"C:\\a\\..\\..\\b\\c.c", "C:\\..\\b", 260, "c.c"},
        {"C:/Proj/src/a.c", "c:\\proj", 260, "src\\a.c"}, {"C:\\Proj\\src/a.c", "c:/proj/", 260, "src\\a.c"},
#ifndef _WIN32
        {"/home/me/../you/a.c", "/home", 260, "you\\a.c"}, // '/' resolves '..' on POSIX only
#endif
        {"/srv/a.c", "/home/me", 260, "\\srv\\a.c"},
        // letter case in code page 1252 (the whole table: plattform_pfad_test.cpp)
        {"C:\\\xC4RGER\\\x8A" "a\\x.c", "c:\\\xE4rger\\\x9A" "A", 260, "x.c"},
        {"C:\\\xD7\\x", "C:\\\xF7", 260, "C:\\\xD7\\x"},
        // result sizes and working limits
        {"C:\\proj\\abc", "C:\\proj", 4, "abc"}, {"C:\\proj\\abc", "C:\\proj", 3, "<0>"},
        {"C:\\dir\\", "C:\\dir\\", 1, ""}, {"C:\\a", "C:\\", 0, "<0>"},
        {b258 + "\\", b258, 260, ""}, {b258 + "\\x", b258, 260, "<0>"}, {b258 + "\\", b259, 260, "<0>"},
    };
    for (const Fall &f : faelle) {
        std::string r = Mit_Puffer(f.groesse, "alt", [&](char *e, unsigned int g) {
            return KR_Differenzpfad(e, g, f.pfad.c_str(), f.basis.c_str()) == 1;
        });
        EXPECT_EQ(r, f.erwartet) << f.pfad << " - " << f.basis << " / " << f.groesse;
    }
    char e[8] = "alt";
    EXPECT_EQ(KR_Differenzpfad(nullptr, 8, "C:\\a", "C:\\"), 0);
    EXPECT_EQ(KR_Differenzpfad(e, 8, nullptr, "C:\\"), 0);
    EXPECT_EQ(KR_Differenzpfad(e, 8, "C:\\a", nullptr), 0);
    EXPECT_STREQ(e, "alt");
}

TEST(Pfad, Basisname)
{
    const std::pair<const char *, size_t> faelle[] = {
        {"C:\\dir\\file.txt", 7}, {"dir/", 4}, {"C:file", 2}, {"file", 0}, {"", 0}, {"a/b\\c:\xC4\xFF", 6}};
    for (auto &f : faelle)
        EXPECT_EQ(KR_Basisname(f.first), f.first + f.second) << f.first;
    EXPECT_EQ(KR_Basisname(nullptr), nullptr);
    char pfad[] = "C:\\dir\\sub\\file.txt";
    *KR_Basisname(pfad) = '\0';
    EXPECT_STREQ(pfad, "C:\\dir\\sub\\");
}

} // namespace
