// fehler.cpp - the wrapped requests and the run of a probe.
#include "fehler.h"

#include "quidel32.h"
#include "tamsel.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>

extern "C" {
void *__real_malloc(size_t n);
void *__real_calloc(size_t n, size_t g);
void *__real_realloc(void *p, size_t n);
void __real_free(void *p);
}

namespace {

// The state of the probe that runs; all of it only touched on the test's
// own thread.
struct Zustand {
    bool aktiv = false;
    unsigned arten = 0;
    long zaehler = 0;
    long fehler_bei = 0;
    bool ausgeloest = false;
    std::string was;
};
Zustand z;

// The wrapped library request that runs, if any: a heap request inside it is
// named after it ("malloc in Tamsel_Alloc").
const char *innerhalb = nullptr;

struct Innerhalb {
    const char *vorher;
    explicit Innerhalb(const char *name) : vorher(innerhalb) { innerhalb = name; }
    ~Innerhalb() { innerhalb = vorher; }
};

// Heap blocks taken while a probe runs and not yet given back.
constexpr int Hoechstens_Bloecke = 4096;
void *bloecke[Hoechstens_Bloecke];
int anzahl_bloecke = 0;
bool zu_viele_bloecke = false;

// True when this request is the one that fails.
bool Scheitert(fp::Art art, const char *was)
{
    if (!z.aktiv || !(z.arten & art))
        return false;
    if (++z.zaehler != z.fehler_bei)
        return false;
    z.ausgeloest = true;
    z.was = was;
    if (innerhalb)
        z.was += std::string(" in ") + innerhalb;
    return true;
}

void Merken(void *p)
{
    if (!z.aktiv || !p)
        return;
    if (anzahl_bloecke == Hoechstens_Bloecke) {
        zu_viele_bloecke = true;
        return;
    }
    bloecke[anzahl_bloecke++] = p;
}

void Vergessen(void *p)
{
    for (int i = 0; i < anzahl_bloecke; ++i) {
        if (bloecke[i] == p) {
            bloecke[i] = bloecke[--anzahl_bloecke];
            return;
        }
    }
}

} // namespace

extern "C" {

void *__wrap_malloc(size_t n)
{
    if (Scheitert(fp::Speicher, "malloc"))
        return nullptr;
    void *p = __real_malloc(n);
    Merken(p);
    return p;
}

void *__wrap_calloc(size_t n, size_t g)
{
    if (Scheitert(fp::Speicher, "calloc"))
        return nullptr;
    void *p = __real_calloc(n, g);
    Merken(p);
    return p;
}

void *__wrap_realloc(void *p, size_t n)
{
    if (Scheitert(fp::Speicher, "realloc"))
        return nullptr;
    void *q = __real_realloc(p, n);
    if (q) {
        Vergessen(p);
        Merken(q);
    }
    return q;
}

void __wrap_free(void *p)
{
    if (p && anzahl_bloecke > 0)
        Vergessen(p);
    __real_free(p);
}

// A request of the memory libraries: counted, failed with its failure value
// when its turn comes, and named for the heap requests made inside it.
#define FP_ANFRAGE(Typ, Name, Fehlwert, Parameter, Argumente)                                      \
    Typ __real_##Name Parameter;                                                                   \
    Typ __wrap_##Name Parameter                                                                    \
    {                                                                                              \
        if (Scheitert(fp::Speicher, #Name))                                                        \
            return Fehlwert;                                                                       \
        Innerhalb i(#Name);                                                                        \
        return __real_##Name Argumente;                                                            \
    }

FP_ANFRAGE(void *, Tamsel_Alloc, nullptr, (uint32_t g), (g))
FP_ANFRAGE(void *, Tamsel_Resize, nullptr, (void *b, uint32_t g), (b, g))
FP_ANFRAGE(void *, Tamsel_PoolAlloc, nullptr, (void *k, uint32_t g), (k, g))
FP_ANFRAGE(Quidel_Status, Quidel_Anlegen, QUIDEL_STATUS_KEIN_SPEICHER, (uint32_t g, Quidel_Handle *h, uint32_t r),
           (g, h, r))
FP_ANFRAGE(Quidel_Status, Quidel_Laden, QUIDEL_STATUS_KEIN_SPEICHER, (const char *p, Quidel_Handle *h, uint32_t *g),
           (p, h, g))

// A read of a memory object, which fails as a read error.
Quidel_Status __real_Quidel_Lesen(Quidel_Handle h, uint32_t n, uint32_t o, void *z, uint32_t r);
Quidel_Status __wrap_Quidel_Lesen(Quidel_Handle h, uint32_t n, uint32_t o, void *z, uint32_t r)
{
    if (Scheitert(fp::Lesen, "Quidel_Lesen"))
        return QUIDEL_STATUS_BEREICH;
    return __real_Quidel_Lesen(h, n, o, z, r);
}

} // extern "C"

namespace fp {

long Durchlaufen(unsigned arten, const std::function<void()> &probe, const std::function<void()> &vorbereiten)
{
    for (long n = 1;; ++n) {
        if (vorbereiten)
            vorbereiten();
        anzahl_bloecke = 0;
        zu_viele_bloecke = false;
        z = Zustand{true, arten, 0, n, false, ""};
        innerhalb = nullptr;
        probe();
        z.aktiv = false;
        EXPECT_FALSE(zu_viele_bloecke);
        EXPECT_EQ(anzahl_bloecke, 0) << "run " << n << " (failing " << z.was << ") left "
                                     << anzahl_bloecke << " heap blocks behind";
        anzahl_bloecke = 0;
        if (!z.ausgeloest || ::testing::Test::HasFailure())
            return n;
    }
}

bool Ausgeloest()
{
    return z.ausgeloest;
}

std::string Was()
{
    return z.was;
}

bool In_Tamsel()
{
    return z.ausgeloest && z.was.find("Tamsel_") != std::string::npos;
}

Ohne_Fehler::Ohne_Fehler() : war_aktiv_(z.aktiv)
{
    z.aktiv = false;
}

Ohne_Fehler::~Ohne_Fehler()
{
    z.aktiv = war_aktiv_;
}

void Handletabelle_fuellen()
{
    static bool gefuellt = false;
    if (gefuellt)
        return;
    static Quidel_Handle h[65535];
    int n = 0;
    while (n < 65535 && __real_Quidel_Anlegen(1, &h[n], 0) == QUIDEL_STATUS_OK)
        ++n;
    for (int i = 0; i < n; ++i)
        Quidel_Freigeben(h[i]);
    gefuellt = true;
}

} // namespace fp
