// win32.cpp - the command's system needs on Windows.
#include "system.h"

#include <windows.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

void Stroeme_einrichten()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

// A console answers for its mode; a file or a pipe does not.
bool Fehlerausgabe_ist_Terminal()
{
    HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
    DWORD modus;
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &modus) != 0;
}

// The file takes the rights of the temporary folder, the user's own; an
// existing name, a link's too, is never opened.
bool Datei_neu_privat(const char *pfad)
{
    HANDLE h = CreateFileA(pfad, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h != INVALID_HANDLE_VALUE && CloseHandle(h) != 0;
}
