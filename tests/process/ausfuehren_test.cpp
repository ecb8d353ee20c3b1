// Starting programs: exit codes, failed starts, the splitting of command
// lines, inherited descriptors, starts not waited for.  On POSIX systems
// with scripts of the shell, on Windows with the system's command
// interpreter and the test program that records its arguments.
#include "prozesshilfe.h"

#include <cstdio>
#include <cstring>

namespace {

namespace fs = std::filesystem;
using kp::Protokoll;

std::string Q(const std::string &s)
{
    return "\"" + s + "\"";
}

#ifndef _WIN32
TEST(Ausfuehren, ErgebnisUndExitcode)
{
    struct Fall {
        const char *zeile;
        int ergebnis;
        unsigned code;
    } faelle[] = {
        {"sh -c \"exit 0\"", 1, 0},
        {"sh -c \"exit 3\"", 0, 3},
        {"sh -c \"exit 255\"", 0, 255},
        {"sh -c \"kill -9 $$\"", 0, 128 + 9},
    };
    for (const Fall &f : faelle) {
        unsigned code = 77;
        EXPECT_EQ(KR_Ausfuehren(f.zeile, &code), f.ergebnis) << f.zeile;
        EXPECT_EQ(code, f.code) << f.zeile;
        EXPECT_EQ(KR_Ausfuehren(f.zeile, nullptr), f.ergebnis) << f.zeile;
    }
}

// A start that fails is no exit code: KR_Ausfuehren gives 0 with code 0,
// KR_Ausfuehren_async the system's error code.  Programs without a path are
// looked for in PATH.
TEST(Ausfuehren, FehlgeschlagenerStart)
{
    kt::Tempordner t;
    kp::Umgebung u;
    u.setzen("PATH", "/kr-fehlt::" + t.pfad().string() + ":" + std::getenv("PATH"));
    kt::Datei_schreiben(t / "kr-ohne-x", "#!/bin/sh\n");
    kp::Skript(t.pfad() / "kr-kein-programm", "");
    kt::Datei_schreiben(t / "kr-kein-programm", "kein Programm\n"); // keeps its x bits
    struct Fall {
        std::string zeile;
        unsigned fehler;
    } faelle[] = {
        {"kr-gibt-es-nicht eins", 2},
        {t / "fehlt", 2},
        {"", 2},
        {"   ", 2},
        {"kr-ohne-x", 13},
        {t.pfad().string(), 13},
        {"kr-kein-programm", 8},
        {std::string(32766, ' '), 2},
        {std::string(32767, ' '), 7}, // longer than Windows starts
    };
    for (const Fall &f : faelle) {
        unsigned code = 77, fehler = 77;
        EXPECT_EQ(KR_Ausfuehren(f.zeile.c_str(), &code), 0) << f.zeile;
        EXPECT_EQ(code, 0u) << f.zeile;
        EXPECT_EQ(KR_Ausfuehren_async(f.zeile.c_str(), &fehler), 0) << f.zeile;
        EXPECT_EQ(fehler, f.fehler) << f.zeile;
    }
    unsigned fehler = 0;
    EXPECT_EQ(KR_Ausfuehren(nullptr, nullptr), 0);
    EXPECT_EQ(KR_Ausfuehren_async(nullptr, &fehler), 0);
    EXPECT_EQ(fehler, 22u);
    EXPECT_EQ(KR_Ausfuehren_async("kr-gibt-es-nicht", nullptr), 0);
    EXPECT_EQ(KR_Ausfuehren(("true" + std::string(32762, ' ')).c_str(), nullptr), 1);
}

// Arguments as the Windows runtime splits them; no shell ever sees them.
TEST(Ausfuehren, BefehlszeileWieDieWindowsLaufzeit)
{
    kt::Tempordner t;
    fs::create_directory(t.pfad() / "mit blank");
    std::string s = kp::Protokollskript(t.pfad() / "mit blank" / "kr probe");
    struct Fall {
        std::string rest;
        std::string argumente;
    } faelle[] = {
        {"a b", "[a]\n[b]\n"},
        {"\"a b\"  c", "[a b]\n[c]\n"},
        {"a\tb", "[a]\n[b]\n"},
        {"\"offen bis zum Ende", "[offen bis zum Ende]\n"},
        {R"(a\\\"b)", "[a\\\"b]\n"},
        {R"(a\\"b c")", "[a\\b c]\n"},
        {R"("a""b" c)", "[a\"b]\n[c]\n"},
        {R"(a\b\\c)", "[a\\b\\\\c]\n"},
        {R"(x\ "y\\")", "[x\\]\n[y\\]\n"},
        {"\"\" x", "[]\n[x]\n"},
        {"'einfach' \"dop pelt\"", "['einfach']\n[dop pelt]\n"},
        {";echo x | cat > y $(touch z) `touch w` &", "[;echo]\n[x]\n[|]\n[cat]\n[>]\n[y]\n[$(touch]\n[z)]\n[`touch]\n[w`]\n[&]\n"},
    };
    for (const Fall &f : faelle) {
        std::string zeile = Q(s) + " " + f.rest;
        unsigned code = 77;
        EXPECT_EQ(KR_Ausfuehren(zeile.c_str(), &code), 1) << zeile;
        EXPECT_EQ(Protokoll(s), f.argumente) << zeile;
    }
    for (const char *n : {"y", "z", "w"})
        EXPECT_FALSE(fs::exists(n));

    // In the program name quotes only switch quoting on and off.
    std::string zeile = Q(s.substr(0, 5)) + s.substr(5, 7) + Q(s.substr(12)) + " eins";
    EXPECT_EQ(KR_Ausfuehren(zeile.c_str(), nullptr), 1) << zeile;
    EXPECT_EQ(Protokoll(s), "[eins]\n");
}

TEST(Ausfuehren, NurDieStandardkanaeleWerdenVererbt)
{
    kt::Tempordner t;
    std::string offen = t / "offen.txt";
    std::FILE *f = std::fopen(offen.c_str(), "w"); // not closed on exec
    ASSERT_NE(f, nullptr);
    std::string s = t / "kanaele";
    kp::Skript(s, "for f in /proc/$$/fd/*; do readlink \"$f\"; done > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.out\"\n");
    EXPECT_EQ(KR_Ausfuehren(s.c_str(), nullptr), 1);
    std::string kanaele = Protokoll(s);
    EXPECT_NE(kanaele, "");
    EXPECT_EQ(kanaele.find(offen), std::string::npos) << kanaele;
    std::fclose(f);
}

// The processes whose parent this one is.
int Kinder()
{
    std::string eigen;
    std::ifstream("/proc/self/stat") >> eigen;
    int n = 0;
    for (const auto &e : fs::directory_iterator("/proc")) {
        std::ifstream stat(e.path() / "stat");
        std::string zeile;
        if (!std::getline(stat, zeile) || zeile.rfind(')') == std::string::npos)
            continue;
        std::string zustand, eltern;
        std::istringstream(zeile.substr(zeile.rfind(')') + 1)) >> zustand >> eltern;
        n += eltern == eigen;
    }
    return n;
}

TEST(AusfuehrenAsync, WartetNichtUndHinterlaesstKeinenProzess)
{
    kt::Tempordner t;
    std::string s = t / "wartet";
    kp::Skript(s, "i=0\nwhile [ ! -e \"$0.los\" ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done\n"
                  "printf '[%s]\\n' \"$@\" > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.out\"\n");
    unsigned fehler = 77;
    EXPECT_EQ(KR_Ausfuehren_async((s + " \"a b\"").c_str(), &fehler), 1);
    EXPECT_EQ(fehler, 0u);
    EXPECT_FALSE(fs::exists(s + ".out"));
    EXPECT_EQ(Kinder(), 0);
    kt::Datei_schreiben(s + ".los", "");
    EXPECT_EQ(Protokoll(s), "[a b]\n");
    EXPECT_EQ(KR_Ausfuehren_async((s + " x").c_str(), nullptr), 1);
    EXPECT_EQ(Protokoll(s), "[x]\n");
    EXPECT_EQ(Kinder(), 0);
}

#else

TEST(Ausfuehren, ErgebnisUndExitcode)
{
    struct Fall {
        const char *zeile;
        int ergebnis;
        unsigned code;
    } faelle[] = {
        {"cmd /c exit 0", 1, 0},
        {"cmd /c exit 3", 0, 3},
        {"cmd /c exit 259", 0, 259}, // the code of a thread that still runs, passed on as it stands
        {"cmd /c exit -1", 0, 0xFFFFFFFFu},
    };
    for (const Fall &f : faelle) {
        unsigned code = 77;
        EXPECT_EQ(KR_Ausfuehren(f.zeile, &code), f.ergebnis) << f.zeile;
        EXPECT_EQ(code, f.code) << f.zeile;
        EXPECT_EQ(KR_Ausfuehren(f.zeile, nullptr), f.ergebnis) << f.zeile;
    }
}

// A start that fails is no exit code: KR_Ausfuehren gives 0 with code 0,
// KR_Ausfuehren_async the system's error code.
TEST(Ausfuehren, FehlgeschlagenerStart)
{
    kt::Tempordner t;
    kt::Datei_schreiben(t / "text.txt", "kein Programm\n");
    struct Fall {
        std::string zeile;
        unsigned fehler;
    } faelle[] = {
        {"kr-gibt-es-nicht eins", 2}, // the file is not found
        {t / "fehlt", 2},
        {t / "text.txt", 193}, // no program
    };
    for (const Fall &f : faelle) {
        unsigned code = 77, fehler = 77;
        EXPECT_EQ(KR_Ausfuehren(f.zeile.c_str(), &code), 0) << f.zeile;
        EXPECT_EQ(code, 0u) << f.zeile;
        EXPECT_EQ(KR_Ausfuehren_async(f.zeile.c_str(), &fehler), 0) << f.zeile;
        EXPECT_EQ(fehler, f.fehler) << f.zeile;
    }
    unsigned fehler = 0;
    EXPECT_EQ(KR_Ausfuehren(nullptr, nullptr), 0);
    EXPECT_EQ(KR_Ausfuehren_async(nullptr, &fehler), 0);
    EXPECT_EQ(fehler, 87u); // an invalid parameter
    EXPECT_EQ(KR_Ausfuehren_async("kr-gibt-es-nicht", nullptr), 0);
}

// The command line reaches the program as it stands, split by the program's
// own runtime; no command interpreter sees it.
TEST(Ausfuehren, BefehlszeileUnveraendert)
{
    kt::Tempordner t;
    fs::create_directory(t.pfad() / "mit blank");
    std::string s = kp::Protokollskript(t.pfad() / "mit blank" / "kr probe");
    struct Fall {
        std::string rest;
        std::string argumente;
    } faelle[] = {
        {"a b", "[a]\n[b]\n"},
        {"\"a b\"  c", "[a b]\n[c]\n"},
        {R"(a\\\"b)", "[a\\\"b]\n"},
        {R"(a\\"b c")", "[a\\b c]\n"},
        {"%PATH% ^x", "[%PATH%]\n[^x]\n"},
        {"a | b > c & d", "[a]\n[|]\n[b]\n[>]\n[c]\n[&]\n[d]\n"},
    };
    for (const Fall &f : faelle) {
        std::string zeile = Q(s) + " " + f.rest;
        EXPECT_EQ(KR_Ausfuehren(zeile.c_str(), nullptr), 1) << zeile;
        EXPECT_EQ(Protokoll(s), f.argumente) << zeile;
    }
    EXPECT_FALSE(fs::exists("c"));
}

// A program without a path is looked for in PATH too.
TEST(Ausfuehren, ProgrammImSuchpfad)
{
    kt::Tempordner t;
    kp::Umgebung u;
    std::string s = kp::Protokollskript(t.pfad() / "kr-im-pfad");
    u.setzen("PATH", t.pfad().string() + ";" + std::getenv("PATH"));
    EXPECT_EQ(KR_Ausfuehren("kr-im-pfad eins", nullptr), 1);
    EXPECT_EQ(Protokoll(s), "[eins]\n");
}

TEST(AusfuehrenAsync, WartetNicht)
{
    kt::Tempordner t;
    std::string s = kp::Protokollskript(t.pfad() / "wartet");
    unsigned fehler = 77;
    EXPECT_EQ(KR_Ausfuehren_async((s + " --warten \"a b\"").c_str(), &fehler), 1);
    EXPECT_EQ(fehler, 0u);
    EXPECT_FALSE(fs::exists(s + ".out"));
    kt::Datei_schreiben(s + ".los", "");
    EXPECT_EQ(Protokoll(s), "[a b]\n");
    EXPECT_EQ(KR_Ausfuehren_async((s + " x").c_str(), nullptr), 1);
    EXPECT_EQ(Protokoll(s), "[x]\n");
}

#endif

} // namespace
