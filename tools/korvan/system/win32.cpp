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

