// argumente.h - internal operations of the argument reader: templates, the
// record's storage and the reading of one argument line.
#ifndef KORVAN_ARGUMENTE_H
#define KORVAN_ARGUMENTE_H

#include "korvan.h"

#include <cstddef>
#include <cstdint>

#include "korvan/intern/vorlage.h"

// The option bits and the item limit are the template rule's, shared with
// korvan.hpp; the given bit is the reader's own.
using kr::intern::Arg_Hoechstzahl;
using kr::intern::Arg_Mehrfach;
using kr::intern::Arg_Nur_Schluessel;
using kr::intern::Arg_Pflicht;
using kr::intern::Arg_Rest;
using kr::intern::Arg_Schalter;
using kr::intern::Arg_Schluessel;
using kr::intern::Arg_Zahl;
constexpr uint16_t Arg_Gegeben = 0x8000; // the item has received a value

// A multiple-value array: 128 entry slots and a null slot after them, so the
// caller always sees a null-terminated array.  One more slot, hidden behind
// that null, links the further arrays of a call (an item with M that is not
// the first to receive an entry gets an array of its own): the record's
// mehrfachliste is the head of that chain, and KR_Arg_freigeben frees every
// array on it.
constexpr int Arg_Mehrfach_Eintraege = 128;
constexpr int Arg_Mehrfach_Verweis = Arg_Mehrfach_Eintraege + 1;
constexpr int Arg_Mehrfach_Plaetze = Arg_Mehrfach_Eintraege + 2;

// Result of Arg_Rest_lesen.
constexpr int Arg_Rest_gescheitert = 2;
constexpr int Arg_Rest_fertig = 9;

// --- templates (vorlage.cpp) -----------------------------------------------

// Reads a template into one flag word per item (flags holds
// Arg_Hoechstzahl words) and the index of the positional multiple item, or
// -1 for none.  Returns the item count, or -1 when the template is rejected.
int Arg_Vorlage_lesen(const char *vorlage, uint16_t *flags, int *mehrfach);

// The names of a template in the order in which KR_Arg_finden tries them,
// gathered once per argument line, so that keywords are found without
// running over the template text again.  A template with more names than
// the table holds is searched as KR_Arg_finden searches it.
constexpr int Arg_Namen_Hoechstzahl = 64;
struct Arg_Namen {
    const char *vorlage;
    int anzahl; // -1: too many names for the table
    struct {
        const char *anfang;
        size_t laenge;
        int index;
    } name[Arg_Namen_Hoechstzahl];
};
void Arg_Namen_sammeln(const char *vorlage, Arg_Namen *namen);
// KR_Arg_finden over the gathered names.
int Arg_Namen_finden(const Arg_Namen &namen, const char *name);

// --- storage (speicher.cpp) ------------------------------------------------
// The cursor is the storage cursor of a fixed block (unused in pool mode).

// Stores a copy of a text (at least 4 bytes); 1, or 0 when it does not fit.
int Arg_Text_ablegen(Argumentsatz *satz, void **slot, const char *text, char **cursor);
// Stores a 32-bit signed number in a new 4-byte cell; 1 or 0.
int Arg_Zahl_ablegen(Argumentsatz *satz, void **slot, int32_t zahl, char **cursor);
// Appends a copy of a text to the multiple-value array of the slot; 1 or 0.
int Arg_Mehrfach_anhaengen(Argumentsatz *satz, void **slot, const char *text, char **cursor);
// Takes the last entry off an array; its text, or null when it is empty.
char *Arg_Mehrfach_entnehmen(char **feld, uint16_t *flags);
// Stores a value text for item `index` by its kind: 0 stored, 1 stored in a
// multiple-value array, 2 failure.
int Arg_Wert_ablegen(Argumentsatz *satz, int index, uint16_t *flags, void **werte,
                     const char *text, char **cursor);
// The number rule: true when the whole text is a base-10 number within the
// 32-bit signed range; the number goes to *zahl.
bool Arg_Zahl_umwandeln(const char *text, int32_t *zahl);
// Places n bytes in the record's storage (pool or fixed block); null when
// they do not fit.
void *Arg_Platz_nehmen(Argumentsatz *satz, uint32_t n, char **cursor);

// --- the reader (lesen.cpp) ------------------------------------------------

// Takes the rest of the line for the item whose slot and flag word are given,
// skipping blanks first when `blanks_ueberspringen`; Arg_Rest_fertig or
// Arg_Rest_gescheitert.
int Arg_Rest_lesen(Zugriffshandle *zeile, Argumentsatz *satz, void **slot, uint16_t *flags,
                   bool blanks_ueberspringen, char **cursor);
// Reads a keyword's value element and stores it for item `index`; the result
// of Arg_Wert_ablegen, and 2 when no value element follows.
int Arg_Wert_lesen(Zugriffshandle *zeile, Argumentsatz *satz, int index, uint16_t *flags,
                   void **werte, char **cursor);

#endif // KORVAN_ARGUMENTE_H
