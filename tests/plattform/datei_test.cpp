// The platform layer's file services: streams in binary and text mode, whole
// files loaded and replaced.  The same results are expected on every system.
// (Taking bytes back, and lines across the stream's block: tests/strom.)
#include "testhilfe.h"

#include "platform/plattform.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A stream over a file with the given bytes, closed when the object goes.
struct Teststrom {
    kt::Tempordner ordner;
    Plattform_Strom *s = nullptr;
    Teststrom(const std::string &inhalt, Strommodus modus)
    {
        kt::Datei_schreiben(ordner / "f", inhalt);
        s = Strom_oeffnen((ordner / "f").c_str(), modus);
        EXPECT_NE(s, nullptr);
    }
    ~Teststrom() { EXPECT_EQ(Strom_schliessen(s), 0); }
    std::string rest()
    {
        std::string r;
        for (int c; (c = Strom_Zeichen(s)) != -1;)
            r.push_back(static_cast<char>(c));
        return r;
    }
};

const std::string Gemischt("a\r\nb\rc\n\0\xFF\r\r\nx\x1Anach", 18);

TEST(Strom, BinaerLiefertJedesByte)
{
    Teststrom t(Gemischt, Strommodus::lesen_binaer);
    EXPECT_EQ(t.rest(), Gemischt);
    EXPECT_TRUE(Strom_Ende(t.s));
    EXPECT_FALSE(Strom_Fehler(t.s));
    EXPECT_EQ(Strom_Position(t.s), 18);
}

TEST(Strom, TextmodusWieDieWindowsLaufzeit)
{
    Teststrom t(Gemischt, Strommodus::lesen_text);
    EXPECT_EQ(t.rest(), std::string("a\nb\rc\n\0\xFF\r\nx", 11));
    EXPECT_TRUE(Strom_Ende(t.s));
    EXPECT_EQ(Strom_Zeichen(t.s), -1); // 0x1A ends the file for good
    ASSERT_EQ(Strom_setzen(t.s, 17), 0);
    EXPECT_FALSE(Strom_Ende(t.s));
    EXPECT_EQ(Strom_Zeichen(t.s), 'h');
}

TEST(Strom, TextmodusPositionenSindDateioffsets)
{
    struct Fall {
        std::string zeilenende;
        std::vector<int64_t> nach_zeilenvorschub;
    };
    for (const Fall &f : {Fall{"\r\n", {4, 8}}, Fall{"\n", {3, 6}}}) {
        std::string text = "ab" + f.zeilenende + "cd" + f.zeilenende + "e";
        Teststrom t(text, Strommodus::lesen_text);
        std::string gelesen;
        std::vector<int64_t> positionen;
        for (int c; (c = Strom_Zeichen(t.s)) != -1;) {
            gelesen.push_back(static_cast<char>(c));
            if (c == '\n')
                positionen.push_back(Strom_Position(t.s));
        }
        EXPECT_EQ(gelesen, "ab\ncd\ne");
        EXPECT_EQ(positionen, f.nach_zeilenvorschub) << f.zeilenende.size();
        ASSERT_EQ(Strom_setzen(t.s, f.nach_zeilenvorschub[0]), 0);
        EXPECT_EQ(t.rest(), "cd\ne");
    }
}

TEST(Strom, ZeileHaeltDiePuffergrenze)
{
    Teststrom t("abcdef\nxy", Strommodus::lesen_text);
    char puffer[8];
    std::memset(puffer, '#', sizeof puffer);
    EXPECT_EQ(Strom_Zeile(t.s, puffer, 4), 3u);
    EXPECT_STREQ(puffer, "abc");
    EXPECT_EQ(puffer[4], '#'); // nothing written past the limit
    EXPECT_EQ(Strom_Zeile(t.s, puffer, 5), 4u);
    EXPECT_STREQ(puffer, "def\n");
    EXPECT_EQ(Strom_Zeile(t.s, puffer, 2), 1u);
    EXPECT_STREQ(puffer, "x");
    EXPECT_EQ(Strom_Zeile(t.s, puffer, sizeof puffer), 1u);
    EXPECT_STREQ(puffer, "y");
    EXPECT_EQ(Strom_Zeile(t.s, puffer, sizeof puffer), 0u);
    EXPECT_STREQ(puffer, "");
}

TEST(Strom, LesenInStueckenUndFehlendeDateien)
{
    // (Writing: tests/strom.)
    kt::Tempordner d;
    std::string pfad = d / "neu";
    kt::Datei_schreiben(pfad, "1\n2\r\n\x1A");
    Plattform_Strom *s = Strom_oeffnen(pfad.c_str(), Strommodus::lesen_text);
    ASSERT_NE(s, nullptr);
    char puffer[8] = {};
    EXPECT_EQ(Strom_lesen(s, puffer, sizeof puffer), 4u);
    EXPECT_EQ(std::string(puffer, 4), "1\n2\n");
    EXPECT_TRUE(Strom_Ende(s));
    EXPECT_EQ(Strom_schliessen(s), 0);

    EXPECT_EQ(Strom_oeffnen((d / "fehlt").c_str(), Strommodus::lesen_binaer), nullptr);
    EXPECT_EQ(Strom_oeffnen(nullptr, Strommodus::lesen_text), nullptr);
    EXPECT_EQ(Strom_schliessen(nullptr), 0);
}

// --- whole files ----------------------------------------------------------------

TEST(Datei, LadenHaeltDieBytes)
{
    kt::Tempordner d;
    kt::Datei_schreiben(d / "a", Gemischt);
    kt::Datei_schreiben(d / "leer", "");
    unsigned char *daten = nullptr;
    uint32_t laenge = 99;
    ASSERT_EQ(Datei_laden((d / "a").c_str(), &daten, &laenge), Dateistatus::ok);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(daten), laenge), Gemischt);
    std::free(daten);
    ASSERT_EQ(Datei_laden((d / "leer").c_str(), &daten, &laenge), Dateistatus::ok);
    EXPECT_NE(daten, nullptr);
    EXPECT_EQ(laenge, 0u);
    std::free(daten);
    EXPECT_EQ(Datei_laden((d / "fehlt").c_str(), &daten, &laenge), Dateistatus::nicht_lesbar);
    EXPECT_EQ(Datei_laden(d.pfad().string().c_str(), &daten, &laenge), Dateistatus::nicht_lesbar);
}

TEST(Datei, ErsetzenLaesstNurDieDateiZurueck)
{
    kt::Tempordner d;
    std::string pfad = d / "ziel.cfg";
    ASSERT_EQ(Datei_ersetzen(pfad.c_str(), "neu\0", 4), Dateistatus::ok);
    EXPECT_EQ(kt::Datei_lesen(pfad), std::string("neu\0", 4));
    ASSERT_EQ(Datei_ersetzen(pfad.c_str(), "x", 1), Dateistatus::ok);
    EXPECT_EQ(kt::Datei_lesen(pfad), "x");
    ASSERT_EQ(Datei_ersetzen(pfad.c_str(), "", 0), Dateistatus::ok);
    EXPECT_EQ(fs::file_size(pfad), 0u);
    size_t n = 0;
    for (auto it = fs::directory_iterator(d.pfad()); it != fs::directory_iterator(); ++it)
        ++n;
    EXPECT_EQ(n, 1u); // no temporary file left beside it
    EXPECT_EQ(Datei_ersetzen((d / "fehlt/ziel.cfg").c_str(), "x", 1), Dateistatus::nicht_anlegbar);
}

TEST(Datei, ExistenzUndSchreibbarkeit)
{
    kt::Tempordner d;
    std::string pfad = d / "nurlesen";
    kt::Datei_schreiben(pfad, "x");
    EXPECT_TRUE(Datei_existiert(pfad.c_str()));
    EXPECT_TRUE(Datei_beschreibbar(pfad.c_str()));
    fs::permissions(pfad, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_TRUE(Datei_existiert(pfad.c_str()));
    EXPECT_FALSE(Datei_beschreibbar(pfad.c_str()));
    EXPECT_TRUE(Datei_existiert(d.pfad().string().c_str()));
    EXPECT_FALSE(Datei_existiert((d / "fehlt").c_str()));
    EXPECT_FALSE(Datei_beschreibbar((d / "fehlt").c_str()));
}

} // namespace
