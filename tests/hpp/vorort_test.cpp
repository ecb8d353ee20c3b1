// Editing in place: each edit changes only its own lines, byte for byte,
// and setting a value and setting it back gives the original bytes, over
// the bundled examples and generated files.
#include "korvan.hpp"
#include "testhilfe.h"

#include <filesystem>
#include <functional>
#include <random>

namespace {

namespace fs = std::filesystem;

// A memory object loaded from a file that holds the text; a new, empty
// one for no text.
kr::Zugriff Objekt(const std::string &text)
{
    static kt::Tempordner o;
    kt::Datei_schreiben(o / "t.cfg", text);
    auto z = text.empty() ? kr::Zugriff::leer() : kr::Zugriff::Konfig_Datei_oeffnen(o / "t.cfg");
    EXPECT_TRUE(z) << z.fehler();
    return std::move(*z);
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
        if (!r)
            return kr::Fehler{r.fehler()};
        if (!*r)
            return kr::Fehler{"missing"};
        return {};
    };
}

// Comments, blank lines, an indented block, an INI block, CR LF line ends.
const std::string Datei = "; settings\r\n"
                          "[main]\r\n"
                          "  width: 80\r\n"
                          "  ; the height follows\r\n"
                          "  height:\t24\r\n"
                          "\r\n"
                          "; the colours\r\n"
                          "[colours]\r\n"
                          "fg=\"light grey\"\r\n"
                          "bg=black ; for now\r\n"
                          "\r\n";

TEST(VorOrt, JedeBearbeitungAendertNurIhreZeilen)
{
    const struct {
        const char *was;
        std::string text;
        Bearbeitung bearbeitung;
        std::string danach; // the whole text after the edit
    } faelle[] = {
        {"set an existing value", Datei, Setzen("MAIN", "Width", "132"),
         "; settings\r\n[main]\r\n  width: 132\r\n  ; the height follows\r\n  height:\t24\r\n\r\n; the colours\r\n"
         "[colours]\r\nfg=\"light grey\"\r\nbg=black ; for now\r\n\r\n"},
        {"a quoted value stays quoted", Datei, Setzen("colours", "fg", "white"),
         "; settings\r\n[main]\r\n  width: 80\r\n  ; the height follows\r\n  height:\t24\r\n\r\n; the colours\r\n"
         "[colours]\r\nfg=\"white\"\r\nbg=black ; for now\r\n\r\n"},
        {"add an entry: form and indentation of the last", Datei, Setzen("main", "depth", "8"),
         "; settings\r\n[main]\r\n  width: 80\r\n  ; the height follows\r\n  height:\t24\r\n  depth:\t8\r\n\r\n"
         "; the colours\r\n[colours]\r\nfg=\"light grey\"\r\nbg=black ; for now\r\n\r\n"},
        {"add an entry to an INI block, quoted where it must be", Datei, Setzen("colours", "x", " two\nlines"),
         "; settings\r\n[main]\r\n  width: 80\r\n  ; the height follows\r\n  height:\t24\r\n\r\n; the colours\r\n"
         "[colours]\r\nfg=\"light grey\"\r\nbg=black ; for now\r\nx=\" two*Nlines\"\r\n\r\n"},
        {"add a block", Datei, Setzen("12.3", "colour", "red"), Datei + "{12.3}\r\ncolour=red\r\n"},
        {"delete an entry", Datei, Loeschen("main", "width"),
         "; settings\r\n[main]\r\n  ; the height follows\r\n  height:\t24\r\n\r\n; the colours\r\n"
         "[colours]\r\nfg=\"light grey\"\r\nbg=black ; for now\r\n\r\n"},
        {"delete a block, its trailing comment stays", Datei, Loeschen("main"),
         "; settings\r\n\r\n; the colours\r\n[colours]\r\nfg=\"light grey\"\r\nbg=black ; for now\r\n\r\n"},
        // A text without a final line end keeps without one.
        {"add after a last line", "[a]\nx=1", Setzen("a", "y", "2"), "[a]\nx=1\ny=2"},
        {"add to a bare header", "[a]", Setzen("a", "y", "2"), "[a]\ny: 2"},
        {"add a block after a last line", "[a]\nx=1", Setzen("b", "y", ""), "[a]\nx=1\n[b]\ny=\n"},
        {"delete a last line", "[a]\r\nx=1\r\ny=2", Loeschen("a", "y"), "[a]\r\nx=1"},
        {"delete a value over lines", "[a]\nx: \"1\n2\"\ny: 3\n", Loeschen("a", "x"), "[a]\ny: 3\n"},
        {"set a value over lines", "[a]\nx: \"1\n2\" \ny: 3\n", Setzen("a", "x", "4"), "[a]\nx: \"4\" \ny: 3\n"},
        {"an empty value", "[a]\nx:\n", Setzen("a", "x", "1"), "[a]\nx:1\n"},
        {"a name that must be quoted", "[a]\n", Setzen("a", "b c", "1", kr::Eintragsart::INI), "[a]\n\"b c\"=1\n"},
        {"into an empty object", "", Setzen("a b", "k", "v"), "[a b]\nk: v\n"},
    };
    for (const auto &f : faelle) {
        SCOPED_TRACE(f.was);
        kr::Zugriff z = Objekt(f.text);
        auto ok = f.bearbeitung(z);
        EXPECT_TRUE(ok) << ok.fehler();
        EXPECT_EQ(*z.text(), f.danach);
    }
}

TEST(VorOrt, VerweigertLaesstAllesStehen)
{
    const std::string text = "[a]\nx: 1\n[b]\n";
    const struct {
        Bearbeitung bearbeitung;
        std::string fehler;
    } faelle[] = {
        // Neither as it is nor quoted does it read back.
        {Setzen("a", "x", "*\n"), "the edit would not read back as asked"},
        {Setzen("a", "", "1"), "an entry needs a name"},
        {Setzen("a", "b c*", "1"), "the entry name \"b c*\" cannot be written"},
        {Setzen("a]*", "y", "1"), "the block name \"a]*\" cannot be written"},
        {Loeschen("c"), "missing"},
        {Loeschen("a", "y"), "missing"},
        {[](kr::Zugriff &z) { return z.block_anfuegen("\"x\n", '('); }, "a block begins with '[' or '{'"},
    };
    for (const auto &f : faelle) {
        kr::Zugriff z = Objekt(text);
        EXPECT_EQ(f.bearbeitung(z).fehler(), f.fehler);
        EXPECT_EQ(*z.text(), text);
    }
    auto puffer = kr::Zugriff::Puffer(text);
    EXPECT_EQ(puffer.wert_setzen("a", "x", "2").fehler(),
              "only a memory object can be edited; open the file with Konfig_Datei_oeffnen");
}

// A configuration text of blocks, entries of every form, comments, blank
// lines and lines that are no entries, with LF or CR LF line ends.
std::string Erzeugt(std::mt19937 &zufall)
{
    auto wahl = [&](std::initializer_list<const char *> l) { return std::string(l.begin()[zufall() % l.size()]); };
    const std::string ende = zufall() % 2 ? "\r\n" : "\n";
    std::string s = zufall() % 3 ? "" : "text before the headers" + ende;
    const int bloecke = static_cast<int>(zufall() % 5);
    for (int b = 0; b < bloecke; ++b) {
        s += (zufall() % 3 ? "[" + wahl({"s", "main", "a b"}) + std::to_string(b) + "]" : "{1." + std::to_string(b) + "}") + ende;
        const int zeilen = static_cast<int>(zufall() % 6);
        for (int z = 0; z < zeilen; ++z) {
            switch (zufall() % 4) {
            case 0: s += wahl({"", "; note", "# hash", "key = value", "  ;x"}) + ende; break;
            default:
                s += wahl({"", "  ", "\t"}) + wahl({"k", "name", "\"q n\""}) + std::to_string(z) + wahl({":", ": ", ":\t", "="}) +
                     wahl({"", "1", "a b", "\"quoted\"", "\"x*Ny\"", "v ; c", "\"a\" b", "*x"}) + ende;
            }
        }
    }
    if (zufall() % 3 == 0 && s.size() >= ende.size())
        s.resize(s.size() - ende.size());
    return s;
}

// Every entry set to another value and back: the original bytes again.
// Back by value where the text is the value's own writing, else by text.
void Hin_und_zurueck(const std::string &text, size_t *gezaehlt)
{
    kr::Zugriff z = Objekt(text);
    auto bloecke = z.bloecke();
    ASSERT_TRUE(bloecke);
    for (const kr::Block &b : *bloecke) {
        for (const kr::Eintrag &e : b.eintraege) {
            if (z.block(b.name)->zeile != b.zeile || b.eintrag(e.name) != &e)
                continue; // only the first of a name can be reached
            SCOPED_TRACE(b.name + "." + e.name);
            ASSERT_TRUE(z.wert_setzen(b.name, e.name, "other value"));
            EXPECT_EQ(z.block(b.name)->eintrag(e.name)->wert, "other value");
            auto q = kr::Zeichenkette(e.wert);
            bool eigen = e.text == e.wert || (q && *q == e.text);
            ASSERT_TRUE(eigen ? z.wert_setzen(b.name, e.name, e.wert) : z.text_setzen(b.name, e.name, e.text));
            ASSERT_EQ(*z.text(), text);
            ++*gezaehlt;
        }
    }
}

TEST(VorOrt, HinUndZurueckGibtDieBytes)
{
    size_t eintraege = 0;
    const fs::path beispiele = fs::path(__FILE__).parent_path() / ".." / ".." / "examples";
    for (const auto &d : fs::recursive_directory_iterator(beispiele)) {
        if (d.path().extension() != ".cfg")
            continue;
        SCOPED_TRACE(d.path().string());
        Hin_und_zurueck(kt::Datei_lesen(d.path().string()), &eintraege);
    }
    EXPECT_GE(eintraege, 20u);
    std::mt19937 zufall(19);
    for (int i = 0; i < 200; ++i) {
        const std::string text = Erzeugt(zufall);
        SCOPED_TRACE("generated file " + std::to_string(i) + ":\n" + text);
        Hin_und_zurueck(text, &eintraege);
    }
    EXPECT_GE(eintraege, 500u);
}

} // namespace
