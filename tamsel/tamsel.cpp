// tamsel.cpp - plain blocks on the standard heap, and chunked bump pools.
#include "tamsel.h"

#include <cstdlib>
#include <cstring>

namespace {

// A pool is a chain of chunks, newest first.  The 8-byte head holds the
// pointer to the newest chunk; an all-zero head is an empty pool.
struct Stueck {
    Stueck *vorher;
    uint32_t benutzt;
    uint32_t groesse;
    // the chunk's bytes follow, 8-aligned
};

constexpr uint32_t Ausrichtung = 8;
constexpr uint32_t Kopfgroesse = (sizeof(Stueck) + Ausrichtung - 1) & ~(Ausrichtung - 1);
constexpr uint32_t Erstes_Stueck = 1024;
constexpr uint32_t Groesstes_Stueck = 64 * 1024;

static_assert(sizeof(Stueck *) <= TAMSEL_POOLKOPF, "a chunk pointer must fit the pool head");

Stueck *Pool_Stueck(void *kopf)
{
    Stueck *s;
    std::memcpy(&s, kopf, sizeof s);
    return s;
}

void Pool_Stueck_setzen(void *kopf, Stueck *s)
{
    std::memset(kopf, 0, TAMSEL_POOLKOPF);
    std::memcpy(kopf, &s, sizeof s);
}

unsigned char *Stueck_Daten(Stueck *s)
{
    return reinterpret_cast<unsigned char *>(s) + Kopfgroesse;
}

// A new chunk holds at least n bytes; chunks double in size up to 64 KiB so
// a pool of many small values needs few heap calls.
Stueck *Stueck_anlegen(Stueck *vorher, uint32_t n)
{
    uint32_t groesse = vorher ? vorher->groesse * 2 : Erstes_Stueck;
    if (groesse > Groesstes_Stueck)
        groesse = Groesstes_Stueck;
    if (groesse < n)
        groesse = n;
    if (groesse > UINT32_MAX - Kopfgroesse)
        return nullptr;
    auto *s = static_cast<Stueck *>(std::malloc(static_cast<size_t>(Kopfgroesse) + groesse));
    if (!s)
        return nullptr;
    s->vorher = vorher;
    s->benutzt = 0;
    s->groesse = groesse;
    return s;
}

} // namespace

extern "C" {

void *TAMSEL_CALL Tamsel_Alloc(uint32_t groesse)
{
    return std::malloc(groesse ? groesse : 1);
}

void *TAMSEL_CALL Tamsel_Resize(void *block, uint32_t groesse)
{
    return std::realloc(block, groesse ? groesse : 1);
}

void TAMSEL_CALL Tamsel_Free(void *block)
{
    std::free(block);
}

void *TAMSEL_CALL Tamsel_PoolAlloc(void *poolkopf, uint32_t groesse)
{
    if (!poolkopf || groesse > UINT32_MAX - Ausrichtung)
        return nullptr;
    uint32_t n = (groesse + Ausrichtung - 1) & ~(Ausrichtung - 1);
    if (n == 0)
        n = Ausrichtung;
    Stueck *s = Pool_Stueck(poolkopf);
    if (!s || s->groesse - s->benutzt < n) {
        Stueck *neu = Stueck_anlegen(s, n);
        if (!neu)
            return nullptr;
        s = neu;
        Pool_Stueck_setzen(poolkopf, s);
    }
    void *block = Stueck_Daten(s) + s->benutzt;
    s->benutzt += n;
    return block;
}

void TAMSEL_CALL Tamsel_PoolRelease(void *poolkopf)
{
    if (!poolkopf)
        return;
    Stueck *s = Pool_Stueck(poolkopf);
    while (s) {
        Stueck *vorher = s->vorher;
        std::free(s);
        s = vorher;
    }
    std::memset(poolkopf, 0, TAMSEL_POOLKOPF);
}

} // extern "C"
