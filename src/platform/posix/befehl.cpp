// befehl.cpp - POSIX: what the korvan command needs beyond the library:
// terminal tests, directory tests and the texts of error codes.
#include "../plattform.h"
#include "posix.h"

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool Strom_ist_Terminal(int nummer)
{
    int fd = nummer == Standardausgabe ? STDOUT_FILENO : nummer == Standardfehler ? STDERR_FILENO : -1;
    return fd >= 0 && isatty(fd) == 1;
}

bool Verzeichnis_vorhanden(const char *pfad)
{
    Posix_Pfad p(pfad);
    struct stat st;
    return p.gut && p.text[0] && stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Ist_Verweis(const char *pfad)
{
    Posix_Pfad p(pfad);
    struct stat st;
    return p.gut && p.text[0] && lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// POSIX streams never change what is written.
void Standardstroeme_unveraendert()
{
}

void Fehlercode_Text(uint32_t code, char *ziel, size_t groesse)
{
    if (!ziel || groesse == 0)
        return;
    // strerror_r comes in two flavours; strerror's text is copied at once.
    const char *text = std::strerror(static_cast<int>(code));
    size_t n = std::strlen(text);
    if (n >= groesse)
        n = groesse - 1;
    std::memcpy(ziel, text, n);
    ziel[n] = '\0';
}
