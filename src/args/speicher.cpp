// speicher.cpp - the storage of an argument record: texts, numbers and
// multiple values in a pool or in the caller's fixed block, the number rule,
// and the release of everything the record owns.
#include "args/argumente.h"
#include "tamsel.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool Festspeicher(const Argumentsatz *satz)
{
    return (satz->argflags & KR_ARG_FESTSPEICHER) && satz->speicher && satz->speichergroesse;
}

uint32_t Textgroesse(const char *text)
{
    // Multiple number entries get their 32-bit value written over the first
    // 4 bytes, so no text takes fewer.
    size_t n = std::strlen(text) + 1;
    return n < 4 ? 4 : static_cast<uint32_t>(n);
}

// A new, empty multiple-value array for the slot.  The first array of a call
// becomes the record's mehrfachliste; every further one is linked in behind
// it through the hidden last slot, so that the release finds it.
char **Mehrfach_anlegen(Argumentsatz *satz, void **slot)
{
    auto **feld = static_cast<char **>(Tamsel_Alloc(Arg_Mehrfach_Plaetze * sizeof(char *)));
    if (!feld)
        return nullptr;
    for (int i = 0; i < Arg_Mehrfach_Plaetze; ++i)
        feld[i] = nullptr;
    if (!satz->mehrfachliste) {
        satz->mehrfachliste = feld;
    } else {
        feld[Arg_Mehrfach_Verweis] = satz->mehrfachliste[Arg_Mehrfach_Verweis];
        satz->mehrfachliste[Arg_Mehrfach_Verweis] = reinterpret_cast<char *>(feld);
    }
    *slot = feld;
    return feld;
}

} // namespace

void *Arg_Platz_nehmen(Argumentsatz *satz, uint32_t n, char **cursor)
{
    if (!Festspeicher(satz))
        return Tamsel_PoolAlloc(satz->speicher, n);
    if (!cursor)
        return nullptr;

    // The fixed block's bound: cursor + n < base + capacity, strictly, so the
    // block's last byte is never used.  Computed as an offset so that nothing
    // can wrap around.
    auto basis = reinterpret_cast<uintptr_t>(satz->speicher);
    auto stand = reinterpret_cast<uintptr_t>(*cursor);
    if (stand < basis || stand - basis > satz->speichergroesse)
        return nullptr;
    uintptr_t frei = satz->speichergroesse - (stand - basis);
    if (n >= frei)
        return nullptr;
    void *block = *cursor;
    *cursor += n;
    return block;
}

bool Arg_Zahl_umwandeln(const char *text, int32_t *zahl)
{
    char *ende = nullptr;
    errno = 0;
    long wert = std::strtol(text, &ende, 10);
    if (*ende != '\0' || errno == ERANGE)
        return false;
    // Where long is wider than 32 bits, strtol's own range is not enough.
    if constexpr (sizeof(long) > sizeof(int32_t)) {
        if (wert < INT32_MIN || wert > INT32_MAX)
            return false;
    }
    *zahl = static_cast<int32_t>(wert);
    return true;
}

int Arg_Text_ablegen(Argumentsatz *satz, void **slot, const char *text, char **cursor)
{
    // 1.
    size_t laenge = std::strlen(text);
    uint32_t n = Textgroesse(text);
    // 2.
    void *block = Arg_Platz_nehmen(satz, n, cursor);
    if (!block) {
        *slot = nullptr;
        return 0;
    }
    // 3.
    std::memcpy(block, text, laenge + 1);
    *slot = block;
    return 1;
}

int Arg_Zahl_ablegen(Argumentsatz *satz, void **slot, int32_t zahl, char **cursor)
{
    // 1.
    void *zelle = Arg_Platz_nehmen(satz, sizeof zahl, cursor);
    if (!zelle) {
        if (!Festspeicher(satz))
            *slot = nullptr;
        return 0;
    }
    // 2. Cells in a fixed block need not be aligned.
    std::memcpy(zelle, &zahl, sizeof zahl);
    *slot = zelle;
    return 1;
}

int Arg_Mehrfach_anhaengen(Argumentsatz *satz, void **slot, const char *text, char **cursor)
{
    // 1.
    if (!text)
        return 0;
    // 2.
    size_t laenge = std::strlen(text);
    uint32_t n = Textgroesse(text);

    // 3. The first append of a call makes the array.
    char **feld;
    if (!satz->mehrfachliste)
        feld = Mehrfach_anlegen(satz, slot);
    else
        feld = static_cast<char **>(*slot);
    if (!feld)
        return 0;

    // 4. The first free entry slot.
    int i = 0;
    while (i < Arg_Mehrfach_Eintraege && feld[i])
        ++i;
    if (i == Arg_Mehrfach_Eintraege)
        return 0;

    // 5.
    void *block = Arg_Platz_nehmen(satz, n, cursor);
    if (!block)
        return 0;
    // 6.
    std::memcpy(block, text, laenge + 1);
    feld[i] = static_cast<char *>(block);
    return 1;
}

char *Arg_Mehrfach_entnehmen(char **feld, uint16_t *flags)
{
    if (!feld)
        return nullptr;
    // 1.
    int anzahl = 0;
    while (anzahl < Arg_Mehrfach_Eintraege && feld[anzahl])
        ++anzahl;
    if (anzahl == 0)
        return nullptr;
    // 2.
    char *text = feld[anzahl - 1];
    feld[anzahl - 1] = nullptr;
    // 3.
    if (anzahl == 1)
        *flags &= static_cast<uint16_t>(~Arg_Gegeben);
    // 4.
    return text;
}

int Arg_Wert_ablegen(Argumentsatz *satz, int index, uint16_t *flags, void **werte,
                     const char *text, char **cursor)
{
    uint16_t &f = flags[index];
    void **slot = &werte[index];

    // 1. Multiple item.
    if (f & Arg_Mehrfach) {
        // A further item with M that has no array yet gets one of its own;
        // its slot holds whatever the caller left there.
        if (satz->mehrfachliste && !(f & Arg_Gegeben) && !Mehrfach_anlegen(satz, slot))
            return 2;
        if (!Arg_Mehrfach_anhaengen(satz, slot, text, cursor))
            return 2;
        f |= Arg_Gegeben;
        return 1;
    }

    // 2. Number item.
    if (f & Arg_Zahl) {
        int32_t zahl;
        if (!Arg_Zahl_umwandeln(text, &zahl) || !Arg_Zahl_ablegen(satz, slot, zahl, cursor))
            return 2;
        f |= Arg_Gegeben;
        return 0;
    }

    // 3. Any other item.
    if (!Arg_Text_ablegen(satz, slot, text, cursor))
        return 2;
    f |= Arg_Gegeben;
    return 0;
}

extern "C" void KR_CALL KR_Arg_freigeben(Argumentsatz *satz)
{
    if (!satz)
        return;

    // 1. The pool, with its head.
    if (!(satz->argflags & KR_ARG_FESTSPEICHER) && satz->speicher) {
        Tamsel_PoolRelease(satz->speicher);
        Tamsel_Free(satz->speicher);
        satz->speicher = nullptr;
        satz->speichergroesse = 0;
    }

    // 2. The multiple-value arrays: the record's own and those linked to it.
    char **feld = satz->mehrfachliste;
    while (feld) {
        char **weiter = reinterpret_cast<char **>(feld[Arg_Mehrfach_Verweis]);
        Tamsel_Free(feld);
        feld = weiter;
    }
    satz->mehrfachliste = nullptr;
}
