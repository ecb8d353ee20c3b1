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

/* Argument reader, record and templates */
KR_API Argumentsatz *KR_CALL KR_Argumente_lesen(const char *vorlage, void **werte, Argumentsatz *satz);
KR_API void KR_CALL KR_Arg_freigeben(Argumentsatz *satz);
KR_API int KR_CALL KR_Arg_finden(const char *vorlage, const char *name);

/* Character stream */
KR_API int KR_CALL KR_Zeichen_lesen(Zugriffshandle *h);
KR_API int KR_CALL KR_Zeichen_ruecklesen(Zugriffshandle *h);
KR_API int KR_CALL KR_positionieren(Zugriffshandle *h, unsigned int position);

/* Opening, saving, cloning and closing handles */
KR_API int KR_CALL KR_Zugriffshandle_clonen(Zugriffshandle *quelle, Zugriffshandle *ziel);
KR_API int KR_CALL KR_Konfig_Datei_oeffnen(const char *pfad, Zugriffshandle *h);
KR_API void KR_CALL KR_Konfig_Datei_schliessen(Zugriffshandle *h);
KR_API int KR_CALL KR_Konfig_Datei_schreiben(const char *pfad, Zugriffshandle *h);
KR_API int KR_CALL KR_Konfig_Datei_anlegen(Zugriffshandle *h);
KR_API int KR_CALL KR_Datei_oeffnen(const char *pfad, Zugriffshandle *h);

/* Lines and elements */
KR_API int KR_CALL KR_Element_lesen(char *puffer, int groesse, Zugriffshandle *h);
KR_API int KR_CALL KR_Element_lesen_2(char *puffer, int groesse, Zugriffshandle *h);
KR_API int KR_CALL KR_naechste_Zeile(Zugriffshandle *h);
KR_API int KR_CALL KR_Zeile_lesen(Zugriffshandle *h, char *puffer, unsigned int groesse);
KR_API unsigned int KR_CALL KR_Abschnittszeile_lesen(Zugriffshandle *h, char *puffer, unsigned int groesse);

/* Sections, classes and entries */
KR_API int KR_CALL KR_Abschnitt_finden(const char *name, Zugriffshandle *h);
KR_API int KR_CALL KR_Klasse_finden(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h);
KR_API int KR_CALL KR_Wahre_Klasse_finden(unsigned long gruppe, Zugriffshandle *h);
KR_API int KR_CALL KR_naechster_Abschnitt(char *puffer, int groesse, Zugriffshandle *h);
KR_API int KR_CALL KR_Eintrag_finden(const char *name, Zugriffshandle *h);
KR_API int KR_CALL KR_INI_Eintrag_finden(const char *name, Zugriffshandle *h);
KR_API int KR_CALL KR_naechster_Eintrag(char *puffer, unsigned short groesse, Zugriffshandle *h);
KR_API int KR_CALL KR_naechster_INI_Eintrag(char *puffer, unsigned short groesse, Zugriffshandle *h);

/* Editing blocks */
KR_API int KR_CALL KR_Abschnitt_loeschen(const char *name, Zugriffshandle *h);
KR_API int KR_CALL KR_Klasse_loeschen(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h);
KR_API int KR_CALL KR_Block_hinzufuegen(const char *daten, int laenge, Zugriffshandle *h);

/* Symbols */
KR_API int KR_CALL KR_naechstes_Symbol(Zugriffshandle *h);
KR_API char *KR_CALL KR_Symbol_holen(Zugriffshandle *h, int *status);

/* Path names */
KR_API int KR_CALL KR_Teil_hinzu(char *pfad, const char *teil, unsigned int groesse);
KR_API void KR_CALL KR_Slashify(char *pfad, char trenner);
KR_API int KR_CALL KR_Differenzpfad(char *ergebnis, unsigned int groesse, const char *pfad, const char *basis);
KR_API char *KR_CALL KR_Basisname(const char *pfad);

/* File trees */
KR_API int KR_CALL KR_FileTree(const char *verzeichnis, const char *muster, char **liste, unsigned int flags);
KR_API void KR_CALL KR_FileTreefree(char *liste);
KR_API int KR_CALL KR_DelTree(const char *verzeichnis);

/* Programs and registered tools */
KR_API int KR_CALL KR_Ausfuehren(const char *befehlszeile, unsigned int *exitcode);
KR_API int KR_CALL KR_Ausfuehren_async(const char *befehlszeile, unsigned int *fehler);
KR_API int KR_CALL KR_Standardwerkzeug_aufrufen(const char *datei, unsigned int *fehler);
KR_API int KR_CALL KR_Standardwerkzeug_aufrufen_expl(const char *datei, const char *endung, unsigned int *fehler);

/* Preprocessor */
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
