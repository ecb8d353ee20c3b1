// befehlshilfe.cpp - running the korvan command from the tests.
#include "befehlshilfe.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace kb {

namespace {

#ifndef _WIN32
// An argument for the POSIX shell: between single quotes, each of its own
// single quotes written as '\''.
std::string Shellwort(const std::string &s)
{
    std::string w = "'";
    for (char c : s)
        w += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return w + "'";
}

// The shell's own status word holds the exit status.
std::string Befehl(const std::string &ordner, const std::string &vorspann, const std::vector<std::string> &argumente,
                   const kt::Tempordner &t)
{
    std::string befehl = "cd " + Shellwort(ordner) + " && " + vorspann + " " + KORVAN_EMULATOR + " " +
                         Shellwort(KORVAN_BEFEHL);
    for (const std::string &a : argumente)
        befehl += " " + Shellwort(a);
    return befehl + " </dev/null >" + Shellwort(t / "aus") + " 2>" + Shellwort(t / "fehler") + "; echo $? >" +
           Shellwort(t / "status");
}
#else
// An argument as the runtime splits a command line: in quotes, a quote and
// the backslashes before one doubled up with a backslash each.
std::string Laufzeitwort(const std::string &s)
{
    std::string w = "\"";
    size_t schraeg = 0;
    for (char c : s) {
        if (c == '\\') {
            ++schraeg;
            continue;
        }
        w.append(c == '"' ? 2 * schraeg + 1 : schraeg, '\\');
        schraeg = 0;
        w += c;
    }
    w.append(2 * schraeg, '\\');
    return w + "\"";
}

// The command interpreter hands on a character that carries '^' as it
// stands; with every one it would act on so marked, quotes included, it
// sees no quoted part and changes nothing of the argument.
std::string Cmdwort(const std::string &s)
{
    std::string w;
    for (char c : Laufzeitwort(s)) {
        if (std::strchr("()%!^\"<>&|", c))
            w += '^';
        w += c;
    }
    return w;
}

// The exit status comes back from std::system.  Every path is made whole
// first: "/work/..." would name a folder of the drive changed to.
std::string Befehl(const std::string &ordner, const std::string &, const std::vector<std::string> &argumente,
                   const kt::Tempordner &t)
{
    std::string befehl = "cd /d \"" + ordner + "\" && \"" + std::filesystem::absolute(KORVAN_BEFEHL).string() + "\"";
    for (const std::string &a : argumente)
        befehl += " " + Cmdwort(a);
    return befehl + " <NUL >\"" + t / "aus" + "\" 2>\"" + t / "fehler" + "\"";
}
#endif

} // namespace

std::string Quellbaum()
{
    return std::filesystem::absolute(KORVAN_QUELLBAUM).string();
}

Lauf Korvan(const std::vector<std::string> &argumente, const std::string &ordner, const std::string &vorspann)
{
    kt::Tempordner t;
    const std::string befehl = Befehl(ordner.empty() ? Quellbaum() : ordner, vorspann, argumente, t);
    int r = std::system(befehl.c_str());
#ifdef _WIN32
    // -1 means the command interpreter itself did not start (seen under wine
    // on a loaded machine); the command never ran, so it is run again.
    for (int versuch = 0; r == -1 && versuch < 3; ++versuch)
        r = std::system(befehl.c_str());
    int status = r;
#else
    (void)r;
    int status = std::atoi(kt::Datei_lesen(t / "status").c_str());
#endif
    return Lauf{status, kt::Datei_lesen(t / "aus"), kt::Datei_lesen(t / "fehler")};
}

void Pruefen(const std::vector<Fall> &faelle, const std::string &ordner, const std::string &vorspann)
{
    for (const Fall &f : faelle) {
        std::string aufruf;
        for (const std::string &a : f.argumente)
            aufruf += " [" + a.substr(0, 40) + "]";
        SCOPED_TRACE("korvan" + aufruf);
        KB_ERWARTET(Korvan(f.argumente, ordner, vorspann), f.status, f.aus, f.fehler);
    }
}

} // namespace kb
