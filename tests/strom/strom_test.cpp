// The readers' stream, copying its source in pieces, against the exported one; block streams across blocks.
#include "handle/strom.h"
#include "platform/plattform.h"
#include "testhilfe.h"

#include <tuple>

namespace {

auto Nach(int c, const Zugriffshandle *h)
{
    return std::tuple(c, h->position, h->zeile, h->spalte, h->letztes_zeichen);
}

// Both read, taking back every third character; at step 700 both go to `wohin` (-1: not) after a LF.
void Gleich_lesen(Zugriffshandle *mit_leser, Zugriffshandle *exportiert, int wohin)
{
    strom::Leser l(mit_leser);
    for (int schritt = 0; schritt < 100000; ++schritt) {
        if (schritt == 700 && wohin >= 0) {
            mit_leser->letztes_zeichen = exportiert->letztes_zeichen = '\n';
            EXPECT_EQ(KR_positionieren(mit_leser, wohin), KR_positionieren(exportiert, wohin));
        }
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
KT_ALLE_QUELLEN(Leser);

// Through, back before the piece, back to 0, an object shorter than laenge (-2); comments at every offset.
TEST_P(Leser, LiestWieDieExportierteFunktion)
{
    std::string text = "#x\nstart\n";
    for (int i = 0; text.size() < 6000; ++i)
        text += "#" + std::string(i % 17, 'c') + "\n#\n" + std::string(i % 11, 'x') + (i % 2 ? "\r\n" : "\n  t\t# no\n");
    text += "# last";
    for (int wohin : {-1, 37, 0, -2}) {
        if (wohin == -2 && GetParam() != kt::Quelle::Objekt)
            continue;
        kt::Testhandle a(GetParam(), text), b(GetParam(), text);
        a->laenge += wohin == -2 ? 300 : 0;
        b->laenge += wohin == -2 ? 300 : 0;
        Gleich_lesen(a.get(), b.get(), wohin);
        EXPECT_EQ(a->position, static_cast<int32_t>(text.size()));
    }
}

// Lines in n-byte chunks, in place or copied, against bytes: CR LF, CR, NUL, 0x1A round 65536, both modes.
TEST(Blockstrom, ZeilenUeberDieBlockgrenze)
{
    kt::Tempordner d;
    for (size_t vorher : {65533u, 65534u, 65535u, 65536u})
        for (std::string ende : {std::string("\r\n"), std::string("\r"), std::string("\n\r"), std::string("\r\r\n"),
                                 std::string("x\0y\n", 4), std::string("x\x1Ay\n")})
            for (Strommodus modus : {Strommodus::lesen_text, Strommodus::lesen_binaer})
                for (size_t n : {520u, 7u}) {
                    std::string text(vorher, 'a');
                    for (size_t i = 100; i < vorher; i += 97)
                        text[i] = i % 3 ? '\n' : '\r';
                    kt::Datei_schreiben(d / "f", text + ende + "tail\r\nend");
                    Plattform_Strom *a = Strom_oeffnen((d / "f").c_str(), modus), *b = Strom_oeffnen((d / "f").c_str(), modus);
                    std::vector<char> x(n);
                    int anzahl = 0;
                    for (size_t k = 1; k > 0 && anzahl < 100000; ++anzahl) {
                        const char *z = anzahl % 2 ? nullptr : Strom_Zeile_ansehen(a, n, &k);
                        std::string gesehen = z ? std::string(z, k) : std::string(x.data(), k = Strom_Zeile(a, x.data(), n));
                        EXPECT_TRUE(!z || (k < n && z[k - 1] == '\n'));
                        std::string erwartet;
                        for (int c; erwartet.size() + 1 < n && (c = Strom_Zeichen(b)) >= 0 && (erwartet += static_cast<char>(c), c != '\n');)
                            ;
                        ASSERT_EQ(gesehen, erwartet) << vorher << " " << ende.size() << " chunk " << anzahl;
                        ASSERT_EQ(Strom_Position(a), Strom_Position(b));
                        ASSERT_EQ(Strom_Ende(a), Strom_Ende(b));
                    }
                    EXPECT_GT(anzahl, 100);
                    Strom_schliessen(a);
                    Strom_schliessen(b);
                }
}

TEST(Blockstrom, SchreibenKleinUndGross)
{
    kt::Tempordner d;
    Plattform_Strom *s = Strom_oeffnen((d / "aus").c_str(), Strommodus::schreiben_binaer);
    std::string erwartet;
    for (size_t n : {6u, 65530u, 10u, 200000u, 1u}) { // line ends and 0x1A go out as they stand
        std::string teil = n == 6 ? "1\n2\r\n\x1A" : std::string(n, static_cast<char>('a' + n % 26));
        EXPECT_EQ(Strom_schreiben(s, teil.data(), teil.size()), n);
        EXPECT_EQ(Strom_Position(s), static_cast<int64_t>((erwartet += teil).size()));
    }
    EXPECT_EQ(Strom_schliessen(s), 0);
    EXPECT_EQ(kt::Datei_lesen(d / "aus"), erwartet);
}

} // namespace
