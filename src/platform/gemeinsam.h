// gemeinsam.h - what both sides of the platform layer share: the buffered
// streams over a file of the system, whole-file loading, the sorted results
// of a directory search, the matching of names against a search pattern,
// and the last part of a file name.  gemeinsam.cpp holds no system call; each side supplies
// the few below that it rests on.
#ifndef KORVAN_PLATTFORM_GEMEINSAM_H
#define KORVAN_PLATTFORM_GEMEINSAM_H

#include "plattform.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// A file of the system under a stream, supplied by each side.  Every call
// retries where the system was merely interrupted.
// ---------------------------------------------------------------------------

// Opens the file for the stream's mode: -1 when it cannot be opened, is a
// folder, or in text mode or lesen_datei is no regular file (which would
// never end).
intptr_t Systemdatei_oeffnen(const char *pfad, Strommodus modus);
// 0, or -1 when the system reports a failure.
int Systemdatei_schliessen(intptr_t datei);
// Up to n bytes: the count read, 0 at the end of the file, -1 on failure.
ptrdiff_t Systemdatei_lesen(intptr_t datei, void *ziel, size_t n);
// All n bytes, or false.
bool Systemdatei_schreiben(intptr_t datei, const void *quelle, size_t n);
// The system's offset of the file, or -1.
int64_t Systemdatei_Position(intptr_t datei);
// Moves the system's offset; false on failure.
bool Systemdatei_setzen(intptr_t datei, int64_t position);
// The identity of the open file; false when the system cannot tell.
bool Systemdatei_Kennung(intptr_t datei, Dateikennung *kennung);

// Whole files, read through a reader of the system: `lesen` gives the next
// bytes of the file (the count, 0 at its end, -1 on failure).
using Dateileser = ptrdiff_t (*)(intptr_t datei, void *ziel, size_t n);
// A hint, given by each side, that a new block is about to be filled whole:
// where the system can, it backs a large one with large pages, as one page
// fault per 4 KB page costs more than the reading itself.  Changes nothing
// the block holds.
void Block_vorbereiten(void *block, size_t groesse);
// A file of known size: all of its bytes into a new malloc block (a block
// of 1 byte for an empty file).
Dateistatus Ganz_laden(Dateileser lesen, intptr_t datei, int64_t groesse, unsigned char **daten, uint32_t *laenge);
// A short hash of a file's name (FNV-1a), for the short names of the
// temporary and lock files beside it.
uint32_t Namenshash(const char *name);

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

#endif // KORVAN_PLATTFORM_GEMEINSAM_H
