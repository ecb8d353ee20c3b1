// Owners of access handles, and editing blocks with the C++ layer: removing,
// replacing and appending blocks, block texts, saving.
#include "korvan.hpp"
#include "testhilfe.h"

#include <string>

namespace {

// A memory object loaded from a file that holds the text.
kr::Zugriff Objekt(const kt::Tempordner &o, const std::string &text)
{
    kt::Datei_schreiben(o / "t.cfg", text);
    auto z = kr::Zugriff::Konfig_Datei_oeffnen(o / "t.cfg");
    EXPECT_TRUE(z) << z.fehler();
    return std::move(*z);
}

std::string Text(kr::Zugriff &z)
{
    auto t = z.text();
    EXPECT_TRUE(t) << t.fehler();
    return t ? *t : "<error>";
}

TEST(Zugriff, OeffnenUndFehler)
{
    kt::Tempordner o;
    kt::Datei_schreiben(o / "a.cfg", "[a]\nk: 1\n");
    auto objekt = kr::Zugriff::Konfig_Datei_oeffnen(o / "a.cfg");
    auto datei = kr::Zugriff::Datei_oeffnen(o / "a.cfg");
    ASSERT_TRUE(objekt && datei);
    EXPECT_EQ(Text(*datei), "[a]\nk: 1\n");

    auto fehlt = kr::Zugriff::Konfig_Datei_oeffnen(o / "fehlt.cfg");
    EXPECT_EQ(fehlt.fehler(), "cannot open " + (o / "fehlt.cfg") + ": the file cannot be opened or read");
    EXPECT_EQ(kr::Zugriff::Datei_oeffnen(o / "fehlt.cfg").fehler(), "cannot open " + (o / "fehlt.cfg"));
    EXPECT_EQ(kr::Zugriff::Konfig_Datei_oeffnen("").fehler(), "no valid path given");
    EXPECT_EQ(kr::Zugriff::Datei_oeffnen(std::string_view("a\0b", 3)).fehler(), "no valid path given");
}

TEST(Zugriff, VerschiebenUebergibtDenHandle)
{
    kt::Tempordner o;
    std::string text = "[a]\nk: 1\n";
    auto p = kr::Zugriff::Puffer(text);
    text.assign(text.size(), 'x'); // the buffer is a copy
    kr::Zugriff q = std::move(p);
    EXPECT_EQ(p.handle()->puffer, nullptr);
    EXPECT_EQ(Text(q), "[a]\nk: 1\n");

    kr::Zugriff r = Objekt(o, "[b]\n");
    uint16_t objekt = r.handle()->objekt;
    r = std::move(q); // closes the memory object, takes the buffer
    EXPECT_EQ(Text(r), "[a]\nk: 1\n");
    Zugriffshandle probe{};
    probe.objekt = objekt;
    probe.laenge = 1;
    EXPECT_EQ(KR_Zeichen_lesen(&probe), -1); // released
}

TEST(Zugriff, BlockNachNamen)
{
    auto z = kr::Zugriff::Puffer("[a]\nk: 1\n[Server]\nk: 2\n[server]\nk: 3\n");
    auto b = z.block("SERVER");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->zeile, 3);
    ASSERT_NE(b->eintrag("K"), nullptr);
    EXPECT_EQ(b->eintrag("K")->wert, "2");
    EXPECT_EQ(b->eintrag("x"), nullptr);
    EXPECT_EQ(z.block("serve").fehler(), "no block named \"serve\"");
}

TEST(Bearbeiten, EntfernenOderVerweigern)
{
    // Wherever the library's removal would not take exactly the block the
    // walk shows, nothing is changed.
    kt::Tempordner o;
    const std::string lang(41, 'n');
    const struct {
        std::string text;
        std::string name;
        std::string danach; // the text after the removal, or the refusal
        bool entfernt = true;
    } faelle[] = {
        {"[a]\nx: 1\n[b]\ny: 2\n", "A", "[b]\ny: 2\n"},
        {"; head\n[a]\n#c\n; d\nx: 1\n{1.2}\ny: 2", "a", "; head\n{1.2}\ny: 2"},
        {"[a]\r\nx: 1\r\n{1.2}\r\ny: 2\r\n", "1.2", "[a]\r\nx: 1\r\n"},
        {"[a]\rx\r[b]\ry\r", "a", "[b]\ry\r"},
        {"[a]\nx: 1\n", "b", "no block named \"b\"", false},
        {"[a]\nx: 1\n  [b]\ny: 2\n", "a",
         "cannot remove block \"a\" at line 1: the indented header at line 3 would go with it", false},
        {"[" + lang + "]\n", lang,
         "cannot remove block \"" + lang + "\" at line 1: the header search takes names of at most 40 characters",
         false},
        {"[" + lang + "]\n[b]\n", "b",
         "cannot remove block \"b\" at line 2: the header search does not reach it past an earlier header line",
         false},
        {"[x\n[abc]\nk: 1\n", "abc",
         "cannot remove block \"abc\" at line 2: the header search does not reach it past an earlier header line",
         false},
    };
    for (const auto &f : faelle) {
        kr::Zugriff objekt = Objekt(o, f.text);
        auto puffer = kr::Zugriff::Puffer(f.text);
        for (kr::Zugriff *z : {&objekt, &puffer}) {
            auto r = z->entfernen(f.name);
            EXPECT_EQ(r ? std::string() : r.fehler(), f.entfernt ? "" : f.danach) << f.text;
            EXPECT_EQ(Text(*z), f.entfernt ? f.danach : f.text);
        }
    }
    auto datei = kr::Zugriff::Datei_oeffnen(o / "t.cfg");
    ASSERT_TRUE(datei);
    EXPECT_EQ(datei->entfernen("abc").fehler(),
              "a file source is read-only; open the file with Konfig_Datei_oeffnen to edit it");
}

// The blocks and entries without line numbers, the first block named b left out.
std::string Ohne_b(kr::Zugriff &z, bool b_auslassen)
{
    std::string s;
    auto bloecke = z.bloecke();
    for (const kr::Block &b : *bloecke) {
        if (b_auslassen && b.name == "b") {
            b_auslassen = false;
            continue;
        }
        s += b.klammer + b.name + "\n";
        for (const kr::Eintrag &e : b.eintraege)
            s += e.name + "|" + e.text + "\n";
    }
    return s;
}

TEST(Bearbeiten, EntfernenNimmtGenauDenBlock)
{
    // Generated texts from a fixed seed: a removal either takes exactly the
    // block the walk shows, or is refused and changes nothing.
    const char *const stuecke[] = {"\n[a]", "\n[b]", "\n [b]", "\n[b", "\n{b}", "\nk: ", "\n#", "\n;",
                                   "\n", "\r", "\r\n", "\"", "v", "[", "\n\"x\n["};
    uint32_t zufall = 4711;
    int entfernt = 0, verweigert = 0;
    for (int n = 0; n < 300; ++n) {
        std::string text;
        for (int i = 0, laenge = n % 20 + 1; i < laenge; ++i) {
            zufall = zufall * 1103515245u + 12345u;
            text += stuecke[(zufall >> 16) % (sizeof stuecke / sizeof *stuecke)];
        }
        auto z = kr::Zugriff::Puffer(text);
        std::string erwartet = Ohne_b(z, true);
        auto r = z.entfernen("b");
        if (r) {
            ++entfernt;
            EXPECT_EQ(Ohne_b(z, false), erwartet) << testing::PrintToString(text);
        } else {
            verweigert += r.fehler() != "no block named \"b\"";
            EXPECT_EQ(Text(z), text) << testing::PrintToString(text);
        }
    }
    EXPECT_GT(entfernt, 50);
    EXPECT_GT(verweigert, 10);
}

TEST(Bearbeiten, ErsetzenUndAnhaengen)
{
    kt::Tempordner o;
    const struct {
        std::string text;
        const char *name;
        const char *block;
        std::string danach;
    } faelle[] = {
        {"[a]\nx: 1\n[b]\ny: 2\n", "a", "[a]\nx: 2\n", "[b]\ny: 2\n[a]\nx: 2\n"},
        {"[a]\nx: 1", "c", "{c}\n", "[a]\nx: 1\n{c}\n"},
        {"[a]\r\nx: 1\r\n", "a", "[a]\r\nx: 2", "[a]\r\nx: 2\r\n"},
        {"", "a", "[a]", "[a]\n"},
    };
    for (const auto &f : faelle) {
        kr::Zugriff z = Objekt(o, f.text);
        auto r = z.ersetzen(f.name, f.block);
        EXPECT_TRUE(r) << f.text << r.fehler();
        EXPECT_EQ(Text(z), f.danach) << f.text;
    }

    // A new memory object keeps its first line; its line end is the one used.
    auto neu = kr::Zugriff::anlegen();
    ASSERT_TRUE(neu);
    EXPECT_TRUE(neu->anhaengen("[c]\nk: 1"));
    EXPECT_EQ(Text(*neu), std::string("\x1a\0\r\n", 4) + "[c]\nk: 1\r\n");
    auto c = neu->block("c");
    ASSERT_TRUE(c);
    EXPECT_EQ(c->zeile, 2);

    EXPECT_EQ(neu->anhaengen("k: 1\n").fehler(),
              "a block text begins with its header line, '[' or '{' in its first byte");
    EXPECT_EQ(neu->ersetzen("c", " [d]\n").fehler(),
              "a block text begins with its header line, '[' or '{' in its first byte");
    auto puffer = kr::Zugriff::Puffer("[a]\n");
    EXPECT_EQ(puffer.ersetzen("a", "[a]\n").fehler(), "only a memory object can take new blocks");
    EXPECT_EQ(Text(puffer), "[a]\n");
}

TEST(Bearbeiten, BlocktextUndSetzen)
{
    auto z = kr::Zugriff::Puffer("[ one]\n  k: \"a b\" ; c\n; comment\n x=1\n\"q r\": 2\n");
    auto b = z.block(" one");
    ASSERT_TRUE(b);
    auto t = kr::Blocktext(*b);
    ASSERT_TRUE(t) << t.fehler();
    EXPECT_EQ(*t, "[ one]\nk: \"a b\" ; c\nx=1\n\"q r\": 2\n");

    // As `korvan set` would change one value and add another.
    EXPECT_TRUE(b->setzen("X", "  2 "));
    EXPECT_TRUE(b->setzen("neu", "\"v w\""));
    EXPECT_EQ(b->eintrag("x")->art, kr::Eintragsart::INI);
    EXPECT_EQ(b->eintrag("x")->wert, "2");
    EXPECT_EQ(b->eintrag("neu")->wert, "v w");
    EXPECT_EQ(b->eintrag("neu")->elementart, kr::Elementart::Zeichenkette);
    EXPECT_EQ(*kr::Blocktext(*b), "[ one]\nk: \"a b\" ; c\nx=2\n\"q r\": 2\nneu: \"v w\"\n");

    kr::Block namen;
    namen.klammer = '{';
    namen.name = "a]b\nc";
    namen.eintraege.push_back({kr::Eintragsart::INI, "#x", "1", {}, {}, {}, 0});
    EXPECT_EQ(*kr::Blocktext(namen), "{\"a]b*Nc\"}\n\"#x\"=1\n");

    EXPECT_EQ(b->setzen("k", "a\nb").fehler(), "the value of k holds a line end; write it as *N in a quoted string");
    EXPECT_EQ(b->setzen("a b*", "1").fehler(), "the entry name \"a b*\" cannot be written");
    // An open quoted string would take in the entry after it.
    namen.eintraege = {{kr::Eintragsart::Doppelpunkt, "k", "\"open", {}, {}, {}, 0},
                       {kr::Eintragsart::Doppelpunkt, "z", "2", {}, {}, {}, 0}};
    EXPECT_EQ(kr::Blocktext(namen).fehler(), "block \"a]b\nc\" would not read back as written");
    namen.name = "*N]";
    EXPECT_EQ(kr::Blocktext(namen).fehler(), "the block name \"*N]\" cannot be written");
    namen.klammer = '(';
    EXPECT_EQ(kr::Blocktext(namen).fehler(), "a block begins with '[' or '{'");
}

TEST(Bearbeiten, ZeichenketteSchreiben)
{
    EXPECT_EQ(*kr::Zeichenkette("a \"b\"\n\x1b"), "\"a *\"b*\"*N*E\"");
    EXPECT_EQ(*kr::Zeichenkette("**N *x"), "\"**N *x\"");
    for (const char *t : {"a*", "*\"", "*N", "*e", "*\n"})
        EXPECT_FALSE(kr::Zeichenkette(t)) << t;
    EXPECT_FALSE(kr::Zeichenkette(std::string_view("a\0", 2)));
}

TEST(Bearbeiten, Speichern)
{
    kt::Tempordner o;
    kr::Zugriff z = Objekt(o, "[a]\nx: 1\n[b]\ny: 2\n");
    ASSERT_TRUE(z.ersetzen("a", "[a]\nx: 3\n"));
    ASSERT_TRUE(z.speichern(o / "neu.cfg"));
    EXPECT_EQ(kt::Datei_lesen(o / "neu.cfg"), "[b]\ny: 2\n[a]\nx: 3\n");

    kt::Datei_schreiben(o / "fest.cfg", "alt");
    std::filesystem::permissions(o / "fest.cfg", std::filesystem::perms::owner_read);
    EXPECT_EQ(z.speichern(o / "fest.cfg").fehler(),
              "cannot save " + (o / "fest.cfg") + ": the file exists and is read-only");
    EXPECT_EQ(kt::Datei_lesen(o / "fest.cfg"), "alt");

    auto datei = kr::Zugriff::Datei_oeffnen(o / "neu.cfg");
    ASSERT_TRUE(datei);
    EXPECT_EQ(datei->speichern(o / "x.cfg").fehler(), "only a memory object can be saved");
    EXPECT_EQ(z.speichern("").fehler(), "no valid path given");
}

} // namespace
