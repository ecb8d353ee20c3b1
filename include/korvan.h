/*
 * korvan.h - the public interface of the Korvan support library.
 *
 * Korvan reads line-oriented configuration text, argument lines, include
 * trees, path names and directory trees, and starts programs.  Callers own
 * every record; the library returns plain integers and pointers.
 *
 * Records are byte-packed.  Pointer fields are pointer-sized: on 32-bit
 * targets every offset below holds exactly (78, 98 and 1556 bytes); on 64-bit
 * targets the same fields stand in the same order with 8-byte pointers.
 *
 * Usable from C99 and C++.
 */
#ifndef KORVAN_H
#define KORVAN_H

#include <stdint.h>

#if defined(_WIN32)
#  define KR_CALL __cdecl
#  define KR_API /* Windows builds export by ordinal through a .def file */
#else
#  define KR_CALL
#  if defined(KORVAN_BUILDING)
#    define KR_API __attribute__((visibility("default")))
#  else
#    define KR_API
#  endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 1)

/* Access handle: the source of all configuration and argument text. */
typedef struct Zugriffshandle Zugriffshandle;
struct Zugriffshandle {
    char *puffer;              /* text of a memory-buffer source, or 0 */
    uint32_t laenge;           /* bytes of text */
    int32_t position;          /* offset of the next byte to read */
    uint16_t objekt;           /* memory-object handle, 0 for none */
    int32_t zeile;             /* line counter, 0 on the first line */
    int32_t spalte;            /* column counter */
    int (KR_CALL *lesefunktion)(Zugriffshandle *);
    int (KR_CALL *ruecklesefunktion)(Zugriffshandle *);
    char *symbolpuffer;        /* caller's buffer for KR_naechstes_Symbol */
    int32_t symbolgroesse;     /* its size, terminating zero included */
    int32_t symbolstatus;      /* result of the last KR_naechstes_Symbol */
    unsigned char reserve1[4];
    void *quelle;              /* source record of a callback source */
    int32_t letztes_zeichen;   /* last character of the memory reader */
    int32_t elementanfang;     /* position just past an element's start */
    int (KR_CALL *positionierfunktion)(Zugriffshandle *, unsigned int);
    int (KR_CALL *clonfunktion)(Zugriffshandle *quelle, Zugriffshandle *ziel);
    void (KR_CALL *schliessfunktion)(Zugriffshandle *);
    uint32_t flags;            /* bit 0: clone, shares its memory object */
    unsigned char reserve2[4];
};

/* Argument record: an access handle followed by the storage fields. */
typedef struct Argumentsatz {
    Zugriffshandle zugriffshandle;
    char **mehrfachliste;      /* multiple-value array of the last call */
    void *speicher;            /* fixed block, or the pool head */
    uint32_t speichergroesse;  /* fixed block capacity, or 8 for a pool */
    unsigned char reserve3[4];
    uint32_t argflags;         /* KR_ARG_FESTSPEICHER: caller's block */
} Argumentsatz;

/* Error record of KR_Preprozess. */
typedef struct Preprozess_Fehler {
    int32_t code;              /* 0 ok, 2 cannot read / no name, 3 cannot create */
    int32_t zeile;             /* line of the failing directive */
    int32_t reserve;           /* always 0 */
    char datei[260];           /* file that holds the failing directive */
    char fehlername[260];      /* name that could not be opened */
    char zeilentext[1024];     /* the failing line as read */
} Preprozess_Fehler;

#pragma pack(pop)

/* Bit 0 of Zugriffshandle.flags. */
#define KR_FLAG_CLON 0x1u
/* Bit of Argumentsatz.argflags: the caller supplies the storage block. */
#define KR_ARG_FESTSPEICHER 0x2u
/* Status of KR_Konfig_Datei_schreiben: the file exists and is read-only. */
#define KR_STATUS_SCHREIBGESCHUETZT 7213
/* Listing flags of KR_FileTree. */
#define KR_BAUM_VERZEICHNISSE 0x10u
#define KR_BAUM_NICHT_ABSTEIGEN 0x100u
#define KR_BAUM_NUR_VERZEICHNISSE 0x200u

/* Every function below takes null pointers without harm: it then fails with
 * the result given for failure.  "The reader" is the handle's position in its
 * text; "memory source" means a handle over a memory object (objekt) or a
 * caller's buffer (puffer, laenge), whose reads skip '#' comment lines (a '#'
 * in column 0 up to its line feed); a file source (KR_Datei_oeffnen) delivers
 * every byte.  zeile and spalte count lines and columns from 0; a line feed
 * moves zeile on with the character after it. */

/* --- Argument reader, record and templates ------------------------------ */

/* Reads one line of argument text from satz->zugriffshandle (up to a line
 * end, which is left unread, a 0 byte or the end; at most 512 bytes) against
 * the template vorlage ("NAME=ALIAS/A/K/S/N/M/F,..."; docs/arguments.md) and
 * stores one value per item in werte[0..items-1]: a switch gets (void *)1, a
 * number item a pointer to an int32_t, a multiple item a null-terminated
 * char * array, any other item a pointer to its text; an item without a value
 * gets nothing written.  werte may be null only for a template without items.
 * The values live in satz's storage: a pool that this call creates in
 * satz->speicher (any pool left there before is the caller's to release), or
 * the caller's block when argflags holds KR_ARG_FESTSPEICHER and speicher and
 * speichergroesse are set.  satz->mehrfachliste is set to the first multiple
 * array (null when there is none).
 * Returns satz, or null when: satz is null; the template is malformed (more
 * than 100 items, M with S or F); the line is longer than 512 bytes; a
 * required item (/A) has no value; a keyword item has no value; a number is
 * no decimal int32_t; the storage runs out.  On a failure after the storage
 * was set up, the pool and the arrays are released (KR_Arg_freigeben). */
KR_API Argumentsatz *KR_CALL KR_Argumente_lesen(const char *vorlage, void **werte, Argumentsatz *satz);
/* Releases what KR_Argumente_lesen allocated in satz: its pool (unless the
 * block is the caller's, KR_ARG_FESTSPEICHER) with speicher and
 * speichergroesse set to 0, and every multiple-value array, mehrfachliste set
 * to null.  The values in werte are invalid afterwards.  Calling it twice is
 * harmless; null is ignored. */
KR_API void KR_CALL KR_Arg_freigeben(Argumentsatz *satz);
/* The index (from 0) of the template item that name selects: the first item
 * one of whose names or '='-aliases is a non-empty prefix of name, letters
 * compared without regard to ASCII case ("quiet" and "QUIETLY" both find
 * QUIET).  -1 when no item matches or an argument is null.  Changes nothing. */
KR_API int KR_CALL KR_Arg_finden(const char *vorlage, const char *name);

/* --- Character stream ----------------------------------------------------- */

/* Reads the next character: through h->lesefunktion when set, else from the
 * memory object or buffer, skipping '#' comment lines.  Returns the byte
 * (0..255), or -1 at the end of the text or for a null handle.  Moves
 * position on by one per byte consumed, counts zeile and spalte, and keeps
 * the byte in letztes_zeichen. */
KR_API int KR_CALL KR_Zeichen_lesen(Zugriffshandle *h);
/* Takes back the character just read, so that the next read gives it again
 * (through h->ruecklesefunktion when set).  Only one character can be taken
 * back.  Returns 1, or 0 at position 0, after a take-back already made (file
 * source) or for a null handle.  Steps position back; spalte too unless the
 * character was a line end; letztes_zeichen becomes -1. */
KR_API int KR_CALL KR_Zeichen_ruecklesen(Zugriffshandle *h);
/* Sets the reader to the byte offset position (through
 * h->positionierfunktion when set).  Returns 1; 0 for a handle without any
 * source; -1 for a null handle, an offset beyond laenge, or a file that
 * cannot be positioned.  Sets position and clears symbolstatus; at offset 0
 * zeile, spalte and elementanfang become 0 (a file source clears zeile and
 * spalte at every offset). */
KR_API int KR_CALL KR_positionieren(Zugriffshandle *h, unsigned int position);

/* --- Opening, saving, cloning and closing handles ------------------------- */

/* Makes ziel a second reader of quelle's text, at the same place: a copy of
 * the record with KR_FLAG_CLON set in flags, sharing the memory object
 * (closing the clone leaves the object to quelle).  A file source reopens
 * its file for the clone and sets it to the same offset.  Returns 1, or 0 for
 * a null argument or when the file cannot be reopened (ziel is then all
 * zero).  quelle is not changed. */
KR_API int KR_CALL KR_Zugriffshandle_clonen(Zugriffshandle *quelle, Zugriffshandle *ziel);
/* Loads the whole file pfad into a new memory object, its bytes kept exactly,
 * and makes h a reader at its start: h is cleared, then objekt and laenge
 * set.  Returns 0; 1 for a null or empty path or a null handle (h is then
 * not touched); otherwise a memory-object status (quidel32.h), h left all
 * zero: 106 the file cannot be opened or read or is no regular file, 107 it
 * is longer than 2147483647 bytes, 103 no memory, 102 no handle free. */
KR_API int KR_CALL KR_Konfig_Datei_oeffnen(const char *pfad, Zugriffshandle *h);
/* Closes h: through h->schliessfunktion when set (a file source closes its
 * file), else the memory object is released unless h is a clone.  h is all
 * zero afterwards.  Null is ignored. */
KR_API void KR_CALL KR_Konfig_Datei_schliessen(Zugriffshandle *h);
/* Saves the bytes of h's memory object as the file pfad, atomically: a
 * temporary file beside it, flushed and renamed over it, keeping the target's
 * permission bits (and owner where the process may); only where the folder
 * forbids a new file is the target written in place.  Returns 0; 7213
 * (KR_STATUS_SCHREIBGESCHUETZT) when the file exists and has no write
 * permission bit; 101 for a null argument; 104 when h holds no memory object;
 * 108 the file cannot be created or (on POSIX) is no regular file, such as a
 * device, a FIFO or a folder, left as it is; 109 writing, flushing or renaming
 * failed.  h is not changed. */
KR_API int KR_CALL KR_Konfig_Datei_schreiben(const char *pfad, Zugriffshandle *h);
/* Makes h a reader over a new memory object holding only the first line
 * bytes 0x1A 0x00 CR LF, which no reader takes for a header; blocks are then
 * added with KR_Block_hinzufuegen.  h is cleared, then objekt set, laenge and
 * position 4.  Returns 0; 101 for a null handle; 103 no memory or 102 no
 * handle free (h then all zero). */
KR_API int KR_CALL KR_Konfig_Datei_anlegen(Zugriffshandle *h);
/* Makes h a reader of the file pfad read directly, byte by byte, without
 * loading it (no '#' lines are skipped; the file cannot be edited or saved
 * through h).  Sets quelle and the five callback fields; the caller clears
 * the rest of h first.  Returns 0, or 1 for a null or empty path, a null
 * handle, no memory, or a file that cannot be opened (h then unchanged).
 * Close it with KR_Konfig_Datei_schliessen. */
KR_API int KR_CALL KR_Datei_oeffnen(const char *pfad, Zugriffshandle *h);

/* --- Lines and elements ---------------------------------------------------- */

/* Reads one element of configuration text into puffer (groesse bytes, zero
 * included) after skipping blanks, tabs and , : = ] }: a word, ended by
 * : = ] } blank tab , ; or a line end, which is left unread; or a quoted
 * string "..." decoded (*" a quote, *N a line feed, *E escape, the character
 * after it left unread).  Returns 1 for a word ended by ':', 2 by '=', 5 by
 * ']', 6 by '}', 3 by anything else, 4 for a quoted string; 0 when the line
 * has no more element (the line end or ';' left unread) or at the end of the
 * text; -1 when it does not fit puffer (the reader then stands inside it).
 * Sets elementanfang to the position just past the element's first
 * character. */
KR_API int KR_CALL KR_Element_lesen_2(char *puffer, int groesse, Zugriffshandle *h);
/* KR_Element_lesen_2 for argument text: ':' and brackets are ordinary
 * characters, so only blank, tab, ',' and '=' separate, and a word ends at
 * = blank tab , ; or a line end.  Results 2 (ended by '='), 3, 4, 0 and -1
 * as there. */
KR_API int KR_CALL KR_Element_lesen(char *puffer, int groesse, Zugriffshandle *h);
/* Moves the reader to the start of the next line that has content: past the
 * rest of the current line, empty lines, leading blanks and ';' comment
 * lines.  Returns 1 with the reader before the line's first character, or 0
 * at the end of the text (or for a null handle). */
KR_API int KR_CALL KR_naechste_Zeile(Zugriffshandle *h);
/* Reads the rest of the current line with every line-end character after it
 * into puffer, at most groesse - 1 bytes and always zero-terminated (nothing
 * stored for a null buffer or size 0).  Returns the number of characters the
 * line had, also those that did not fit (so a result >= groesse tells that
 * it was cut), or 0 at the end of the text.  The reader stands at the next
 * line. */
KR_API int KR_CALL KR_Zeile_lesen(Zugriffshandle *h, char *puffer, unsigned int groesse);
/* Reads the next line of a block: its text up to the line end into puffer (at
 * most groesse - 1 bytes, zero-terminated), the line end consumed but not
 * stored.  Returns the stored length + 1 (1 for an empty line); 0 at the end
 * of the text, or when the line begins with '[' or '{' (a header, left
 * unread, so the block has ended). */
KR_API unsigned int KR_CALL KR_Abschnittszeile_lesen(Zugriffshandle *h, char *puffer, unsigned int groesse);

/* --- Sections, classes and entries --------------------------------------- */

/* Finds from the start of the text the first header line "[name]" or
 * "{name}" whose name (at most 40 characters, or a quoted string) equals name
 * without regard to ASCII case.  Returns '[' or '{' with the reader just
 * behind the name (before ']' or '}'), or 0 when there is none or an argument
 * is null (the reader then stands where the search ended).  Sets
 * elementanfang. */
KR_API int KR_CALL KR_Abschnitt_finden(const char *name, Zugriffshandle *h);
/* Finds from the start of the text the first header whose first element is
 * "gruppe.nummer" ("12.3"), in brackets [ ] or braces { }.  Returns '[' or
 * '{' with the reader behind the element, or 0 when there is none (a header
 * without an element, or one of more than 40 characters, ends the search). */
KR_API int KR_CALL KR_Klasse_finden(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h);
/* Tells whether the text has a class of the group: a header in braces whose
 * element begins with "gruppe." (square brackets are not counted).  Returns
 * 1 with the reader behind that element, or 0. */
KR_API int KR_CALL KR_Wahre_Klasse_finden(unsigned long gruppe, Zugriffshandle *h);
/* Finds the next header line from the reader on and copies its name (the
 * first element after the bracket) into puffer; a name that does not fit, or
 * a header without one, leaves the empty string.  With a null puffer or
 * groesse 0 nothing is copied.  Returns '[' or '{', or 0 at the end of the
 * text.  The reader stands behind the name. */
KR_API int KR_CALL KR_naechster_Abschnitt(char *puffer, int groesse, Zugriffshandle *h);
/* Finds, from the line after the reader's to the end of the block (the next
 * header), the first colon entry "name: value" whose name equals name
 * without regard to ASCII case (names of at most 40 characters).  Returns 1
 * with the reader just behind the ':', where KR_Element_lesen_2 reads the
 * value; 0 when there is none (the reader then before the next header or at
 * the end). */
KR_API int KR_CALL KR_Eintrag_finden(const char *name, Zugriffshandle *h);
/* KR_Eintrag_finden for INI entries "name=value": returns 1 with the reader
 * just behind the '=', or 0. */
KR_API int KR_CALL KR_INI_Eintrag_finden(const char *name, Zugriffshandle *h);
/* Steps to the next line with content and reads its first element into
 * puffer: the name of a colon entry (the ':' then consumed), or a plain word
 * or quoted string.  Returns 1; 0 at the end of the text, at a header (left
 * unread: the block has ended), when the element does not fit puffer, or for
 * an element ended by '=', ']' or '}'. */
KR_API int KR_CALL KR_naechster_Eintrag(char *puffer, unsigned short groesse, Zugriffshandle *h);
/* Steps to the next line with content and reads the name of an INI entry
 * into puffer, the '=' consumed, so the reader stands before the value.
 * Returns 1; 0 at the end of the text or when the line holds no "name="
 * (a header line among them, which ends the walk). */
KR_API int KR_CALL KR_naechster_INI_Eintrag(char *puffer, unsigned short groesse, Zugriffshandle *h);

/* --- Editing blocks -------------------------------------------------------- */

/* Removes the block of the section name (as KR_Abschnitt_finden finds it):
 * its header line and every line up to the next line that begins with '['
 * or '{', or to the end of the text.  A memory object shrinks; a caller's
 * buffer keeps its size (the text moves down).  Returns 1 with laenge
 * reduced and the reader at the block's former start; 0 when there is no
 * such block or the handle has no memory source (a callback source is never
 * changed). */
KR_API int KR_CALL KR_Abschnitt_loeschen(const char *name, Zugriffshandle *h);
/* KR_Abschnitt_loeschen for the block of class gruppe.nummer (as
 * KR_Klasse_finden finds it). */
KR_API int KR_CALL KR_Klasse_loeschen(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h);
/* Appends laenge bytes of daten at the end of h's memory object, as they
 * stand (the caller writes the header line and the line ends).  Returns 1
 * with laenge grown; 0 when h has no memory object, laenge is negative,
 * daten is null with laenge > 0, the text would outgrow 2147483647 bytes, or
 * the object cannot grow (text and laenge then unchanged).  The reader does
 * not move. */
KR_API int KR_CALL KR_Block_hinzufuegen(const char *daten, int laenge, Zugriffshandle *h);

/* --- Symbols --------------------------------------------------------------- */

/* Reads the next symbol into the caller's h->symbolpuffer (h->symbolgroesse
 * bytes): a blank-separated word or a quoted string (decoded as elements
 * are), with ';' line comments, "(* ... *)" comments and '#' lines removed.
 * Returns, and keeps in symbolstatus: 2 a word, 3 a quoted string, 1 a line
 * break (the current line has no more symbols, the next one starts), 0 the
 * end of the text, -1 no symbol buffer, or a symbol that does not fit.
 * Sets elementanfang at a symbol's start. */
KR_API int KR_CALL KR_naechstes_Symbol(Zugriffshandle *h);
/* The symbol that KR_naechstes_Symbol read last: h->symbolpuffer when
 * symbolstatus is not 0, else null; *status (when not null) receives
 * symbolstatus, or -1 with null for a null handle or no symbol buffer.
 * Changes nothing. */
KR_API char *KR_CALL KR_Symbol_holen(Zugriffshandle *h, int *status);

/* --- Path names (nothing here touches the file system) ------------------- */

/* Joins teil onto the path in pfad (a buffer of groesse bytes): a relative
 * part after one '\' (none after a trailing '\' or drive colon, one leading
 * separator of the part dropped), every '/' turned into '\'; an absolute part
 * replaces the path as it stands.  Returns 1; 0 when an argument is null,
 * groesse is 0, path or part has 260 characters or more, or the result does
 * not fit groesse (pfad then unchanged). */
KR_API int KR_CALL KR_Teil_hinzu(char *pfad, const char *teil, unsigned int groesse);
/* Turns every '\' and '/' of pfad into trenner, in place ('\' when trenner is
 * 0).  Null is ignored. */
KR_API void KR_CALL KR_Slashify(char *pfad, char trenner);
/* Writes into ergebnis (groesse bytes) pfad relative to basis when it lies
 * below it, else pfad whole; both are made canonical first ("." and ".."
 * resolved, '\' separators) and compared without regard to letter case.
 * Returns 1; 0 when an argument is null, groesse is 0, either path cannot be
 * made canonical (260 characters or more), or the result does not fit. */
KR_API int KR_CALL KR_Differenzpfad(char *ergebnis, unsigned int groesse, const char *pfad, const char *basis);
/* A pointer into pfad just past its last '\', '/' or ':' (pfad itself when it
 * has none; "" when it ends in one), or null for null.  Changes nothing. */
KR_API char *KR_CALL KR_Basisname(const char *pfad);

/* --- File trees ------------------------------------------------------------ */

/* Lists the files below the folder verzeichnis whose names match muster
 * ("*.*" every name, '*' and '?' wildcards, ASCII case ignored) into one
 * block of zero-terminated full paths "verzeichnis\name", one after the
 * other; depth first, a folder's entries before the folder.  Only folders
 * whose names match muster are entered; names beginning with '.' and paths
 * of 260 bytes or more are left out; a symbolic link is never entered.
 * flags: KR_BAUM_VERZEICHNISSE lists folders too, KR_BAUM_NUR_VERZEICHNISSE
 * only folders, KR_BAUM_NICHT_ABSTEIGEN stays in verzeichnis.  *liste null
 * starts a new block; a block from the previous call is continued.  Returns
 * the number of paths added (0 for a missing folder or a null folder or
 * pattern); -1 when liste is null or memory runs out (the block is then
 * freed and *liste null).  Free the block with KR_FileTreefree.  Only one
 * listing may run at a time in the process. */
KR_API int KR_CALL KR_FileTree(const char *verzeichnis, const char *muster, char **liste, unsigned int flags);
/* Frees a block of KR_FileTree; null is ignored. */
KR_API void KR_CALL KR_FileTreefree(char *liste);
/* Deletes the folder verzeichnis with everything below it, read-only entries
 * included, never following a symbolic link (a link is removed, not what it
 * names).  Returns 1 when all went; 0 for a null or empty name, or when an
 * entry or the folder could not be removed (the rest is still deleted).  A
 * folder with no entries, or that does not exist, is left as it is and gives
 * 1.  Entries whose full path has 260 bytes or more are not listed, so their
 * folder stays and the result is 0. */
KR_API int KR_CALL KR_DelTree(const char *verzeichnis);

/* --- Programs and registered tools --------------------------------------- */

/* Starts the command line (split as the Windows C runtime splits it, never
 * given to a shell; the program found in PATH; only standard input, output
 * and error inherited) and waits for it.  *exitcode (when not null) receives
 * its exit status (128 + signal number for a program ended by a signal), or
 * 0 when it could not be started.  Returns 1 when it ran and exited with 0;
 * 0 when it could not be started (a missing program, a null or too long
 * command line), waiting failed, or its exit status was not 0. */
KR_API int KR_CALL KR_Ausfuehren(const char *befehlszeile, unsigned int *exitcode);
/* Starts the command line as KR_Ausfuehren does, without waiting (no zombie
 * is left).  Returns 1; 0 when it could not be started, with the error code
 * in *fehler (the system's errno on POSIX, 2 for a missing program), else
 * *fehler 0. */
KR_API int KR_CALL KR_Ausfuehren_async(const char *befehlszeile, unsigned int *fehler);
/* Opens the file datei with the tool registered for its extension (on POSIX:
 * the .reg file of KORVAN_REGISTRY or ~/.config/korvan/classes.reg, then the
 * desktop's associations), without waiting: the type's shell\open\command,
 * its "%1" replaced by the file name, or the name appended after a blank.
 * Returns 1, *fehler 0; 0 with *fehler the reason: 1 for a null name, 2 no
 * tool registered for the extension, the registry's "too long" code when a
 * name or command line does not fit, the start's error code (as
 * KR_Ausfuehren_async) when the tool cannot be started.  A name holding '"'
 * is refused and nothing is started. */
KR_API int KR_CALL KR_Standardwerkzeug_aufrufen(const char *datei, unsigned int *fehler);
/* KR_Standardwerkzeug_aufrufen with the extension endung (".txt") given
 * instead of datei's own; the command text is cut at its first "%1" or "%2"
 * and gets a blank and the file name, an environment variable %NAME% before
 * that expanded.  Results as there; a null endung is refused as a null
 * name. */
KR_API int KR_CALL KR_Standardwerkzeug_aufrufen_expl(const char *datei, const char *endung, unsigned int *fehler);

/* --- Preprocessor ---------------------------------------------------------- */

/* Writes into the file ausgabe the file eingabe with every line
 * '#include "name"' (or <name>) replaced by the named file, expanded in turn;
 * names are relative to eingabe's folder.  Line markers "# N \"file\"" CR LF
 * are written on entering a file and on returning to one; other '#'
 * directive lines are dropped, every other line is copied as it stands.
 * Returns 1; 0 on failure, with *fehler (when not null) filled: code 2 when
 * the input or an included file cannot be read (or is no regular file), a
 * directive names no file, nesting goes deeper than 200 levels or a path does
 * not fit 260 bytes, with datei and zeile of the failing directive,
 * fehlername the name looked up and zeilentext the line; code 3 when the
 * output cannot be created or written, or is the input or a file being read.
 * On success fehler->code is 0. */
KR_API int KR_CALL KR_Preprozess(const char *eingabe, const char *ausgabe, Preprozess_Fehler *fehler);

#ifdef __cplusplus
}
#endif

/* The exact binary layout on 32-bit targets (checked by every compiler that
 * includes this header; a mismatch makes the array size negative). */
#if UINTPTR_MAX == 0xFFFFFFFFu
typedef char Korvan_Groesse_Zugriffshandle[(sizeof(Zugriffshandle) == 78) ? 1 : -1];
typedef char Korvan_Groesse_Argumentsatz[(sizeof(Argumentsatz) == 98) ? 1 : -1];
#endif
typedef char Korvan_Groesse_Preprozess_Fehler[(sizeof(Preprozess_Fehler) == 1556) ? 1 : -1];

#endif /* KORVAN_H */
