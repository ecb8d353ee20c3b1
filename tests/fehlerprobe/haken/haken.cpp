// haken.cpp - forwarders in front of the memory libraries' renamed requests (*_echt), and the heap table.
#include "haken.h"

#include "platform/ganzdatei.h"
#include "quidel32.h"
#include "tamsel.h"

#include <cstdlib>

bool (*fehlerhaken)(const char *was, size_t groesse) = nullptr;

namespace {

bool Scheitert(const char *was, size_t groesse)
{
    return fehlerhaken && fehlerhaken(was, groesse);
}

[[maybe_unused]] const bool eingesetzt = (heapaufrufe = {
    [](size_t n) { return Scheitert("malloc", n) ? nullptr : std::malloc(n); },
    [](size_t a, size_t n) { return Scheitert("calloc", a * n) ? nullptr : std::calloc(a, n); },
    [](void *b, size_t n) { return Scheitert("realloc", n) ? nullptr : std::realloc(b, n); }}, true);

} // namespace

// One request: asks the hook, then the renamed original.
#define HAKEN(Typ, Aufruf, Name, Fehlwert, Groesse, Parameter, Argumente)                       \
    Typ Aufruf Name##_echt Parameter;                                                          \
    Typ Aufruf Name Parameter                                                                  \
    {                                                                                          \
        return Scheitert(#Name, Groesse) ? static_cast<Typ>(Fehlwert) : Name##_echt Argumente;                  \
    }

extern "C" {
HAKEN(void *, TAMSEL_CALL, Tamsel_Alloc, nullptr, g, (uint32_t g), (g))
HAKEN(void *, TAMSEL_CALL, Tamsel_Resize, nullptr, g, (void *b, uint32_t g), (b, g))
HAKEN(void *, TAMSEL_CALL, Tamsel_PoolAlloc, nullptr, g, (void *k, uint32_t g), (k, g))
HAKEN(Quidel_Status, QUIDEL_CALL, Quidel_Anlegen, QUIDEL_STATUS_KEIN_SPEICHER, g,
      (uint32_t g, Quidel_Handle *h, uint32_t r), (g, h, r))
HAKEN(Quidel_Status, QUIDEL_CALL, Quidel_Laden, QUIDEL_STATUS_KEIN_SPEICHER, 0,
      (const char *p, Quidel_Handle *h, uint32_t *g), (p, h, g))
HAKEN(Quidel_Status, QUIDEL_CALL, Quidel_Lesen, QUIDEL_STATUS_BEREICH, n,
      (Quidel_Handle h, uint32_t n, uint32_t o, void *z, uint32_t r), (h, n, o, z, r))
}
