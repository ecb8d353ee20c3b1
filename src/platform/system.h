// system.h - what each side of the system layer (src/platform/posix,
// src/platform/win32) supplies beyond plattform.h for the portable code of
// src/nachbildung above it: the files under the buffered streams and the
// entries of a directory.  The whole-file piece is ganzdatei.h.
#ifndef KORVAN_PLATTFORM_SYSTEM_H
#define KORVAN_PLATTFORM_SYSTEM_H

#include "plattform.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// A file of the system under a stream, supplied by each side.  Every call
// retries where the system was merely interrupted.
// ---------------------------------------------------------------------------

// Opens the file for the stream's mode: -1 when it cannot be opened, is a
// folder, or in text mode or lesen_datei is no regular file (which would
// never end).  A side that learns the file's identity in the open stores it
// in *kennung and sets *bekannt; otherwise *bekannt is false.
intptr_t Systemdatei_oeffnen(const char *pfad, Strommodus modus, Dateikennung *kennung, bool *bekannt);
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

// ---------------------------------------------------------------------------
// The entries of a directory, handed to the search above one by one.
// ---------------------------------------------------------------------------

// Where the system matches names against a search pattern itself (Windows,
// its short 8.3 names included), it hands only the entries that match;
// elsewhere it hands every entry and the search above matches them.
#ifdef _WIN32
constexpr bool System_vergleicht_Namen = true;
#else
constexpr bool System_vergleicht_Namen = false;
#endif

// Who takes the entries: `passt` says whether a name is wanted at all (so
// that the system asks no more of an entry that is not), `nehmen` takes a
// wanted entry and returns false when it cannot (memory ran out).
struct Eintragsnehmer {
    bool (*passt)(void *ziel, const char *name);
    bool (*nehmen)(void *ziel, const char *name, bool verzeichnis);
    void *ziel;
};

// Hands the entries of the directory named by everything before the last
// separator of `muster` (with `folgen` false it must not be a symbolic
// link); a symbolic link is never a directory.  False when the directory
// cannot be read or an entry could not be taken.
bool Ordner_auflisten(const char *muster, bool folgen, const Eintragsnehmer &nehmer);
// The same for the root of a walk or a directory below it, as the walk
// reaches it (plattform.h, Baumgang); a null walk lists as above, without
// following a link.
bool Ordner_auflisten(Baumgang *gang, const char *muster, const Eintragsnehmer &nehmer);

#endif // KORVAN_PLATTFORM_SYSTEM_H
