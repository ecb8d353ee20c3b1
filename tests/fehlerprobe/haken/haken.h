// haken.h - the fault hook of the test programs.  A program that links it
// (kr_fehlerhaken in tests/CMakeLists.txt) gets the memory libraries built
// once more, their fallible requests routed through here, and the library's
// heap table pointed here too: each request asks the hook first, and fails as
// it fails when memory runs out (a read of a memory object as a read error)
// when the hook says so.  Works alike on every target.
#ifndef KORVAN_HAKEN_H
#define KORVAN_HAKEN_H

#include <cstddef>

// The request ("Tamsel_Resize", "Quidel_Lesen", "malloc", ...) and the size
// it asks for; null lets every request through.
extern bool (*fehlerhaken)(const char *was, size_t groesse);

#endif // KORVAN_HAKEN_H
