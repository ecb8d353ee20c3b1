// fehler.h - failures on demand for the fault-injection tests.  This program
// is linked with the requests of the memory library, the memory-object
// library and the heap wrapped (tests/CMakeLists.txt): while a probe runs,
// every request is counted and the n-th one fails, as it fails when memory
// runs out.  Heap blocks taken during a probe are tracked, so a probe can
// tell that everything it took was given back.
#ifndef KORVAN_FEHLER_H
#define KORVAN_FEHLER_H

#include <functional>
#include <string>

namespace fp {

// Kinds of request that a probe counts.
enum Art : unsigned {
    Speicher = 1, // Tamsel_Alloc, _Resize, _PoolAlloc; Quidel_Anlegen, _Laden; malloc, calloc, realloc
    Lesen = 2,    // Quidel_Lesen: a read error, which the readers take for the end of the text
};

// Runs the probe once for every request that it makes: the first run fails
// the first request, the next run the second, and so on, until a run ends
// before its failure came (a run without failure, which the probe checks
// like the others).  After each run no heap block that it took may be left.
// Returns the number of runs.
// `vorbereiten`, when given, runs before each run with no request counted or
// failed (files the probe needs afresh).
long Durchlaufen(unsigned arten, const std::function<void()> &probe, const std::function<void()> &vorbereiten = {});

// In the run that goes on: whether its failure came, and in which request
// ("Tamsel_Resize", or "malloc in Tamsel_Alloc" for a heap request that a
// library request made).
bool Ausgeloest();
std::string Was();
// The failure came in a request of the memory library, or in the heap
// request of one.
bool In_Tamsel();

// While it lives, requests are neither counted nor failed: for the checks of
// a probe that use the library themselves.
class Ohne_Fehler {
public:
    Ohne_Fehler();
    ~Ohne_Fehler();
    Ohne_Fehler(const Ohne_Fehler &) = delete;
    Ohne_Fehler &operator=(const Ohne_Fehler &) = delete;

private:
    bool war_aktiv_;
};

// All 65535 memory-object handles once taken and given back, so that the
// handle table holds every page it will ever need and no probe sees it grow.
void Handletabelle_fuellen();

} // namespace fp

#endif // KORVAN_FEHLER_H
