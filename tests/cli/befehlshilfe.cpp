// befehlshilfe.cpp - running the korvan command from the tests.
#include "befehlshilfe.h"

#include <cstdlib>

namespace kb {

namespace {

// An argument for the POSIX shell: between single quotes, each of its own
// single quotes written as '\''.
std::string Shellwort(const std::string &s)
{
    std::string w = "'";
    for (char c : s)
        w += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return w + "'";
}

} // namespace

std::string Quellbaum()
{
    return KORVAN_QUELLBAUM;
}

Lauf Korvan(const std::vector<std::string> &argumente, const std::string &ordner, const std::string &vorspann)
{
    kt::Tempordner t;
    std::string befehl = "cd " + Shellwort(ordner.empty() ? Quellbaum() : ordner) + " && " + vorspann + " " +
                         KORVAN_EMULATOR + " " + Shellwort(KORVAN_BEFEHL);
    for (const std::string &a : argumente)
        befehl += " " + Shellwort(a);
    befehl += " </dev/null >" + Shellwort(t / "aus") + " 2>" + Shellwort(t / "fehler") + "; echo $? >" +
              Shellwort(t / "status");
    std::system(befehl.c_str());
    return Lauf{std::atoi(kt::Datei_lesen(t / "status").c_str()), kt::Datei_lesen(t / "aus"),
                kt::Datei_lesen(t / "fehler")};
}

} // namespace kb
