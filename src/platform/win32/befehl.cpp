// befehl.cpp - Win32: what the korvan command needs beyond the library:
// terminal tests, directory tests and the texts of error codes.
#include "../plattform.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

bool Strom_ist_Terminal(int nummer)
{
    DWORD welcher = nummer == Standardausgabe ? STD_OUTPUT_HANDLE
                    : nummer == Standardfehler ? STD_ERROR_HANDLE
                                               : 0;
    HANDLE h = welcher ? GetStdHandle(welcher) : INVALID_HANDLE_VALUE;
    DWORD modus;
    // A console answers for its mode; a file or a pipe does not.
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &modus) != 0;
}

bool Verzeichnis_vorhanden(const char *pfad)
{
    if (!pfad || !*pfad)
        return false;
    DWORD a = GetFileAttributesA(pfad);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Junctions and symbolic links; other reparse points (files kept by a cloud
// service) are ordinary entries, as the directory search has them.
bool Ist_Verweis(const char *pfad)
{
    if (!pfad || !*pfad)
        return false;
    WIN32_FIND_DATAA daten;
    HANDLE h = FindFirstFileA(pfad, &daten);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return (daten.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (daten.dwReserved0 == IO_REPARSE_TAG_SYMLINK || daten.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
}

void Standardstroeme_unveraendert()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void Fehlercode_Text(uint32_t code, char *ziel, size_t groesse)
{
    if (!ziel || groesse == 0)
        return;
    ziel[0] = '\0';
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, ziel,
                             static_cast<DWORD>(groesse), nullptr);
    // The system's texts end in a point and a line end.
    while (n > 0 && (ziel[n - 1] == '\n' || ziel[n - 1] == '\r' || ziel[n - 1] == '.' || ziel[n - 1] == ' '))
        ziel[--n] = '\0';
    if (n == 0)
        std::snprintf(ziel, groesse, "error %lu", static_cast<unsigned long>(code));
}
