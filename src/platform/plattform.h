// plattform.h - every operating-system service that Korvan and its memory
// libraries use.  One implementation per system: src/platform/posix and
// src/platform/win32, chosen at build time.  No other file of the project
// includes an operating-system header.
//
// Paths handed to these functions are the library's own strings.  The POSIX
// side turns every '\' into '/' where it calls the system, and only there.
#ifndef KORVAN_PLATTFORM_H
#define KORVAN_PLATTFORM_H

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Buffered file streams (file source, memory-object load, preprocessor)
// ---------------------------------------------------------------------------

struct Plattform_Strom;

enum class Strommodus {
    lesen_binaer,    // "rb": bytes as stored
    lesen_text,      // "rt": CR LF arrives as LF, 0x1A ends the file
    schreiben_binaer // "wb": created or emptied, bytes as given
};

// Opens a stream; null on failure (the system's error is then lost).  A
// folder never opens, as on Windows.
Plattform_Strom *Strom_oeffnen(const char *pfad, Strommodus modus);
// Closes the stream; 0 on success, -1 when buffered data could not be written.
int Strom_schliessen(Plattform_Strom *strom);
// Next byte 0..255, or -1 at the end of the file or on a read error.
int Strom_Zeichen(Plattform_Strom *strom);
// Pushes one byte back so that the next read returns it; 1 or 0.
int Strom_zurueck(Plattform_Strom *strom, int zeichen);
// Reads up to n bytes; the count read (less than n at the end or on error).
size_t Strom_lesen(Plattform_Strom *strom, void *ziel, size_t n);
// Reads at most n - 1 bytes, ending after the first line feed, and adds a
// terminating zero byte (as fgets does); the number of bytes read, 0 at the
// end of the file or on error.  n must be at least 2.
size_t Strom_Zeile(Plattform_Strom *strom, char *ziel, size_t n);
// Writes n bytes; the count written.
size_t Strom_schreiben(Plattform_Strom *strom, const void *quelle, size_t n);
// Byte offset of the next read from the start of the file, or -1.
int64_t Strom_Position(Plattform_Strom *strom);
// Sets the byte offset of the next read; 0 on success, -1 on failure.
int Strom_setzen(Plattform_Strom *strom, int64_t position);
// True once a read has met the end of the file.
bool Strom_Ende(Plattform_Strom *strom);
// True once a read has failed for another reason than the end of the file.
bool Strom_Fehler(Plattform_Strom *strom);

// ---------------------------------------------------------------------------
// Whole files (memory-object load and save)
// ---------------------------------------------------------------------------

enum class Dateistatus {
    ok,
    nicht_lesbar,   // cannot be opened or read
    zu_gross,       // longer than a signed 32-bit length
    kein_speicher,
    nicht_anlegbar, // neither a temporary file nor the target can be written
    schreibfehler   // writing, flushing or replacing failed
};

// Reads a whole file into a new malloc block (*daten, *laenge).  A file of
// 0 bytes gives a block of 1 byte and *laenge 0.
Dateistatus Datei_laden(const char *pfad, unsigned char **daten, uint32_t *laenge);
// Replaces the file with the bytes given, never leaving it half written: a
// temporary file beside it is written, flushed and renamed over the target,
// which keeps its permission bits.  Only where the directory forbids the
// temporary file is the target written in place.
Dateistatus Datei_ersetzen(const char *pfad, const void *daten, size_t laenge);
// True when something exists under the path.
bool Datei_existiert(const char *pfad);
// True when the existing file may be written by this process.
bool Datei_beschreibbar(const char *pfad);

// ---------------------------------------------------------------------------
// Path services (path utilities, preprocessor)
// ---------------------------------------------------------------------------

// Byte size of the library's path working buffers, terminator included.
constexpr size_t Pfadpuffer = 260;

// False when the path is absolute: it begins with '\' or has ':' as its
// second character (on POSIX a leading '/' counts as absolute too).  A null
// or empty path is relative.  Stands for PathIsRelativeA.
bool Pfad_ist_relativ(const char *pfad);
// Resolves the '.' and '..' segments of pfad into ziel, which holds
// Pfadpuffer bytes.  Never climbs above the root ("\" or "C:\"), keeps doubled
// and trailing separators, turns a bare "C:" into "C:\" and an empty path
// into "\".  Only '\' separates segments (on POSIX '/' as well).  False for a
// null argument or a path of Pfadpuffer characters or more; ziel is then
// untouched.  Stands for PathCanonicalizeA.
bool Pfad_kanonisieren(char *ziel, const char *pfad);
// The lower-case form of a byte in code page 1252.  Stands for
// CharLowerBuffA over one character.
unsigned char Zeichen_klein(unsigned char zeichen);
// The process's current directory into ziel (groesse bytes with the
// terminator); false when it cannot be read or does not fit.  Stands for
// _getcwd.
bool Verzeichnis_aktuell(char *ziel, size_t groesse);

// ---------------------------------------------------------------------------
// Directory search and file status (file trees)
// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// Processes (running programs, registered tools)
// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// Registry of file types and environment (registered tools)
// ---------------------------------------------------------------------------

#endif // KORVAN_PLATTFORM_H
