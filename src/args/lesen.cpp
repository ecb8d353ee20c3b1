// lesen.cpp - the argument reader: one line of argument text read against a
// template into the caller's value array, by a small state machine.
#include "args/argumente.h"
#include "config/konfig.h"
#include "tamsel.h"

#include <cstring>

namespace {

using strom::Leser;
using strom::Lesen;
using strom::Zuruecklesen;

using kr::intern::CR;
using kr::intern::Ende;
using kr::intern::LF;

// Working buffers of one call, each bounded where it is filled.
constexpr uint32_t Zeilengroesse = 512;  // the line copy, line-end character included
constexpr int Elementgroesse = 256;      // elements in Read and Skip: at most 255 characters
constexpr int Wertgroesse = 512;         // a keyword's value: at most 511 characters
constexpr int Resthoechstlaenge = 254;   // a rest of line

// Arg_Rest_lesen and Arg_Wert_lesen on the line's reader.
int Rest_lesen(Leser &zeile, Argumentsatz *satz, void **slot, uint16_t *flags, bool blanks_ueberspringen,
               char **cursor);
int Wert_lesen(Leser &zeile, Argumentsatz *satz, int index, uint16_t *flags, void **werte, char **cursor);

// Seek: find the item for the next positional value.  Read: the next
// element.  Value: the current item was named by its keyword.  Skip: pass
// over the elements after an unknown keyword.  Done and Failed end the run.
enum class Zustand { Suchen, Lesen, Wert, Ueberspringen, Fertig, Gescheitert };

// Everything one call works with; all of it lives on the caller's stack.
struct Lauf {
    const char *vorlage;
    void **werte;
    Argumentsatz *satz;
    uint16_t flags[Arg_Hoechstzahl];
    int anzahl;
    int mehrfach;              // the positional multiple item, or -1
    Zugriffshandle zeile;      // reads the line copy
    Leser *leser;              // ... through this reader
    Arg_Namen namen;           // the template's names
    char kopie[Zeilengroesse];
    char element[Elementgroesse];
    int aktuell;               // the current item; anzahl when there is none
    int suchindex;             // where Seek starts
    int32_t marke;             // a saved position of the line handle
    char *cursor;              // the storage cursor of a fixed block
};

bool Zeilenende(int c)
{
    return c == LF || c == CR;
}

// Reads the one character after an element; a line end stays for the next
// element read, which then finds the end of the line.
int Nachzeichen_lesen(Leser &l)
{
    int c = Lesen(l);
    if (Zeilenende(c))
        Zuruecklesen(l);
    return c;
}

bool Hat(const Lauf &l, int index, uint16_t bit)
{
    return index < l.anzahl && (l.flags[index] & bit);
}

// Storage for this call: the caller's fixed block, or a fresh pool.
bool Speicher_einrichten(Argumentsatz *satz, char **cursor)
{
    if ((satz->argflags & KR_ARG_FESTSPEICHER) && satz->speicher && satz->speichergroesse) {
        *cursor = static_cast<char *>(satz->speicher);
        return true;
    }
    // A pool left here by an earlier call is the caller's to release.
    *cursor = nullptr;
    satz->speicher = Tamsel_Alloc(TAMSEL_POOLKOPF);
    if (!satz->speicher)
        return false;
    std::memset(satz->speicher, 0, TAMSEL_POOLKOPF);
    satz->argflags &= ~KR_ARG_FESTSPEICHER;
    satz->speichergroesse = TAMSEL_POOLKOPF;
    return true;
}

// Copies one line from the record's handle: up to a 0 byte or the end (not
// copied), or a line end (copied, and taken back on the record's handle).
// A line that needs more than the copy's 512 bytes fails the call; the
// record's handle then stands after the character that did not fit.
bool Zeile_kopieren(Lauf &l)
{
    Leser quelle(&l.satz->zugriffshandle);
    uint32_t n = 0;
    for (;;) {
        int c = Lesen(quelle);
        if (c == 0 || c == Ende)
            break;
        if (n == Zeilengroesse)
            return false;
        l.kopie[n++] = static_cast<char>(c);
        if (Zeilenende(c)) {
            Zuruecklesen(quelle);
            break;
        }
    }
    l.zeile.laenge = n;
    return true;
}

Zustand Rest_nehmen(Lauf &l, bool blanks_ueberspringen)
{
    l.zeile.position = l.marke;
    int r = Rest_lesen(*l.leser, l.satz, &l.werte[l.aktuell], &l.flags[l.aktuell],
                           blanks_ueberspringen, &l.cursor);
    return r == Arg_Rest_fertig ? Zustand::Fertig : Zustand::Gescheitert;
}

// The item was named by its keyword: it becomes current, and its value
// starts at the line handle's position.
Zustand Benannt(Lauf &l, int index)
{
    l.marke = l.zeile.position;
    l.aktuell = index;
    return Zustand::Wert;
}

Zustand Nach_Ablage(int ergebnis)
{
    switch (ergebnis) {
    case 0: return Zustand::Suchen;
    case 1: return Zustand::Lesen; // further positional values go to the same item
    default: return Zustand::Gescheitert;
    }
}

Zustand Suchen(Lauf &l)
{
    // 1. Items with S, K or T never take a positional value; one with M
    // takes all of them.
    int i = l.suchindex;
    while (i < l.anzahl) {
        uint16_t f = l.flags[i];
        if (f & (Arg_Schalter | Arg_Schluessel | Arg_Nur_Schluessel)) {
            ++i;
            continue;
        }
        if (!(f & Arg_Gegeben) || (f & Arg_Mehrfach))
            break;
        ++i;
    }
    // 2.
    l.suchindex = l.aktuell = i;
    return Zustand::Lesen;
}

// A quoted string, or a word that names no item.
Zustand Positionswert(Lauf &l)
{
    if (l.aktuell >= l.anzahl) {
        Nachzeichen_lesen(*l.leser);
        return Zustand::Lesen; // no item left: the element is dropped
    }
    if (Hat(l, l.aktuell, Arg_Rest))
        return Rest_nehmen(l, true);
    Nachzeichen_lesen(*l.leser);
    return Nach_Ablage(Arg_Wert_ablegen(l.satz, l.aktuell, l.flags, l.werte, l.element, &l.cursor));
}

Zustand Lesen(Lauf &l)
{
    // 1., 2.
    l.marke = l.zeile.position;
    int r = konfig::Element_lesen_Argument(*l.leser, l.element, Elementgroesse);

    // 3.
    if (r == kr::intern::Element_zu_lang)
        return Zustand::Gescheitert;
    if (r == kr::intern::Element_keins)
        return Zustand::Fertig;

    // 4. A word ended by '='.
    if (r == kr::intern::Element_Gleich) {
        int index = Arg_Namen_finden(l.namen, l.element);
        if (index >= 0) {
            Lesen(*l.leser);
            return Benannt(l, index);
        }
        if (Hat(l, l.aktuell, Arg_Rest))
            return Rest_nehmen(l, true);
        Lesen(*l.leser);
        return Zustand::Ueberspringen;
    }

    // 5. A word: a keyword, or else a positional value.
    if (r == kr::intern::Element_Wort) {
        int index = Arg_Namen_finden(l.namen, l.element);
        if (index >= 0) {
            Nachzeichen_lesen(*l.leser);
            return Benannt(l, index);
        }
    }

    // 6. A quoted string is never a keyword.
    return Positionswert(l);
}

Zustand Wert(Lauf &l)
{
    // 1. A switch.
    if (Hat(l, l.aktuell, Arg_Schalter)) {
        l.werte[l.aktuell] = reinterpret_cast<void *>(static_cast<intptr_t>(1));
        l.flags[l.aktuell] |= Arg_Gegeben;
        return Zustand::Suchen;
    }
    // 2. The rest of the line, from right after the keyword.
    if (Hat(l, l.aktuell, Arg_Rest))
        return Rest_nehmen(l, false);
    // 3.
    return Nach_Ablage(Wert_lesen(*l.leser, l.satz, l.aktuell, l.flags, l.werte, &l.cursor));
}

Zustand Ueberspringen(Lauf &l)
{
    // 1., 2.
    int r = konfig::Element_lesen_Argument(*l.leser, l.element, Elementgroesse);
    if (r == kr::intern::Element_zu_lang)
        return Zustand::Gescheitert;
    if (r == kr::intern::Element_keins)
        return Zustand::Fertig;

    // 3. Only a known keyword with '=' ends the skipping here.
    if (r == kr::intern::Element_Gleich) {
        int index = Arg_Namen_finden(l.namen, l.element);
        Lesen(*l.leser);
        return index >= 0 ? Benannt(l, index) : Zustand::Ueberspringen;
    }

    // 4. ... or an element directly followed by a comma.
    return Lesen(*l.leser) == ',' ? Zustand::Lesen : Zustand::Ueberspringen;
}

Zustand Automat(Lauf &l)
{
    Zustand z = Zustand::Suchen;
    for (;;) {
        switch (z) {
        case Zustand::Suchen: z = Suchen(l); break;
        case Zustand::Lesen: z = Lesen(l); break;
        case Zustand::Wert: z = Wert(l); break;
        case Zustand::Ueberspringen: z = Ueberspringen(l); break;
        case Zustand::Fertig:
        case Zustand::Gescheitert: return z;
        }
    }
}

// 1. Required items without a value take the last value of the positional
// multiple item.
bool Pflicht_nachtragen(Lauf &l)
{
    for (int i = l.anzahl - 1; i >= 0; --i) {
        if (!(l.flags[i] & Arg_Pflicht) || (l.flags[i] & Arg_Gegeben))
            continue;
        if (l.mehrfach < 0 || !(l.flags[l.mehrfach] & Arg_Gegeben))
            return false;
        char *text = Arg_Mehrfach_entnehmen(static_cast<char **>(l.werte[l.mehrfach]),
                                            &l.flags[l.mehrfach]);
        if (!text || Arg_Wert_ablegen(l.satz, i, l.flags, l.werte, text, &l.cursor) == 2)
            return false;
    }
    return true;
}

// 2. Entries of multiple number items become 32-bit numbers, written over
// the first 4 bytes of each entry's block.
bool Mehrfachzahlen_umwandeln(Lauf &l)
{
    constexpr uint16_t Alle = Arg_Mehrfach | Arg_Zahl | Arg_Gegeben;
    for (int i = l.anzahl - 1; i >= 0; --i) {
        if ((l.flags[i] & Alle) != Alle)
            continue;
        auto **feld = static_cast<char **>(l.werte[i]);
        for (int k = 0; k < Arg_Mehrfach_Eintraege && feld[k]; ++k) {
            int32_t zahl;
            if (!Arg_Zahl_umwandeln(feld[k], &zahl))
                return false;
            std::memcpy(feld[k], &zahl, sizeof zahl);
        }
    }
    return true;
}

Argumentsatz *Scheitern(Argumentsatz *satz)
{
    KR_Arg_freigeben(satz);
    return nullptr;
}

} // namespace

namespace {

int Rest_lesen(Leser &zeile, Argumentsatz *satz, void **slot, uint16_t *flags, bool blanks_ueberspringen,
               char **cursor)
{
    // 1.
    int c = Lesen(zeile);
    while (blanks_ueberspringen && (c == ' ' || c == '\t'))
        c = Lesen(zeile);

    // 2. One character more than a rest may hold tells that it is too long.
    char rest[Resthoechstlaenge + 1];
    int n = 0;
    while (c != Ende && !Zeilenende(c)) {
        rest[n++] = static_cast<char>(c);
        if (n == Resthoechstlaenge + 1)
            break;
        c = Lesen(zeile);
    }

    // 3.
    if (Zeilenende(c))
        Zuruecklesen(zeile);
    // 4.
    if (n > Resthoechstlaenge)
        return Arg_Rest_gescheitert;

    // 5. No minimum size here: a rest never becomes a number.
    auto *block = static_cast<char *>(Arg_Platz_nehmen(satz, static_cast<uint32_t>(n) + 1, cursor));
    if (!block)
        return Arg_Rest_gescheitert;

    // 6.
    std::memcpy(block, rest, static_cast<size_t>(n));
    block[n] = '\0';
    *slot = block;
    *flags |= Arg_Gegeben;
    return Arg_Rest_fertig;
}

int Wert_lesen(Leser &zeile, Argumentsatz *satz, int index, uint16_t *flags, void **werte, char **cursor)
{
    // 1. A keyword without a value (the line ends, or the value does not
    // fit the buffer) fails the call, so the caller hears of the mistake.
    char wert[Wertgroesse];
    int r = konfig::Element_lesen_Argument(zeile, wert, Wertgroesse);
    if (r <= kr::intern::Element_keins)
        return 2;
    // 2.
    Nachzeichen_lesen(zeile);
    // 3.
    return Arg_Wert_ablegen(satz, index, flags, werte, wert, cursor);
}

} // namespace

int Arg_Rest_lesen(Zugriffshandle *zeile, Argumentsatz *satz, void **slot, uint16_t *flags,
                   bool blanks_ueberspringen, char **cursor)
{
    Leser l(zeile);
    return Rest_lesen(l, satz, slot, flags, blanks_ueberspringen, cursor);
}

int Arg_Wert_lesen(Zugriffshandle *zeile, Argumentsatz *satz, int index, uint16_t *flags,
                   void **werte, char **cursor)
{
    Leser l(zeile);
    return Wert_lesen(l, satz, index, flags, werte, cursor);
}

extern "C" Argumentsatz *KR_CALL KR_Argumente_lesen(const char *vorlage, void **werte,
                                                    Argumentsatz *satz)
{
    // 1. The line handle reads the line copy.
    Lauf l;
    l.zeile = Zugriffshandle{};
    l.zeile.puffer = l.kopie;

    // 2., 3.
    if (!satz)
        return nullptr;
    satz->mehrfachliste = nullptr;

    // 4. The template; a null value array only does for a template without items.
    l.vorlage = vorlage;
    l.werte = werte;
    l.satz = satz;
    l.anzahl = Arg_Vorlage_lesen(vorlage, l.flags, &l.mehrfach);
    if (l.anzahl < 0 || (l.anzahl > 0 && !werte))
        return nullptr;

    // 5.
    if (!Speicher_einrichten(satz, &l.cursor))
        return nullptr;

    // 6.
    if (!Zeile_kopieren(l))
        return Scheitern(satz);
    Leser leser(&l.zeile);
    l.leser = &leser;
    Arg_Namen_sammeln(vorlage, &l.namen);

    // 7.
    l.aktuell = 0;
    l.suchindex = 0;
    l.marke = 0;
    if (Automat(l) == Zustand::Gescheitert)
        return Scheitern(satz);

    // 8. The finalisation.
    if (!Pflicht_nachtragen(l) || !Mehrfachzahlen_umwandeln(l))
        return Scheitern(satz);
    return satz;
}
