// The platform's file services: streams in binary and text mode (alike on every system), whole files.
#include "testhilfe.h"

#include "platform/plattform.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

namespace fs = std::filesystem;

const std::string Gemischt("a\r\nb\rc\n\0\xFF\r\r\nx\x1Anach", 18);

// Steps: r a byte ($: none), R the rest, z<c> take c back (z$: -1), p the position, e/f the end and error
// flags (upper case when set), s<n> set, L<n> a line into n bytes, B<n> a block of n bytes.
std::string Schritte(Plattform_Strom *s, const std::string &schritte)
{
    std::string r;
    for (size_t i = 0; i < schritte.size(); ++i) {
        char op = schritte[i], b[64];
        int zahl = std::atoi(schritte.c_str() + i + 1);
        size_t ende = std::min(schritte.find_first_not_of("0123456789", i + 1), schritte.size());
        std::fill(std::begin(b), std::end(b), '#');
        if (int c; op == 'r')
            r += (c = Strom_Zeichen(s)) == -1 ? '$' : static_cast<char>(c);
        else if (op == 'R')
            while ((c = Strom_Zeichen(s)) != -1)
                r += static_cast<char>(c);
        else if (op == 'z')
            r += static_cast<char>('0' + Strom_zurueck(s, schritte[++i] == '$' ? -1 : schritte[i]));
        else if (op == 'p')
            r += "<" + std::to_string(Strom_Position(s)) + ">";
        else if (op == 'e' || op == 'f')
            r += static_cast<char>((op == 'e' ? Strom_Ende(s) : Strom_Fehler(s)) ? op - 32 : op);
        else if (op == 's')
            r += std::to_string(Strom_setzen(s, zahl)), i = ende - 1;
        else if (op == 'L' || op == 'B') {
            size_t n = op == 'L' ? Strom_Zeile(s, b, zahl) : Strom_lesen(s, b, zahl);
            r += "[" + std::string(b, n) + (op == 'L' && b[n] ? "?]" : "]"); // a line with its zero byte
            EXPECT_EQ(std::string(b + zahl, 64 - zahl), std::string(64 - zahl, '#')) << "past the buffer: " << schritte;
            i = ende - 1;
        }
    }
    return r;
}

TEST(Strom, Schritte)
{
    constexpr auto B = Strommodus::lesen_binaer, T = Strommodus::lesen_text;
    const struct { std::string text; Strommodus modus; std::string schritte, erwartet; } faelle[] = {
        {Gemischt, B, "Refp", Gemischt + "Ef<18>"},
        // text mode: CR LF read as LF, 0x1A ends the file for good, positions are file offsets
        {Gemischt, T, "Rers17er", std::string("a\nb\rc\n\0\xFF\r\nx", 11) + "E$0eh"},
        {"ab\r\ncd\r\ne", T, "rrrprrrpRs4R", "ab\n<4>cd\n<8>e0cd\ne"}, {"ab\ncd\ne", T, "rrrprrrpRs3R", "ab\n<3>cd\n<6>e0cd\ne"},
        {"1\n2\r\n\x1A", T, "B8e", "[1\n2\n]E"}, {"abcdef\nxy", T, "L4L5L2L8L8", "[abc][def\n][x][y][]"},
        // setting back inside the block finds a CR before the place the stream last looked for one
        {"ab\r\ncd\r\nef\rg", T, "L64pL64ps0L64pL64ps0L64ps4L64pL64ps9L64pe",
         "[ab\n]<4>[cd\n]<8>0[ab\n]<4>[cd\n]<8>0[ab\n]<4>0[cd\n]<8>[ef\rg]<12>0[f\rg]<12>E"},
        // a byte taken back before any read waits beyond the block; taking back clears the end
        {"xyz", B, "zqrrzxprrz!prrrezzerz$", "1qx1<0>xy1<1>!z$E1ez0"}, {"xyz", T, "zqrrzxprrz!prrrezzerz$", "1qx1<0>xy1<1>!z$E1ez0"},
    };
    kt::Tempordner d;
    for (const auto &f : faelle) {
        kt::Datei_schreiben(d / "f", f.text);
        Plattform_Strom *s = Strom_oeffnen((d / "f").c_str(), f.modus);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(Schritte(s, f.schritte), f.erwartet) << f.schritte;
        EXPECT_EQ(Strom_schliessen(s), 0);
    }
    EXPECT_EQ(Strom_oeffnen((d / "fehlt").c_str(), Strommodus::lesen_binaer), nullptr);
    EXPECT_EQ(Strom_oeffnen(nullptr, Strommodus::lesen_text), nullptr);
    EXPECT_EQ(Strom_schliessen(nullptr), 0);
}

TEST(Datei, LadenErsetzenPruefen)
{
    kt::Tempordner d;
    std::string pfad = d / "ziel";
    unsigned char *daten = nullptr;
    uint32_t laenge = 99;
    for (const std::string &inhalt : {Gemischt, std::string()}) { // empty files too, with a buffer
        ASSERT_EQ(Datei_ersetzen(pfad.c_str(), inhalt.data(), inhalt.size()), Dateistatus::ok);
        ASSERT_EQ(Datei_laden(pfad.c_str(), &daten, &laenge), Dateistatus::ok);
        EXPECT_EQ(std::string(reinterpret_cast<char *>(daten), laenge) + kt::Datei_lesen(pfad), inhalt + inhalt);
        EXPECT_NE(daten, nullptr);
        std::free(daten);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(d.pfad()), fs::directory_iterator()), 1); // no temporary file left
    EXPECT_EQ(Datei_laden((d / "fehlt").c_str(), &daten, &laenge), Dateistatus::nicht_lesbar);
    EXPECT_EQ(Datei_laden(d.pfad().string().c_str(), &daten, &laenge), Dateistatus::nicht_lesbar);
    EXPECT_EQ(Datei_ersetzen((d / "fehlt/ziel").c_str(), "x", 1), Dateistatus::nicht_anlegbar);
    // A name starting with '/' without a drive (a POSIX program's under an emulation) is saved over too.
    std::string ohne = fs::current_path().string() + "/kr_ersetzt";
    ohne = ohne.substr(ohne.find(':') + 1);
    std::replace(ohne.begin(), ohne.end(), '\\', '/');
    for (size_t n : {2, 1})
        EXPECT_EQ(Datei_ersetzen(ohne.c_str(), "ab", n), Dateistatus::ok) << ohne;
    EXPECT_EQ(kt::Datei_lesen(ohne), "a");
    fs::remove(ohne);

    EXPECT_TRUE(Datei_existiert(pfad.c_str()) && Datei_beschreibbar(pfad.c_str()));
    fs::permissions(pfad, fs::perms::owner_read);
    EXPECT_TRUE(Datei_existiert(pfad.c_str()) && Datei_existiert(d.pfad().string().c_str()));
    EXPECT_FALSE(Datei_beschreibbar(pfad.c_str()) || Datei_existiert((d / "fehlt").c_str()) ||
                 Datei_beschreibbar((d / "fehlt").c_str()));
}

} // namespace
