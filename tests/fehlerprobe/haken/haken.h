// haken.h - the fault hook of the test programs (kr_fehlerhaken in tests/CMakeLists.txt): every fallible
// request of the memory libraries and the heap table asks the hook first and, when it says so, fails as
// when memory runs out (a read of a memory object as a read error).
#ifndef KORVAN_HAKEN_H
#define KORVAN_HAKEN_H

#include <cstddef>

// The request ("Tamsel_Resize", "Quidel_Lesen", "malloc", ...) and the size it asks for; null lets all through.
extern bool (*fehlerhaken)(const char *was, size_t groesse);

#endif // KORVAN_HAKEN_H
