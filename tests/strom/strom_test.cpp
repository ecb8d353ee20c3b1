// strom_test.cpp - the readers' character stream against the exported one,
// and the block streams of the platform layer against reading byte by byte.
#include "handle/strom.h"
#include "platform/plattform.h"
#include "testhilfe.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A text of about n bytes whose comment lines, CR LF pairs and runs of
// comment lines fall on every offset around the pieces a reader copies.
std::string Gemischter_Text(size_t n)
{
    std::string t = "start\n";
    for (int i = 0; t.size() < n; ++i) {
        switch (i % 5) {
        case 0: t += "# comment " + std::string(i % 17, 'c') + "\n"; break;
        case 1: t += "#\n#" + std::string(i % 7, 'd') + "\n"; break;
        case 2: t += "key" + std::to_string(i) + "=" + std::string(i % 23, 'v') + "\r\n"; break;
        case 3: t += "  text\t# not a comment\n"; break;
        default: t += std::string(i % 11, 'x') + "\n"; break;
        }
    }
    return t + "# last";
}

// What a read gave, and the handle's counts after it.
auto Nach(int c, const Zugriffshandle *h)
{
    return std::tuple(c, h->position, h->zeile, h->spalte, h->letztes_zeichen);
}

// Reads both handles to the end, the reader through one strom::Leser, the
// other through the exported calls; every third character is taken back
// and read again.  Calls `zwischendurch` on both handles at step 700.
template <typename F>
void Gleich_lesen(Zugriffshandle *mit_leser, Zugriffshandle *exportiert, F zwischendurch)
{
    strom::Leser l(mit_leser);
    for (int schritt = 0; schritt < 100000; ++schritt) {
        if (schritt == 700)
            zwischendurch(mit_leser, exportiert);
        int a = strom::Lesen(l), b = KR_Zeichen_lesen(exportiert);
        ASSERT_EQ(Nach(a, mit_leser), Nach(b, exportiert)) << "step " << schritt;
        if (a == -1)
            return;
        if (schritt % 3 == 2) {
            ASSERT_EQ(strom::Zuruecklesen(l), KR_Zeichen_ruecklesen(exportiert));
            ASSERT_EQ(Nach(0, mit_leser), Nach(0, exportiert)) << "take-back at step " << schritt;
        }
    }
    FAIL() << "no end";
}

class Leser : public kt::Quellentest {};

// Straight through; back to an offset before the current piece; and back to
// 0, where a '#' after a line feed read last opens a comment line.
TEST_P(Leser, LiestWieDieExportierteFunktion)
{
    std::string text = Gemischter_Text(6000);
    kt::Testhandle a(GetParam(), text), b(GetParam(), text);
    Gleich_lesen(a.get(), b.get(), [](Zugriffshandle *, Zugriffshandle *) {});
    kt::Testhandle c(GetParam(), text), d(GetParam(), text);
    Gleich_lesen(c.get(), d.get(), [](Zugriffshandle *x, Zugriffshandle *y) {
        EXPECT_EQ(KR_positionieren(x, 37), KR_positionieren(y, 37));
    });
    kt::Testhandle e(GetParam(), "#x\n" + text), f(GetParam(), "#x\n" + text);
    Gleich_lesen(e.get(), f.get(), [](Zugriffshandle *x, Zugriffshandle *y) {
        x->letztes_zeichen = y->letztes_zeichen = '\n';
        EXPECT_EQ(KR_positionieren(x, 0), KR_positionieren(y, 0));
    });
}

KT_ALLE_QUELLEN(Leser);

// A handle that claims more bytes than its memory object holds: the pieces
// cannot be copied, and each byte is read alone up to the object's end.
TEST(Leser, ObjektKuerzerAlsDieLaenge)
{
    std::string text = Gemischter_Text(500);
    Zugriffshandle a{}, b{};
    ASSERT_EQ(KR_Konfig_Datei_anlegen(&a), 0);
    ASSERT_EQ(KR_Konfig_Datei_anlegen(&b), 0);
    KR_Block_hinzufuegen(text.data(), static_cast<int>(text.size()), &a);
    KR_Block_hinzufuegen(text.data(), static_cast<int>(text.size()), &b);
    a.laenge += 300;
    b.laenge += 300;
    Gleich_lesen(&a, &b, [](Zugriffshandle *, Zugriffshandle *) {});
    EXPECT_EQ(a.position, static_cast<int32_t>(text.size()) + 4);
    KR_Konfig_Datei_schliessen(&a);
    KR_Konfig_Datei_schliessen(&b);
}

// --- block streams ---------------------------------------------------------

// Strom_Zeile as it was written first: byte by byte through Strom_Zeichen.
size_t Zeile_Byte_fuer_Byte(Plattform_Strom *s, char *ziel, size_t n)
{
    size_t i = 0;
    while (i + 1 < n) {
        int c = Strom_Zeichen(s);
        if (c < 0)
            break;
        ziel[i++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    ziel[i] = '\0';
    return i;
}

// A line as the preprocessor takes it: where the stream holds it, seen in
// place, else copied.
size_t Zeile_ansehen_oder_lesen(Plattform_Strom *s, char *ziel, size_t n)
{
    size_t k;
    if (const char *z = Strom_Zeile_ansehen(s, n, &k)) {
        EXPECT_LT(k, n);
        EXPECT_EQ(z[k - 1], '\n');
        std::memcpy(ziel, z, k);
        ziel[k] = '\0';
        return k;
    }
    return Strom_Zeile(s, ziel, n);
}

// Reads the file in chunks of n bytes both ways and compares every chunk,
// its count and the position after it; the number of chunks.
int Zeilen_vergleichen(const std::string &pfad, Strommodus modus, size_t n)
{
    Plattform_Strom *a = Strom_oeffnen(pfad.c_str(), modus);
    Plattform_Strom *b = Strom_oeffnen(pfad.c_str(), modus);
    EXPECT_TRUE(a && b);
    if (!a || !b)
        return 0;
    std::vector<char> x(n), y(n);
    int anzahl = 0;
    for (; anzahl < 100000; ++anzahl) {
        size_t ka = anzahl % 2 ? Strom_Zeile(a, x.data(), n) : Zeile_ansehen_oder_lesen(a, x.data(), n);
        size_t kb = Zeile_Byte_fuer_Byte(b, y.data(), n);
        EXPECT_EQ(ka, kb) << "chunk " << anzahl;
        EXPECT_EQ(std::string(x.data(), ka), std::string(y.data(), kb)) << "chunk " << anzahl;
        EXPECT_EQ(Strom_Position(a), Strom_Position(b)) << "chunk " << anzahl;
        EXPECT_EQ(Strom_Ende(a), Strom_Ende(b));
        if (ka != kb || ka == 0)
            break;
    }
    Strom_schliessen(a);
    Strom_schliessen(b);
    return anzahl;
}

// CR LF, lone CRs, NUL bytes and 0x1A on both sides of the first block's
// end (65536 bytes), in text and binary mode, in chunks of 520 and of 7.
TEST(Blockstrom, ZeilenUeberDieBlockgrenze)
{
    kt::Tempordner t;
    int fall = 0;
    for (size_t vorher : {65533u, 65534u, 65535u, 65536u}) {
        for (std::string ende : {std::string("\r\n"), std::string("\r"), std::string("\n\r"),
                                 std::string("\r\r\n"), std::string("x\0y\n", 4), std::string("x\x1Ay\n")}) {
            std::string text(vorher, 'a');
            for (size_t i = 100; i < vorher; i += 97)
                text[i] = i % 3 ? '\n' : '\r';
            text += ende;
            text += "tail\r\nend";
            std::string pfad = t / ("f" + std::to_string(fall++));
            kt::Datei_schreiben(pfad, text);
            for (size_t n : {520u, 7u}) {
                EXPECT_GT(Zeilen_vergleichen(pfad, Strommodus::lesen_text, n), 100) << pfad;
                EXPECT_GT(Zeilen_vergleichen(pfad, Strommodus::lesen_binaer, n), 100) << pfad;
            }
        }
    }
}

// Positioning back inside the block finds a CR that lies before the place
// where the stream last looked for one.
TEST(Blockstrom, SetzenZurueckInDenBlock)
{
    kt::Tempordner t;
    kt::Datei_schreiben(t / "f", "ab\r\ncd\r\nef\rg");
    Plattform_Strom *s = Strom_oeffnen((t / "f").c_str(), Strommodus::lesen_text);
    ASSERT_NE(s, nullptr);
    // Each step: the offset to set first (-1: none), the line read, the
    // position after it.
    const std::tuple<int, const char *, int64_t> schritte[] = {
        {-1, "ab\n", 4}, {-1, "cd\n", 8}, {0, "ab\n", 4}, {-1, "cd\n", 8}, {0, "ab\n", 4}, {4, "cd\n", 8},
        {-1, "ef\rg", 12}, {9, "f\rg", 12},
    };
    char z[64];
    for (const auto &[setzen, zeile, position] : schritte) {
        if (setzen >= 0) {
            EXPECT_EQ(Strom_setzen(s, setzen), 0);
        }
        EXPECT_EQ(Strom_Zeile(s, z, sizeof z), std::strlen(zeile));
        EXPECT_STREQ(z, zeile);
        EXPECT_EQ(Strom_Position(s), position) << zeile;
    }
    EXPECT_TRUE(Strom_Ende(s));
    Strom_schliessen(s);
}

TEST(Blockstrom, ZuruecklegenUndPosition)
{
    kt::Tempordner t;
    kt::Datei_schreiben(t / "f", "xyz");
    for (Strommodus modus : {Strommodus::lesen_binaer, Strommodus::lesen_text}) {
        Plattform_Strom *s = Strom_oeffnen((t / "f").c_str(), modus);
        ASSERT_NE(s, nullptr);
        // Before any read the byte waits beyond the block.
        EXPECT_EQ(Strom_zurueck(s, 'q'), 1);
        EXPECT_EQ(Strom_Zeichen(s), 'q');
        EXPECT_EQ(Strom_Zeichen(s), 'x');
        EXPECT_EQ(Strom_zurueck(s, 'x'), 1);
        EXPECT_EQ(Strom_Position(s), 0);
        EXPECT_EQ(Strom_Zeichen(s), 'x');
        EXPECT_EQ(Strom_Zeichen(s), 'y');
        EXPECT_EQ(Strom_zurueck(s, '!'), 1);
        EXPECT_EQ(Strom_Position(s), 1);
        EXPECT_EQ(Strom_Zeichen(s), '!');
        EXPECT_EQ(Strom_Zeichen(s), 'z');
        EXPECT_EQ(Strom_Zeichen(s), -1);
        EXPECT_TRUE(Strom_Ende(s));
        EXPECT_EQ(Strom_zurueck(s, 'z'), 1); // taking back clears the end
        EXPECT_FALSE(Strom_Ende(s));
        EXPECT_EQ(Strom_Zeichen(s), 'z');
        EXPECT_EQ(Strom_zurueck(s, -1), 0);
        Strom_schliessen(s);
    }
}

TEST(Blockstrom, SchreibenKleinUndGross)
{
    kt::Tempordner t;
    Plattform_Strom *s = Strom_oeffnen((t / "aus").c_str(), Strommodus::schreiben_binaer);
    ASSERT_NE(s, nullptr);
    std::string erwartet;
    // Line ends and 0x1A go out as they stand: no line ends are added.
    for (size_t n : {6u, 65530u, 10u, 200000u, 1u}) {
        std::string teil = n == 6 ? "1\n2\r\n\x1A" : std::string(n, static_cast<char>('a' + n % 26));
        EXPECT_EQ(Strom_schreiben(s, teil.data(), teil.size()), n);
        erwartet += teil;
        EXPECT_EQ(Strom_Position(s), static_cast<int64_t>(erwartet.size()));
    }
    EXPECT_EQ(Strom_schliessen(s), 0);
    EXPECT_EQ(kt::Datei_lesen(t / "aus"), erwartet);
}

} // namespace
