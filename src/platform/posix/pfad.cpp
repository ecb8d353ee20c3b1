// pfad.cpp - POSIX: the process's current directory.
#include "../plattform.h"

#include <unistd.h>

bool Verzeichnis_aktuell(char *ziel, size_t groesse)
{
    return ziel && groesse > 0 && ::getcwd(ziel, groesse) != nullptr;
}
