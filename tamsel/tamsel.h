/*
 * tamsel.h - the memory library: plain heap blocks and pools.
 *
 * Blocks (Tamsel_Alloc, Tamsel_Resize, Tamsel_Free) sit on the standard heap.
 * A pool is named by an 8-byte head that the caller allocates with
 * Tamsel_Alloc(8) and clears; Tamsel_PoolAlloc hands out blocks from it by
 * bump allocation in chunks (O(1)), and Tamsel_PoolRelease frees every block
 * of the pool at once, leaving the head allocated and empty (all zero).
 *
 * All blocks are aligned for any 8-byte value.  Blocks and pools belong to one
 * thread at a time; different blocks and pools may be used on different
 * threads at once.
 */
#ifndef TAMSEL_H
#define TAMSEL_H

#include <stdint.h>

#if defined(_WIN32)
#  define TAMSEL_CALL __cdecl
#  define TAMSEL_API
#elif defined(TAMSEL_BUILDING)
#  define TAMSEL_CALL
#  define TAMSEL_API __attribute__((visibility("default")))
#else
#  define TAMSEL_CALL
#  define TAMSEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of a pool head in bytes. */
#define TAMSEL_POOLKOPF 8

/* Block of at least groesse bytes, contents undefined; null when exhausted. */
TAMSEL_API void *TAMSEL_CALL Tamsel_Alloc(uint32_t groesse);
/* Block of the new size with the old contents; null on failure, the old
 * block then stays valid and unchanged. */
TAMSEL_API void *TAMSEL_CALL Tamsel_Resize(void *block, uint32_t groesse);
/* Frees a block of Tamsel_Alloc or Tamsel_Resize; a null block is ignored. */
TAMSEL_API void TAMSEL_CALL Tamsel_Free(void *block);
/* Block from the pool, valid until Tamsel_PoolRelease; null when exhausted. */
TAMSEL_API void *TAMSEL_CALL Tamsel_PoolAlloc(void *poolkopf, uint32_t groesse);
/* Frees every block of the pool; the head stays allocated and empty. */
TAMSEL_API void TAMSEL_CALL Tamsel_PoolRelease(void *poolkopf);

#ifdef __cplusplus
}
#endif

#endif /* TAMSEL_H */
