// The platform's path services on their own: relative or absolute, the
// canonical form, lower case in code page 1252, the current directory.
#include "platform/plattform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

struct Paar {
    const char *ein;
    const char *aus;
};

std::string Kanonisch(const char *pfad)
{
    char ziel[Pfadpuffer];
    if (!Pfad_kanonisieren(ziel, pfad))
        return "<Fehler>";
    return ziel;
}

TEST(Pfad_ist_relativ, WieWindows)
{
    EXPECT_TRUE(Pfad_ist_relativ(nullptr));
    EXPECT_TRUE(Pfad_ist_relativ(""));
    EXPECT_TRUE(Pfad_ist_relativ("a"));
    EXPECT_TRUE(Pfad_ist_relativ("a\\b"));
    EXPECT_TRUE(Pfad_ist_relativ(".\\a"));
    EXPECT_TRUE(Pfad_ist_relativ("ab:"));
    EXPECT_FALSE(Pfad_ist_relativ("\\"));
    EXPECT_FALSE(Pfad_ist_relativ("\\a"));
    EXPECT_FALSE(Pfad_ist_relativ("\\\\server\\share"));
    EXPECT_FALSE(Pfad_ist_relativ("C:"));
    EXPECT_FALSE(Pfad_ist_relativ("C:x"));
    EXPECT_FALSE(Pfad_ist_relativ("D:/y"));
    EXPECT_FALSE(Pfad_ist_relativ("1:")); // any character before the colon
    EXPECT_FALSE(Pfad_ist_relativ("\xC4:"));
}

TEST(Pfad_ist_relativ, SchraegstrichVorneIstAufPosixAbsolut)
{
    EXPECT_FALSE(Pfad_ist_relativ("/"));
    EXPECT_FALSE(Pfad_ist_relativ("/x"));
    EXPECT_TRUE(Pfad_ist_relativ("a/b"));
}

// Documented results of the Windows service, with '\' as the only separator.
TEST(Pfad_kanonisieren, DokumentiertePaare)
{
    const Paar paare[] = {
        {"A:\\name_1\\.\\name_2\\..\\name_3", "A:\\name_1\\name_3"},
        {"A:\\name_1\\..\\name_2\\.\\name_3", "A:\\name_2\\name_3"},
        {"A:\\name_1\\name_2\\.\\name_3\\..\\name_4", "A:\\name_1\\name_2\\name_4"},
        {"A:\\name_1\\.\\name_2\\.\\name_3\\..\\name_4\\..", "A:\\name_1\\name_2"},
        {"C:\\..", "C:\\"},
        {"C:\\one\\.\\..\\two\\three\\..", "C:\\two"},
        {"C:\\Windows\\Temp\\test\\..", "C:\\Windows\\Temp"},
        {"", "\\"},
        {" ", " "},
        {"one\\two", "one\\two"},
        {"C:\\", "C:\\"},
        {"C:", "C:\\"},
        {"C:..", "C:\\"},
        {"..", "\\"},
        {".", "\\"},
        {"a\\..", "\\"},
        {"a\\..\\b", "\\b"},
        {"\\..", "\\"},
        {"\\a\\..\\b", "\\b"},
        {"\\a\\b\\..", "\\a"},
        {"C:\\a\\.", "C:\\a"},
        {"C:\\.", "C:\\"},
        {"C:\\a\\..\\b", "C:\\b"},
        {"C:\\a\\b..", "C:\\a\\b.."},
        {"C:\\..a\\", "C:\\..a\\"},
        {"C:\\...\\", "C:\\...\\"},
        {"a\\.b\\", "a\\.b\\"},
    };
    for (const Paar &p : paare)
        EXPECT_EQ(Kanonisch(p.ein), p.aus) << p.ein;
}

TEST(Pfad_kanonisieren, DoppelteUndAbschliessendeTrennerBleiben)
{
    const Paar paare[] = {
        {"C:\\a\\\\b\\", "C:\\a\\\\b\\"},
        {"C:\\a\\..\\\\b", "C:\\\\b"},
        {"C:\\a\\\\..", "C:\\a"},
        {"C:\\a\\\\\\..", "C:\\a\\"},
        {"C:\\a\\\\.", "C:\\a\\"},
        {"\\\\server\\share\\x", "\\\\server\\share\\x"},
    };
    for (const Paar &p : paare)
        EXPECT_EQ(Kanonisch(p.ein), p.aus) << p.ein;
}

TEST(Pfad_kanonisieren, NieUeberDieWurzel)
{
    EXPECT_EQ(Kanonisch("C:\\one\\..\\..\\..\\x"), "C:\\x");
    EXPECT_EQ(Kanonisch("C:\\..\\..\\"), "C:\\");
    EXPECT_EQ(Kanonisch("\\..\\..\\a"), "\\a");
    EXPECT_EQ(Kanonisch("..\\..\\a"), "\\a");
    EXPECT_EQ(Kanonisch("C:a\\..\\..\\b"), "C:b");
}

// On POSIX '/' separates too, and a leading '/' is the root.
TEST(Pfad_kanonisieren, SchraegstrichTrenntAufPosix)
{
    const Paar paare[] = {
        {"/usr/lib/../bin", "/usr/bin"},
        {"/..", "/"},
        {"/a/./b/", "/a/b/"},
        {"C:/a/../b", "C:/b"},
        {"\\a/b\\..\\c", "\\a/c"},
        {"C:\\one/.\\..\\two/three\\..\\four/.five", "C:\\two/four/.five"},
        {"../../one/two/", "\\one/two/"},
    };
    for (const Paar &p : paare)
        EXPECT_EQ(Kanonisch(p.ein), p.aus) << p.ein;
}

TEST(Pfad_kanonisieren, GrenzeUndFehler)
{
    char ziel[Pfadpuffer];
    std::string lang(Pfadpuffer - 1, 'a');
    lang[0] = 'C';
    lang[1] = ':';
    lang[2] = '\\';
    ASSERT_TRUE(Pfad_kanonisieren(ziel, lang.c_str()));
    EXPECT_EQ(ziel, lang);

    std::string zu_lang = lang + "b";
    std::memset(ziel, 'x', sizeof ziel);
    EXPECT_FALSE(Pfad_kanonisieren(ziel, zu_lang.c_str()));
    EXPECT_EQ(ziel[0], 'x');
    // Too long stays too long even where '..' would shorten it.
    EXPECT_FALSE(Pfad_kanonisieren(ziel, (lang + "\\..").c_str()));

    EXPECT_FALSE(Pfad_kanonisieren(ziel, nullptr));
    EXPECT_FALSE(Pfad_kanonisieren(nullptr, "C:\\"));
    EXPECT_EQ(ziel[0], 'x');
}

TEST(Pfad_kanonisieren, HoheBytesSindGewoehnlicheZeichen)
{
    EXPECT_EQ(Kanonisch("C:\\\xC4rger\\\xFF\\..\\\x80."), "C:\\\xC4rger\\\x80.");
}

TEST(Zeichen_klein, Codeseite1252)
{
    EXPECT_EQ(Zeichen_klein('A'), 'a');
    EXPECT_EQ(Zeichen_klein('Z'), 'z');
    EXPECT_EQ(Zeichen_klein('@'), '@');
    EXPECT_EQ(Zeichen_klein('['), '[');
    EXPECT_EQ(Zeichen_klein('a'), 'a');
    EXPECT_EQ(Zeichen_klein(0xC0), 0xE0);
    EXPECT_EQ(Zeichen_klein(0xC4), 0xE4);
    EXPECT_EQ(Zeichen_klein(0xD6), 0xF6);
    EXPECT_EQ(Zeichen_klein(0xD7), 0xD7); // multiplication sign
    EXPECT_EQ(Zeichen_klein(0xD8), 0xF8);
    EXPECT_EQ(Zeichen_klein(0xDE), 0xFE);
    EXPECT_EQ(Zeichen_klein(0xDF), 0xDF); // sharp s has no capital here
    EXPECT_EQ(Zeichen_klein(0x8A), 0x9A);
    EXPECT_EQ(Zeichen_klein(0x8C), 0x9C);
    EXPECT_EQ(Zeichen_klein(0x8E), 0x9E);
    EXPECT_EQ(Zeichen_klein(0x9F), 0xFF);
    EXPECT_EQ(Zeichen_klein(0x9A), 0x9A);
    EXPECT_EQ(Zeichen_klein(0xFF), 0xFF);

    int geaendert = 0;
    for (int c = 0; c < 256; ++c) {
        unsigned char k = Zeichen_klein(static_cast<unsigned char>(c));
        if (k != c) {
            ++geaendert;
            EXPECT_EQ(Zeichen_klein(k), k) << c; // lower case stays lower case
        }
    }
    EXPECT_EQ(geaendert, 26 + 30 + 4);
}

TEST(Verzeichnis_aktuell, WieDasSystem)
{
    char ziel[4096];
    ASSERT_TRUE(Verzeichnis_aktuell(ziel, sizeof ziel));
    EXPECT_EQ(std::filesystem::path(ziel), std::filesystem::current_path());
    size_t n = std::strlen(ziel);
    EXPECT_TRUE(Verzeichnis_aktuell(ziel, n + 1));
    EXPECT_FALSE(Verzeichnis_aktuell(ziel, n));
    EXPECT_FALSE(Verzeichnis_aktuell(nullptr, 10));
}

} // namespace
