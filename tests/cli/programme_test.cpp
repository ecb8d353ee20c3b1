// The subcommands that start programs: run passes the exit status on,
// start does not wait, open finds the tool in the registry of file types.
// The programs and the registry of the tests are the POSIX system's; the
// library's starts and registry on Windows are tested in tests/process.
#include "befehlshilfe.h"

#include "platform/plattform.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using kb::Korvan;

// What the command says of starts that fail, on every system.
TEST(Programme, FehlgeschlageneStarts)
{
    char text[256];
    Fehlercode_Text(2, text, sizeof text); // no such file
    const std::string nutzung = "; usage: korvan run COMMAND [ARGUMENT...]\n";
    kb::Pruefen({
        {{"run", "korvan-no-such-program", "x"}, 2, "",
         "korvan: run: cannot start korvan-no-such-program: not found in PATH, or not executable\n"},
        {{"run"}, 2, "", "korvan: run: required item without a value: COMMAND" + nutzung},
        {{"run", "a\"b"}, 2, "", "korvan: run: a program name cannot hold a double quote" + nutzung},
        {{"start", "korvan-no-such-program"}, 2, "",
         "korvan: start: cannot start korvan-no-such-program: " + std::string(text) + "\n"},
    });
}

#ifdef _WIN32
// The system's command interpreter stands in for the shell.  The program
// inherits no handles, so nothing it writes reaches the command's outputs.
TEST(Programme, RunGibtDenExitstatusWeiter)
{
    KB_ERWARTET(Korvan({"run", "cmd", "/c", "echo out& exit 3"}), 3, "", "");
    KB_ERWARTET(Korvan({"run", "cmd", "/c", "exit 0"}), 0, "", "");
}
#else
// The file once something has written it whole (empty after 30 seconds).
std::string Warten_auf(const std::string &pfad)
{
    auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(pfad) && std::chrono::steady_clock::now() < ende)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return kt::Datei_lesen(pfad);
}

TEST(Programme, RunGibtDenExitstatusWeiter)
{
    kb::Pruefen({
        {{"run", "sh", "-c", "echo out; echo err >&2; exit 3"}, 3, "out\n", "err\n"},
        {{"run", "true"}, 0, "", ""},
        // Every argument arrives whole: blanks, quotes, backslashes, nothing.
        {{"run", "printf", "[%s]\\n", "a b", "c\"d", "e\\", "f\\\"g", "", "COMMAND", "*"}, 0,
         "[a b]\n[c\"d]\n[e\\]\n[f\\\"g]\n[]\n[COMMAND]\n[*]\n", ""},
        {{"run", "COMMAND=echo", "x"}, 0, "x\n", ""},
    });
}

TEST(Programme, StartWartetNicht)
{
    kt::Tempordner t;
    // The program waits for a file that only appears after korvan is back.
    KB_ERWARTET(Korvan({"start", "sh", "-c", "while [ ! -e los ]; do sleep 0.05; done; echo fertig > ende"},
                       t.pfad().string()),
                0, "", "");
    kt::Datei_schreiben(t / "los", "");
    EXPECT_EQ(Warten_auf(t / "ende"), "fertig\n");
}

// A registry of file types of its own, and no desktop of the machine.
class Oeffnen : public ::testing::Test {
protected:
    void SetUp() override
    {
        kt::Datei_schreiben(t / "werkzeug", "#!/bin/sh\nprintf '[%s]\\n' \"$@\" > \"$0.tmp\"; mv \"$0.tmp\" \"$0.out\"\n");
        fs::permissions(t.pfad() / "werkzeug", fs::perms::owner_all);
        const std::string w = t / "werkzeug";
        kt::Datei_schreiben(t / "typen.reg",
                            "Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CLASSES_ROOT\\.kvt]\r\n@=\"kvtfile\"\r\n\r\n"
                            "[HKEY_CLASSES_ROOT\\kvtfile\\shell\\open\\command]\r\n@=\"" + w + " \\\"%1\\\"\"\r\n\r\n"
                            "[HKEY_CLASSES_ROOT\\.kvy]\r\n@=\"kvyfile\"\r\n\r\n"
                            "[HKEY_CLASSES_ROOT\\.kvz]\r\n@=\"kvzfile\"\r\n\r\n"
                            "[HKEY_CLASSES_ROOT\\kvzfile\\shell\\open\\command]\r\n@=\"korvan-no-such-tool %1\"\r\n\r\n"
                            "[HKEY_CLASSES_ROOT\\.kv2]\r\n@=\"kv2file\"\r\n\r\n"
                            "[HKEY_CLASSES_ROOT\\kv2file\\shell\\open\\command]\r\n@=\"" + w + " %2\"\r\n");
        const std::string d = t.pfad().string();
        umgebung = "KORVAN_REGISTRY=" + t / "typen.reg" + " HOME=" + d + " XDG_CONFIG_HOME=" + d +
                   " XDG_DATA_HOME=" + d + " XDG_DATA_DIRS=" + d + " XDG_CONFIG_DIRS=" + d;
    }

    kt::Tempordner t;
    std::string umgebung;
};

TEST_F(Oeffnen, MitDemRegistriertenWerkzeug)
{
    KB_ERWARTET(Korvan({"open", "mein bericht.kvt"}, t.pfad().string(), umgebung), 0, "", "");
    EXPECT_EQ(Warten_auf(t / "werkzeug.out"), "[mein bericht.kvt]\n");
    fs::remove(t.pfad() / "werkzeug.out");
    // TYPE names the type; "kvt" stands for ".kvt".  The library's call
    // for a named type puts a blank before a quoted file name.
    KB_ERWARTET(Korvan({"open", "notiz.txt", "kvt"}, t.pfad().string(), umgebung), 0, "", "");
    EXPECT_EQ(Warten_auf(t / "werkzeug.out"), "[ notiz.txt]\n");
}

TEST_F(Oeffnen, WarumNicht)
{
    kb::Pruefen({
        {{"open", "a.none"}, 1, "", "korvan: open: no file type is registered for .none\n"},
        {{"open", "a.kvt", "TYPE=.none"}, 1, "", "korvan: open: no file type is registered for .none\n"},
        {{"open", "a.kvy"}, 1, "", "korvan: open: the file type kvyfile of .kvy has no open command\n"},
        {{"open", "a.kvz"}, 2, "",
         "korvan: open: cannot start the tool for a.kvz (korvan-no-such-tool %1): No such file or directory\n"},
        {{"open", "a.kv2"}, 2, "",
         "korvan: open: the command registered for .kv2 files uses a placeholder other than %1\n"},
        {{"open", "x\" --evil \"y.kvt"}, 2, "", "korvan: open: a file name cannot hold a double quote\n"},
    }, t.pfad().string(), umgebung);
    EXPECT_FALSE(fs::exists(t.pfad() / "werkzeug.out"));
}

#endif // _WIN32

} // namespace
