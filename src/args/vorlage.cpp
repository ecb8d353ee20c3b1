// vorlage.cpp - argument templates: reading one into item flags, and finding
// the item that a name denotes.
#include "args/argumente.h"

#include <cstddef>

namespace {

// The bit of an option letter, either case; 0 for any other character.
uint16_t Optionsbit(char c)
{
    switch (c) {
    case 'S': case 's': return Arg_Schalter;
    case 'K': case 'k': return Arg_Schluessel;
    case 'N': case 'n': return Arg_Zahl;
    case 'T': case 't': return Arg_Nur_Schluessel;
    case 'A': case 'a': return Arg_Pflicht;
    case 'F': case 'f': return Arg_Rest;
    case 'M': case 'm': return Arg_Mehrfach;
    default: return 0;
    }
}

bool Namensende(char c)
{
    return c == '\0' || c == ',' || c == '/' || c == '=';
}

char Klein(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The first n characters of the name equal the candidate, ASCII case ignored.
// A name shorter than the candidate differs at its terminating zero byte.
bool Beginnt_mit(const char *name, const char *kandidat, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (Klein(name[i]) != Klein(kandidat[i]))
            return false;
    }
    return true;
}

} // namespace

int Arg_Vorlage_lesen(const char *vorlage, uint16_t *flags, int *mehrfach)
{
    *mehrfach = -1;
    if (!vorlage)
        return -1;

    int anzahl = 0;
    const char *p = vorlage;
    // 1. Item by item up to the end of the template.
    while (*p != '\0') {
        // More than 100 items: rejected, as the reader would not have the
        // flags of the items beyond them.
        if (anzahl == Arg_Hoechstzahl)
            return -1;

        // 2. Clear the flags; 3. pass over the name.
        uint16_t f = 0;
        while (!Namensende(*p))
            ++p;

        // 4. Alias names.
        if (*p == '=') {
            while (*p != '\0' && *p != ',' && *p != '/')
                ++p;
        }

        // 5. Options: '/' and one letter each.
        while (*p == '/') {
            uint16_t bit = Optionsbit(p[1]);
            if (bit == 0)
                return -1;
            f |= bit;
            p += 2;
        }

        // An item with M takes an array; a switch or a rest of line cannot
        // be one, so such items are rejected.
        if ((f & Arg_Mehrfach) && (f & (Arg_Schalter | Arg_Rest)))
            return -1;

        // 6. At most one positional multiple item.
        if ((f & Arg_Mehrfach) && !(f & Arg_Schluessel)) {
            if (*mehrfach >= 0)
                return -1;
            *mehrfach = anzahl;
        }

        // 7. The item ends at ',' or at the end of the template.
        if (*p == ',')
            ++p;
        else if (*p != '\0')
            return -1;

        // 8.
        flags[anzahl++] = f;
    }
    return anzahl;
}

void Arg_Namen_sammeln(const char *vorlage, Arg_Namen *namen)
{
    // The walk of KR_Arg_finden, noting every candidate that could match.
    namen->vorlage = vorlage;
    namen->anzahl = 0;
    int index = 0;
    const char *kandidat = vorlage;
    for (;;) {
        const char *ende = kandidat;
        while (!Namensende(*ende))
            ++ende;
        size_t n = static_cast<size_t>(ende - kandidat);
        if (n > 0) {
            if (namen->anzahl == Arg_Namen_Hoechstzahl) {
                namen->anzahl = -1;
                return;
            }
            namen->name[namen->anzahl++] = {kandidat, n, index};
        }
        if (*ende == '=') {
            kandidat = ende + 1;
            continue;
        }
        if (*ende == '\0')
            return;
        while (*ende != '\0' && *ende != ',')
            ++ende;
        if (*ende == '\0')
            return;
        kandidat = ende + 1;
        ++index;
    }
}

int Arg_Namen_finden(const Arg_Namen &namen, const char *name)
{
    if (namen.anzahl < 0)
        return KR_Arg_finden(namen.vorlage, name);
    for (int i = 0; i < namen.anzahl; ++i) {
        if (Beginnt_mit(name, namen.name[i].anfang, namen.name[i].laenge))
            return namen.name[i].index;
    }
    return -1;
}

extern "C" int KR_CALL KR_Arg_finden(const char *vorlage, const char *name)
{
    if (!vorlage || !name)
        return -1;

    // 1. The first item's name is the first candidate.
    int index = 0;
    const char *kandidat = vorlage;
    for (;;) {
        // 2. The candidate runs up to ',', '/', '=' or the end.
        const char *ende = kandidat;
        while (!Namensende(*ende))
            ++ende;

        // 3. A non-empty candidate that begins the name matches.
        size_t n = static_cast<size_t>(ende - kandidat);
        if (n > 0 && Beginnt_mit(name, kandidat, n))
            return index;

        // 4. An alias of the same item follows.
        if (*ende == '=') {
            kandidat = ende + 1;
            continue;
        }
        // 5.
        if (*ende == '\0')
            return -1;

        // 6. Over the options to the next item.
        while (*ende != '\0' && *ende != ',')
            ++ende;
        if (*ende == '\0')
            return -1;
        kandidat = ende + 1;
        ++index;
    }
}
