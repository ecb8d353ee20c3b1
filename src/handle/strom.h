// strom.h - the character stream as the library's own readers use it: the
// same characters, counts and take-backs as KR_Zeichen_lesen and
// KR_Zeichen_ruecklesen, with the bytes of a memory source taken directly
// instead of through one exported call per character.
#ifndef KORVAN_STROM_H
#define KORVAN_STROM_H

#include "korvan.h"
#include "korvan/intern/zeichen.h"

#include <cstdint>

namespace strom {

using kr::intern::CR;
using kr::intern::Ende;
using kr::intern::LF;

// The line and column rule of every source, for the byte c just read after
// the character vorher: the byte after a line feed starts a new line in
// column 0; every other byte but LF and CR moves the column on.  True when a
// new line began.
inline bool Zaehlen(Zugriffshandle *h, int vorher, int c)
{
    if (vorher == LF) {
        ++h->zeile;
        h->spalte = 0;
        return true;
    }
    // Most bytes lie above CR: one comparison tells them.
    if (c > CR || (c != LF && c != CR))
        ++h->spalte;
    return false;
}

// The largest piece of a memory object copied at once.
constexpr int32_t Fenstergroesse = 1024;

// A reader lives for one library call only: while it runs nothing changes the
// bytes of the handle's memory source, so a window over them stays true.  A
// memory buffer is its own window; a memory object is copied in pieces that
// grow as the reader moves on.  Position, counts and the last character stay
// in the handle, so a reader and the exported functions may take turns.
struct Leser {
    Zugriffshandle *h;
    const unsigned char *bytes; // the byte at offset anfang + i is bytes[i]
    int32_t anfang;
    int32_t ende;               // the window is [anfang, ende)
    int32_t stueck;             // the size of the next piece to copy
    unsigned char kopie[Fenstergroesse];

    explicit Leser(Zugriffshandle *handle);
};

// The byte at the handle's position when it lies outside the window (the
// window is moved), with the position advanced; -1 with nothing changed at
// the end of the text or when the source cannot be read.
int Nachladen(Leser &l);

// Step 7 of KR_Zeichen_lesen: a '#' just read and counted in column 0 opens
// a comment line, which vanishes with any comment lines after it.
int Kommentarzeile(Leser &l);

// KR_Zeichen_lesen for a handle that is not null and has no read callback.
// Out of line, so that the exported function's common case needs no frame.
int Zeichen_lesen(Zugriffshandle *h);

// KR_Zeichen_lesen for a memory object, with no read callback.  Apart from
// Zeichen_lesen, so that the exported function's buffer case needs no frame
// and this one only a byte of stack.
int Objekt_Zeichen(Zugriffshandle *h);

// One byte of a memory source, with no counting.
inline int Byte(Leser &l)
{
    int32_t p = l.h->position;
    if (p >= l.anfang && p < l.ende) {
        l.h->position = p + 1;
        return l.bytes[p - l.anfang];
    }
    return Nachladen(l);
}

// The rest of a line in the window, taken at once: the bytes from the
// position up to the next CR or LF or the window's end, read as that many
// calls of Lesen would read them, the start returned and their number in
// *n.  Only where none of them can open a comment line: after a character
// that was no LF, in a column that a take-back did not leave at -1, with
// no read callback; otherwise, and before a line end, nothing (*n 0).
inline const unsigned char *Zeilenrest(Leser &l, int32_t *n)
{
    Zugriffshandle *h = l.h;
    int32_t p = h->position;
    *n = 0;
    if (h->lesefunktion || h->letztes_zeichen == LF || h->spalte < 0 || p < l.anfang || p >= l.ende)
        return nullptr;
    const unsigned char *s = l.bytes + (p - l.anfang);
    int32_t k = 0, rest = l.ende - p;
    while (k < rest && (s[k] > CR || (s[k] != LF && s[k] != CR)))
        ++k;
    if (k > 0) {
        h->position = p + k;
        h->spalte += k;
        h->letztes_zeichen = s[k - 1];
    }
    *n = k;
    return s;
}

// KR_Zeichen_lesen.
inline int Lesen(Leser &l)
{
    Zugriffshandle *h = l.h;
    if (h->lesefunktion)
        return h->lesefunktion(h);
    int c = Byte(l);
    if (c < 0)
        return Ende;
    // A new line starts in column 0, and so may a column that a take-back
    // left at -1.
    Zaehlen(h, h->letztes_zeichen, c);
    if (c == '#' && h->spalte == 0)
        return Kommentarzeile(l);
    h->letztes_zeichen = c;
    return c;
}

// KR_Zeichen_ruecklesen on a handle.
inline int Handle_zuruecklesen(Zugriffshandle *h)
{
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

// KR_Zeichen_ruecklesen, for the stream's handle.
inline int Zuruecklesen(Leser &l)
{
    return Handle_zuruecklesen(l.h);
}

// Takes back the character just read, unless the text had ended: a take-back
// after -1 would step back over the character before it.
inline void Zuruecklegen(Leser &l, int c)
{
    if (c != Ende)
        Zuruecklesen(l);
}

} // namespace strom

#endif // KORVAN_STROM_H
