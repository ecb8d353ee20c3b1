// konfig.h - operations shared inside the configuration readers: the bounded
// store into a caller's buffer, quoted strings, name comparison and the
// header searches that also report where the found header starts.
#ifndef KORVAN_KONFIG_H
#define KORVAN_KONFIG_H

#include "korvan.h"
#include "handle/strom.h"

#include <cstdint>
#include <cstring>

namespace konfig {

using kr::intern::CR;
using kr::intern::Ende;
using kr::intern::LF;
using kr::intern::Elementergebnis;
using enum kr::intern::Elementergebnis;

using kr::intern::Namenspuffer;

using kr::intern::Ist_Blank;
using kr::intern::Ist_Klammer;
using kr::intern::Ist_Zeilenende;

// A caller's buffer with its bound: a store into a full buffer fails, so
// nothing is ever written past groesse bytes.  A null buffer holds nothing.
struct Ablage {
    char *puffer;
    int groesse;
    int benutzt;

    Ablage(char *p, int g) : puffer(p), groesse(p && g > 0 ? g : 0), benutzt(0) {}

    bool speichern(int c)
    {
        if (benutzt >= groesse)
            return false;
        puffer[benutzt++] = static_cast<char>(c);
        return true;
    }

    // Stores as many of the n bytes as fit.
    void speichern(const unsigned char *bytes, int32_t n)
    {
        int32_t platz = groesse - benutzt;
        if (n > platz)
            n = platz;
        if (n > 0) {
            std::memcpy(puffer + benutzt, bytes, static_cast<size_t>(n));
            benutzt += n;
        }
    }
};

// The readers take their characters from one strom::Leser per exported
// call, which they hand on to each other.
using strom::Leser;
using strom::Lesen;
using strom::Zuruecklesen;
using strom::Zuruecklegen;

// KR_naechste_Zeile, KR_Element_lesen_2 and KR_Element_lesen on a reader.
int Naechste_Zeile(Leser &l);
int Element_lesen_Konfiguration(Leser &l, char *puffer, int groesse);
int Element_lesen_Argument(Leser &l, char *puffer, int groesse);

// The body of a quoted string, after its opening quote, decoded into the
// store up to the closing quote or the end of the text; then reads the
// character after it into *danach.  False when the store is full.
bool Zeichenkette_lesen(Leser &l, Ablage &a, int *danach);

// A whole quoted element after its opening quote, as the element reader
// stores it: decoded, zero-terminated, the character after it taken back.
// 4, or -1 when it does not fit into groesse bytes.
int Zeichenkette_ablegen(Leser &l, Ablage &a);

// Equal without regard to ASCII letter case.
bool Namen_gleich(const char *a, const char *b);

// The header searches; on success *anfang is the offset of the opening
// bracket of the found header line, where its block starts.
int Abschnitt_suchen(const char *name, Zugriffshandle *h, int32_t *anfang);
int Klasse_suchen(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h, int32_t *anfang);

} // namespace konfig

#endif // KORVAN_KONFIG_H
