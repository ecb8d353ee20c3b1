// ganzdatei.h - whole files: load one, replace one atomically.  The part of
// the system layer that the memory-object library uses, built as a piece of
// its own (kr_ganzdatei) that needs nothing else of Korvan; one translation
// per system in src/platform/{posix,win32}/ganzdatei.cpp, the portable rest
// in src/platform/ganzdatei.cpp.
#ifndef KORVAN_GANZDATEI_H
#define KORVAN_GANZDATEI_H

#include <cstddef>
#include <cstdint>

enum class Dateistatus {
    ok,
    nicht_lesbar,   // cannot be opened or read
    zu_gross,       // longer than a signed 32-bit length
    kein_speicher,
    nicht_anlegbar, // neither a temporary file nor the target can be written
    schreibfehler   // writing, flushing or replacing failed
};

// Reads a whole file into a new malloc block (*daten, *laenge).  A file of
// 0 bytes gives a block of 1 byte and *laenge 0.  Only a regular file loads:
// a folder, device or pipe fails at once (nicht_lesbar), and the open never
// waits for a pipe's writer.  A file longer than `grenze` bytes is refused
// before anything is read (zu_gross).
Dateistatus Datei_laden(const char *pfad, unsigned char **daten, uint32_t *laenge, int64_t grenze = INT32_MAX);
// Replaces the file with the bytes given, never leaving it half written: a
// temporary file of a short name beside it, readable by this process alone,
// is written, given the target's permission bits and (where the process
// may) its owner and group, else without setuid and setgid, flushed and
// renamed over the target; then the folder is flushed.  Temporary files of
// saves of the same target whose process has ended are removed first.  A
// target that is a symbolic link keeps it: the file it names is replaced,
// or created when it is not there yet.  A target that is no regular file
// (on POSIX: a device, a FIFO, a folder) is left as it is (nicht_anlegbar).
// Only where the directory forbids the temporary file is the target written
// in place.
Dateistatus Datei_ersetzen(const char *pfad, const void *daten, size_t laenge);

// The same replacement written piece by piece, for an output too large to
// hold whole (the preprocessor's): the temporary file is made at the start,
// written through Ersetzung_Datei, and takes the target's place only at the
// end.  It is not flushed, so that it costs no more than a plain write.
struct Ersetzung;
// Null on failure, with *selbst true where the target is to be written
// itself instead: it exists and is no regular file (a pipe, a device), or
// its folder forbids a temporary file (as Datei_ersetzen writes in place).
Ersetzung *Ersetzung_beginnen(const char *pfad, bool *selbst);
// The temporary file, as the streams take a file (a descriptor; on Windows
// the runtime's).
intptr_t Ersetzung_Datei(const Ersetzung *ersetzung);
// The identity of the file that will be replaced (the one a link names):
// device and inode, on Windows volume serial and file index.  False for a
// new target or when the system cannot tell.
bool Ersetzung_Ziel(const Ersetzung *ersetzung, uint64_t *geraet, uint64_t *knoten);
// With `uebernehmen` the temporary file gets the target's bits (owner and
// group where the process may) and is renamed over it; without, or when a
// step fails, it is removed and the target stays as it was.  Closes the file
// and frees the replacement; true when the target was replaced.
bool Ersetzung_beenden(Ersetzung *ersetzung, bool uebernehmen);

// ---------------------------------------------------------------------------
// The system calls of a load and a replace (POSIX), in one table that a test
// build changes to make them fail on demand, on every target alike.  Each
// sets errno as the call it stands for does.
// ---------------------------------------------------------------------------

struct Dateiaufrufe {
    ptrdiff_t (*schreiben)(int datei, const void *quelle, size_t n);               // write
    int (*sichern)(int datei);                                                     // fsync
    int (*umbenennen)(int ordner, const char *alt, int zielordner, const char *neu); // renameat
    int (*rechte_setzen)(int datei, unsigned modus);                               // fchmod
    int (*besitzer_setzen)(int datei, unsigned besitzer, unsigned gruppe);         // fchown
    int (*schliessen)(int datei);                                                  // close
};
extern Dateiaufrufe dateiaufrufe;

// ---------------------------------------------------------------------------
// The heap requests of the library and its system layer, in one table that a
// test build changes to make them fail on demand.  Blocks go back by free.
// ---------------------------------------------------------------------------

struct Heapaufrufe {
    void *(*belegen)(size_t n);                        // malloc
    void *(*belegen_genullt)(size_t anzahl, size_t n); // calloc
    void *(*neu_belegen)(void *block, size_t n);       // realloc
};
extern Heapaufrufe heapaufrufe;

// ---------------------------------------------------------------------------
// For the system layer itself (the registry file, the edit lock).
// ---------------------------------------------------------------------------

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

#endif // KORVAN_GANZDATEI_H
