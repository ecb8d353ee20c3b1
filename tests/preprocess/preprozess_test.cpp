// The preprocessor: byte-exact outputs with their line markers, and every way a call can fail.
#include "haken.h"
#include "platform/plattform.h"
#include "preprocess/preprozess.h"
#include "testhilfe.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

namespace fs = std::filesystem;

// While 0 or more: how many of the memory library's allocations still succeed.
int Speicher_reicht_fuer = -1;
[[maybe_unused]] const bool eingesetzt = (fehlerhaken = [](const char *was, size_t) {
    if (std::strcmp(was, "Tamsel_Alloc") != 0 || Speicher_reicht_fuer < 0)
        return false;
    return Speicher_reicht_fuer == 0 || (--Speicher_reicht_fuer, false);
}, true);

// Chunks by themselves: "-" ordinary, "#" another directive, else the name.
TEST(Zeile_einordnen, ArtUndName)
{
    const char *faelle[][2] = {
        {"text\n", "-"}, {" \t x #include \"a\"\n", "-"}, {"", "-"}, {"#\n", "#"}, {" \t# pragma once\n", "#"},
        {"#includ\n", "#"}, {"#INCLUDE \"a.h\"\n", "#"}, {"#include<a.h>\n", "a.h"}, {"#include <a.h\"\n", "a.h"},
        {"\t #  include\t \"a b.h\" x\n", "a b.h"}, {"#include \"a.h\r\n", "a.h\r\n"}, {"#include <a.h", "a.h"},
        {"#include", ""}, {"#include a.h\n", ""}, {"#includes \"a.h\"\n", ""}, {"#include <>\n", ""},
    };
    for (auto &f : faelle) {
        Einordnung e = Zeile_einordnen(f[0]);
        EXPECT_EQ(e.art == Zeilenart::gewoehnlich ? "-" : e.art == Zeilenart::verworfen ? "#" : std::string(e.name, e.namenlaenge), f[1]) << f[0];
    }
}

std::string Marke(long zeile, const std::string &name)
{
    return "# " + std::to_string(zeile) + " \"" + name + "\"\r\n";
}

class Preprozess : public ::testing::Test {
protected:
    kt::Tempordner d;
    Preprozess_Fehler f;

    std::string pfad(const std::string &n) const { return d / n; }
    std::string oben() const
    {
        std::string s = pfad("");
        std::replace(s.begin(), s.end(), '/', '\\');
        return s;
    }
    // "main.c", "." are input and top directory as given; rooted names stay, others are found in the top one.
    std::string name(const std::string &n) const
    {
        return n.empty() || n[0] == '/' ? n : n == "main.c" ? pfad(n) : n == "." ? pfad("") : oben() + n;
    }
    // Expected text with markers written as <N name>.
    std::string erwartet(const std::string &s) const
    {
        std::string r;
        for (size_t i = 0, zu; i < s.size(); ++i) {
            if (s[i] != '<' || (zu = s.find('>', i)) == std::string::npos || !std::isdigit(static_cast<unsigned char>(s[i + 1]))) {
                r += s[i];
                continue;
            }
            size_t leer = s.find(' ', i);
            r += Marke(std::stol(s.substr(i + 1, leer - i - 1)), name(s.substr(leer + 1, zu - leer - 1)));
            i = zu;
        }
        return r;
    }
    // Same result and output with and without a record, its fields untouched on success; `speicher` as above.
    int lauf(const std::string &ein, const std::string &aus, std::string &ausgabe, int speicher = -1)
    {
        Speicher_reicht_fuer = speicher;
        int ohne = KR_Preprozess(ein.c_str(), aus.c_str(), nullptr);
        std::string ausgabe_ohne = kt::Datei_lesen(aus);
        std::memset(&f, 0x5A, sizeof f);
        Speicher_reicht_fuer = speicher;
        int rc = KR_Preprozess(ein.c_str(), aus.c_str(), &f);
        Speicher_reicht_fuer = -1;
        ausgabe = kt::Datei_lesen(aus);
        EXPECT_EQ(std::to_string(rc) + ausgabe, std::to_string(ohne) + ausgabe_ohne);
        EXPECT_EQ(rc, f.code == 0 ? 1 : 0);
        EXPECT_TRUE(rc == 0 || f.zeile == 0x5A5A5A5A);
        return rc;
    }
    void fehler(int code, int zeile, const std::string &datei, const std::string &name, const std::string &text)
    {
        EXPECT_EQ(std::to_string(f.code) + " " + std::to_string(f.zeile) + " " + std::to_string(f.reserve) + " " +
                      f.datei + "|" + f.fehlername + "|" + f.zeilentext,
                  std::to_string(code) + " " + std::to_string(zeile) + " 0 " + datei + "|" + name + "|" + text);
    }
};

struct Fall {
    const char *titel;
    std::vector<std::pair<std::string, std::string>> dateien;
    std::string aus;
    int code = 0, zeile = 0;
    std::string datei = "", name = "", text = "";
    int speicher = -1;
};

TEST_F(Preprozess, Faelle)
{
    std::string a518 = std::string(518, 'a'), b519(519, 'b'), c519(519, 'c'), d600(600, ' '), kurz;
    for (int k = 1; k <= 40; ++k)
        kurz += std::string(k, static_cast<char>('a' + k % 26)) + "\n"; // 860 bytes across 32-byte windows
    std::vector<Fall> faelle = {
        {"ohne Direktiven", {{"main.c", "a\r\n  b\n\tc"}}, "<1 main.c>a\r\n  b\n\tc\r\n"},
        {"CR LF bis zum ersten Einbinden, danach Textmodus",
         {{"main.c", "eins\r\n#define X\r\n#include \"a.h\"\r\nzwei\r\n\r\n"},
          {"a.h", "a1\r\n#include <sub/b.h>\r\na2"}, {"sub/b.h", "b1\r\nb2\r\n"}},
         "<1 main.c>eins\r\n<1 a.h>a1\n<1 sub\\b.h>b1\nb2\n<2 a.h>a2\r\n<3 main.c>zwei\n\n"},
        {"verworfene Direktiven zaehlen mit",
         {{"main.c", "#define X 1\n  # pragma once\n# 12 \"x.c\"\n#\n\t#includ\n#INCLUDE \"a.h\"\nx\n#include \"e.h\"\n"},
          {"e.h", ""}},
         "<1 main.c>x\n<1 e.h><8 main.c>"},
        {"eine ohne Namen scheitert", {{"main.c", "x\n#include\n"}}, "", 2, 2, "main.c", "", "#include\n"},
        {"Datei fehlt in einer eingebundenen",
         {{"main.c", "m\n#include \"a.h\"\n"}, {"a.h", "1\r\n#include \"f.h\"\r\n"}},
         "", 2, 2, "a.h", "f.h", "#include \"f.h\"\n"},
        {"Zeilen von 519, 520 und 2000 Bytes",
         {{"main.c", a518 + "\n" + b519 + "\n" + c519 + c519 + c519 + std::string(442, 'c') + "\n" + a518 + "\r\n" +
                         "#include \"e.h\"\n"}, {"e.h", ""}},
         "<1 main.c>" + a518 + "\n" + b519 + "\r\n\n" + c519 + "\r\n" + c519 + "\r\n" + c519 + "\r\n" +
             std::string(442, 'c') + "\n" + a518 + "\r\n<1 e.h><10 main.c>"},
        {"kurze Zeilen, eine eingerueckte Direktive in der zweiten Haelfte eines Fensters",
         {{"main.c", kurz + "  #include \"a.h\"\nx\n#include \"e.h\"\n"}, {"a.h", "A\n"}},
         "<1 main.c>" + kurz + "<1 a.h>A\n<41 main.c>x\n<1 e.h><43 main.c>"},
        {"lange Zeilen im Textmodus", {{"main.c", "#include \"a.h\"\n"}, {"a.h", a518 + "\r\n" + b519 + "\r\n"}},
         "<1 main.c><1 a.h>" + a518 + "\n" + b519 + "\r\n\n<1 main.c>"},
        {"lange Direktive geht nach der Rueckkehr weiter",
         {{"main.c", "#include \"a.h\"" + d600 + "\nz\n"}, {"a.h", "A\n"}},
         "<1 main.c><1 a.h>A\n<1 main.c>" + std::string(95, ' ') + "\nz\n"},
        {"NUL beendet das Stueck", {{"main.c", std::string("ab\0cd\n\0xyz\nend\n#include \"e.h\"\n", 30)}},
         "<1 main.c>ab\r\nend\n<1 e.h><4 main.c>"},
        {"nur CR: keine Zeilenenden, CR am Ende ohne CR LF",
         {{"main.c", "a\rb\r#include \"a.h\"\rc\n#include \"a.h\"\n"}, {"a.h", "p\rq\r"}},
         "<1 main.c>a\rb\r#include \"a.h\"\rc\n<1 a.h>p\rq\r<2 main.c>"},
        {"0x1A endet nur im Textmodus",
         {{"main.c", "a\x1A" "b\n#include \"a.h\"\nrest\r\n\x1Averborgen\n"}, {"a.h", "x1\r\ny\x1Az\n"}},
         "<1 main.c>a\x1A" "b\n<1 a.h>x1\ny\r\n<2 main.c>rest\n"},
        {"kein Speicher eine Ebene tiefer",
         {{"main.c", "m\n#include \"a.h\"\n"}, {"a.h", "#include \"b.h\"\n"}, {"b.h", "B\n"}},
         "", 2, 1, "a.h", "b.h", "#include \"b.h\"\n", 1},
    };
    // 201 empty files in a row, the last directive at the end: each return leaves the depth as it was.
    Fall folge{"leere Dateien in Folge", {{"main.c", ""}, {"l.h", ""}}, "<1 main.c>"};
    for (int i = 1; i <= 201; ++i) {
        folge.dateien[0].second += i < 201 ? "#include \"l.h\"\n" : "#include \"l.h\"";
        folge.aus += "<1 l.h><" + std::to_string(i) + " main.c>";
    }
    faelle.push_back(folge);
    // 200 levels of includes are read, one more fails.
    faelle.push_back({"sich selbst", {{"main.c", "#include \"s.h\"\n"}, {"s.h", "#include \"s.h\"\n"}}, "", 2, 1, "s.h",
                      "s.h", "#include \"s.h\"\n"});
    // A name too long for its buffer or the join is looked up as the top directory; the longest is found.
    const std::string lang(259 - oben().size(), 'n'), absolut = pfad(std::string(259 - pfad("").size(), 'a'));
    for (const std::string &n : {absolut + "a", std::string(259, 'n'), lang + "n"}) {
        const std::string zeile = "#include \"" + n + "\"\n";
        faelle.push_back({"Name zu lang", {{"main.c", zeile}}, "", 2, 1, "main.c", ".", zeile});
    }
    faelle.push_back({"laengster Name", {{"main.c", "#include \"" + lang + "\"\n"}, {lang, "N\n"}},
                      "<1 main.c><1 " + lang + ">N\n<1 main.c>"});
    faelle.push_back({"laengster Name von der Wurzel", {{"main.c", "#include <" + absolut + ">\n"}, {absolut, "A\n"}},
                      "<1 main.c>" + Marke(1, absolut) + "A\n<1 main.c>"});
    // A folder, a device or a pipe fails as a file that cannot be opened, instead of being read for ever.
    std::vector<std::string> endlos = {"sub"};
#ifndef _WIN32
    ASSERT_EQ(std::system(("mkfifo '" + pfad("rohr") + "'").c_str()), 0);
    endlos.insert(endlos.end(), {"/dev/zero", "/dev/urandom", "/dev/null", "rohr"});
#endif
    for (const std::string &e : endlos)
        faelle.push_back({"endlos", {{"main.c", "vor\n#include <" + e + ">\nnach\n"}}, "", 2, 2, "main.c", e,
                          "#include <" + e + ">\n"});
    fs::create_directory(d.pfad() / "sub");
    for (const Fall &c : faelle) {
        SCOPED_TRACE(c.titel);
        for (auto &[n, inhalt] : c.dateien)
            kt::Datei_schreiben(pfad(n), inhalt);
        // A failed run leaves the output as it was.
        std::string aus;
        kt::Datei_schreiben(pfad("out.i"), "vorher\n");
        EXPECT_EQ(lauf(pfad("main.c"), pfad("out.i"), aus, c.speicher), c.code == 0 ? 1 : 0);
        EXPECT_EQ(aus, c.code ? "vorher\n" : erwartet(c.aus));
        if (c.code)
            fehler(c.code, c.zeile, name(c.datei), name(c.name), c.text);
    }
}

TEST_F(Preprozess, EingabeOderAusgabeScheitert)
{
    std::string aus;
    kt::Datei_schreiben(pfad("alt.i"), "bleibt");
    std::vector<std::string> eingaben = {pfad("fehlt.c"), d.pfad().string(), pfad(std::string(260 - pfad("").size(), 'e'))};
#ifndef _WIN32
    // A device never ends; a pipe without a writer would hold the open.
    ASSERT_EQ(std::system(("mkfifo '" + pfad("rohr") + "'").c_str()), 0);
    eingaben.insert(eingaben.end(), {"/dev/zero", pfad("rohr")});
#endif
    for (const std::string &ein : eingaben) {
        EXPECT_EQ(lauf(ein, pfad("alt.i"), aus), 0);
        fehler(2, 0, "", ein.substr(0, 259), "");
        EXPECT_EQ(aus, "bleibt");
    }
    // Nothing can be created below a file, even by root; on a full device the write fails at the close;
    // a pipe without a reader fails the open at once.
    kt::Datei_schreiben(pfad("main.c"), "x\n");
    for (std::string a : {pfad("alt.i/out.i"), std::string("/dev/full"), pfad("rohr")}) {
        if (!fs::exists(a) && a != pfad("alt.i/out.i"))
            continue;
        EXPECT_EQ(KR_Preprozess(pfad("main.c").c_str(), a.c_str(), &f), 0);
        fehler(3, 0, "", a, "");
    }
    std::string mem;
    if (fs::exists("/proc/self/mem")) { // its first page cannot be read
        EXPECT_EQ(lauf("/proc/self/mem", pfad("out.i"), mem), 0);
        EXPECT_FALSE(fs::exists(pfad("out.i")));
        fehler(2, 1, "/proc/self/mem", "/proc/self/mem", "");
    }
    EXPECT_EQ(KR_Preprozess(nullptr, pfad("alt.i").c_str(), &f), 0);
    EXPECT_EQ(f.code, 2);
    EXPECT_EQ(KR_Preprozess(pfad("main.c").c_str(), nullptr, &f), 0);
    EXPECT_EQ(f.code, 3);
}

// An output that is the input under any name fails before opening; one that an include names fails there.
TEST_F(Preprozess, AusgabeIstEineEingabe)
{
    const std::string text = "m\n#include \"a.h\"\n";
    kt::Datei_schreiben(pfad("main.c"), text);
    kt::Datei_schreiben(pfad("a.h"), "A\n");
    std::vector<std::string> namen = {pfad("main.c"), pfad("./main.c"), pfad("hart.i")};
    fs::create_hard_link(pfad("main.c"), pfad("hart.i"));
#ifndef _WIN32
    fs::create_symlink(pfad("main.c"), pfad("link.i"));
    namen.push_back(pfad("link.i"));
#endif
    for (const std::string &a : namen) {
        EXPECT_EQ(KR_Preprozess(pfad("main.c").c_str(), a.c_str(), &f), 0);
        fehler(3, 0, "", a, "");
        EXPECT_EQ(kt::Datei_lesen(pfad("main.c")), text) << a;
    }
    EXPECT_EQ(KR_Preprozess(pfad("main.c").c_str(), pfad("a.h").c_str(), &f), 0);
    fehler(3, 2, pfad("main.c"), pfad("a.h"), "#include \"a.h\"\n");
    EXPECT_EQ(kt::Datei_lesen(pfad("a.h")), "A\n");
    EXPECT_EQ(kt::Datei_lesen(pfad("main.c")), text);
}

// The output changes only when the whole run succeeds: a failure leaves its bytes and no temporary file
// beside it, a success keeps its mode.
TEST_F(Preprozess, AusgabeErstZumSchluss)
{
    const std::string alt("alt\r\n\0x", 7), ein = pfad("main.c"), aus = pfad("out.i");
    auto namen = [&] {
        std::vector<std::string> n;
        for (const auto &e : fs::directory_iterator(d.pfad()))
            n.push_back(e.path().filename().string());
        std::sort(n.begin(), n.end());
        return n;
    };
    const std::vector<std::string> alle = {"a.h", "main.c", "out.i"};
    kt::Datei_schreiben(ein, "m\n#include \"a.h\"\n");
    kt::Datei_schreiben(pfad("a.h"), "A\n#include \"f.h\"\n");
    kt::Datei_schreiben(aus, alt);
    fs::permissions(aus, fs::perms(0640));
    EXPECT_EQ(KR_Preprozess(ein.c_str(), aus.c_str(), &f), 0);
    fehler(2, 2, name("a.h"), name("f.h"), "#include \"f.h\"\n");
    EXPECT_EQ(kt::Datei_lesen(aus), alt);
    EXPECT_EQ(namen(), alle);
    kt::Datei_schreiben(pfad("a.h"), "A\n");
    EXPECT_EQ(KR_Preprozess(ein.c_str(), aus.c_str(), &f), 1);
    EXPECT_EQ(kt::Datei_lesen(aus), erwartet("<1 main.c>m\n<1 a.h>A\n<2 main.c>"));
    EXPECT_EQ(namen(), alle);
#ifndef _WIN32
    EXPECT_EQ(fs::status(aus).permissions() & fs::perms::all, fs::perms(0640));
    // A read-only output is refused, as opening it for writing would be, though a rename could replace it.
    const std::string vorher = kt::Datei_lesen(aus);
    fs::permissions(aus, fs::perms(0444));
    EXPECT_EQ(KR_Preprozess(ein.c_str(), aus.c_str(), &f), 0);
    fehler(3, 0, "", aus, "");
    EXPECT_EQ(kt::Datei_lesen(aus), vorher);
    EXPECT_EQ(namen(), alle);
#endif
}

TEST_F(Preprozess, RelativeNamen)
{
    const fs::path vorher = fs::current_path();
    fs::current_path(d.pfad());
    fs::create_directory("src");
    kt::Datei_schreiben("src/main.c", "#include \"a.h\"\n");
    kt::Datei_schreiben("src/a.h", "#include \"b.h\"\na2\n");
    kt::Datei_schreiben("src/b.h", "B\n");
    std::string aus, unten = oben() + ".\\src\\"; // nothing is resolved
    EXPECT_EQ(lauf("./src/main.c", "out.i", aus), 1);
    EXPECT_EQ(aus, Marke(1, "./src/main.c") + Marke(1, unten + "a.h") + Marke(1, unten + "b.h") + "B\n" +
                       Marke(1, ".\\src\\a.h") + "a2\n" + Marke(1, "./src/main.c"));

    // Without a directory part first-level files are recorded as "\a.h": one with includes can't be reopened.
    kt::Datei_schreiben("main.c", "#include \"kr-pfad-a.h\"\n");
    kt::Datei_schreiben("kr-pfad-a.h", "a1\n#include \"kr-pfad-b.h\"\na3\n");
    kt::Datei_schreiben("kr-pfad-b.h", "B\n");
    EXPECT_FALSE(fs::exists("/kr-pfad-a.h"));
    const std::string vorher_aus = aus;
    EXPECT_EQ(lauf("main.c", "out.i", aus), 0);
    EXPECT_EQ(aus, vorher_aus);
    fehler(2, 2, "\\kr-pfad-a.h", "\\kr-pfad-a.h", "");
    fs::current_path(vorher);
}

// Devices open for bytes as stored (the file source reads them) but not in text mode, folders in neither.
TEST(Strom, GeraeteNurAlsRoheBytes)
{
    kt::Tempordner d;
    const bool posix = fs::path::preferred_separator == '/';
    EXPECT_EQ(Strom_oeffnen(posix ? "/dev/zero" : "NUL", Strommodus::lesen_text), nullptr);
    EXPECT_EQ(Strom_oeffnen(d.pfad().string().c_str(), posix ? Strommodus::lesen_text : Strommodus::lesen_binaer), nullptr);
    Plattform_Strom *s = Strom_oeffnen(posix ? "/dev/zero" : "NUL", Strommodus::lesen_binaer);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Strom_Zeichen(s), posix ? 0 : -1);
    EXPECT_EQ(Strom_schliessen(s), 0);
}

} // namespace
