// zeichen.cpp - the character stream of an access handle: reading one
// character with line and column counting and '#' comment lines removed,
// taking it back, and positioning.
#include "korvan.h"
#include "quidel32.h"

namespace {

constexpr int LF = '\n';
constexpr int CR = '\r';

// One byte from a memory source, or -1; no counting.
int Speicher_Byte(Zugriffshandle *h)
{
    if (h->objekt != 0) {
        if (h->position >= static_cast<int32_t>(h->laenge))
            return -1;
        unsigned char c;
        if (Quidel_Lesen(h->objekt, 1, static_cast<uint32_t>(h->position), &c, 0) != 0)
            return -1;
        ++h->position;
        return c;
    }
    if (h->puffer) {
        if (h->position >= static_cast<int32_t>(h->laenge))
            return -1;
        return static_cast<unsigned char>(h->puffer[h->position++]);
    }
    return -1;
}

// A line feed before this byte starts a new line at column 0; every other
// byte but LF and CR moves the column on.
void Zaehlen(Zugriffshandle *h, int c)
{
    if (h->letztes_zeichen == LF) {
        ++h->zeile;
        h->spalte = 0;
    } else if (c != LF && c != CR) {
        ++h->spalte;
    }
}

} // namespace

extern "C" {

int KR_CALL KR_Zeichen_lesen(Zugriffshandle *h)
{
    if (!h)
        return -1;
    if (h->lesefunktion)
        return h->lesefunktion(h);

    int c = Speicher_Byte(h);
    if (c < 0)
        return -1;
    Zaehlen(h, c);

    // A '#' in column 0 opens a comment line: it is read through to its line
    // feed (its characters counted as columns of that line), and the
    // character after that is delivered instead, which may open the next
    // comment line in turn.  A loop, so that any number of comment lines in
    // a row costs no stack.
    while (h->spalte == 0 && c == '#') {
        h->letztes_zeichen = '#';
        int k;
        do {
            k = Speicher_Byte(h);
            if (k < 0)
                break;
            Zaehlen(h, k);
            h->letztes_zeichen = k;
        } while (k != LF);
        if (k < 0) {
            h->letztes_zeichen = '#';
            return '#';
        }
        c = Speicher_Byte(h);
        if (c < 0) {
            h->letztes_zeichen = -1;
            return -1;
        }
        Zaehlen(h, c);
    }
    h->letztes_zeichen = c;
    return c;
}

int KR_CALL KR_Zeichen_ruecklesen(Zugriffshandle *h)
{
    if (!h)
        return 0;
    if (h->ruecklesefunktion)
        return h->ruecklesefunktion(h);
    if (h->position < 1)
        return 0;
    --h->position;
    if (h->letztes_zeichen != CR && h->letztes_zeichen != LF)
        --h->spalte;
    h->letztes_zeichen = -1;
    return 1;
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
