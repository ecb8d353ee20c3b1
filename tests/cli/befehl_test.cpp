// The korvan command as a user meets it: each "$ " line of faelle/*.txt and (POSIX) README.md and docs/*.md.
#include "testhilfe.h"

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// A command; the lines after it are its standard output, "! text" standard error, "? N" a nonzero status.
struct Schritt {
    std::string befehl, aus, fehler;
    int status = 0, zeile = 0;
};

// A document's transcripts are its indented blocks that begin with "$ ".
std::vector<Schritt> Lesen(const std::string &text, bool dokument)
{
    std::vector<Schritt> s;
    std::istringstream ein(text);
    bool im_block = false;
    std::string z;
    for (int nr = 1; std::getline(ein, z); ++nr) {
        im_block = z.rfind("    ", 0) == 0 && (im_block || z.rfind("    $ ", 0) == 0);
        if (dokument && !im_block)
            continue;
        z = z.substr(dokument ? 4 : 0);
        if (z.rfind("$ ", 0) == 0)
            s.push_back({z.substr(2), "", "", 0, nr});
        else if (s.empty()) // what the file is about
            continue;
        else if (z[0] == '!')
            s.back().fehler += z.substr(std::min<size_t>(2, z.size())) + "\n";
        else if (z.rfind("? ", 0) == 0)
            s.back().status = std::atoi(z.c_str() + 2);
        else
            s.back().aus += z + "\n";
    }
    return s;
}

#ifndef _WIN32
std::string Wort(const std::string &s)
{
    return "'" + std::regex_replace(s, std::regex("'"), "'\\''") + "'";
}

// korvan in PATH (under the build's emulator), a file type registry opening .txt with `true`, no desktop.
int Ausfuehren(const std::string &befehl, const std::string &ordner, const kt::Tempordner &bin)
{
    kt::Datei_schreiben(bin / "korvan", "#!/bin/sh\nexec " KORVAN_EMULATOR " " + Wort(KORVAN_BEFEHL) + " \"$@\"\n");
    fs::permissions(bin.pfad() / "korvan", fs::perms::owner_all);
    kt::Datei_schreiben(bin / "typen.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n"
                                          "@=\"txtfile\"\r\n\r\n[HKEY_CLASSES_ROOT\\txtfile\\shell\\open\\command]\r\n"
                                          "@=\"true %1\"\r\n");
    std::string s = "cd " + Wort(ordner) + " && PATH=" + Wort(bin.pfad().string()) + ":\"$PATH\" KORVAN_REGISTRY=" +
                    Wort(bin / "typen.reg");
    for (const char *v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"})
        s += std::string(" ") + v + "=" + Wort(ordner);
    s += " sh -c " + Wort(befehl) + " </dev/null >" + Wort(bin / "aus") + " 2>" + Wort(bin / "fehler") +
         "; echo $? >" + Wort(bin / "status");
    (void)std::system(s.c_str());
    return std::atoi(kt::Datei_lesen(bin / "status").c_str());
}
#else
// The interpreter runs the line (double quotes only, split as sh does); -1: it did not start (wine, loaded).
int Ausfuehren(const std::string &befehl, const std::string &ordner, const kt::Tempordner &bin)
{
    std::string s = "cd /d \"" + ordner + "\" && \"" + fs::absolute(KORVAN_BEFEHL).string() + "\"" +
                    befehl.substr(6) + " <NUL >\"" + bin / "aus" + "\" 2>\"" + bin / "fehler" + "\"";
    int r = -1;
    for (int versuch = 0; r == -1 && versuch < 3; ++versuch)
        r = std::system(s.c_str());
    return r;
}
#endif

void Pruefen(const fs::path &datei, bool dokument)
{
    std::string text = kt::Datei_lesen(datei.string());
#ifdef _WIN32
    if (dokument || text.rfind("# posix", 0) == 0)
        return;
#endif
    kt::Tempordner t, bin;
    fs::copy(fs::path(KORVAN_QUELLBAUM) / "examples", t.pfad() / "examples", fs::copy_options::recursive);
    std::vector<Schritt> schritte = Lesen(text, dokument);
    EXPECT_FALSE(schritte.empty()) << datei;
    for (const Schritt &s : schritte) {
        SCOPED_TRACE(datei.filename().string() + ":" + std::to_string(s.zeile) + ": $ " + s.befehl);
        int status = Ausfuehren(s.befehl, t.pfad().string(), bin);
        EXPECT_EQ(kt::Datei_lesen(bin / "aus"), s.aus);
        // Standard error as a terminal shows it: progress written over itself.
        EXPECT_EQ(std::regex_replace(kt::Datei_lesen(bin / "fehler"), std::regex("[^\n]*\r"), ""), s.fehler);
        EXPECT_EQ(status, s.status);
    }
}

TEST(Befehl, FaelleUndBeispieleDerDokumentation)
{
    const fs::path quelle = KORVAN_QUELLBAUM;
    for (const auto &e : fs::directory_iterator(quelle / "tests/cli/faelle"))
        Pruefen(e.path(), false);
    Pruefen(quelle / "README.md", true);
    for (const auto &e : fs::directory_iterator(quelle / "docs"))
        if (e.path().extension() == ".md" && kt::Datei_lesen(e.path().string()).find("\n    $ korvan") != std::string::npos)
            Pruefen(e.path(), true);
}

} // namespace
