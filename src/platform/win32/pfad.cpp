// pfad.cpp - Win32: the path services of the shell and user libraries, and
// the runtime's current directory.
#include "../plattform.h"

#include <windows.h>
#include <shlwapi.h>

#include <direct.h>

#include <climits>
#include <cstring>

bool Pfad_ist_relativ(const char *pfad)
{
    if (!pfad || !*pfad)
        return true;
    return PathIsRelativeA(pfad) != FALSE;
}

// The result is made in a buffer of its own, so that ziel stays untouched
// when the service fails.
bool Pfad_kanonisieren(char *ziel, const char *pfad)
{
    if (!ziel || !pfad)
        return false;
    const void *ende = std::memchr(pfad, '\0', Pfadpuffer);
    if (!ende)
        return false;
    char ergebnis[Pfadpuffer];
    if (!PathCanonicalizeA(ergebnis, pfad))
        return false;
    std::memcpy(ziel, ergebnis, std::strlen(ergebnis) + 1);
    return true;
}

unsigned char Zeichen_klein(unsigned char zeichen)
{
    char c = static_cast<char>(zeichen);
    CharLowerBuffA(&c, 1);
    return static_cast<unsigned char>(c);
}

bool Verzeichnis_aktuell(char *ziel, size_t groesse)
{
    if (!ziel || groesse == 0 || groesse > static_cast<size_t>(INT_MAX))
        return false;
    return _getcwd(ziel, static_cast<int>(groesse)) != nullptr;
}
