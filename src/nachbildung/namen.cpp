// namen.cpp - the last part of a file name, and environment variables.
#include "nachbildung.h"

#include <cstdlib>


const char *Letzter_Namensteil(const char *datei)
{
    const char *teil = datei;
    if (teil[0] && teil[1] == ':')
        teil += 2;
    for (const char *p = teil; *p; ++p) {
        if (*p == '\\' || *p == '/')
            teil = p + 1;
    }
    return teil;
}

const char *Umgebungsvariable(const char *name)
{
    return name ? std::getenv(name) : nullptr;
}
