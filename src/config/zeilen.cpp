// zeilen.cpp - stepping over lines and reading them: the next line with
// content, a whole line with its line ends, and a line inside a section.
#include "config/konfig.h"

namespace {

using namespace konfig;

// A store that keeps the last byte of the buffer for the terminating zero:
// at most groesse - 1 characters, none for a null buffer or size 0.
Ablage Zeilenablage(char *puffer, unsigned int groesse)
{
    unsigned int platz = groesse > 0 ? groesse - 1 : 0;
    return Ablage(puffer, platz > INT32_MAX ? INT32_MAX : static_cast<int>(platz));
}

// The rest of a line end that began with c: the partner character (CR after
// LF, LF after CR) belongs to it and is consumed; anything else is left.
void Zeilenende_verbrauchen(Leser &l, int c)
{
    int partner = c == LF ? CR : LF;
    int n = Lesen(l);
    if (n != partner)
        Zuruecklegen(l, n);
}

} // namespace

namespace konfig {

int Naechste_Zeile(Leser &l)
{
    int c;
    do {
        // 1. The rest of the current line, and the character after its end.
        int32_t n;
        do {
            strom::Zeilenrest(l, &n);
            c = Lesen(l);
        } while (c != Ende && !Ist_Zeilenende(c));
        if (c == LF)
            c = Lesen(l);
        // 2. Empty lines and leading blanks.
        while (Ist_Zeilenende(c) || Ist_Blank(c))
            c = Lesen(l);
        // 3. A comment line is skipped whole.
    } while (c == ';');

    // 4. The reader stands before the first character of the line.
    if (c == Ende)
        return 0;
    Zuruecklesen(l);
    return 1;
}

} // namespace konfig

extern "C" {

int KR_CALL KR_naechste_Zeile(Zugriffshandle *h)
{
    if (!h)
        return 0;
    Leser l(h);
    return Naechste_Zeile(l);
}

int KR_CALL KR_Zeile_lesen(Zugriffshandle *h, char *puffer, unsigned int groesse)
{
    if (!h)
        return 0;
    Ablage a = Zeilenablage(puffer, groesse);
    Leser l(h);

    // 1. The first character.
    int c = Lesen(l);
    if (c == Ende)
        return 0;

    // 2. The line's text; characters beyond the buffer are counted only.
    int anzahl = 0;
    while (c != Ende && !Ist_Zeilenende(c)) {
        a.speichern(c);
        int32_t n;
        const unsigned char *rest = strom::Zeilenrest(l, &n);
        a.speichern(rest, n);
        anzahl += 1 + n;
        c = Lesen(l);
    }

    // 3. The line end with every line-end character after it.
    while (Ist_Zeilenende(c)) {
        a.speichern(c);
        ++anzahl;
        c = Lesen(l);
    }

    // 4. The terminating zero byte has the byte kept for it.
    if (puffer && groesse > 0)
        puffer[a.benutzt] = '\0';
    Zuruecklegen(l, c);
    return anzahl;
}

unsigned int KR_CALL KR_Abschnittszeile_lesen(Zugriffshandle *h, char *puffer, unsigned int groesse)
{
    if (!h)
        return 0;
    Ablage a = Zeilenablage(puffer, groesse);
    Leser l(h);

    // 1. The first character.
    int c = Lesen(l);
    if (c == Ende)
        return 0;

    // 3. A section or class line stays unread.  (An empty line, step 2,
    // needs no case of its own: it is the line end that step 4 handles.)
    if (Ist_Klammer(c)) {
        Zuruecklesen(l);
        return 0;
    }

    // 4. The line's text up to its end, which is consumed but not stored.
    while (c != Ende && !Ist_Zeilenende(c)) {
        a.speichern(c);
        int32_t n;
        const unsigned char *rest = strom::Zeilenrest(l, &n);
        a.speichern(rest, n);
        c = Lesen(l);
    }
    if (c != Ende)
        Zeilenende_verbrauchen(l, c);

    // 5. The terminating zero byte.
    if (puffer && groesse > 0)
        puffer[a.benutzt] = '\0';
    return static_cast<unsigned int>(a.benutzt) + 1;
}

} // extern "C"
