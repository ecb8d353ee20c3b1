// layout.cpp - the binary layout of the public records, pinned at compile
// time: exact on 32-bit targets, the same order packed on 64-bit ones.
#include "korvan.h"

#include <cstddef>

namespace {

constexpr size_t P = sizeof(void *); // width of a pointer field

static_assert(offsetof(Zugriffshandle, puffer) == 0);
static_assert(offsetof(Zugriffshandle, laenge) == P);
static_assert(offsetof(Zugriffshandle, position) == P + 4);
static_assert(offsetof(Zugriffshandle, objekt) == P + 8);
static_assert(offsetof(Zugriffshandle, zeile) == P + 10);
static_assert(offsetof(Zugriffshandle, spalte) == P + 14);
static_assert(offsetof(Zugriffshandle, lesefunktion) == P + 18);
static_assert(offsetof(Zugriffshandle, ruecklesefunktion) == 2 * P + 18);
static_assert(offsetof(Zugriffshandle, symbolpuffer) == 3 * P + 18);
static_assert(offsetof(Zugriffshandle, symbolgroesse) == 4 * P + 18);
static_assert(offsetof(Zugriffshandle, symbolstatus) == 4 * P + 22);
static_assert(offsetof(Zugriffshandle, reserve1) == 4 * P + 26);
static_assert(offsetof(Zugriffshandle, quelle) == 4 * P + 30);
static_assert(offsetof(Zugriffshandle, letztes_zeichen) == 5 * P + 30);
static_assert(offsetof(Zugriffshandle, elementanfang) == 5 * P + 34);
static_assert(offsetof(Zugriffshandle, positionierfunktion) == 5 * P + 38);
static_assert(offsetof(Zugriffshandle, clonfunktion) == 6 * P + 38);
static_assert(offsetof(Zugriffshandle, schliessfunktion) == 7 * P + 38);
static_assert(offsetof(Zugriffshandle, flags) == 8 * P + 38);
static_assert(offsetof(Zugriffshandle, reserve2) == 8 * P + 42);
static_assert(sizeof(Zugriffshandle) == 8 * P + 46);

constexpr size_t Z = sizeof(Zugriffshandle);
static_assert(offsetof(Argumentsatz, zugriffshandle) == 0);
static_assert(offsetof(Argumentsatz, mehrfachliste) == Z);
static_assert(offsetof(Argumentsatz, speicher) == Z + P);
static_assert(offsetof(Argumentsatz, speichergroesse) == Z + 2 * P);
static_assert(offsetof(Argumentsatz, reserve3) == Z + 2 * P + 4);
static_assert(offsetof(Argumentsatz, argflags) == Z + 2 * P + 8);
static_assert(sizeof(Argumentsatz) == Z + 2 * P + 12);

static_assert(offsetof(Preprozess_Fehler, code) == 0);
static_assert(offsetof(Preprozess_Fehler, zeile) == 4);
static_assert(offsetof(Preprozess_Fehler, reserve) == 8);
static_assert(offsetof(Preprozess_Fehler, datei) == 12);
static_assert(offsetof(Preprozess_Fehler, fehlername) == 272);
static_assert(offsetof(Preprozess_Fehler, zeilentext) == 532);
static_assert(sizeof(Preprozess_Fehler) == 1556);

// The figures of the 32-bit interface, where pointers are 4 bytes wide.
static_assert(P != 4 || (sizeof(Zugriffshandle) == 78 && offsetof(Zugriffshandle, quelle) == 46 &&
                         offsetof(Zugriffshandle, flags) == 70 && sizeof(Argumentsatz) == 98 &&
                         offsetof(Argumentsatz, argflags) == 94));

} // namespace
