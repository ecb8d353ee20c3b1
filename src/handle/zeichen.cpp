// zeichen.cpp - the character stream of an access handle: reading one
// character with line and column counting and '#' comment lines removed,
// taking it back, and positioning.
#include "korvan.h"
#include "quidel32.h"

#include "handle/strom.h"

extern "C" {

// Most characters of a memory source are read and counted here: a byte that
// is no '#' needs no comment-line rule, only counting.  A memory object gives
// it through one read of the memory-object library.  Everything else (a '#',
// the end of the text, a failed read) goes the readers' way, which holds the
// whole rule.
int KR_CALL KR_Zeichen_lesen(Zugriffshandle *h)
{
    if (!h)
        return -1;
    if (h->lesefunktion)
        return h->lesefunktion(h);
    if (h->objekt != 0)
        return strom::Objekt_Zeichen(h);
    if (!h->puffer)
        return strom::Zeichen_lesen(h);

    int32_t p = h->position;
    if (p < 0 || p >= static_cast<int32_t>(h->laenge))
        return strom::Zeichen_lesen(h);
    int c = static_cast<unsigned char>(h->puffer[p]);
    if (c == '#')
        return strom::Zeichen_lesen(h);

    h->position = p + 1;
    strom::Zaehlen(h, h->letztes_zeichen, c);
    h->letztes_zeichen = c;
    return c;
}

int KR_CALL KR_Zeichen_ruecklesen(Zugriffshandle *h)
{
    return h ? strom::Handle_zuruecklesen(h) : 0;
}

int KR_CALL KR_positionieren(Zugriffshandle *h, unsigned int position)
{
    if (!h)
        return -1;
    if (h->positionierfunktion)
        return h->positionierfunktion(h, position);
    if (h->objekt == 0 && h->puffer == nullptr)
        return 0;
    if (position > h->laenge)
        return -1;
    h->position = static_cast<int32_t>(position);
    if (position == 0) {
        h->spalte = 0;
        h->zeile = 0;
        h->elementanfang = 0;
    }
    h->symbolstatus = 0;
    return 1;
}

} // extern "C"
