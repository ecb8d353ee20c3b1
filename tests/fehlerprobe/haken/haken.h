// haken.h - the test programs' fault hook: every fallible request of the memory libraries and the heap
// table asks it first and, told so, fails as when memory runs out (a memory-object read as a read error).
#ifndef KORVAN_HAKEN_H
#define KORVAN_HAKEN_H

#include <cstddef>

// The request ("Tamsel_Resize", "Quidel_Lesen", "malloc", ...) and the size it asks for; null lets all through.
extern bool (*fehlerhaken)(const char *was, size_t groesse);

#endif // KORVAN_HAKEN_H
