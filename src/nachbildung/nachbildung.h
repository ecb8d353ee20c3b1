// nachbildung.h - what the portable layer above the system layer shares
// within itself: the pieces that reproduce Windows behaviour with no
// operating-system call of their own (the library sees them through
// platform/plattform.h).
#ifndef KORVAN_NACHBILDUNG_H
#define KORVAN_NACHBILDUNG_H

#include "../platform/plattform.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Directory searches: each side collects the entries, then the search
// sorts them and hands them out.
// ---------------------------------------------------------------------------

// An empty search, or null when memory runs out.
Verzeichnissuche *Suche_anlegen();
// Adds an entry; a name too long for Suchtreffer::name is passed over.
// False when memory runs out.
bool Suche_eintragen(Verzeichnissuche *suche, const char *name, bool verzeichnis);
// Sorts the entries and gives the first in *treffer; with none the search is
// ended and null returned.
Verzeichnissuche *Suche_abschliessen(Verzeichnissuche *suche, Suchtreffer *treffer);

// A search pattern as Windows rewrites it before it matches long names.
struct Namensmuster {
    unsigned char zeichen[260];
    size_t laenge;
    bool alle; // "*" and "*.*": every name
};

// False when the pattern is too long or holds a byte that stands for a
// rewritten wildcard.
bool Namensmuster_lesen(const char *muster, Namensmuster *m);
bool Name_passt(const Namensmuster &m, const char *name);

// ---------------------------------------------------------------------------
// File names
// ---------------------------------------------------------------------------

// The last part of a file name: after its last '\' or '/', or after a drive
// "X:".
const char *Letzter_Namensteil(const char *datei);

// ---------------------------------------------------------------------------
// The registry of file types where the system has none
// ---------------------------------------------------------------------------

// The default value of a key that the desktop's associations stand for:
// ".ext" gives the MIME type of the extension, "<MIME type>\shell\open\command"
// the Exec line of the type's default application, its file field code
// turned into %1.  With ziel null only whether the key exists.  0,
// Register_fehlt or Register_zu_lang.
int32_t Desktop_Wert(const char *pfad, char *ziel, uint32_t groesse);

#endif // KORVAN_NACHBILDUNG_H
