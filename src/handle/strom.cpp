// strom.cpp - the memory-source side of the readers' character stream:
// windows over memory buffers and memory objects, and comment lines.
#include "handle/strom.h"
#include "quidel32.h"

namespace strom {

namespace {

// The first piece of a memory object is small, as most calls read a line or
// an element; every further piece is twice as large.
constexpr int32_t Erstes_Stueck = 128;

} // namespace

// The source is chosen as KR_Zeichen_lesen chooses it: a memory object
// before a memory buffer.  A buffer whose length does not fit a signed
// position gets no window, so its reads take the checks of Nachladen.
Leser::Leser(Zugriffshandle *handle)
    : h(handle), bytes(nullptr), anfang(0), ende(0), stueck(Erstes_Stueck)
{
    if (!h->lesefunktion && h->objekt == 0 && h->puffer && static_cast<int32_t>(h->laenge) > 0) {
        bytes = reinterpret_cast<const unsigned char *>(h->puffer);
        ende = static_cast<int32_t>(h->laenge);
    }
}

int Nachladen(Leser &l)
{
    Zugriffshandle *h = l.h;
    int32_t p = h->position;
    if (h->objekt != 0) {
        if (p >= static_cast<int32_t>(h->laenge))
            return Ende;
        // A piece from the position on, as far as the text goes.  Should the
        // object be shorter than the handle says, the piece cannot be read,
        // and the byte is read alone as the exported reader reads it.
        if (p >= 0) {
            uint32_t rest = h->laenge - static_cast<uint32_t>(p);
            uint32_t n = rest < static_cast<uint32_t>(l.stueck) ? rest : static_cast<uint32_t>(l.stueck);
            if (Quidel_Lesen(h->objekt, n, static_cast<uint32_t>(p), l.kopie, 0) == 0) {
                l.bytes = l.kopie;
                l.anfang = p;
                l.ende = p + static_cast<int32_t>(n);
                if (l.stueck < Fenstergroesse)
                    l.stueck *= 2;
                h->position = p + 1;
                return l.kopie[0];
            }
        }
        unsigned char c;
        if (Quidel_Lesen(h->objekt, 1, static_cast<uint32_t>(p), &c, 0) != 0)
            return Ende;
        ++h->position;
        return c;
    }
    if (h->puffer) {
        if (p >= static_cast<int32_t>(h->laenge))
            return Ende;
        ++h->position;
        return static_cast<unsigned char>(h->puffer[p]);
    }
    return Ende;
}

// The comment's own characters count as columns of its line; the character
// after its line feed is delivered instead, which may open the next comment
// line in turn.  A loop, so that any number of comment lines in a row costs
// no stack.
int Kommentarzeile(Leser &l)
{
    Zugriffshandle *h = l.h;
    int c = '#';
    while (h->spalte == 0 && c == '#') {
        h->letztes_zeichen = '#';
        int k;
        do {
            k = Byte(l);
            if (k < 0)
                break;
            Zaehlen(h, h->letztes_zeichen, k);
            h->letztes_zeichen = k;
        } while (k != LF);
        if (k < 0) {
            h->letztes_zeichen = '#';
            return '#';
        }
        c = Byte(l);
        if (c < 0) {
            h->letztes_zeichen = -1;
            return Ende;
        }
        Zaehlen(h, h->letztes_zeichen, c);
    }
    h->letztes_zeichen = c;
    return c;
}

// The byte at the position is read alone, as a window would be copied for
// nothing; a '#', the end of the text and a failed read take the readers' way.
// Only the handle is kept across the read, whose position is taken afresh
// after it: the frame is one saved register and the byte.
int Objekt_Zeichen(Zugriffshandle *h)
{
    int32_t p = h->position;
    if (p >= 0 && p < static_cast<int32_t>(h->laenge)) {
        unsigned char c;
        if (Quidel_Lesen(h->objekt, 1, static_cast<uint32_t>(p), &c, 0) == 0 && c != '#') {
            ++h->position;
            Zaehlen(h, h->letztes_zeichen, c);
            h->letztes_zeichen = c;
            return c;
        }
    }
    return Zeichen_lesen(h);
}

__attribute__((noinline)) int Zeichen_lesen(Zugriffshandle *h)
{
    Leser l(h);
    l.stueck = 1;
    return Lesen(l);
}

} // namespace strom
