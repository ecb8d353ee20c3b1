// bearbeiten.cpp - editing text held in memory block by block: removing a
// section or class with everything up to the next header, and appending.
#include "config/konfig.h"

#include "quidel32.h"

#include <cstdint>
#include <cstring>

namespace {

using namespace konfig;

// Removes the block whose header bracket stands at anfang; the reader
// stands behind the header's name.
int Block_entfernen(Zugriffshandle *h, int32_t anfang)
{
    // 2. Up to a bracket right after a line end; an indented bracket is not
    // the next header here.
    // The reader ends before anything is changed.
    bool nach_zeilenende = false;
    int c;
    {
        Leser l(h);
        while ((c = Lesen(l)) != Ende) {
            if (nach_zeilenende && Ist_Klammer(c))
                break;
            nach_zeilenende = Ist_Zeilenende(c);
        }
    }

    // 3. The block's end: that bracket, or the end of the text.
    uint32_t von = static_cast<uint32_t>(anfang);
    uint32_t bis = c == Ende ? h->laenge : static_cast<uint32_t>(h->position - 1);

    // A callback source is read-only, whatever else the handle holds: the
    // offsets above are the callback's own.
    if (h->lesefunktion)
        return 0;
    uint32_t rest = h->laenge - bis;

    // 4. Memory object.
    if (h->objekt != 0) {
        if (rest > 0)
            Quidel_Kopieren(h->objekt, von, h->objekt, bis, rest, 0);
        h->laenge -= bis - von;
        Quidel_Groesse_aendern(h->objekt, h->laenge);
        h->position = anfang;
        return 1;
    }

    // 5. Memory buffer: the buffer keeps its size.
    if (h->puffer) {
        std::memmove(h->puffer + von, h->puffer + bis, rest);
        h->laenge -= bis - von;
        h->position = anfang;
        return 1;
    }

    // 6. No memory source.
    return 0;
}

} // namespace

extern "C" {

int KR_CALL KR_Abschnitt_loeschen(const char *name, Zugriffshandle *h)
{
    int32_t anfang;
    if (!Abschnitt_suchen(name, h, &anfang))
        return 0;
    return Block_entfernen(h, anfang);
}

int KR_CALL KR_Klasse_loeschen(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h)
{
    int32_t anfang;
    if (!Klasse_suchen(gruppe, nummer, h, &anfang))
        return 0;
    return Block_entfernen(h, anfang);
}

int KR_CALL KR_Block_hinzufuegen(const char *daten, int laenge, Zugriffshandle *h)
{
    // 1. Only a memory object can grow.
    if (!h || h->objekt == 0)
        return 0;
    // A negative length, missing bytes, or a text that would outgrow the
    // signed positions of the reader are refused.
    if (laenge < 0 || (!daten && laenge > 0) ||
        static_cast<uint64_t>(h->laenge) + static_cast<uint64_t>(laenge) > INT32_MAX)
        return 0;

    // 2., 3. Grow the object and write the block at its old end.  An object
    // that cannot grow (no memory) keeps text and laenge and gives 0, so that
    // laenge never counts bytes the object does not hold.
    uint32_t alt = h->laenge;
    uint32_t neu = alt + static_cast<uint32_t>(laenge);
    if (Quidel_Groesse_aendern(h->objekt, neu) != 0)
        return 0;
    h->laenge = neu;
    Quidel_Schreiben(h->objekt, static_cast<uint32_t>(laenge), alt, daten, 0);
    return 1;
}

} // extern "C"
