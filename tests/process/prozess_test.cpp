// Starting programs, and opening files with their registered tool (on Windows through tests/hilfe/probe.cpp).
#include "testhilfe.h"

#include "platform/plattform.h"

#include <cstring>
#include <optional>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string Q(const std::string &s) { return "\"" + s + "\""; }

std::string Escaped(std::string s)
{
    for (size_t i = 0; (i = s.find_first_of("\\\"", i)) != std::string::npos; i += 2)
        s.insert(i, 1, '\\');
    return s;
}

#ifndef _WIN32
void Skript(const fs::path &pfad, const std::string &rumpf)
{
    kt::Datei_schreiben(pfad.string(), "#!/bin/sh\n" + rumpf);
    fs::permissions(pfad, fs::perms::owner_all);
}
#endif

// Writes its arguments as "[a]\n" to <program>.out at once; after "--warten" first waits for <program>.los.
std::string Protokollskript(const fs::path &pfad)
{
#ifndef _WIN32
    Skript(pfad, "if [ \"$1\" = --warten ]; then shift; i=0\n"
                 "while [ ! -e \"$0.los\" ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done; fi\n"
                 "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.out\"\n");
    return pfad.string();
#else
    const char *probe = std::getenv("KORVAN_PROBE");
    EXPECT_NE(probe, nullptr) << "KORVAN_PROBE names the test program";
    fs::copy_file(probe ? probe : "", pfad.string() + ".exe", fs::copy_options::overwrite_existing);
    return pfad.string() + ".exe";
#endif
}

// The record once there (empty after 30 s), then removed (on Windows once the renaming handle lets go).
std::string Protokoll(const std::string &programm)
{
    std::string datei = programm + ".out", text;
    std::error_code ec;
    for (int i = 0; i < 1500 && (text.empty() || !fs::remove(datei, ec)); ++i) {
        text = text.empty() ? kt::Datei_lesen(datei) : text;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return text;
}

// Environment variables set, or for nullopt removed, for the object's life.
struct Umgebung {
    std::vector<std::pair<std::string, std::optional<std::string>>> alt;
    void setzen(const std::string &name, const std::optional<std::string> &wert, bool merken = true)
    {
        const char *w = std::getenv(name.c_str());
        if (merken)
            alt.emplace_back(name, w ? std::optional<std::string>(w) : std::nullopt);
#ifdef _WIN32
        _putenv((name + "=" + wert.value_or("")).c_str());
#else
        wert ? setenv(name.c_str(), wert->c_str(), 1) : unsetenv(name.c_str());
#endif
    }
    ~Umgebung() { for (auto it = alt.rbegin(); it != alt.rend(); ++it) setzen(it->first, it->second, false); }
};

// A failed start gives 0 with code 0, or the system's error code when not waited for; PATH is searched.
TEST(Ausfuehren, ExitcodeUndFehlstart)
{
    kt::Tempordner t;
    Umgebung u;
    Protokollskript(t.pfad() / "kr-im-pfad");
#ifndef _WIN32
    u.setzen("PATH", "/kr-fehlt::" + t.pfad().string() + ":" + std::getenv("PATH"));
    kt::Datei_schreiben(t / "kr-ohne-x", "#!/bin/sh\n");
    Skript(t.pfad() / "kr-kein-programm", "");
    kt::Datei_schreiben(t / "kr-kein-programm", "kein Programm\n"); // keeps its x bits
#else
    u.setzen("PATH", t.pfad().string() + ";" + std::getenv("PATH"));
    kt::Datei_schreiben(t / "text.txt", "kein Programm\n");
#endif
    const struct { std::string zeile; int ergebnis; unsigned code, fehler; } faelle[] = {
#ifndef _WIN32
        {"sh -c \"exit 0\"", 1, 0, 0}, {"sh -c \"exit 3\"", 0, 3, 0}, {"sh -c \"exit 255\"", 0, 255, 0},
        {"sh -c \"kill -9 $$\"", 0, 128 + 9, 0}, {"", 0, 0, 2}, {"   ", 0, 0, 2}, {"kr-ohne-x", 0, 0, 13},
        {t.pfad().string(), 0, 0, 13}, {"kr-kein-programm", 0, 0, 8}, {std::string(32766, ' '), 0, 0, 2},
        {std::string(32767, ' '), 0, 0, 7}, {"true" + std::string(32762, ' '), 1, 0, 0}, // Windows' bound
#else
        {"cmd /c exit 0", 1, 0, 0}, {"cmd /c exit 3", 0, 3, 0}, {"cmd /c exit 259", 0, 259, 0}, // as it stands
        {"cmd /c exit -1", 0, 0xFFFFFFFFu, 0}, {t / "text.txt", 0, 0, 193},
#endif
        {"kr-gibt-es-nicht eins", 0, 0, 2}, {t / "fehlt", 0, 0, 2}, {"kr-im-pfad zwei", 1, 0, 0},
    };
    for (const auto &f : faelle) {
        unsigned code = 77, fehler = 77;
        EXPECT_EQ(KR_Ausfuehren(f.zeile.c_str(), &code), f.ergebnis) << f.zeile;
        EXPECT_EQ(code, f.code) << f.zeile;
        if (f.fehler) {
            EXPECT_EQ(KR_Ausfuehren_async(f.zeile.c_str(), &fehler), 0) << f.zeile;
            EXPECT_EQ(fehler, f.fehler) << f.zeile;
        }
    }
    unsigned fehler = 0;
    EXPECT_EQ(KR_Ausfuehren(nullptr, nullptr) + KR_Ausfuehren_async("kr-gibt-es-nicht", nullptr), 0);
    EXPECT_EQ(KR_Ausfuehren_async(nullptr, &fehler), 0);
    EXPECT_EQ(fehler, Fehlercode_ungueltiger_Name() == 22 ? 22u : 87u); // EINVAL, an invalid parameter
}

// The command line reaches the program split by the Windows runtime's rules; no shell sees it.
TEST(Ausfuehren, BefehlszeileWieDieWindowsLaufzeit)
{
    kt::Tempordner t;
    fs::create_directory(t.pfad() / "mit blank");
    std::string s = Protokollskript(t.pfad() / "mit blank" / "kr probe");
    const std::pair<std::string, std::string> faelle[] = {
        {"a b", "[a]\n[b]\n"}, {"\"a b\"  c", "[a b]\n[c]\n"}, {R"(a\\\"b)", "[a\\\"b]\n"}, {R"(a\\"b c")", "[a\\b c]\n"},
#ifndef _WIN32
        {"a\tb", "[a]\n[b]\n"}, {"\"offen bis zum Ende", "[offen bis zum Ende]\n"}, {R"("a""b" c)", "[a\"b]\n[c]\n"},
        {R"(a\b\\c)", "[a\\b\\\\c]\n"}, {R"(x\ "y\\")", "[x\\]\n[y\\]\n"}, {"\"\" x", "[]\n[x]\n"},
        {"'einfach' \"dop pelt\"", "['einfach']\n[dop pelt]\n"},
        {";echo x | cat > y $(touch z) `touch w` &", "[;echo]\n[x]\n[|]\n[cat]\n[>]\n[y]\n[$(touch]\n[z)]\n[`touch]\n[w`]\n[&]\n"},
        {"", "[eins]\n"}, // in the program name quotes only switch quoting on and off
#else
        {"%PATH% ^x", "[%PATH%]\n[^x]\n"}, {"a | b > c & d", "[a]\n[|]\n[b]\n[>]\n[c]\n[&]\n[d]\n"},
#endif
    };
    for (const auto &[rest, argumente] : faelle) {
        std::string zeile = rest.empty() ? Q(s.substr(0, 5)) + s.substr(5, 7) + Q(s.substr(12)) + " eins" : Q(s) + " " + rest;
        unsigned code = 77;
        EXPECT_EQ(KR_Ausfuehren(zeile.c_str(), &code), 1) << zeile;
        EXPECT_EQ(Protokoll(s), argumente) << zeile;
    }
}

// A start not waited for leaves no child behind; only the standard descriptors are inherited.
TEST(Ausfuehren, AsyncUndVererbt)
{
    kt::Tempordner t;
    std::string s = Protokollskript(t.pfad() / "wartet");
    unsigned fehler = 77;
    EXPECT_EQ(KR_Ausfuehren_async((s + " --warten \"a b\"").c_str(), &fehler), 1);
    EXPECT_EQ(fehler, 0u);
    EXPECT_FALSE(fs::exists(s + ".out"));
#ifndef _WIN32
    std::string kind;
    std::ifstream("/proc/self/stat") >> kind;
    std::ifstream kinder("/proc/self/task/" + kind + "/children");
    EXPECT_TRUE(kinder.is_open() && !(kinder >> kind)) << kind;
#endif
    kt::Datei_schreiben(s + ".los", "");
    EXPECT_EQ(Protokoll(s), "[a b]\n");
    EXPECT_EQ(KR_Ausfuehren_async((s + " x").c_str(), nullptr), 1);
    EXPECT_EQ(Protokoll(s), "[x]\n");
#ifndef _WIN32
    std::string offen = t / "offen.txt";
    std::FILE *f = std::fopen(offen.c_str(), "w"); // not closed on exec
    Skript(s, "for f in /proc/$$/fd/*; do readlink \"$f\"; done > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.out\"\n");
    EXPECT_EQ(KR_Ausfuehren(s.c_str(), nullptr), 1);
    std::string kanaele = Protokoll(s);
    EXPECT_TRUE(kanaele != "" && kanaele.find(offen) == std::string::npos) << kanaele;
    std::fclose(f);
#endif
}

// A registry per test: a .reg file and desktop folders, or user and machine keys (wine reads the latter).
class Werkzeug : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef _WIN32
        for (const char *n : {"heim", "konfig", "daten/mime", "daten/applications", "systemdaten/mime", "systemkonfig"})
            fs::create_directories(t.pfad() / n);
        const char *umgebung[][2] = {{"HOME", "heim"}, {"XDG_CONFIG_HOME", "konfig"}, {"XDG_DATA_HOME", "daten"},
                                     {"XDG_DATA_DIRS", "systemdaten"}, {"XDG_CONFIG_DIRS", "systemkonfig"}};
        for (auto &e : umgebung)
            u.setzen(e[0], t / e[1]);
        u.setzen("XDG_CURRENT_DESKTOP", std::nullopt);
        u.setzen("KORVAN_REGISTRY", reg);
#endif
        werkzeug = Protokollskript(t.pfad() / "werkzeug");
    }

    void Reg(const std::string &rumpf, const std::string &kopf = "Windows Registry Editor Version 5.00")
    {
#ifndef _WIN32
        kt::Datei_schreiben(reg, kopf + "\r\n\r\n" + rumpf);
    }
#else
        const std::string hkcr = "HKEY_CLASSES_ROOT";
        for (size_t a = 0, e; (a = rumpf.find("[" + hkcr + "\\", a)) != std::string::npos; a = e) {
            e = rumpf.find_first_of("\\]", a + hkcr.size() + 2);
            geschrieben += "[-" + rumpf.substr(a + 1, e - a - 1) + "]\r\n";
        }
        for (std::string wurzel : {"HKEY_CURRENT_USER\\Software\\Classes", "HKEY_LOCAL_MACHINE\\Software\\Classes"}) {
            std::string text = kopf + "\r\n\r\n" + rumpf;
            for (size_t a = 0; (a = text.find(hkcr, a)) != std::string::npos; a += wurzel.size())
                text.replace(a, hkcr.size(), wurzel);
            kt::Datei_schreiben(reg, text);
            int r = std::system(("reg import \"" + reg + "\" >nul 2>&1").c_str());
            EXPECT_TRUE(r == 0 || wurzel[5] == 'L') << text; // the machine's may be refused
        }
    }
    void TearDown() override { Reg(geschrieben); }
    std::string geschrieben;
#endif

    void Befehl(const std::string &befehl, const std::string &typ = "kvtfile")
    {
        Reg("[HKEY_CLASSES_ROOT\\.kvt]\r\n@=\"" + typ + "\"\r\n\r\n"
            "[HKEY_CLASSES_ROOT\\" + typ + "\\shell\\open\\command]\r\n@=\"" + Escaped(befehl) + "\"\r\n");
    }
    std::string Wert(const char *schluessel)
    {
        char puffer[260];
        int32_t r = Register_Wert_lesen(schluessel, puffer, sizeof puffer);
        return r == 0 ? std::string(puffer) : "<" + std::to_string(r) + ">";
    }
    // The tool's arguments, else "<error word>"; ohne: no place for the error word.
    using Aufruf = int (*)(const char *datei, const char *endung, unsigned *fehler);
    std::string Ruf(Aufruf aufruf, const char *datei, const char *endung = ".kvt", bool ohne = false)
    {
        unsigned fehler = ohne ? 0 : 77;
        int r = aufruf(datei, endung, ohne ? nullptr : &fehler);
        return r == 0 ? "<" + std::to_string(fehler) + ">" : r == 1 && fehler == 0 ? Protokoll(werkzeug) : "?";
    }

    kt::Tempordner t;
    Umgebung u;
    std::string reg = t / "classes.reg", werkzeug;
};

int Aufrufen(const char *datei, const char *, unsigned *fehler) { return KR_Standardwerkzeug_aufrufen(datei, fehler); }
int Expl(const char *datei, const char *endung, unsigned *f) { return KR_Standardwerkzeug_aufrufen_expl(datei, endung, f); }

TEST_F(Werkzeug, BefehlszeilenUndFehler)
{
    for (const std::string &name : {std::string("KR_ORDNER"), std::string(255, 'V'), std::string(256, 'V')})
        u.setzen(name, t.pfad().string());
    u.setzen("KR_WERT", "wert");
    u.setzen("KR_UNGESETZT", std::nullopt);
    const std::string w = werkzeug, nein = "<0>", ungueltig = "<" + std::to_string(Fehlercode_ungueltiger_Name()) + ">";
    auto lang = [&](size_t n) { return std::string(n - w.size() - 5, 'd') + ".kvt"; }; // a command line of n bytes
    // A command line of 780, a variable name of 256 bytes is too long.
    const struct { std::string befehl, datei, aufrufen, expl; } faelle[] = {
        {Q(w) + " \"%1\"", "a b.kvt", "[a b.kvt]\n", "[ a b.kvt]\n"}, {w, "a b.kvt", "[a]\n[b.kvt]\n", "[a]\n[b.kvt]\n"},
        {w + " %1", "x.kvt", "[x.kvt]\n", "[x.kvt]\n"}, {w + " %2", "x.kvt", nein, "[x.kvt]\n"},
        {w + " %1 --nach %1", "x.kvt", "[x.kvt]\n[--nach]\n[%1]\n", "[x.kvt]\n"},
        {"%KR_ORDNER%\\werkzeug %1", "x.kvt", nein, "[x.kvt]\n"},
        {w + " --vor=%KR_WERT%-%KR_WERT% %1", "x.kvt", nein, "[--vor=wert-%KR_WERT%]\n[x.kvt]\n"},
        {w + " %KR_UNGESETZT% %1", "x.kvt", nein, "[%KR_UNGESETZT%]\n[x.kvt]\n"},
        {w + " %*", "x.kvt", nein, "[%*]\n[x.kvt]\n"},
        {Q(w) + " \"%1\"", "x\" --boese \"y.kvt", ungueltig, ungueltig}, // a '"' would close the quotes
        {t / "fehlt" + " %1", "x.kvt", "<2>", "<2>"},                    // a tool that cannot be started
        {w, lang(779), "[" + lang(779) + "]\n", "[" + lang(779) + "]\n"}, {w, lang(780), "<234>", "<234>"},
        {"%" + std::string(255, 'V') + "%\\werkzeug %1", "x.kvt", nein, "[x.kvt]\n"},
        {"%" + std::string(256, 'V') + "%\\werkzeug %1", "x.kvt", nein, "<234>"},
    };
    for (const auto &f : faelle) {
        Befehl(f.befehl);
        EXPECT_EQ(Ruf(Aufrufen, f.datei.c_str()), f.aufrufen) << f.befehl;
        EXPECT_EQ(Ruf(Expl, f.datei.c_str()), f.expl) << f.befehl;
    }
    Befehl(w);
    // the name's own extension plays no part
    EXPECT_EQ(Ruf(Expl, "dir.kvt\\ohne") + Ruf(Aufrufen, "dir.x\\y.kvt"), "[dir.kvt\\ohne]\n[dir.x\\y.kvt]\n");
    EXPECT_EQ(Ruf(Aufrufen, "x.fehlt") + Ruf(Expl, "x.kvt", ".fehlt"), "<2><2>");
    EXPECT_EQ(Ruf(Aufrufen, nullptr) + Ruf(Expl, nullptr) + Ruf(Expl, "x.kvt", nullptr) + Ruf(Aufrufen, nullptr, "", true),
              "<1><1><1><0>");
    EXPECT_EQ(Ruf(Aufrufen, "x.kvt", "", true) + Ruf(Expl, "x.kvt", ".kvt", true), "[x.kvt]\n[x.kvt]\n");
    // Type name and key path 260 bytes.
    for (size_t n : {240u, 241u}) {
        Befehl(werkzeug, std::string(n, 't'));
        EXPECT_EQ(Ruf(Aufrufen, "x.kvt"), n == 240 ? "[x.kvt]\n" : "<234>");
    }
    Reg("[HKEY_CLASSES_ROOT\\.kvt]\r\n@=\"" + std::string(260, 'l') + "\"\r\n");
    EXPECT_EQ(Ruf(Aufrufen, "x.kvt"), "<234>");
}

// Names in any case, "" for a key without a default value (missing through an open key), the buffer's bounds.
TEST_F(Werkzeug, RegistryLesen)
{
    Reg("[HKEY_CLASSES_ROOT\\.kr-leer]\r\n\"Content Type\"=\"text/plain\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\kr-typ\\shell\\open\\command]\r\n@=\"cmd\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\.kr-a]\r\n@=\"" + std::string(259, 'a') + "\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\.kr-b]\r\n@=\"" + std::string(260, 'b') + "\"\r\n\r\n"
#ifdef _WIN32
        "[HKEY_CLASSES_ROOT\\.kr-ohne-null]\r\n@=hex:63,6d,64\r\n"
#else
        "; Kommentar\r\n[hkey_classes_root\\.ESC]\r\n@=\"\\\"C:\\\\Prog\\\\x.exe\\\" \\\"%1\\\"\"\r\n"
        "[HKEY_CLASSES_ROOT\\.spaet]\r\n@=\"erst\"\r\n[HKEY_CLASSES_ROOT\\.spaet]\r\n@=\"dann\"\r\n"
        "[HKEY_CLASSES_ROOT\\.weg]\r\n@=\"x\"\r\n[-HKEY_CLASSES_ROOT\\.weg]\r\n"
        "[HKEY_CLASSES_ROOT\\.wertweg]\r\n@=\"x\"\r\n@=-\r\n[HKEY_CURRENT_USER\\.fremd]\r\n@=\"x\"\r\n"
        "[HKEY_CLASSES_ROOT\\.offen]\r\n@=\"kein Ende\r\n@=dword:00000001\r\n"
        "[HKEY_CLASSES_ROOT\\.kaputt\r\n@=\"x\"\r\n[HKEY_CLASSES_ROOT\\.rest]\r\n@=\"x\" rest\r\n"
        "[HKEY_CLASSES_ROOT]\r\n@=\"wurzel\"\r\n"
#endif
    );
    const std::pair<const char *, std::string> werte[] = {
        {".kr-leer", ""}, {"kr-typ", ""}, {"kr-typ\\shell", ""}, {"KR-TYP\\SHELL\\OPEN\\COMMAND", "cmd"},
        {"kr-typ\\shell\\open\\command\\tiefer", "<2>"}, {".kr-fehlt", "<2>"}, {".kr-a", std::string(259, 'a')},
        {".kr-b", "<234>"},
#ifndef _WIN32
        {".esc", "\"C:\\Prog\\x.exe\" \"%1\""}, {".spaet", "dann"}, {".weg", "<2>"}, {".wertweg", ""}, {".fremd", "<2>"},
        {".offen", ""}, {".kaputt", "<2>"}, {".rest", ""}, {"", "wurzel"},
#endif
    };
    for (const auto &[schluessel, wert] : werte)
        EXPECT_EQ(Wert(schluessel), wert) << schluessel;
    Registerschluessel s;
    char puffer[260];
    ASSERT_EQ(Register_Schluessel_oeffnen(".kr-leer", &s), 0);
    EXPECT_EQ(Register_Schluesselwert_lesen(&s, puffer, sizeof puffer), 0);
    EXPECT_STREQ(puffer, "");
    EXPECT_EQ(Register_Schluesselwert_lesen_ex(&s, puffer, sizeof puffer), 2);
    Register_Schluessel_schliessen(&s);
    EXPECT_EQ(Register_Schluessel_oeffnen(".kr-fehlt", &s), 2);
#ifdef _WIN32
    EXPECT_EQ(s.kennung, 0);
    // Bytes without a terminator, taken as they are and terminated.
    for (const char *schluessel : {"kr-typ\\shell\\open\\command", ".kr-ohne-null"}) {
        ASSERT_EQ(Register_Schluessel_oeffnen(schluessel, &s), 0);
        for (uint32_t groesse : {4u, 3u}) {
            EXPECT_EQ(Register_Schluesselwert_lesen_ex(&s, puffer, groesse), groesse == 4 ? 0 : 234);
            EXPECT_TRUE(groesse == 3 || std::string(puffer, 4) == std::string("cmd", 4));
            std::memset(puffer, 'x', sizeof puffer);
            if (schluessel[0] == 'k') {
                EXPECT_STREQ(s.pfad, schluessel);
                EXPECT_EQ(Register_Schluesselwert_lesen(&s, puffer, groesse), groesse == 4 ? 0 : 234);
                EXPECT_EQ(std::string(puffer, 4), groesse == 4 ? std::string("cmd", 4) : "xxxx");
            }
        }
        Register_Schluessel_schliessen(&s);
    }
#endif
}

#ifndef _WIN32
// Read afresh each lookup, UTF-8 or UTF-16 (lone surrogate: '?'); broken, missing, odd or over 4 MiB: no key.
TEST_F(Werkzeug, RegDatei)
{
    Reg("[HKEY_CLASSES_ROOT\\.a]\r\n@=\"neu\"\r\n", "REGEDIT4");
    EXPECT_EQ(Wert(".a"), "neu");
    std::string utf16 = "\xFF\xFE";
    for (char16_t z : u"Windows Registry Editor Version 5.00\r\n[HKEY_CLASSES_ROOT\\.a]\r\n@=\"\u00E4\U0001F600\xDFFF\xE000\"\r\n")
        utf16 += z ? std::string{static_cast<char>(z & 0xFF), static_cast<char>(z >> 8)} : "";
    for (const std::string &datei : {std::string("\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                                                 "[HKEY_CLASSES_ROOT\\.a]\r\n@=\"\xC3\xA4\xF0\x9F\x98\x80?\xEE\x80\x80\"\r\n"), utf16}) {
        kt::Datei_schreiben(reg, datei);
        EXPECT_EQ(Wert(".a"), "\xC3\xA4\xF0\x9F\x98\x80?\xEE\x80\x80");
    }
    ASSERT_EQ(std::system(("mkfifo '" + (t / "rohr") + "'").c_str()), 0);
    kt::Datei_schreiben(t / "gross.reg", "REGEDIT4\n[HKEY_CLASSES_ROOT\\.a]\n@=\"x\"\n;" + std::string(4 << 20, ' '));
    std::vector<std::string> dateien = {"/dev/zero", t / "rohr", t.pfad().string(), t / "gross.reg", t / "fehlt"};
    for (const char *text : {"[HKEY_CLASSES_ROOT\\.a]\r\n@=\"x\"\r\n", "", "REGEDIT4\n[\x80\xFF@=\"\x01\r\n", "\xFF\xFE\x52",
                             "REGEDIT5\n[HKEY_CLASSES_ROOT\\.a]\n@=\"x\"\n"})
        kt::Datei_schreiben(dateien.emplace_back(t / ("kaputt" + std::to_string(dateien.size()))), text);
    for (const std::string &datei : dateien) {
        u.setzen("KORVAN_REGISTRY", datei);
        EXPECT_EQ(Wert(".a"), "<2>") << datei;
    }
    EXPECT_EQ(Wert(""), "");
    u.setzen("KORVAN_REGISTRY", std::nullopt);
    for (const char *ordner : {"konfig", "heim/.config"}) {
        fs::create_directories(t.pfad() / ordner / "korvan");
        kt::Datei_schreiben(t / ordner + "/korvan/classes.reg", std::string("REGEDIT4\n[HKEY_CLASSES_ROOT\\.a]\n@=\"") + ordner + "\"\n");
    }
    EXPECT_EQ(Wert(".a"), "konfig");
    u.setzen("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(Wert(".a"), "heim/.config");
}

// Behind the .reg file the desktop's types and default applications.
TEST_F(Werkzeug, Desktop)
{
    auto schreiben = [&](const char *datei, const std::string &text) { kt::Datei_schreiben(t / datei, text); };
    schreiben("daten/mime/globs2", "# globs\n50:text/x-kvn:*.kvn\n60:text/x-kvn-hoch:*.KVN\n90:text/x-gross:*.GR:cs\n");
    schreiben("systemdaten/mime/globs2", "60:text/x-system:*.kvn\n50:text/x-sys:*.sys\n");
    schreiben("daten/applications/probe.desktop", "[Desktop Entry]\nName=Korvan Probe\nIcon=probe-icon\n"
                                                  "Exec=" + werkzeug + " --datei %f --name %c %i %d\n");
    schreiben("konfig/mimeapps.list", "[Default Applications]\ntext/x-kvn-hoch=fehlt.desktop;versteckt.desktop;probe.desktop;\n");
    schreiben("daten/applications/versteckt.desktop", "[Desktop Entry]\nExec=/bin/false %f\nHidden=true\n");
    const std::string probe = werkzeug + " --datei \"%1\" --name \"Korvan Probe\" --icon probe-icon";
    EXPECT_EQ(Wert(".kvn") + Wert(".gr") + Wert(".GR") + Wert(".sys"), "text/x-kvn-hoch<2>text/x-grosstext/x-sys");
    EXPECT_EQ(Wert("text/x-kvn-hoch\\shell\\open\\command"), probe);
    EXPECT_EQ(Ruf(Aufrufen, (t / "mit blank.kvn").c_str()),
              "[--datei]\n[" + (t / "mit blank.kvn") + "]\n[--name]\n[Korvan Probe]\n[--icon]\n[probe-icon]\n");
    schreiben("systemkonfig/mimeapps.list", "[Added Associations]\ntext/x-sys=probe.desktop\n");
    EXPECT_EQ(Wert("text/x-sys\\shell\\open\\command"), probe);
    schreiben("daten/applications/eigen.desktop", "[Desktop Entry]\nExec = \"/mit blank/prog\" \"a \\\\\"b\\\\\"\" %%x --f=%U %F\n");
    schreiben("konfig/test-mimeapps.list", "[Default Applications]\ntext/x-sys=eigen.desktop\n");
    u.setzen("XDG_CURRENT_DESKTOP", "Anders:TEST");
    EXPECT_EQ(Wert("text/x-sys\\shell\\open\\command"), "\"/mit blank/prog\" \"a \\\"b\\\"\" %x \"--f=%1\"");
    EXPECT_EQ(Wert("text/x-fehlt\\shell\\open\\command") + Wert("kvnfile\\shell\\open\\command"), "<2><2>");
    Reg("[HKEY_CLASSES_ROOT\\.kvn]\r\n@=\"kvnfile\"\r\n");
    EXPECT_EQ(Ruf(Aufrufen, "x.kvn"), "<2>");
    Reg("[HKEY_CLASSES_ROOT\\text/x-kvn-hoch\\shell\\open\\command]\r\n@=\"eigen %1\"\r\n");
    EXPECT_EQ(Wert("text/x-kvn-hoch\\shell\\open\\command"), "eigen %1");
    // A pipe for the user's globs is passed over, never waited for.
    fs::remove(t.pfad() / "daten/mime/globs2");
    ASSERT_EQ(std::system(("mkfifo '" + (t / "daten/mime/globs2") + "'").c_str()), 0);
    EXPECT_EQ(Wert(".kvn"), "text/x-system");
}
#endif

} // namespace
