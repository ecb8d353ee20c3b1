// Walking blocks and entries with the C++ layer, over all three sources, on
// texts where the raw readers skip lines or headers.
#include "korvan.hpp"
#include "testhilfe.h"

#include <string>

namespace {

using kt::Testhandle;

// Every block and entry in a short form: "[name] @line", then per entry
// "  line name: text" or "  line name=text".
std::string Gliederung(Zugriffshandle *h)
{
    kr::Blockleser leser(h);
    std::string s;
    while (auto b = leser.naechster()) {
        s += b->klammer + b->name + (b->klammer == '[' ? "]" : "}") + " @" + std::to_string(b->zeile) + "\n";
        for (const kr::Eintrag &e : b->eintraege) {
            s += "  " + std::to_string(e.zeile) + " " + e.name +
                 (e.art == kr::Eintragsart::INI ? "=" : ": ") + e.text + "\n";
        }
    }
    EXPECT_EQ(leser.fehler(), "");
    return s;
}

class Bloecke : public kt::Quellentest {};
KT_ALLE_QUELLEN(Bloecke);

TEST_P(Bloecke, KeineZeileUndKeinKopfGehtVerloren)
{
    const struct {
        std::string text;
        std::string gliederung;
    } faelle[] = {
        // A value right before the next header; INI entries before a header.
        {"[a]\nx: 1\n[b]\ny: 2\n", "[a] @1\n  2 x: 1\n[b] @3\n  4 y: 2\n"},
        {"[a]\nk=v\n  [b]\n\tk2=v2\n", "[a] @1\n  2 k=v\n[b] @3\n  4 k2=v2\n"},
        // Lines that are no entry do not end the block.
        {"[a]\nk=1\njust words\n\"q\" w\n\"d\" : 3\n; c\n\nk2: 2\n,\n]x: 3\n",
         "[a] @1\n  2 k=1\n  8 k2: 2\n  10 x: 3\n"},
        // Blanks before ':' or '=' make no entry, as for the raw readers.
        {"[a]\nk = 1\nk : 2\nk=3", "[a] @1\n  4 k=3\n"},
        // Quoted names, directly followed by ':' or '='.
        {"[a]\n\"a b\": 1\n\"c\"=2\n", "[a] @1\n  2 a b: 1\n  3 c=2\n"},
        // Line ends of every kind, and empty lines counted.
        {"[a]\rx: 1\ry=2\r\r[b]\rz: 3", "[a] @1\n  2 x: 1\n  3 y=2\n[b] @5\n  6 z: 3\n"},
        {"[a]\n\rx: 1\n\r\n\ry: 2\n\r[b]", "[a] @1\n  2 x: 1\n  4 y: 2\n[b] @5\n"},
        // Text before the first header belongs to no block; a class header.
        {"k: 0\n[a]\nk: 1", "[a] @2\n  3 k: 1\n"},
        {"  [a]\nk: 0\n {12.3}\nk: 1", "{12.3} @3\n  4 k: 1\n"},
        {"no header\nk: 1\n", ""},
        // Header names: blanks kept, the rest of the line ignored, a quoted
        // name decoded, no closing bracket needed.
        {"[ server one ] ; x\n[\"a]*\"b\"] rest\n[x\n{y", "[ server one ] @1\n[a]\"b] @2\n[x] @3\n{y} @4\n"},
        // Comment lines count as lines, a CR inside one too; '#' after a CR
        // alone, after LF CR or in the first byte of the text is an ordinary
        // character.
        {"[a]\n#k: hidden\nx: 1\n#[b]\ny: 2\n", "[a] @1\n  3 x: 1\n  5 y: 2\n"},
        {"[a]\r#k: 1", "[a] @1\n  2 #k: 1\n"},
        {"[a]\n# a\rb\nx: 1", "[a] @1\n  4 x: 1\n"},
        {"[a]\n#c\n\r#k: 1", "[a] @1\n  3 #k: 1\n"},
        {"[a]\n\r#k: 1", "[a] @1\n  2 #k: 1\n"},
        {"#x\n[a]\n k: 1 # not a comment", "[a] @2\n  3 k: 1 # not a comment\n"},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), f.text);
        EXPECT_EQ(Gliederung(h.get()), f.gliederung) << f.text;
    }
}

TEST_P(Bloecke, WerteJederLaenge)
{
    const std::string lang(1000, 'v'), name(1000, 'n');
    Testhandle h(GetParam(), "[" + name + "]\n" + name + ": " + lang + "\nq: \"" + lang + "*\"\"\nw=" + lang + " x\n{k}\n");
    kr::Blockleser leser(h.get());
    auto b = leser.naechster();
    ASSERT_TRUE(b && b->eintraege.size() == 3u);
    EXPECT_EQ(b->name, name);
    EXPECT_EQ(b->eintraege[0].name, name);
    EXPECT_EQ(b->eintraege[0].wert, lang);
    EXPECT_EQ(b->eintraege[1].wert, lang + "\"");
    EXPECT_EQ(b->eintraege[1].text, "\"" + lang + "*\"\"");
    EXPECT_EQ(b->eintraege[2].element, lang);
    EXPECT_EQ(b->eintraege[2].wert, lang + " x");
    auto k = leser.naechster(); // the next header is found behind them
    ASSERT_TRUE(k);
    EXPECT_EQ(k->name, "k");
}

TEST_P(Bloecke, WertAlsTextElementUndWert)
{
    const struct {
        const char *zeile;
        const char *text;
        const char *element;
        kr::Elementart art;
        const char *wert;
    } faelle[] = {
        {"k: \"a b\"  \t", "\"a b\"", "a b", kr::Elementart::Zeichenkette, "a b"},
        {"k:\t a b ", "a b", "a", kr::Elementart::Wort, "a b"},
        {"k: \"a\" b", "\"a\" b", "a", kr::Elementart::Zeichenkette, "\"a\" b"},
        {"k: \"x*Ny*Ez\"", "\"x*Ny*Ez\"", "x\ny\x1bz", kr::Elementart::Zeichenkette, "x\ny\x1bz"},
        {"k: ; nothing", "; nothing", "", kr::Elementart::keins, "; nothing"},
        {"k:", "", "", kr::Elementart::keins, ""},
        {"k: \"open", "\"open", "open", kr::Elementart::Zeichenkette, "open"},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), std::string("[a]\n") + f.zeile + "\n");
        kr::Blockleser leser(h.get());
        auto b = leser.naechster();
        ASSERT_TRUE(b && b->eintraege.size() == 1) << f.zeile;
        const kr::Eintrag &e = b->eintraege[0];
        EXPECT_EQ(e.text, f.text) << f.zeile;
        EXPECT_EQ(e.element, f.element) << f.zeile;
        EXPECT_EQ(e.elementart, f.art) << f.zeile;
        EXPECT_EQ(e.wert, f.wert) << f.zeile;
    }
}

TEST_P(Bloecke, ZeichenketteUeberMehrereZeilen)
{
    // A quoted string takes in the following lines up to its closing quote,
    // but never a header line.
    Testhandle h(GetParam(), "[a]\nk: \"x\n; y\n\nz\" rest\nn: 1\nm: \"open\n[b]\nq: 2\n");
    kr::Blockleser leser(h.get());
    auto a = leser.naechster();
    ASSERT_TRUE(a);
    ASSERT_EQ(a->eintraege.size(), 3u);
    EXPECT_EQ(a->eintraege[0].element, "x\n; y\n\nz");
    EXPECT_EQ(a->eintraege[0].text, "\"x\n; y\n\nz\" rest");
    EXPECT_EQ(a->eintraege[1].name, "n");
    EXPECT_EQ(a->eintraege[1].zeile, 6);
    EXPECT_EQ(a->eintraege[2].wert, "open");
    auto b = leser.naechster();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->name, "b");
    EXPECT_EQ(b->zeile, 8);
    ASSERT_EQ(b->eintraege.size(), 1u);
    EXPECT_EQ(b->eintraege[0].zeile, 9);
}

TEST_P(Bloecke, NachDemLesenBeginntDerNaechsteGangVonVorn)
{
    // Raw reading in between does not disturb the next walk.
    Testhandle h(GetParam(), "[a]\nx: 1\n\n#c\n[b]\ny: 2\n");
    const std::string erwartet = "[a] @1\n  2 x: 1\n[b] @5\n  6 y: 2\n";
    EXPECT_EQ(Gliederung(h.get()), erwartet);
    EXPECT_EQ(KR_Abschnitt_finden("b", h.get()), '[');
    EXPECT_EQ(Gliederung(h.get()), erwartet);
}

TEST(Bloecke, JedeQuelleGibtDasSelbe)
{
    // Short texts of the pieces that matter, from a fixed seed: the three
    // sources give the same blocks, entries and values.
    const char *const stuecke[] = {"\n[a]", "\n{b", "\nk: ", "\nk=", "\n k: ", "\n#", "\n;", "\n", "\r",
                                   "\r\n", "\n\r", "\"x y\"", "\"", " ", "*N", "*\"", "v", ":", "=", "]"};
    uint32_t zufall = 12345;
    for (int n = 0; n < 300; ++n) {
        std::string text;
        for (int i = 0, laenge = n % 30 + 1; i < laenge; ++i) {
            zufall = zufall * 1103515245u + 12345u;
            text += stuecke[(zufall >> 16) % (sizeof stuecke / sizeof *stuecke)];
        }
        std::string ergebnis[3];
        for (kt::Quelle q : {kt::Quelle::Puffer, kt::Quelle::Objekt, kt::Quelle::Datei}) {
            Testhandle h(q, text);
            kr::Blockleser leser(h.get());
            std::string &s = ergebnis[static_cast<int>(q)];
            while (auto b = leser.naechster()) {
                s += b->klammer + b->name + "@" + std::to_string(b->zeile) + "\n";
                for (const kr::Eintrag &e : b->eintraege)
                    s += std::to_string(e.zeile) + e.name + "|" + e.text + "|" + e.element + "|" + e.wert + "\n";
            }
        }
        EXPECT_EQ(ergebnis[0], ergebnis[1]) << testing::PrintToString(text);
        EXPECT_EQ(ergebnis[0], ergebnis[2]) << testing::PrintToString(text);
    }
}

TEST(Bloecke, HandleOhneQuelle)
{
    Zugriffshandle h{};
    kr::Blockleser leser(&h);
    EXPECT_FALSE(leser.naechster());
    EXPECT_EQ(leser.fehler(), "the handle has no text to read");
    EXPECT_FALSE(kr::Blockleser(nullptr).naechster());
}

} // namespace
