// The preprocessor: byte-exact outputs with their line markers, and every
// way a call can fail.
#include "korvan.h"
#include "preprocess/preprozess.h"
#include "testhilfe.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Allocations of the memory library fail from the nth on while this is 0 or
// more (the test program is linked with Tamsel_Alloc wrapped).
int Speicher_versagt_ab = -1;

} // namespace

extern "C" void *__real_Tamsel_Alloc(uint32_t groesse);
extern "C" void *__wrap_Tamsel_Alloc(uint32_t groesse)
{
    if (Speicher_versagt_ab == 0)
        return nullptr;
    if (Speicher_versagt_ab > 0)
        --Speicher_versagt_ab;
    return __real_Tamsel_Alloc(groesse);
}

namespace {

// A path as the library builds it: '\' for every separator.
std::string Rueck(std::string s)
{
    for (char &c : s)
        if (c == '/')
            c = '\\';
    return s;
}

std::string Marke(long zeile, const std::string &name)
{
    return "# " + std::to_string(zeile) + " \"" + name + "\"\r\n";
}

struct Ergebnis {
    int rc;
    Preprozess_Fehler f;
    std::string aus;
};

class Preprozess : public ::testing::Test {
protected:
    kt::Tempordner d;

    std::string pfad(const std::string &name) const { return d / name; }
    // Top directory of an input in the folder: the folder with '\' after it.
    std::string oben() const { return Rueck(d.pfad().string()) + "\\"; }
    // Lookup path, and recorded name of a file included from the folder.
    std::string such(const std::string &name) const { return oben() + name; }
    void schreiben(const std::string &name, const std::string &inhalt) { kt::Datei_schreiben(pfad(name), inhalt); }

    // Runs the call twice, without and with an error record: the result and
    // the output must be the same.
    Ergebnis lauf(const std::string &ein, const std::string &aus)
    {
        Ergebnis e;
        int ohne = KR_Preprozess(ein.c_str(), aus.c_str(), nullptr);
        std::string aus_ohne = kt::Datei_lesen(aus);
        std::memset(&e.f, 0x5A, sizeof e.f);
        e.rc = KR_Preprozess(ein.c_str(), aus.c_str(), &e.f);
        e.aus = kt::Datei_lesen(aus);
        EXPECT_EQ(ohne, e.rc);
        EXPECT_EQ(aus_ohne, e.aus);
        return e;
    }
    Ergebnis lauf(const std::string &name = "main.c") { return lauf(pfad(name), pfad("out.i")); }
};

void Fehler_pruefen(const Ergebnis &e, int code, int zeile, const std::string &datei, const std::string &name,
                    const std::string &text)
{
    EXPECT_EQ(e.rc, 0);
    EXPECT_EQ(e.f.code, code);
    EXPECT_EQ(e.f.zeile, zeile);
    EXPECT_EQ(e.f.reserve, 0);
    EXPECT_EQ(std::string(e.f.datei), datei);
    EXPECT_EQ(std::string(e.f.fehlername), name);
    EXPECT_EQ(std::string(e.f.zeilentext), text);
}

void Erfolg_pruefen(const Ergebnis &e)
{
    EXPECT_EQ(e.rc, 1);
    EXPECT_EQ(e.f.code, 0);
    EXPECT_EQ(e.f.zeile, 0x5A5A5A5A); // untouched without an error
    EXPECT_EQ(e.f.datei[0], 0x5A);
}

// --- Classifying a chunk -----------------------------------------------------

TEST(Zeile_einordnen, Arten)
{
    struct Fall {
        const char *text;
        Zeilenart art;
        const char *name;
    } faelle[] = {
        {"text\n", Zeilenart::gewoehnlich, ""},
        {" \t text #include \"a\"\n", Zeilenart::gewoehnlich, ""},
        {"", Zeilenart::gewoehnlich, ""},
        {"#\n", Zeilenart::verworfen, ""},
        {"#define X 1\n", Zeilenart::verworfen, ""},
        {" \t# pragma once\n", Zeilenart::verworfen, ""},
        {"# 12 \"x.c\"\n", Zeilenart::verworfen, ""},
        {"#includ\n", Zeilenart::verworfen, ""},
        {"#INCLUDE \"a.h\"\n", Zeilenart::verworfen, ""},
        {"#include \"a.h\"\n", Zeilenart::einbindung, "a.h"},
        {"#include<a.h>\n", Zeilenart::einbindung, "a.h"},
        {"\t #  include\t \"a b.h\" rest\n", Zeilenart::einbindung, "a b.h"},
        {"#include <a.h\"\n", Zeilenart::einbindung, "a.h"},
        {"#include \"a.h>\n", Zeilenart::einbindung, "a.h"},
        {"#include \"a.h\r\n", Zeilenart::einbindung, "a.h\r\n"},
        {"#include <a.h", Zeilenart::einbindung, "a.h"},
        {"#include\n", Zeilenart::einbindung, ""},
        {"#include", Zeilenart::einbindung, ""},
        {"#include a.h\n", Zeilenart::einbindung, ""},
        {"#includes \"a.h\"\n", Zeilenart::einbindung, ""},
        {"#include \"\"\n", Zeilenart::einbindung, ""},
        {"#include <>\n", Zeilenart::einbindung, ""},
    };
    for (const Fall &f : faelle) {
        Einordnung e = Zeile_einordnen(f.text);
        EXPECT_EQ(e.art, f.art) << f.text;
        std::string name = e.art == Zeilenart::einbindung ? std::string(e.name, e.namenlaenge) : "";
        EXPECT_EQ(name, f.name) << f.text;
    }
}

// --- Outputs -----------------------------------------------------------------

TEST_F(Preprozess, OhneDirektiven)
{
    schreiben("main.c", "a\r\n  b\n\tc");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "a\r\n  b\n\tc\r\n");
}

TEST_F(Preprozess, LeereEingabe)
{
    schreiben("main.c", "");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")));
}

// The top-level file keeps CR LF up to its first include; the rest of every
// file is read in text mode.  Return markers carry the directive's line.
TEST_F(Preprozess, VerschachtelteEinbindungen)
{
    schreiben("main.c", "eins\r\n#define X\r\n#include \"a.h\"\r\nzwei\r\n\r\n");
    schreiben("a.h", "a1\n#include <sub/b.h>\na2");
    fs::create_directory(d.pfad() / "sub");
    schreiben("sub/b.h", "b1\r\nb2\r\n");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) +
                         "eins\r\n" +
                         Marke(1, such("a.h")) +
                         "a1\n" +
                         Marke(1, such("sub\\b.h")) +
                         "b1\nb2\n" +
                         Marke(2, such("a.h")) +
                         "a2\r\n" +
                         Marke(3, pfad("main.c")) +
                         "zwei\n\n");
}

TEST_F(Preprozess, RueckmarkeMitDerZeileDerDirektive)
{
    schreiben("main.c", "1\n2\n3\n4\n#include \"x.h\"\n6\n");
    schreiben("x.h", "x\n");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "1\n2\n3\n4\n" + Marke(1, such("x.h")) + "x\n" +
                         Marke(5, pfad("main.c")) + "6\n");
}

TEST_F(Preprozess, LeereEingebundeneDateiUndDirektiveAmEnde)
{
    schreiben("main.c", "#include \"leer.h\"\n#include \"leer.h\"");
    schreiben("leer.h", "");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + Marke(1, such("leer.h")) + Marke(1, pfad("main.c")) +
                         Marke(1, such("leer.h")) + Marke(2, pfad("main.c")));
}

TEST_F(Preprozess, NamensformenWerdenGleichGesucht)
{
    schreiben("main.c", "#include<a.h\"\n\t #  include\t\"a.h> x\n#include <a.h\n");
    schreiben("a.h", "A\n");
    // The last name runs to the end of the chunk: "a.h\n" is no file.
    Ergebnis e = lauf();
    std::string a = Marke(1, such("a.h")) + "A\n";
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + a + Marke(1, pfad("main.c")) + a + Marke(2, pfad("main.c")));
    Fehler_pruefen(e, 2, 3, pfad("main.c"), such("a.h\n"), "#include <a.h\n");
}

TEST_F(Preprozess, VerworfeneDirektivenZaehlenMit)
{
    schreiben("main.c", "#define X 1\n  # pragma once\n# 12 \"x.c\"\n#\n\t#includ\n#INCLUDE \"a.h\"\nx\n#include\n");
    Ergebnis e = lauf();
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "x\n");
    Fehler_pruefen(e, 2, 8, pfad("main.c"), "", "#include\n");
}

TEST_F(Preprozess, DirektiveOhneNamen)
{
    for (const char *zeile : {"#include\r\n", "#include a.h\n", "#includes \"a.h\"\n", "#include \"\"\n", "# include <>\n"}) {
        schreiben("main.c", std::string("x\n") + zeile + "y\n");
        Ergebnis e = lauf();
        EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "x\n") << zeile;
        Fehler_pruefen(e, 2, 2, pfad("main.c"), "", zeile);
    }
}

TEST_F(Preprozess, NameNieGeschlossen)
{
    schreiben("main.c", "#include \"a.h\r\n");
    schreiben("a.h", "A\n");
    Ergebnis e = lauf();
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")));
    Fehler_pruefen(e, 2, 1, pfad("main.c"), such("a.h\r\n"), "#include \"a.h\r\n");
}

TEST_F(Preprozess, FehlendeDateiInEinerEingebundenen)
{
    schreiben("main.c", "m\n#include \"a.h\"\nnie\n");
    schreiben("a.h", "a1\r\n#include \"fehlt.h\"\r\na3\r\n");
    Ergebnis e = lauf();
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "m\n" + Marke(1, such("a.h")) + "a1\n");
    Fehler_pruefen(e, 2, 2, such("a.h"), such("fehlt.h"), "#include \"fehlt.h\"\n");
}

TEST_F(Preprozess, EingabeFehltAusgabeBleibtWieSie)
{
    Ergebnis e = lauf(pfad("fehlt.c"), pfad("neu.i"));
    Fehler_pruefen(e, 2, 0, "", pfad("fehlt.c"), "");
    EXPECT_FALSE(fs::exists(pfad("neu.i")));

    schreiben("alt.i", "bleibt");
    e = lauf(pfad("fehlt.c"), pfad("alt.i"));
    EXPECT_EQ(e.aus, "bleibt");

    // A folder is no input.
    e = lauf(d.pfad().string(), pfad("alt.i"));
    Fehler_pruefen(e, 2, 0, "", d.pfad().string(), "");
    EXPECT_EQ(e.aus, "bleibt");

    Preprozess_Fehler f;
    EXPECT_EQ(KR_Preprozess(nullptr, pfad("alt.i").c_str(), &f), 0);
    EXPECT_EQ(f.code, 2);
    EXPECT_STREQ(f.fehlername, "");
}

TEST_F(Preprozess, AusgabeNichtAnlegbarOderNichtSchreibbar)
{
    schreiben("main.c", "x\n");
    schreiben("datei", "");
    // Below a regular file nothing can be created, not even by root.
    Ergebnis e = lauf(pfad("main.c"), pfad("datei/out.i"));
    Fehler_pruefen(e, 3, 0, "", pfad("datei/out.i"), "");

    Preprozess_Fehler f;
    EXPECT_EQ(KR_Preprozess(pfad("main.c").c_str(), nullptr, &f), 0);
    EXPECT_EQ(f.code, 3);

    // A device that takes no bytes: the failed write shows when it is closed.
    if (fs::exists("/dev/full")) {
        std::memset(&f, 0, sizeof f);
        EXPECT_EQ(KR_Preprozess(pfad("main.c").c_str(), "/dev/full", &f), 0);
        EXPECT_EQ(f.code, 3);
        EXPECT_STREQ(f.fehlername, "/dev/full");
    }
}

TEST_F(Preprozess, LangeZeilenWerdenGeteilt)
{
    std::string l519 = std::string(518, 'a') + "\n";
    std::string l520 = std::string(519, 'b') + "\n";
    std::string l2000 = std::string(1999, 'c') + "\n";
    std::string crlf = std::string(518, 'd') + "\r\n"; // CR ends the first chunk
    schreiben("main.c", l519 + l520 + l2000 + crlf + "#include\n");
    Ergebnis e = lauf();
    std::string c519(519, 'c');
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + l519 + std::string(519, 'b') + "\r\n\n" + c519 + "\r\n" + c519 +
                         "\r\n" + c519 + "\r\n" + std::string(442, 'c') + "\n" + crlf);
    // 1 + 2 + 4 + 2 chunks before the directive.
    Fehler_pruefen(e, 2, 10, pfad("main.c"), "", "#include\n");
}

TEST_F(Preprozess, LangeDirektivenzeileGehtNachDerRueckkehrWeiter)
{
    schreiben("main.c", "#include \"a.h\"" + std::string(600, ' ') + "\nende\n");
    schreiben("a.h", "A\n");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    // The directive is the first 519 bytes; the rest of its line follows.
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + Marke(1, such("a.h")) + "A\n" + Marke(1, pfad("main.c")) +
                         std::string(95, ' ') + "\nende\n");
}

TEST_F(Preprozess, NulBytesBeendenDasStueck)
{
    schreiben("main.c", std::string("ab\0cd\n\0xyz\nend\n#include\n", 24));
    Ergebnis e = lauf();
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "ab\r\nend\n");
    Fehler_pruefen(e, 2, 4, pfad("main.c"), "", "#include\n");
}

TEST_F(Preprozess, NurWagenruecklauf)
{
    schreiben("main.c", "a\rb\r#include \"a.h\"\rc");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "a\rb\r#include \"a.h\"\rc\r\n");

    schreiben("main.c", "#include \"a.h\"\nz\n");
    schreiben("a.h", "p\rq\r");
    e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + Marke(1, such("a.h")) + "p\rq\r" + Marke(1, pfad("main.c")) + "z\n");
}

TEST_F(Preprozess, SteuerZBeendetNurImTextmodus)
{
    schreiben("main.c", "a\x1A" "b\n#include \"a.h\"\nrest\r\n\x1Averborgen\n");
    schreiben("a.h", "x1\r\ny\x1Az\n");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + "a\x1A" "b\n" + Marke(1, such("a.h")) + "x1\ny\r\n" +
                         Marke(2, pfad("main.c")) + "rest\n");
}

TEST_F(Preprozess, TiefeGrenztBei200Ebenen)
{
    // A chain of exactly 200 levels is fine.
    for (int i = 1; i <= 200; ++i)
        schreiben("k" + std::to_string(i) + ".h", i < 200 ? "#include \"k" + std::to_string(i + 1) + ".h\"\n" : "");
    schreiben("main.c", "#include \"k1.h\"\n");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    size_t marken = 0;
    for (size_t p = 0; (p = e.aus.find("# ", p)) != std::string::npos; ++p)
        ++marken;
    EXPECT_EQ(marken, 1u + 200 + 200);

    // A file that includes itself fails at the 201st level.
    schreiben("s.h", "#include \"s.h\"\n");
    schreiben("main.c", "#include \"s.h\"\n");
    e = lauf();
    std::string erwartet = Marke(1, pfad("main.c"));
    for (int i = 0; i < 200; ++i)
        erwartet += Marke(1, such("s.h"));
    EXPECT_EQ(e.aus, erwartet);
    Fehler_pruefen(e, 2, 1, such("s.h"), such("s.h"), "#include \"s.h\"\n");
}

TEST_F(Preprozess, NamenUeber259Zeichen)
{
    // An include name too long for its buffer, or for the join with the top
    // directory, is looked up as the bare top directory.
    for (size_t n : {size_t{260}, size_t{259}, 259 - oben().size() + 1}) {
        std::string zeile = "#include \"" + std::string(n, 'n') + "\"\n";
        schreiben("main.c", zeile);
        Ergebnis e = lauf();
        Fehler_pruefen(e, 2, 1, pfad("main.c"), pfad(""), zeile); // the top directory unjoined
    }
    // The longest name that joins is looked up as it is.
    std::string name(259 - oben().size(), 'n');
    schreiben(name, "N\n");
    schreiben("main.c", "#include \"" + name + "\"\n");
    Ergebnis e = lauf();
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, pfad("main.c")) + Marke(1, such(name)) + "N\n" + Marke(1, pfad("main.c")));

    // An input name of 260 characters fails before the output is touched.
    fs::remove(pfad("out.i"));
    std::string ein = pfad(std::string(260 - pfad("").size(), 'e'));
    ASSERT_EQ(ein.size(), 260u);
    e = lauf(ein, pfad("out.i"));
    Fehler_pruefen(e, 2, 0, "", ein.substr(0, 259), "");
    EXPECT_FALSE(fs::exists(pfad("out.i")));
}

// Relative names are taken from the current directory.
class Arbeitsverzeichnis : public Preprozess {
protected:
    fs::path vorher = fs::current_path();
    void SetUp() override { fs::current_path(d.pfad()); }
    void TearDown() override { fs::current_path(vorher); }
};

TEST_F(Arbeitsverzeichnis, RelativerEingabename)
{
    schreiben("main.c", "#include \"a.h\"\nm\n");
    schreiben("a.h", "A\n");
    Ergebnis e = lauf("main.c", "out.i");
    Erfolg_pruefen(e);
    EXPECT_EQ(e.aus, Marke(1, "main.c") + Marke(1, such("a.h")) + "A\n" + Marke(1, "main.c") + "m\n");

    fs::create_directory(d.pfad() / "src");
    schreiben("src/main.c", "#include \"a.h\"\n");
    schreiben("src/a.h", "#include \"b.h\"\na2\n");
    schreiben("src/b.h", "B\n");
    e = lauf("./src/main.c", "out.i");
    Erfolg_pruefen(e);
    std::string unten = oben() + ".\\src\\"; // nothing is resolved
    EXPECT_EQ(e.aus, Marke(1, "./src/main.c") + Marke(1, unten + "a.h") + Marke(1, unten + "b.h") + "B\n" +
                         Marke(1, ".\\src\\a.h") + "a2\n" + Marke(1, "./src/main.c"));
}

// An input name without a directory part gives its include files recorded
// names that begin with a separator; a file reached that way cannot be
// reopened after an include of its own.
TEST_F(Arbeitsverzeichnis, WiederoeffnenScheitert)
{
    schreiben("main.c", "#include \"kr-pfad-a.h\"\n");
    schreiben("kr-pfad-a.h", "a1\n#include \"kr-pfad-b.h\"\na3\n");
    schreiben("kr-pfad-b.h", "B\n");
    ASSERT_FALSE(fs::exists("/kr-pfad-a.h"));
    Ergebnis e = lauf("main.c", "out.i");
    EXPECT_EQ(e.aus, Marke(1, "main.c") + Marke(1, such("kr-pfad-a.h")) + "a1\n" + Marke(1, such("kr-pfad-b.h")) +
                         "B\n");
    Fehler_pruefen(e, 2, 2, "\\kr-pfad-a.h", "\\kr-pfad-a.h", "");
}

TEST_F(Preprozess, Lesefehler)
{
    // Reading the start of the process's own memory fails with an error.
    if (!fs::exists("/proc/self/mem"))
        GTEST_SKIP();
    Ergebnis e = lauf("/proc/self/mem", pfad("out.i"));
    EXPECT_EQ(e.aus, Marke(1, "/proc/self/mem"));
    Fehler_pruefen(e, 2, 1, "/proc/self/mem", "/proc/self/mem", "");
}

TEST_F(Preprozess, StapeleintragOhneSpeicher)
{
    schreiben("main.c", "m\n#include \"a.h\"\n");
    schreiben("a.h", "A\n");
    Speicher_versagt_ab = 0;
    Preprozess_Fehler f;
    int rc = KR_Preprozess(pfad("main.c").c_str(), pfad("out.i").c_str(), &f);
    Speicher_versagt_ab = -1;
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(f.code, 2);
    EXPECT_EQ(f.zeile, 2);
    EXPECT_EQ(std::string(f.datei), pfad("main.c"));
    EXPECT_EQ(std::string(f.fehlername), such("a.h"));
    EXPECT_EQ(std::string(f.zeilentext), "#include \"a.h\"\n");
    EXPECT_EQ(kt::Datei_lesen(pfad("out.i")), Marke(1, pfad("main.c")) + "m\n" + Marke(1, such("a.h")));

    // The second level's entry fails after the first one was made.
    schreiben("a.h", "#include \"b.h\"\n");
    schreiben("b.h", "B\n");
    Speicher_versagt_ab = 1;
    rc = KR_Preprozess(pfad("main.c").c_str(), pfad("out.i").c_str(), &f);
    Speicher_versagt_ab = -1;
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(f.code, 2);
    EXPECT_EQ(f.zeile, 1);
    EXPECT_EQ(std::string(f.datei), such("a.h"));
}

} // namespace
