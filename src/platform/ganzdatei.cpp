// ganzdatei.cpp - the portable part of the whole-file piece: a file of known
// size read into one block, and the short hash of a name.
#include "ganzdatei.h"

#include <climits>
#include <cstdlib>

Heapaufrufe heapaufrufe = {std::malloc, std::calloc, std::realloc};

Dateistatus Ganz_laden(Dateileser lesen, intptr_t datei, int64_t groesse, unsigned char **daten, uint32_t *laenge)
{
    if (groesse > INT32_MAX)
        return Dateistatus::zu_gross;
    size_t n = static_cast<size_t>(groesse);
    auto *p = static_cast<unsigned char *>(heapaufrufe.belegen(n ? n : 1));
    if (!p)
        return Dateistatus::kein_speicher;
    Block_vorbereiten(p, n);
    for (size_t gelesen = 0; gelesen < n;) {
        ptrdiff_t r = lesen(datei, p + gelesen, n - gelesen);
        if (r <= 0) {
            std::free(p);
            return Dateistatus::nicht_lesbar;
        }
        gelesen += static_cast<size_t>(r);
    }
    *daten = p;
    *laenge = static_cast<uint32_t>(n);
    return Dateistatus::ok;
}

uint32_t Namenshash(const char *name)
{
    uint32_t h = 2166136261u;
    for (; *name; ++name)
        h = (h ^ static_cast<unsigned char>(*name)) * 16777619u;
    return h;
}
