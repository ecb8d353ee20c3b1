// Opening files with their registered tool: the command lines built from the
// registry's commands and their limits; on POSIX systems the .reg file and
// the desktop's associations behind the registry, on Windows the registry.
#include "prozesshilfe.h"

#include "platform/plattform.h"

#include <cstring>

namespace {

namespace fs = std::filesystem;
using kp::Protokoll;

#ifndef _WIN32
// Every test has its own registry file and desktop folders, so nothing of
// the machine's own configuration plays a part.
class Werkzeug : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *n : {"heim", "konfig", "daten", "systemdaten", "systemkonfig"})
            fs::create_directories(t.pfad() / n);
        u.setzen("HOME", t / "heim");
        u.setzen("XDG_CONFIG_HOME", t / "konfig");
        u.setzen("XDG_DATA_HOME", t / "daten");
        u.setzen("XDG_DATA_DIRS", t / "systemdaten");
        u.setzen("XDG_CONFIG_DIRS", t / "systemkonfig");
        u.loeschen("XDG_CURRENT_DESKTOP");
        u.setzen("KORVAN_REGISTRY", reg);
        werkzeug = kp::Protokollskript(t.pfad() / "werkzeug");
    }

    void Reg(const std::string &rumpf, const char *kopf = "Windows Registry Editor Version 5.00")
    {
        kt::Datei_schreiben(reg, std::string(kopf) + "\r\n\r\n" + rumpf);
    }
#else
// Every test writes its keys below the user's own file types and removes
// them again.  Windows shows those below HKEY_CLASSES_ROOT; wine shows only
// the machine's there, so under wine the keys go there as well.
class Werkzeug : public ::testing::Test {
protected:
    void SetUp() override { werkzeug = kp::Protokollskript(t.pfad() / "werkzeug"); }
    void TearDown() override { Reg(""); }

    // The keys of the text, which names them below HKEY_CLASSES_ROOT, in
    // place of those that the test wrote before.
    void Reg(const std::string &rumpf)
    {
        std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
        for (const std::string &wurzel : Wurzeln()) {
            for (const std::string &k : geschrieben)
                text += "[-" + wurzel + "\\" + k + "]\r\n\r\n";
            for (size_t a = 0, e; a < rumpf.size(); a = e) {
                e = rumpf.find("HKEY_CLASSES_ROOT", a);
                text += rumpf.substr(a, e - a);
                if (e != std::string::npos) {
                    text += wurzel;
                    e += std::strlen("HKEY_CLASSES_ROOT");
                }
            }
        }
        geschrieben.clear();
        for (size_t a = 0; (a = rumpf.find("[HKEY_CLASSES_ROOT\\", a)) != std::string::npos;) {
            a += std::strlen("[HKEY_CLASSES_ROOT\\");
            geschrieben.push_back(rumpf.substr(a, rumpf.find_first_of("\\]", a) - a));
        }
        if (text.find('[') != std::string::npos)
            Einlesen(reg, text);
    }

    static void Einlesen(const std::string &datei, const std::string &text)
    {
        kt::Datei_schreiben(datei, text);
        EXPECT_EQ(std::system(("reg import \"" + datei + "\" >nul 2>&1").c_str()), 0) << text;
    }

    static const std::vector<std::string> &Wurzeln()
    {
        static const std::vector<std::string> wurzeln = [] {
            const std::string benutzer = "HKEY_CURRENT_USER\\Software\\Classes";
            kt::Tempordner t;
            const char *kopf = "Windows Registry Editor Version 5.00\r\n\r\n";
            Einlesen(t / "a.reg", kopf + ("[" + benutzer + "\\.kr-sichtbar]\r\n@=\"ja\"\r\n"));
            char wert[8] = "";
            bool sichtbar = Register_Wert_lesen(".kr-sichtbar", wert, sizeof wert) == 0 && std::string(wert) == "ja";
            Einlesen(t / "b.reg", kopf + ("[-" + benutzer + "\\.kr-sichtbar]\r\n"));
            if (sichtbar)
                return std::vector<std::string>{benutzer};
            return std::vector<std::string>{benutzer, "HKEY_LOCAL_MACHINE\\Software\\Classes"};
        }();
        return wurzeln;
    }

    std::vector<std::string> geschrieben; // the keys below the root
#endif

    static std::string Escaped(const std::string &s)
    {
        std::string r;
        for (char c : s)
            r += c == '\\' || c == '"' ? std::string("\\") + c : std::string(1, c);
        return r;
    }

    // .kvt is of type kvtfile, whose open command is `befehl`.
    void Befehl(const std::string &befehl)
    {
        Reg("[HKEY_CLASSES_ROOT\\.kvt]\r\n@=\"kvtfile\"\r\n\r\n"
            "[HKEY_CLASSES_ROOT\\kvtfile\\shell\\open\\command]\r\n@=\"" + Escaped(befehl) + "\"\r\n");
    }

    std::string Wert(const char *schluessel)
    {
        char puffer[780];
        int32_t r = Register_Wert_lesen(schluessel, puffer, sizeof puffer);
        return r == 0 ? std::string(puffer) : "<" + std::to_string(r) + ">";
    }

    kt::Tempordner t;
    kp::Umgebung u;
    std::string reg = t / "classes.reg";
    std::string werkzeug;
};

using Aufruf = int (*)(const char *datei, unsigned *fehler);
int Aufrufen(const char *datei, unsigned *fehler)
{
    return KR_Standardwerkzeug_aufrufen(datei, fehler);
}
int Expl(const char *datei, unsigned *fehler)
{
    return KR_Standardwerkzeug_aufrufen_expl(datei, ".kvt", fehler);
}

constexpr const char *Abgelehnt = "<abgelehnt>";

TEST_F(Werkzeug, BefehlszeilenDerKantenfaelle)
{
    u.setzen("KR_ORDNER", t.pfad().string());
    u.setzen("KR_WERT", "wert");
    u.loeschen("KR_UNGESETZT");
    std::string w = werkzeug;
    struct Fall {
        std::string befehl, datei;
        std::string aufrufen, expl; // the arguments the tool gets
    } faelle[] = {
        {"\"" + w + "\" \"%1\"", "a b.kvt", "[a b.kvt]\n", "[ a b.kvt]\n"},
        {w, "a b.kvt", "[a]\n[b.kvt]\n", "[a]\n[b.kvt]\n"},
        {w + " %1", "x.kvt", "[x.kvt]\n", "[x.kvt]\n"},
        {w + " %2", "x.kvt", Abgelehnt, "[x.kvt]\n"},
        {w + " %1 --nach %1", "x.kvt", "[x.kvt]\n[--nach]\n[%1]\n", "[x.kvt]\n"},
        {"%KR_ORDNER%\\werkzeug %1", "x.kvt", Abgelehnt, "[x.kvt]\n"},
        {w + " --vor=%KR_WERT%-%KR_WERT% %1", "x.kvt", Abgelehnt, "[--vor=wert-%KR_WERT%]\n[x.kvt]\n"},
        {w + " %KR_UNGESETZT% %1", "x.kvt", Abgelehnt, "[%KR_UNGESETZT%]\n[x.kvt]\n"},
        {w + " %*", "x.kvt", Abgelehnt, "[%*]\n[x.kvt]\n"},
    };
    for (const Fall &f : faelle) {
        Befehl(f.befehl);
        for (auto [aufruf, erwartet] : {std::pair<Aufruf, std::string>{Aufrufen, f.aufrufen}, {Expl, f.expl}}) {
            unsigned fehler = 77;
            int r = aufruf(f.datei.c_str(), &fehler);
            EXPECT_EQ(fehler, 0u) << f.befehl;
            if (erwartet == Abgelehnt) {
                EXPECT_EQ(r, 0) << f.befehl;
                continue;
            }
            EXPECT_EQ(r, 1) << f.befehl;
            EXPECT_EQ(Protokoll(werkzeug), erwartet) << f.befehl;
        }
    }
}

TEST_F(Werkzeug, FehlerwortUndNullzeiger)
{
    Befehl(werkzeug);
    unsigned fehler = 77;
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen("x.fehlt", &fehler), 0);
    EXPECT_EQ(fehler, 2u);
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen_expl("x.kvt", ".fehlt", &fehler), 0);
    EXPECT_EQ(fehler, 2u);
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen(nullptr, &fehler), 0);
    EXPECT_EQ(fehler, 1u);
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen_expl(nullptr, ".kvt", &fehler), 0);
    EXPECT_EQ(fehler, 1u);
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen_expl("x.kvt", nullptr, &fehler), 0);
    EXPECT_EQ(fehler, 1u);
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen(nullptr, nullptr), 0);

    // The file name's own extension plays no part in the explicit call.
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen_expl("dir.kvt\\ohne", ".kvt", nullptr), 1);
    EXPECT_EQ(Protokoll(werkzeug), "[dir.kvt\\ohne]\n");
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen("dir.x\\y.kvt", nullptr), 1);
    EXPECT_EQ(Protokoll(werkzeug), "[dir.x\\y.kvt]\n");

    // A tool that cannot be started gives the system's error code.
    Befehl(t / "fehlt" + " %1");
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen("x.kvt", &fehler), 0);
    EXPECT_EQ(fehler, 2u);
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen_expl("x.kvt", ".kvt", &fehler), 0);
    EXPECT_EQ(fehler, 2u);

    // A '"' would close the quotes around %1: refused, nothing started.
    Befehl("\"" + werkzeug + "\" \"%1\"");
    for (Aufruf aufruf : {Aufrufen, Expl}) {
        EXPECT_EQ(aufruf("x\" --boese \"y.kvt", &fehler), 0);
        EXPECT_EQ(fehler, Fehlercode_ungueltiger_Name());
    }
    EXPECT_EQ(Aufrufen("x.kvt", nullptr), 1);
    EXPECT_EQ(Protokoll(werkzeug), "[x.kvt]\n");
}

// Type name and key path 260 bytes, command line 780, variable name 256.
TEST_F(Werkzeug, PuffergrenzenBeideSeiten)
{
    unsigned fehler;
    for (size_t n : {240u, 241u}) {
        std::string typ(n, 't');
        Reg("[HKEY_CLASSES_ROOT\\.kvt]\r\n@=\"" + typ + "\"\r\n[HKEY_CLASSES_ROOT\\" + typ +
            "\\shell\\open\\command]\r\n@=\"" + Escaped(werkzeug) + "\"\r\n");
        EXPECT_EQ(KR_Standardwerkzeug_aufrufen("x.kvt", &fehler), n == 240 ? 1 : 0);
        EXPECT_EQ(fehler, n == 240 ? 0u : 234u);
        if (n == 240)
            Protokoll(werkzeug);
    }
    Befehl(werkzeug);
    for (size_t laenge : {779u, 780u}) {
        std::string datei = std::string(laenge - werkzeug.size() - 5, 'd') + ".kvt";
        for (Aufruf aufruf : {Aufrufen, Expl}) {
            EXPECT_EQ(aufruf(datei.c_str(), &fehler), laenge == 779 ? 1 : 0);
            EXPECT_EQ(fehler, laenge == 779 ? 0u : 234u);
            if (laenge == 779) {
                EXPECT_EQ(Protokoll(werkzeug), "[" + datei + "]\n");
            }
        }
    }
    for (size_t n : {255u, 256u}) {
        u.setzen(std::string(n, 'V'), t.pfad().string());
        Befehl("%" + std::string(n, 'V') + "%\\werkzeug %1");
        EXPECT_EQ(KR_Standardwerkzeug_aufrufen_expl("x.kvt", ".kvt", &fehler), n == 255 ? 1 : 0);
        EXPECT_EQ(fehler, n == 255 ? 0u : 234u);
        if (n == 255) {
            EXPECT_EQ(Protokoll(werkzeug), "[x.kvt]\n");
        }
    }
    Reg("[HKEY_CLASSES_ROOT\\.kvt]\r\n@=\"" + std::string(260, 'l') + "\"\r\n");
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen("x.kvt", &fehler), 0);
    EXPECT_EQ(fehler, 234u);
}

#ifndef _WIN32
TEST_F(Werkzeug, RegDateiLesen)
{
    Reg("; Kommentar\r\n"
        "[HKEY_CLASSES_ROOT\\.leer]\r\n\"Content Type\"=\"text/plain\"\r\n"
        "[hkey_classes_root\\.ESC]\r\n@=\"\\\"C:\\\\Prog\\\\x.exe\\\" \\\"%1\\\"\"\r\n"
        "[HKEY_CLASSES_ROOT\\.spaet]\r\n@=\"erst\"\r\n[HKEY_CLASSES_ROOT\\.spaet]\r\n@=\"dann\"\r\n"
        "[HKEY_CLASSES_ROOT\\.weg]\r\n@=\"x\"\r\n[-HKEY_CLASSES_ROOT\\.weg]\r\n"
        "[HKEY_CLASSES_ROOT\\.wertweg]\r\n@=\"x\"\r\n@=-\r\n"
        "[HKEY_CLASSES_ROOT\\typ\\shell\\open\\command]\r\n@=\"cmd\"\r\n"
        "[HKEY_CURRENT_USER\\.fremd]\r\n@=\"x\"\r\n"
        "[HKEY_CLASSES_ROOT\\.offen]\r\n@=\"kein Ende\r\n@=dword:00000001\r\n"
        "[HKEY_CLASSES_ROOT\\.kaputt\r\n@=\"x\"\r\n"
        "[HKEY_CLASSES_ROOT\\.rest]\r\n@=\"x\" rest\r\n"
        "[HKEY_CLASSES_ROOT]\r\n@=\"wurzel\"\r\n");
    EXPECT_EQ(Wert(".leer"), "");
    EXPECT_EQ(Wert(".esc"), "\"C:\\Prog\\x.exe\" \"%1\"");
    EXPECT_EQ(Wert(".spaet"), "dann");
    EXPECT_EQ(Wert(".weg"), "<2>");
    EXPECT_EQ(Wert(".wertweg"), "");
    EXPECT_EQ(Wert("typ"), "");
    EXPECT_EQ(Wert("typ\\shell"), "");
    EXPECT_EQ(Wert("TYP\\SHELL\\OPEN\\COMMAND"), "cmd");
    EXPECT_EQ(Wert("typ\\shell\\open\\command\\tiefer"), "<2>");
    EXPECT_EQ(Wert(".fremd"), "<2>");
    EXPECT_EQ(Wert(".offen"), "");
    EXPECT_EQ(Wert(".kaputt"), "<2>");
    EXPECT_EQ(Wert(".rest"), "");
    EXPECT_EQ(Wert(""), "wurzel");

    // Without a default value the key reads as "" or as missing.
    Registerschluessel s;
    char puffer[260];
    ASSERT_EQ(Register_Schluessel_oeffnen(".leer", &s), 0);
    EXPECT_EQ(Register_Schluesselwert_lesen(&s, puffer, sizeof puffer), 0);
    EXPECT_STREQ(puffer, "");
    EXPECT_EQ(Register_Schluesselwert_lesen_ex(&s, puffer, sizeof puffer), 2);
    Register_Schluessel_schliessen(&s);
    EXPECT_EQ(Register_Schluessel_oeffnen(".fehlt", &s), 2);

    // The 260-byte buffer of the type name, on both sides.
    Reg("[HKEY_CLASSES_ROOT\\.a]\r\n@=\"" + std::string(259, 'a') + "\"\r\n[HKEY_CLASSES_ROOT\\.b]\r\n@=\"" +
        std::string(260, 'b') + "\"\r\n");
    EXPECT_EQ(Register_Wert_lesen(".a", puffer, sizeof puffer), 0);
    EXPECT_EQ(std::string(puffer), std::string(259, 'a'));
    EXPECT_EQ(Register_Wert_lesen(".b", puffer, sizeof puffer), 234);

    // Read afresh at every lookup; the other header and UTF-16.
    Reg("[HKEY_CLASSES_ROOT\\.a]\r\n@=\"neu\"\r\n", "REGEDIT4");
    EXPECT_EQ(Wert(".a"), "neu");
    std::string utf8 = "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n[HKEY_CLASSES_ROOT\\.a]\r\n@=\"\xC3\xA4\xF0\x9F\x98\x80\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char16_t z : u"Windows Registry Editor Version 5.00\r\n[HKEY_CLASSES_ROOT\\.a]\r\n@=\"\u00E4\U0001F600\"\r\n") {
        if (z)
            utf16 += {static_cast<char>(z & 0xFF), static_cast<char>(z >> 8)};
    }
    for (const std::string &datei : {utf8, utf16}) {
        kt::Datei_schreiben(reg, datei);
        EXPECT_EQ(Wert(".a"), "\xC3\xA4\xF0\x9F\x98\x80");
    }
}

TEST_F(Werkzeug, KaputteRegDateiNenntKeinenSchluessel)
{
    std::string muell;
    for (int i = 0; i < 4096; ++i)
        muell += static_cast<char>((i * 7919) % 256);
    for (const std::string &text :
         {std::string("[HKEY_CLASSES_ROOT\\.a]\r\n@=\"x\"\r\n"), std::string("REGEDIT5\n[HKEY_CLASSES_ROOT\\.a]\n@=\"x\"\n"),
          muell, std::string("REGEDIT4\n") + muell, std::string("\xFF\xFE\x52"), std::string("")}) {
        kt::Datei_schreiben(reg, text);
        EXPECT_EQ(Wert(".a"), "<2>");
    }
    u.setzen("KORVAN_REGISTRY", t / "fehlt.reg");
    EXPECT_EQ(Wert(".a"), "<2>");
    EXPECT_EQ(Wert(""), "");

    // A device, a pipe, a folder or a file over 4 MiB reads as no file.
    ASSERT_EQ(std::system(("mkfifo '" + (t / "rohr") + "'").c_str()), 0);
    kt::Datei_schreiben(t / "gross.reg", "REGEDIT4\n[HKEY_CLASSES_ROOT\\.a]\n@=\"x\"\n;" + std::string(4 << 20, ' '));
    for (const std::string &datei : {std::string("/dev/zero"), t / "rohr", t.pfad().string(), t / "gross.reg"}) {
        u.setzen("KORVAN_REGISTRY", datei);
        EXPECT_EQ(Wert(".a"), "<2>") << datei;
    }
}

TEST_F(Werkzeug, RegDateiUnterXdgKonfig)
{
    u.loeschen("KORVAN_REGISTRY");
    fs::create_directories(t.pfad() / "konfig" / "korvan");
    fs::create_directories(t.pfad() / "heim" / ".config" / "korvan");
    kt::Datei_schreiben(t / "konfig/korvan/classes.reg", "REGEDIT4\n[HKEY_CLASSES_ROOT\\.a]\n@=\"konfig\"\n");
    kt::Datei_schreiben(t / "heim/.config/korvan/classes.reg", "REGEDIT4\n[HKEY_CLASSES_ROOT\\.a]\n@=\"heim\"\n");
    EXPECT_EQ(Wert(".a"), "konfig");
    u.loeschen("XDG_CONFIG_HOME");
    EXPECT_EQ(Wert(".a"), "heim");
}

// --- the desktop's associations -----------------------------------------------

class Desktop : public Werkzeug {
protected:
    void SetUp() override
    {
        Werkzeug::SetUp();
        fs::create_directories(t.pfad() / "daten" / "mime");
        fs::create_directories(t.pfad() / "daten" / "applications");
        fs::create_directories(t.pfad() / "systemdaten" / "mime");
        kt::Datei_schreiben(t / "daten/mime/globs2", "# globs\n50:text/x-kvn:*.kvn\n60:text/x-kvn-hoch:*.KVN\n"
                                                     "90:text/x-gross:*.GR:cs\n40:text/x-tar:*.tar.gz\n");
        kt::Datei_schreiben(t / "systemdaten/mime/globs2", "60:text/x-system:*.kvn\n50:text/x-sys:*.sys\n");
        Anwendung("probe.desktop", "[Desktop Entry]\nName=Korvan Probe\nIcon=probe-icon\n"
                                   "Exec=" + werkzeug + " --datei %f --name %c %i %d\n");
        kt::Datei_schreiben(t / "konfig/mimeapps.list",
                            "[Default Applications]\ntext/x-kvn-hoch=fehlt.desktop;versteckt.desktop;probe.desktop;\n");
        Anwendung("versteckt.desktop", "[Desktop Entry]\nExec=/bin/false %f\nHidden=true\n");
    }
    void Anwendung(const std::string &id, const std::string &text)
    {
        kt::Datei_schreiben(t / ("daten/applications/" + id), text);
    }
};

TEST_F(Desktop, DateiOeffnetMitDerStandardanwendung)
{
    EXPECT_EQ(Wert(".kvn"), "text/x-kvn-hoch");
    EXPECT_EQ(Wert(".gr"), "<2>");
    EXPECT_EQ(Wert(".GR"), "text/x-gross");
    EXPECT_EQ(Wert(".sys"), "text/x-sys");
    EXPECT_EQ(Wert("text/x-kvn-hoch\\shell\\open\\command"),
              werkzeug + " --datei \"%1\" --name \"Korvan Probe\" --icon probe-icon");
    unsigned fehler = 77;
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen((t / "mit blank.kvn").c_str(), &fehler), 1);
    EXPECT_EQ(fehler, 0u);
    EXPECT_EQ(Protokoll(werkzeug),
              "[--datei]\n[" + (t / "mit blank.kvn") + "]\n[--name]\n[Korvan Probe]\n[--icon]\n[probe-icon]\n");

    // The .reg file comes first.
    Reg("[HKEY_CLASSES_ROOT\\.kvn]\r\n@=\"kvnfile\"\r\n");
    EXPECT_EQ(KR_Standardwerkzeug_aufrufen("x.kvn", &fehler), 0);
    EXPECT_EQ(fehler, 2u);
    Reg("[HKEY_CLASSES_ROOT\\text/x-kvn-hoch\\shell\\open\\command]\r\n@=\"eigen %1\"\r\n");
    EXPECT_EQ(Wert("text/x-kvn-hoch\\shell\\open\\command"), "eigen %1");
}

// A pipe in place of the user's globs is passed over, never waited for.
TEST_F(Desktop, NurGewoehnlicheDateien)
{
    fs::remove(t.pfad() / "daten/mime/globs2");
    ASSERT_EQ(std::system(("mkfifo '" + (t / "daten/mime/globs2") + "'").c_str()), 0);
    EXPECT_EQ(Wert(".kvn"), "text/x-system");
}

TEST_F(Desktop, ListenDerArbeitsumgebungUndHinzugefuegte)
{
    kt::Datei_schreiben(t / "systemkonfig/mimeapps.list", "[Added Associations]\ntext/x-sys=probe.desktop\n");
    kt::Datei_schreiben(t / "daten/mime/globs2", "50:text/x-sys:*.sys\n");
    EXPECT_EQ(Wert("text/x-sys\\shell\\open\\command"),
              werkzeug + " --datei \"%1\" --name \"Korvan Probe\" --icon probe-icon");
    Anwendung("eigen.desktop", "[Desktop Entry]\nExec = \"/mit blank/prog\" \"a \\\\\"b\\\\\"\" %%x --f=%U %F\n");
    kt::Datei_schreiben(t / "konfig/test-mimeapps.list", "[Default Applications]\ntext/x-sys=eigen.desktop\n");
    u.setzen("XDG_CURRENT_DESKTOP", "Anders:TEST");
    EXPECT_EQ(Wert("text/x-sys\\shell\\open\\command"), "\"/mit blank/prog\" \"a \\\"b\\\"\" %x \"--f=%1\"");
    EXPECT_EQ(Wert("text/x-fehlt\\shell\\open\\command"), "<2>");
    EXPECT_EQ(Wert("kvnfile\\shell\\open\\command"), "<2>");
}

#else

// The system's registry below HKEY_CLASSES_ROOT as the platform layer reads
// it: names without regard to case, "" for a key without a default value
// (missing for the reading of an open key's value), the limits of the
// caller's buffer, and a value of bytes without a terminator, which the
// reading of an open key's value takes as it is and terminates.
TEST_F(Werkzeug, RegistryDesSystems)
{
    Reg("[HKEY_CLASSES_ROOT\\.kr-leer]\r\n\"Content Type\"=\"text/plain\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\kr-typ\\shell\\open\\command]\r\n@=\"cmd\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\.kr-ohne-null]\r\n@=hex:63,6d,64\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\.kr-a]\r\n@=\"" + std::string(259, 'a') + "\"\r\n\r\n"
        "[HKEY_CLASSES_ROOT\\.kr-b]\r\n@=\"" + std::string(260, 'b') + "\"\r\n");
    EXPECT_EQ(Wert(".kr-leer"), "");
    EXPECT_EQ(Wert("kr-typ"), "");
    EXPECT_EQ(Wert("kr-typ\\shell"), "");
    EXPECT_EQ(Wert("KR-TYP\\SHELL\\OPEN\\COMMAND"), "cmd");
    EXPECT_EQ(Wert("kr-typ\\shell\\open\\command\\tiefer"), "<2>");
    EXPECT_EQ(Wert(".kr-fehlt"), "<2>");

    char puffer[260];
    EXPECT_EQ(Register_Wert_lesen(".kr-a", puffer, sizeof puffer), 0);
    EXPECT_EQ(std::string(puffer), std::string(259, 'a'));
    EXPECT_EQ(Register_Wert_lesen(".kr-b", puffer, sizeof puffer), 234);

    Registerschluessel s;
    ASSERT_EQ(Register_Schluessel_oeffnen(".kr-leer", &s), 0);
    EXPECT_EQ(Register_Schluesselwert_lesen(&s, puffer, sizeof puffer), 0);
    EXPECT_STREQ(puffer, "");
    EXPECT_EQ(Register_Schluesselwert_lesen_ex(&s, puffer, sizeof puffer), 2);
    Register_Schluessel_schliessen(&s);
    EXPECT_EQ(s.kennung, 0);
    EXPECT_EQ(Register_Schluessel_oeffnen(".kr-fehlt", &s), 2);

    ASSERT_EQ(Register_Schluessel_oeffnen("kr-typ\\shell\\open\\command", &s), 0);
    EXPECT_STREQ(s.pfad, "kr-typ\\shell\\open\\command");
    for (uint32_t groesse : {4u, 3u}) {
        std::memset(puffer, 'x', sizeof puffer);
        EXPECT_EQ(Register_Schluesselwert_lesen(&s, puffer, groesse), groesse == 4 ? 0 : 234);
        EXPECT_EQ(std::string(puffer, 4), groesse == 4 ? std::string("cmd", 4) : "xxxx");
        std::memset(puffer, 'x', sizeof puffer);
        EXPECT_EQ(Register_Schluesselwert_lesen_ex(&s, puffer, groesse), groesse == 4 ? 0 : 234);
        if (groesse == 4) {
            EXPECT_EQ(std::string(puffer, 4), std::string("cmd", 4));
        }
    }
    Register_Schluessel_schliessen(&s);

    ASSERT_EQ(Register_Schluessel_oeffnen(".kr-ohne-null", &s), 0);
    for (uint32_t groesse : {4u, 3u}) {
        std::memset(puffer, 'x', sizeof puffer);
        EXPECT_EQ(Register_Schluesselwert_lesen_ex(&s, puffer, groesse), groesse == 4 ? 0 : 234) << groesse;
        if (groesse == 4) {
            EXPECT_EQ(std::string(puffer, 4), std::string("cmd", 4));
        }
    }
    Register_Schluessel_schliessen(&s);
}

#endif

} // namespace
