// posix.cpp - the command's system needs on POSIX.
#include "system.h"

#include <fcntl.h>
#include <unistd.h>

// POSIX streams never change what is written.
void Stroeme_einrichten()
{
}

bool Fehlerausgabe_ist_Terminal()
{
    return isatty(STDERR_FILENO) == 1;
}

bool Datei_neu_privat(const char *pfad)
{
    int fd = ::open(pfad, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    return fd >= 0 && ::close(fd) == 0;
}
