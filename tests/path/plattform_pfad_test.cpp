// The platform's path services on their own, against Windows' documented
// results and the POSIX difference ('/' separates, a leading '/' is a root).
#include "platform/plattform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

TEST(Plattformpfad, IstRelativ)
{
    for (const char *p : {"", "a", "a\\b", ".\\a", "ab:", "a/b"})
        EXPECT_TRUE(Pfad_ist_relativ(p)) << p;
    for (const char *p : {"\\", "\\a", "\\\\srv\\x", "C:", "C:x", "D:/y", "1:", "\xC4:"})
        EXPECT_FALSE(Pfad_ist_relativ(p)) << p;
#ifndef _WIN32
    for (const char *p : {"/", "/x"}) // a leading '/' is a root on POSIX only
        EXPECT_FALSE(Pfad_ist_relativ(p)) << p;
#endif
    EXPECT_TRUE(Pfad_ist_relativ(nullptr));
}

std::string Kanonisch(const std::string &pfad)
{
    char ziel[Pfadpuffer] = "alt";
    return Pfad_kanonisieren(ziel, pfad.c_str()) ? ziel : std::string("<0>") + ziel;
}

TEST(Plattformpfad, Kanonisieren)
{
    const char *paare[][2] = {
        // documented
        {"A:\\name_1\\.\\name_2\\..\\name_3", "A:\\name_1\\name_3"},
        {"A:\\name_1\\..\\name_2\\.\\name_3", "A:\\name_2\\name_3"},
        {"A:\\name_1\\name_2\\.\\name_3\\..\\name_4", "A:\\name_1\\name_2\\name_4"},
        {"A:\\name_1\\.\\name_2\\.\\name_3\\..\\name_4\\..", "A:\\name_1\\name_2"},
        {"C:\\..", "C:\\"}, {"C:\\one\\.\\..\\two\\three\\..", "C:\\two"}, {"", "\\"}, {" ", " "},
        {"one\\two", "one\\two"}, {"C:\\", "C:\\"}, {"C:", "C:\\"},
        {"a\\..\\b", "\\b"}, {"\\a\\b\\..", "\\a"}, {"C:\\a\\b..", "C:\\a\\b.."},
        // doubled and trailing separators stay
        {"C:\\a\\\\b\\", "C:\\a\\\\b\\"}, {"C:\\a\\..\\\\b", "C:\\\\b"}, {"C:\\a\\\\..", "C:\\a"},
        {"C:\\a\\\\\\..", "C:\\a\\"}, {"\\\\srv\\share\\x", "\\\\srv\\share\\x"},
        // never above the root
        {"C:\\one\\..\\..\\..\\x", "C:\\x"}, {"\\..\\..\\a", "\\a"}, {"..\\..\\a", "\\a"},
        {"C:\\\xC4rger\\\xFF\\..\\\x80.", "C:\\\xC4rger\\\x80."},
#ifndef _WIN32
        // Windows' results that the stand-in keeps, where the service as wine
        // provides it answers otherwise (on Windows the system's own answer holds)
        {"C:..", "C:\\"}, {"..", "\\"}, {".", "\\"}, {"C:\\a\\.", "C:\\a"}, {"C:\\..a\\", "C:\\..a\\"},
        {"C:\\...\\", "C:\\...\\"}, {"C:a\\..\\..\\b", "C:b"},
        // a leading '.' goes, so a name with ':' second comes to the front
        {".\\#:..", "#:.."}, {"#:..", "#:\\"},
        // POSIX: '/' separates too
        {"/usr/lib/../bin", "/usr/bin"}, {"/..", "/"}, {"/a/./b/", "/a/b/"}, {"C:/a/../b", "C:/b"},
        {"\\a/b\\..\\c", "\\a/c"}, {"C:\\one/.\\..\\two/three\\..\\four/.five", "C:\\two/four/.five"},
#endif
    };
    for (auto &p : paare)
        EXPECT_EQ(Kanonisch(p[0]), p[1]) << p[0];

    std::string p259 = "C:\\" + std::string(256, 'a');
    EXPECT_EQ(Kanonisch(p259), p259);
    EXPECT_EQ(Kanonisch(p259 + "b"), "<0>alt");
    EXPECT_EQ(Kanonisch(p259 + "\\.."), "<0>alt"); // too long before it is resolved
    char ziel[Pfadpuffer];
    EXPECT_FALSE(Pfad_kanonisieren(ziel, nullptr));
    EXPECT_FALSE(Pfad_kanonisieren(nullptr, "C:\\"));
}

TEST(Plattformpfad, KleinNachCodeseite1252)
{
    const unsigned char paare[][2] = {{'A', 'a'}, {'Z', 'z'}, {'@', '@'}, {'[', '['}, {'a', 'a'}, {0xC0, 0xE0},
                                      {0xD6, 0xF6}, {0xD7, 0xD7}, {0xD8, 0xF8}, {0xDE, 0xFE}, {0xDF, 0xDF},
                                      {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}, {0x9A, 0x9A}};
    for (auto &p : paare)
        EXPECT_EQ(Zeichen_klein(p[0]), p[1]) << int(p[0]);
    int geaendert = 0;
    for (int c = 0; c < 256; ++c)
        geaendert += Zeichen_klein(static_cast<unsigned char>(c)) != c;
    EXPECT_EQ(geaendert, 26 + 30 + 4);
}

TEST(Plattformpfad, AktuellesVerzeichnis)
{
    char ziel[4096];
    ASSERT_TRUE(Verzeichnis_aktuell(ziel, sizeof ziel));
    EXPECT_EQ(std::filesystem::path(ziel), std::filesystem::current_path());
    size_t n = std::strlen(ziel);
    EXPECT_TRUE(Verzeichnis_aktuell(ziel, n + 1));
    EXPECT_FALSE(Verzeichnis_aktuell(ziel, n));
}

} // namespace
