// posix.cpp - the command's system needs on POSIX.
#include "system.h"

#include <unistd.h>

// POSIX streams never change what is written.
void Stroeme_einrichten()
{
}

bool Fehlerausgabe_ist_Terminal()
{
    return isatty(STDERR_FILENO) == 1;
}
