// Handle owners and editing with the C++ layer: an edit changes only its own lines or is refused.
#include "korvan.hpp"
#include "testhilfe.h"

#include <functional>

namespace {

namespace fs = std::filesystem;

kt::Tempordner &Ordner()
{
    static kt::Tempordner o;
    return o;
}

kr::Zugriff Objekt(const std::string &text)
{
    kt::Datei_schreiben(Ordner() / "t.cfg", text);
    auto z = text.empty() ? kr::Zugriff::leer() : kr::Zugriff::Konfig_Datei_oeffnen(Ordner() / "t.cfg");
    EXPECT_TRUE(z) << z.fehler();
    return std::move(*z);
}

std::string Text(kr::Zugriff &z)
{
    auto t = z.text();
    return t ? *t : "!" + t.fehler();
}

std::string Ersetzt(std::string s, const std::string &alt, const std::string &neu)
{
    return s.replace(s.find(alt), alt.size(), neu);
}

using Bearbeitung = std::function<kr::Ergebnis<>(kr::Zugriff &)>;
Bearbeitung Setzen(std::string b, std::string n, std::string w, std::optional<kr::Eintragsart> a = {})
{
    return [=](kr::Zugriff &z) { return z.wert_setzen(b, n, w, a); };
}
Bearbeitung Loeschen(std::string b, std::string n = "")
{
    return [=](kr::Zugriff &z) -> kr::Ergebnis<> {
        auto r = n.empty() ? z.block_loeschen(b) : z.eintrag_loeschen(b, n);
        return !r ? kr::Fehler{r.fehler()} : !*r ? kr::Fehler{"missing"} : kr::Ergebnis<>{};
    };
}
Bearbeitung Entfernen(std::string b) { return [=](kr::Zugriff &z) { return z.entfernen(b); }; }
Bearbeitung Ersetzen(std::string b, std::string t) { return [=](kr::Zugriff &z) { return z.ersetzen(b, t); }; }

const std::string Datei = "; settings\r\n[main]\r\n  width: 80\r\n  ; the height follows\r\n  height:\t24\r\n\r\n"
                          "; the colours\r\n[colours]\r\nfg=\"light grey\"\r\nbg=black ; for now\r\n\r\n";

TEST(Bearbeiten, NurDieEigenenZeilenOderNichts)
{
    const std::string lang(41, 'n'), kein = "cannot remove block \"", nicht = "\" at line 2: the header search does not reach "
                                                                              "it past an earlier header line";
    const struct {
        std::string text;
        Bearbeitung bearbeitung;
        std::string danach; // the whole text after the edit, or "!" and the refusal
        bool auch_puffer = false;
    } faelle[] = {
        {Datei, Setzen("MAIN", "Width", "132"), Ersetzt(Datei, "width: 80", "width: 132")},
        {Datei, Setzen("colours", "fg", "white"), Ersetzt(Datei, "light grey", "white")}, // quoted stays quoted
        // A new entry takes the form and indentation of the last; quoted where it must be.
        {Datei, Setzen("main", "depth", "8"), Ersetzt(Datei, "24\r\n", "24\r\n  depth:\t8\r\n")},
        {Datei, Setzen("colours", "x", " two\nlines"), Ersetzt(Datei, "now\r\n", "now\r\nx=\" two*Nlines\"\r\n")},
        {Datei, Setzen("12.3", "colour", "red"), Datei + "{12.3}\r\ncolour=red\r\n"},
        {Datei, Loeschen("main", "width"), Ersetzt(Datei, "  width: 80\r\n", "")},
        {Datei, Loeschen("main"), Ersetzt(Datei, "[main]\r\n  width: 80\r\n  ; the height follows\r\n  height:\t24\r\n", "")},
        // A text without a final line end keeps without one.
        {"[a]\nx=1", Setzen("a", "y", "2"), "[a]\nx=1\ny=2"}, {"[a]", Setzen("a", "y", "2"), "[a]\ny: 2"},
        {"[a]\nx=1", Setzen("b", "y", ""), "[a]\nx=1\n[b]\ny=\n"}, {"[a]\r\nx=1\r\ny=2", Loeschen("a", "y"), "[a]\r\nx=1"},
        {"[a]\nx: \"1\n2\"\ny: 3\n", Loeschen("a", "x"), "[a]\ny: 3\n"},
        {"[a]\nx: \"1\n2\" \ny: 3\n", Setzen("a", "x", "4"), "[a]\nx: \"4\" \ny: 3\n"},
        {"[a]\nx:\n", Setzen("a", "x", "1"), "[a]\nx:1\n"},
        {"[a]\n", Setzen("a", "b c", "1", kr::Eintragsart::INI), "[a]\n\"b c\"=1\n"},
        {"", Setzen("a b", "k", "v"), "[a b]\nk: v\n"},
        {"[a]\nx: 1\n", Setzen("a", "x", "*\n"), "!the edit would not read back as asked"},
        {"[a]\nx: 1\n", Setzen("a", "", "1"), "!an entry needs a name"},
        {"[a]\nx: 1\n", Setzen("a", "b c*", "1"), "!the entry name \"b c*\" cannot be written"},
        {"[a]\nx: 1\n", Setzen("a]*", "y", "1"), "!the block name \"a]*\" cannot be written"},
        {"[a]\nx: 1\n", Loeschen("c"), "!missing"}, {"[a]\nx: 1\n", Loeschen("a", "y"), "!missing"},
        {"[a]\n", [](kr::Zugriff &z) { return z.block_anfuegen("\"x\n", '('); }, "!a block begins with '[' or '{'"},
        // The library's removal must take exactly the block the walk shows.
        {"[a]\nx: {1\n[b]\ny: 2\n", Entfernen("A"), "[b]\ny: 2\n", true},
        {"; head\n[a]\n#c\n; d\nx: 1\n{1.2}\ny: 2", Entfernen("a"), "; head\n{1.2}\ny: 2", true},
        {"[a]\r\nx: 1\r\n{1.2}\r\ny: 2\r\n", Entfernen("1.2"), "[a]\r\nx: 1\r\n", true},
        {"[a]\nx: 1\n", Entfernen("b"), "!no block named \"b\"", true},
        {"[a]\nx: 1\n  [b]\ny: 2\n", Entfernen("a"), "!" + kein + "a\" at line 1: the indented header at line 3 would go with it", true},
        {"[" + lang + "]\n", Entfernen(lang),
         "!" + kein + lang + "\" at line 1: the header search takes names of at most 40 characters", true},
        {"[" + lang + "]\n[b]\n", Entfernen("b"), "!" + kein + "b" + nicht, true},
        {"[x\n[abc]\nk: 1\n", Entfernen("abc"), "!" + kein + "abc" + nicht, true},
        {"[x\n[b]\nk: 1\n[b]\n", Entfernen("b"), "!" + kein + "b" + nicht, true}, // it finds the second
        {"[a]\nx: 1\n[b]\ny: 2\n", Ersetzen("a", "[a]\nx: 2\n"), "[b]\ny: 2\n[a]\nx: 2\n"},
        {"[a]\nx: 1", Ersetzen("c", "{c}\n"), "[a]\nx: 1\n{c}\n"}, {"[a]\r\nx: 1\r\n", Ersetzen("a", "[a]\r\nx: 2"), "[a]\r\nx: 2\r\n"},
        {"", Ersetzen("a", "[a]"), "[a]\n"},
        {"[c]\n", Ersetzen("c", " [d]\n"), "!a block text begins with its header line, '[' or '{' in its first byte"},
    };
    for (const auto &f : faelle) {
        SCOPED_TRACE(f.text);
        kr::Zugriff objekt = Objekt(f.text), puffer = kr::Zugriff::Puffer(f.text);
        for (kr::Zugriff *z : {&objekt, &puffer}) {
            if (z == &puffer && !f.auch_puffer)
                continue;
            auto r = f.bearbeitung(*z);
            EXPECT_EQ(r ? Text(*z) : "!" + r.fehler(), f.danach);
            EXPECT_EQ(r || Text(*z) == f.text, true);
        }
    }
    auto puffer = kr::Zugriff::Puffer("[a]\n");
    EXPECT_EQ(puffer.wert_setzen("a", "x", "2").fehler(), "only a memory object can be edited; open the file with Konfig_Datei_oeffnen");
    EXPECT_EQ(puffer.ersetzen("a", "[a]\n").fehler(), "only a memory object can take new blocks");
    EXPECT_EQ(kr::Zugriff::Datei_oeffnen(Ordner() / "t.cfg")->entfernen("abc").fehler(),
              "a file source is read-only; open the file with Konfig_Datei_oeffnen to edit it");
    // A new memory object keeps its first line; its line end is the one used.
    auto neu = kr::Zugriff::anlegen();
    ASSERT_TRUE(neu && neu->anhaengen("[c]\nk: 1"));
    EXPECT_EQ(Text(*neu), std::string("\x1a\0\r\n", 4) + "[c]\nk: 1\r\n");
    EXPECT_EQ(neu->block("c")->zeile, 2);
    EXPECT_EQ(neu->anhaengen("k: 1\n").fehler(), "a block text begins with its header line, '[' or '{' in its first byte");
}

// Each entry set to another value and back (by value, or by text where not its own writing) gives the bytes.
TEST(Bearbeiten, HinUndZurueckGibtDieBytes)
{
    std::vector<std::string> texte;
    for (const auto &d : fs::recursive_directory_iterator(fs::path(__FILE__).parent_path() / ".." / ".." / "examples"))
        if (d.path().extension() == ".cfg")
            texte.push_back(kt::Datei_lesen(d.path().string()));
    EXPECT_GE(texte.size(), 3u);
    const std::string alle = "text before the headers\n[s0]\n  k0:\n\tk1: 1\nname2:\ta b\n; note\n# hash\nkey = value\n\n  ;x\n"
                             "k3=\"quoted\"\n\"q n\"=*x\n[a b1]\nk0: \"x*Ny\"\n  k1=v ; c\nk2:\"a\" b\n{1.2}\nk0: \"a b\" \n";
    texte.push_back(alle);
    texte.push_back("");
    for (char c : alle.substr(0, alle.size() - 1))
        texte.back() += c == '\n' ? std::string("\r\n") : std::string(1, c);
    size_t eintraege = 0;
    for (const std::string &text : texte) {
        SCOPED_TRACE(text);
        kr::Zugriff z = Objekt(text);
        auto bloecke = z.bloecke();
        for (const kr::Block &b : *bloecke) {
            for (const kr::Eintrag &e : b.eintraege) {
                if (z.block(b.name)->zeile != b.zeile || b.eintrag(e.name) != &e)
                    continue; // only the first of a name can be reached
                ASSERT_TRUE(z.wert_setzen(b.name, e.name, "other value"));
                EXPECT_EQ(z.block(b.name)->eintrag(e.name)->wert, "other value");
                auto q = kr::Zeichenkette(e.wert);
                bool eigen = e.text == e.wert || (q && *q == e.text);
                ASSERT_TRUE(eigen ? z.wert_setzen(b.name, e.name, e.wert) : z.text_setzen(b.name, e.name, e.text));
                ASSERT_EQ(Text(z), text);
                ++eintraege;
            }
        }
    }
    EXPECT_GE(eintraege, 45u);
}

TEST(Zugriff, OeffnenVerschiebenUndBlockNachNamen)
{
    kt::Tempordner o;
    kt::Datei_schreiben(o / "a.cfg", "[a]\nk: 1\n");
    auto datei = kr::Zugriff::Datei_oeffnen(o / "a.cfg");
    ASSERT_TRUE(kr::Zugriff::Konfig_Datei_oeffnen(o / "a.cfg") && datei);
    EXPECT_EQ(Text(*datei), "[a]\nk: 1\n");
    EXPECT_EQ(kr::Zugriff::Konfig_Datei_oeffnen(o / "fehlt.cfg").fehler(),
              "cannot open " + (o / "fehlt.cfg") + ": the file cannot be opened or read");
    EXPECT_EQ(kr::Zugriff::Datei_oeffnen(o / "fehlt.cfg").fehler(), "cannot open " + (o / "fehlt.cfg"));
    EXPECT_EQ(kr::Zugriff::Konfig_Datei_oeffnen("").fehler(), "no valid path given");
    EXPECT_EQ(kr::Zugriff::Datei_oeffnen(std::string_view("a\0b", 3)).fehler(), "no valid path given");

    std::string text = "[a]\nk: 1\n[Server]\nk: 2\n[server]\nk: 3\n";
    auto p = kr::Zugriff::Puffer(text);
    text.assign(text.size(), 'x'); // the buffer is a copy
    kr::Zugriff q = std::move(p);
    EXPECT_EQ(p.handle()->puffer, nullptr);
    kr::Zugriff r = Objekt("[b]\n");
    uint16_t objekt = r.handle()->objekt;
    r = std::move(q); // closes the memory object, takes the buffer
    Zugriffshandle probe{};
    probe.objekt = objekt;
    probe.laenge = 1;
    EXPECT_EQ(KR_Zeichen_lesen(&probe), -1); // released
    auto b = r.block("SERVER");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->zeile, 3);
    EXPECT_EQ(b->eintrag("K") ? b->eintrag("K")->wert : "-", "2");
    EXPECT_EQ(b->eintrag("x"), nullptr);
    EXPECT_EQ(r.block("serve").fehler(), "no block named \"serve\"");
}

TEST(Bearbeiten, BlocktextUndZeichenkette)
{
    auto z = kr::Zugriff::Puffer("[ one]\n  k: \"a b\" ; c\n; comment\n x=1\n\"q r\": 2\n");
    auto b = z.block(" one");
    ASSERT_TRUE(b);
    EXPECT_EQ(kr::Blocktext(*b).wert_oder("!"), "[ one]\nk: \"a b\" ; c\nx=1\n\"q r\": 2\n");
    // As `korvan set` would change one value and add another.
    EXPECT_TRUE(b->setzen("X", "  2 ") && b->setzen("neu", "\"v w\""));
    EXPECT_EQ(b->eintrag("x")->art, kr::Eintragsart::INI);
    EXPECT_EQ(b->eintrag("x")->wert + "|" + b->eintrag("neu")->wert, "2|v w");
    EXPECT_EQ(b->eintrag("neu")->elementart, kr::Elementart::Zeichenkette);
    EXPECT_EQ(*kr::Blocktext(*b), "[ one]\nk: \"a b\" ; c\nx=2\n\"q r\": 2\nneu: \"v w\"\n");
    EXPECT_EQ(b->setzen("k", "a\nb").fehler(), "the value of k holds a line end; write it as *N in a quoted string");

    kr::Block namen;
    namen.klammer = '{';
    namen.name = "a]b\nc";
    namen.eintraege.push_back({kr::Eintragsart::INI, "#x", "1", {}, {}, {}, 0});
    EXPECT_EQ(*kr::Blocktext(namen), "{\"a]b*Nc\"}\n\"#x\"=1\n");
    // An open quoted string would take in the entry after it.
    namen.eintraege = {{kr::Eintragsart::Doppelpunkt, "k", "\"open", {}, {}, {}, 0},
                       {kr::Eintragsart::Doppelpunkt, "z", "2", {}, {}, {}, 0}};
    EXPECT_EQ(kr::Blocktext(namen).fehler(), "block \"a]b\nc\" would not read back as written");

    EXPECT_EQ(*kr::Zeichenkette("a \"b\"\n\x1b"), "\"a *\"b*\"*N*E\"");
    EXPECT_EQ(*kr::Zeichenkette("**N *x"), "\"**N *x\"");
    for (std::string_view t : {"a*", "*\"", "*N", "*e", "*\n", "a\0"})
        EXPECT_FALSE(kr::Zeichenkette(t == "a" ? std::string_view("a\0", 2) : t)) << t;
}

TEST(Bearbeiten, Speichern)
{
    kt::Tempordner o;
    kr::Zugriff z = Objekt("[a]\nx: 1\n[b]\ny: 2\n");
    ASSERT_TRUE(z.ersetzen("a", "[a]\nx: 3\n") && z.speichern(o / "neu.cfg"));
    EXPECT_EQ(kt::Datei_lesen(o / "neu.cfg"), "[b]\ny: 2\n[a]\nx: 3\n");
    kt::Datei_schreiben(o / "fest.cfg", "alt");
    fs::permissions(o / "fest.cfg", fs::perms::owner_read);
    EXPECT_EQ(z.speichern(o / "fest.cfg").fehler(), "cannot save " + (o / "fest.cfg") + ": the file exists and is read-only");
    EXPECT_EQ(kt::Datei_lesen(o / "fest.cfg"), "alt");
    EXPECT_EQ(kr::Zugriff::Datei_oeffnen(o / "neu.cfg")->speichern(o / "x.cfg").fehler(), "only a memory object can be saved");
    EXPECT_EQ(z.speichern("").fehler(), "no valid path given");
}

} // namespace
