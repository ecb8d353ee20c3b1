// vorlage.cpp - argument templates: reading one into item flags, and finding
// the item that a name denotes.
#include "args/argumente.h"
#include "korvan/intern/zeichen.h"

#include <cstddef>

namespace {

using kr::intern::Klein;
using kr::intern::Vorlagen_Namensende;

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
    kr::intern::Vorlagenbefund befund;
    return kr::intern::Vorlage_zerlegen(vorlage, flags, nullptr, mehrfach, &befund);
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
        while (!Vorlagen_Namensende(*ende))
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
        while (!Vorlagen_Namensende(*ende))
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
