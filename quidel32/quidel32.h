/*
 * quidel32.h - the memory-object library: resizable byte areas under 16-bit
 * handles, loaded from and saved to files.
 *
 * Handles run from 1 to 65535; 0 is never a handle.  Released handles are
 * used again.  Creating, loading and releasing objects is safe on several
 * threads at once; reading and writing bytes takes no lock and allocates
 * nothing, so one object belongs to one thread at a time.
 *
 * Loading keeps a file's bytes exactly; saving writes exactly the object's
 * bytes and never leaves a half-written file (a temporary file beside the
 * target is flushed and renamed over it, keeping its permission bits; only
 * where the directory forbids that is the file written in place).
 *
 * On 32-bit Windows the functions use the callee-cleans convention (stdcall).
 * Every function returns a 16-bit status: 0 for success, otherwise one of the
 * QUIDEL_STATUS_ values below (all distinct from Korvan's own status 7213).
 */
#ifndef QUIDEL32_H
#define QUIDEL32_H

#include <stdint.h>

#if defined(_WIN32)
#  define QUIDEL_CALL __stdcall
#  define QUIDEL_API
#elif defined(QUIDEL_BUILDING)
#  define QUIDEL_CALL
#  define QUIDEL_API __attribute__((visibility("default")))
#else
#  define QUIDEL_CALL
#  define QUIDEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint16_t Quidel_Handle;
typedef uint16_t Quidel_Status;

enum {
    QUIDEL_STATUS_OK = 0,
    QUIDEL_STATUS_ARGUMENT = 101,      /* a null pointer or a non-zero reserved argument */
    QUIDEL_STATUS_KEIN_HANDLE = 102,   /* all 65535 handles are in use */
    QUIDEL_STATUS_KEIN_SPEICHER = 103, /* the heap is exhausted */
    QUIDEL_STATUS_HANDLE = 104,        /* the handle names no object */
    QUIDEL_STATUS_BEREICH = 105,       /* offset and length reach beyond the object */
    QUIDEL_STATUS_NICHT_LESBAR = 106,  /* the file cannot be opened or read */
    QUIDEL_STATUS_ZU_GROSS = 107,      /* the file is longer than 2147483647 bytes */
    QUIDEL_STATUS_NICHT_ANLEGBAR = 108,/* the file cannot be created or written */
    QUIDEL_STATUS_SCHREIBFEHLER = 109  /* writing, flushing or replacing the file failed */
};

/* Ordinal 20: a new object of groesse bytes, all zero; its handle is stored
 * in *handle.  0; 101 for a null handle pointer or reserviert not 0; 103 no
 * memory; 102 all handles in use. */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Anlegen(uint32_t groesse, Quidel_Handle *handle, uint32_t reserviert);
/* Ordinal 21: releases the object; the handle is free again.  0, or 104
 * when the handle names no object. */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Freigeben(Quidel_Handle handle);
/* Ordinal 22: writes laenge bytes from quelle at offset; the size stays.
 * 0; 104 no such object; 101 quelle null with laenge > 0, or reserviert not
 * 0; 105 when offset + laenge reaches beyond the object (nothing written). */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Schreiben(Quidel_Handle handle, uint32_t laenge, uint32_t offset, const void *quelle, uint32_t reserviert);
/* Ordinal 23: reads laenge bytes at offset into ziel.  0; 104 no such
 * object; 101 ziel null with laenge > 0, or reserviert not 0; 105 when
 * offset + laenge reaches beyond the object (nothing read). */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Lesen(Quidel_Handle handle, uint32_t laenge, uint32_t offset, void *ziel, uint32_t reserviert);
/* Ordinal 24: copies laenge bytes from quelle at quelloffset to ziel at
 * zieloffset (or within one object, the ranges may overlap).  0; 104 when
 * either handle names no object; 101 reserviert not 0; 105 when a range
 * reaches beyond its object (nothing copied). */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Kopieren(Quidel_Handle ziel, uint32_t zieloffset, Quidel_Handle quelle, uint32_t quelloffset, uint32_t laenge, uint32_t reserviert);
/* Ordinal 26: new size, leading bytes kept, new bytes zero.  0; 104 no
 * such object; 103 no memory (the object then unchanged). */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Groesse_aendern(Quidel_Handle handle, uint32_t groesse);
/* Ordinal 60: saves the object's bytes as the file pfad, atomically (see
 * above).  0; 101 a null or empty path; 104 no such object; 108 the file
 * cannot be created or written; 109 writing, flushing or replacing failed. */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Speichern(const char *pfad, Quidel_Handle handle);
/* Ordinal 61: a new object holding the bytes of the file pfad; its handle
 * and size are stored through the pointers.  0; 101 a null or empty path or
 * a null pointer; 106 the file cannot be opened or read, or is no regular
 * file; 107 it is longer than 2147483647 bytes; 103 no memory; 102 all
 * handles in use.  On failure nothing is stored. */
QUIDEL_API Quidel_Status QUIDEL_CALL Quidel_Laden(const char *pfad, Quidel_Handle *handle, uint32_t *groesse);

#ifdef __cplusplus
}
#endif

#endif /* QUIDEL32_H */
