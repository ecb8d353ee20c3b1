// plattform.h - every operating-system service that Korvan and its memory
// libraries use.  One implementation per system: src/platform/posix and
// src/platform/win32, chosen at build time.  No other file of the project
// includes an operating-system header.
//
// Paths handed to these functions are the library's own strings.  The POSIX
// side turns every '\' into '/' where it calls the system, and only there.
#ifndef KORVAN_PLATTFORM_H
#define KORVAN_PLATTFORM_H

#include "ganzdatei.h"

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Buffered file streams (file source, memory-object load, preprocessor)
// ---------------------------------------------------------------------------

struct Plattform_Strom;

enum class Strommodus {
    lesen_binaer,    // "rb": bytes as stored
    lesen_text,      // "rt": CR LF arrives as LF, 0x1A ends the file
    lesen_datei,     // "rb" of a regular file only (the preprocessor's input)
    schreiben_binaer, // "wb": created or emptied, bytes as given
    ersetzen          // "wb" into a replacement (ganzdatei.h) of a regular or new
                      // file, which takes its place at Strom_schliessen; a pipe
                      // or device, or a file whose folder takes no temporary
                      // file, is written as by schreiben_binaer
};

// Opens a stream; null on failure (the system's error is then lost).  A
// folder never opens, as on Windows; in text mode and lesen_datei only a
// file that ends (no device, no pipe) opens, and the open never waits for a
// pipe's writer.
Plattform_Strom *Strom_oeffnen(const char *pfad, Strommodus modus);
// Closes the stream; 0 on success, -1 when buffered data could not be written
// (a replacement then leaves its target as it was).
int Strom_schliessen(Plattform_Strom *strom);
// Closes a stream whose bytes are not wanted: a replacement's target stays as
// it was; any other stream is closed as by Strom_schliessen.
void Strom_verwerfen(Plattform_Strom *strom);
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
// The next line where the stream holds it as Strom_Zeile would copy it (the
// bytes up to and including a line feed, at most n - 1 of them, with no CR or
// 0x1A in text mode and no zero byte): a pointer to it, valid until the
// stream next reads its file or is closed (this function never reads it, so
// lines seen one after another stand one after another), and its length in
// *laenge; the stream moves past it.
// Null, with nothing changed, for any other line: Strom_Zeile then reads it.
const char *Strom_Zeile_ansehen(Plattform_Strom *strom, size_t n, size_t *laenge);
// All the bytes the stream holds from its next one on that Strom_Zeile would
// copy as they stand (no CR or 0x1A in text mode, no zero byte): a pointer to
// them, valid as the one of Strom_Zeile_ansehen, and their count in *laenge;
// the stream stays where it is.  Null where Strom_Zeile_ansehen gives null
// for want of bytes.  Strom_weiter then moves it past the first n of them.
const char *Strom_Block_ansehen(Plattform_Strom *strom, size_t *laenge);
void Strom_weiter(Plattform_Strom *strom, size_t n);
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

// A file's identity: the same pair is the same file, whatever names or
// links lead to it (device and inode; volume serial and file index).
struct Dateikennung {
    uint64_t geraet;
    uint64_t knoten;
};
inline bool Gleiche_Datei(const Dateikennung &a, const Dateikennung &b)
{
    return a.geraet == b.geraet && a.knoten == b.knoten;
}
// The identity of the file that the path names, links followed as an open
// follows them; false when nothing is there or the system cannot tell.
bool Datei_Kennung(const char *pfad, Dateikennung *kennung);
// The identity of the file under an open stream, for a replacement the one
// it replaces (else its temporary file); false when the system cannot tell
// (a device on Windows).
bool Strom_Kennung(Plattform_Strom *strom, Dateikennung *kennung);

// ---------------------------------------------------------------------------
// Files (the whole-file piece serves the memory-object library too)
// ---------------------------------------------------------------------------

// Dateistatus, Datei_laden and Datei_ersetzen: ganzdatei.h, included above.

// True when something exists under the path.
bool Datei_existiert(const char *pfad);
// True when the existing file may be written by this process.
bool Datei_beschreibbar(const char *pfad);

// ---------------------------------------------------------------------------
// Path services (path utilities, preprocessor)
// ---------------------------------------------------------------------------

// Byte size of the library's path working buffers, terminator included.
constexpr size_t Pfadpuffer = 260;
// The longest path that the POSIX system takes, terminator included
// (PATH_MAX): the size of the buffers for the desktop's files.
constexpr size_t Systempfadgrenze = 4096;

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

struct Verzeichnissuche;

// One entry that a directory search reports.  A symbolic link is never a
// directory here, whatever it points to.
struct Suchtreffer {
    char name[260];
    size_t laenge; // of the name
    bool verzeichnis;
};

// Searches the directory named by everything before the last separator of
// `muster` for the entries whose names match its last part: '*' any run of
// characters, '?' one character (or none at the end of a name or before a
// dot), ASCII case ignored, "*.*" every name, "*." every name without a dot.
// Entries arrive in ascending byte order of their names.  With `folgen`
// false the directory itself must not be a symbolic link.  Null when the
// directory cannot be read or nothing matches; else the first entry is in
// *treffer.
Verzeichnissuche *Suche_beginnen(const char *muster, bool folgen, Suchtreffer *treffer);
// The next entry; false when there is none.
bool Suche_weiter(Verzeichnissuche *suche, Suchtreffer *treffer);
void Suche_beenden(Verzeichnissuche *suche);

// Status of the entry itself (a symbolic link is not followed): false when
// nothing is there.
bool Eintrag_Status(const char *pfad, bool *verzeichnis);
// The plain normal attribute: the entry becomes writable by its owner, a
// directory also searchable.  A symbolic link is left alone.  Gives the
// entry's status as Eintrag_Status would give it afterwards (the attribute
// changes nothing that it tells), so a caller need not ask again.
bool Eintrag_normal_setzen(const char *pfad, bool *verzeichnis = nullptr);
// Deletes a file (a symbolic link as a link); 0 or -1.
int Datei_loeschen(const char *pfad);
// Removes an empty directory; 0 or -1.
int Verzeichnis_entfernen(const char *pfad);

// A walk over the tree below one directory, its root.  The root is opened
// once, through a symbolic link only with `folgen`; every directory below it
// is reached from its already open parent and never through a symbolic link,
// and no path inside the tree is resolved by name from the root again.  So
// nothing that a walk lists, changes or deletes lies outside the root's tree,
// even while others swap folders of it for links.  Paths handed to a walk
// begin with the root's path as Baumgang_beginnen was given it; one that does
// not, or that cannot be reached so, fails.  Null only without memory; a root
// that does not open gives a walk in which every call fails.  The four calls
// above, with a null walk, are their plain forms.
struct Baumgang;
Baumgang *Baumgang_beginnen(const char *wurzel, bool folgen);
void Baumgang_beenden(Baumgang *gang);
// Suche_beginnen for the root or a directory below it.
Verzeichnissuche *Suche_beginnen(Baumgang *gang, const char *muster, Suchtreffer *treffer);
bool Eintrag_Status(Baumgang *gang, const char *pfad, bool *verzeichnis);
bool Eintrag_normal_setzen(Baumgang *gang, const char *pfad, bool *verzeichnis);
int Datei_loeschen(Baumgang *gang, const char *pfad);
int Verzeichnis_entfernen(Baumgang *gang, const char *pfad);
// The root of a walk begun without following links, `pfad` its path: its
// attributes reset as Eintrag_normal_setzen does, and its removal once
// empty (0 or -1).  On POSIX both go through the folder that held the root
// when the walk began, and only while its name there still names the root
// walked, so a folder swapped in above or in its place is never touched.
bool Wurzel_normal_setzen(Baumgang *gang, const char *pfad);
int Wurzel_entfernen(Baumgang *gang, const char *pfad);
// Deletes a file of a walk, its attributes reset as far as they would keep
// it: 0 deleted; 1 nothing to delete (the entry is gone, or is a directory
// now); -1 the deletion failed, the attributes reset.  Where a file's own
// attributes do not stand in the way of its deletion (POSIX), they are reset
// only after a failed first try, so a file that goes at once is not changed
// on the way, nor another link to it.
int Datei_normal_loeschen(Baumgang *gang, const char *pfad);

// ---------------------------------------------------------------------------
// Processes (running programs, registered tools)
// ---------------------------------------------------------------------------

// How a program is started: hidden (no window of its own), or as the calling
// process was started.
enum class Startart { verborgen, wie_aufrufer };

// A started program that is to be waited for.
struct Prozess {
    intptr_t kennung;
    intptr_t faden;
    uint32_t exitcode;
    bool beendet;
};

// Command lines are split into the program name and its arguments as the
// Windows C runtime splits them and are never handed to a shell.  The
// program is found in PATH; only standard input, output and error are
// inherited.  Results are 0 or the system's error code of the failed start.
uint32_t Prozess_starten(const char *befehlszeile, Startart art, Prozess *prozess);
// Starts a program that nobody waits for; no trace of it stays behind.
uint32_t Prozess_loslassen(const char *befehlszeile, Startart art);
// Waits without a time limit; false when the wait failed.
bool Prozess_warten(Prozess *prozess);
// The exit code of a program that has ended (one ended by a signal gives 128
// plus the signal's number); false when there is none.
bool Prozess_Exitcode(const Prozess *prozess, uint32_t *code);
// Releases what the start yielded.
void Prozess_schliessen(Prozess *prozess);
// The system's error code for a name that no file can have: a registered
// tool is not started for it (ERROR_INVALID_NAME; EINVAL on POSIX).
uint32_t Fehlercode_ungueltiger_Name();

// ---------------------------------------------------------------------------
// Registry of file types and environment (registered tools)
// ---------------------------------------------------------------------------

// Result codes of the registry, as Windows gives them.
constexpr int32_t Register_fehlt = 2;          // no such key or value
constexpr int32_t Register_zu_lang = 234;      // value longer than the buffer

// An open key below the root of file types.
struct Registerschluessel {
    intptr_t kennung;
    char pfad[260];
};

// The default value of the key `unterschluessel` below the root of file types
// (the root itself for ""); a key without one reads as "".  0 or a code.
int32_t Register_Wert_lesen(const char *unterschluessel, char *ziel, uint32_t groesse);
// Opens a key below the root of file types for reading; 0 or a code.
int32_t Register_Schluessel_oeffnen(const char *pfad, Registerschluessel *schluessel);
// The open key's default value; a key without one reads as "".
int32_t Register_Schluesselwert_lesen(Registerschluessel *schluessel, char *ziel, uint32_t groesse);
// The open key's default value; a key without one gives Register_fehlt.
int32_t Register_Schluesselwert_lesen_ex(Registerschluessel *schluessel, char *ziel, uint32_t groesse);
void Register_Schluessel_schliessen(Registerschluessel *schluessel);

// The extension of a file name: its last part from the last '.' on, dot
// included, "" when there is none.  False when it does not fit `groesse`.
bool Dateiendung(const char *datei, char *ziel, size_t groesse);
// The value of an environment variable, or null when it is not set.
const char *Umgebungsvariable(const char *name);

// ---------------------------------------------------------------------------
// Command support (the korvan command)
// ---------------------------------------------------------------------------

// True when the path names a directory, also through a symbolic link, as a
// listing reaches the directory that its caller names.
bool Verzeichnis_vorhanden(const char *pfad);
// True when the path itself is a symbolic link (on Windows also a junction).
bool Ist_Verweis(const char *pfad);
// True when the path names a pipe, a device or a socket (through a link, as
// an open goes): something that cannot be read back as it was written.
bool Ist_Geraet_oder_Pipe(const char *pfad);
// An exclusive lock for an edit of a file (read, change, save), held in a
// lock file beside it that goes when the lock is freed or its holder ends.
// Waits up to `millisekunden` for it; null when it cannot be had, with
// *belegt true when another edit holds it all that time.
struct Dateisperre;
Dateisperre *Sperre_nehmen(const char *pfad, int millisekunden, bool *belegt);
// Frees the lock and removes its file; a null lock is left alone.
void Sperre_freigeben(Dateisperre *sperre);
// The system's text for the error code of a failed start (errno on POSIX,
// GetLastError on Windows), cut to fit ziel (groesse bytes, at least 1).
void Fehlercode_Text(uint32_t code, char *ziel, size_t groesse);

#endif // KORVAN_PLATTFORM_H
