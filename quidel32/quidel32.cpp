// quidel32.cpp - memory objects under 16-bit handles.
//
// The handle table holds each object's size and bytes under its handle, so
// that a read reaches them with no lock and no test of the handle on its
// own: a free handle has size 0, so no read lies within it.  Only handing
// out and taking back handles is serialised.  Handle 0 stays free: 0 is
// never a handle.
#include "quidel32.h"

// Its two file operations come from the whole-file piece of the system
// layer, which needs nothing else of Korvan.
#include "../src/platform/ganzdatei.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {

// The objects, by handle, in arrays side by side: a read finds its size and
// its bytes from one address.  A handle's entries are touched only by the
// thread its object belongs to, and by Handle_vergeben and
// Handle_zuruecknehmen before and after that.
struct Tabelle {
    unsigned char *daten[65536]; // null while the handle names no object
    uint32_t groesse[65536];     // 0 while the handle names no object
    uint32_t kapazitaet[65536];
    bool belegt[65536];          // under tabellensperre
};

// Zero at the start, in memory the system gives only where it is touched.
Tabelle tabelle;
// Handing out and taking back a handle takes a few stores: a lock that
// yields while another thread holds it is enough, and it needs nothing of
// the C++ runtime library, which a C program using Korvan need not load.
std::atomic_flag tabellensperre;
uint32_t naechster_versuch = 1; // under tabellensperre

struct Tabellensperre {
    Tabellensperre()
    {
        while (tabellensperre.test_and_set(std::memory_order_acquire))
            std::this_thread::yield();
    }
    ~Tabellensperre() { tabellensperre.clear(std::memory_order_release); }
    Tabellensperre(const Tabellensperre &) = delete;
    Tabellensperre &operator=(const Tabellensperre &) = delete;
};

// A live object has bytes: at least one is always allocated.
inline bool Objekt_da(Quidel_Handle h)
{
    return tabelle.daten[h] != nullptr;
}

// Finds a free handle from the last one handed out on, so released handles
// come round again, and gives it the bytes; 0 when all are in use.
Quidel_Handle Handle_vergeben(unsigned char *daten, uint32_t groesse, uint32_t kapazitaet)
{
    Tabellensperre sperre;
    for (uint32_t n = 0; n < 65535; ++n) {
        uint32_t h = (naechster_versuch + n - 1) % 65535 + 1;
        if (!tabelle.belegt[h]) {
            tabelle.belegt[h] = true;
            tabelle.daten[h] = daten;
            tabelle.groesse[h] = groesse;
            tabelle.kapazitaet[h] = kapazitaet;
            naechster_versuch = h % 65535 + 1;
            return static_cast<Quidel_Handle>(h);
        }
    }
    return 0;
}

// The bytes of the handle's object, the handle free again; null when it
// names no object.
unsigned char *Handle_zuruecknehmen(Quidel_Handle h)
{
    if (h == 0)
        return nullptr;
    Tabellensperre sperre;
    if (!tabelle.belegt[h])
        return nullptr;
    unsigned char *daten = tabelle.daten[h];
    tabelle.daten[h] = nullptr;
    tabelle.groesse[h] = tabelle.kapazitaet[h] = 0;
    tabelle.belegt[h] = false;
    return daten;
}

bool Im_Bereich(Quidel_Handle h, uint32_t offset, uint32_t laenge)
{
    uint32_t groesse = tabelle.groesse[h];
    return offset <= groesse && laenge <= groesse - offset;
}

// Makes room for groesse bytes; appends double the capacity so that a
// series of small appends stays linear.
bool Platz_schaffen(Quidel_Handle h, uint32_t groesse)
{
    if (groesse <= tabelle.kapazitaet[h])
        return true;
    uint64_t kap = static_cast<uint64_t>(tabelle.kapazitaet[h]) * 2;
    if (kap < groesse)
        kap = groesse;
    if (kap > UINT32_MAX)
        kap = UINT32_MAX;
    auto *neu = static_cast<unsigned char *>(std::realloc(tabelle.daten[h], kap ? kap : 1));
    if (!neu)
        return false;
    tabelle.daten[h] = neu;
    tabelle.kapazitaet[h] = static_cast<uint32_t>(kap);
    return true;
}

Quidel_Status Objekt_eintragen(unsigned char *daten, uint32_t groesse, uint32_t kapazitaet, Quidel_Handle *handle)
{
    Quidel_Handle h = Handle_vergeben(daten, groesse, kapazitaet);
    if (h == 0) {
        std::free(daten);
        return QUIDEL_STATUS_KEIN_HANDLE;
    }
    *handle = h;
    return QUIDEL_STATUS_OK;
}

// The tests of a read or a write of laenge bytes at offset through puffer.
Quidel_Status Zugriff_pruefen(Quidel_Handle handle, uint32_t laenge, uint32_t offset, const void *puffer, uint32_t reserviert)
{
    if (!Objekt_da(handle))
        return QUIDEL_STATUS_HANDLE;
    if ((!puffer && laenge) || reserviert != 0)
        return QUIDEL_STATUS_ARGUMENT;
    if (!Im_Bereich(handle, offset, laenge))
        return QUIDEL_STATUS_BEREICH;
    return QUIDEL_STATUS_OK;
}

// Quidel_Lesen for any length, and the failures of a read of one byte.
__attribute__((noinline)) Quidel_Status Lesen_allgemein(Quidel_Handle handle, uint32_t laenge, uint32_t offset, void *ziel, uint32_t reserviert)
{
    Quidel_Status s = Zugriff_pruefen(handle, laenge, offset, ziel, reserviert);
    if (s == QUIDEL_STATUS_OK && laenge)
        std::memcpy(ziel, tabelle.daten[handle] + offset, laenge);
    return s;
}

Quidel_Status Dateistatus_abbilden(Dateistatus s)
{
    switch (s) {
    case Dateistatus::ok: return QUIDEL_STATUS_OK;
    case Dateistatus::nicht_lesbar: return QUIDEL_STATUS_NICHT_LESBAR;
    case Dateistatus::zu_gross: return QUIDEL_STATUS_ZU_GROSS;
    case Dateistatus::kein_speicher: return QUIDEL_STATUS_KEIN_SPEICHER;
    case Dateistatus::nicht_anlegbar: return QUIDEL_STATUS_NICHT_ANLEGBAR;
    case Dateistatus::schreibfehler: return QUIDEL_STATUS_SCHREIBFEHLER;
    }
    return QUIDEL_STATUS_SCHREIBFEHLER;
}

} // namespace

extern "C" {

Quidel_Status QUIDEL_CALL Quidel_Anlegen(uint32_t groesse, Quidel_Handle *handle, uint32_t reserviert)
{
    if (!handle || reserviert != 0)
        return QUIDEL_STATUS_ARGUMENT;
    auto *daten = static_cast<unsigned char *>(std::calloc(groesse ? groesse : 1, 1));
    if (!daten)
        return QUIDEL_STATUS_KEIN_SPEICHER;
    return Objekt_eintragen(daten, groesse, groesse, handle);
}

Quidel_Status QUIDEL_CALL Quidel_Freigeben(Quidel_Handle handle)
{
    unsigned char *daten = Handle_zuruecknehmen(handle);
    if (!daten)
        return QUIDEL_STATUS_HANDLE;
    std::free(daten);
    return QUIDEL_STATUS_OK;
}

Quidel_Status QUIDEL_CALL Quidel_Schreiben(Quidel_Handle handle, uint32_t laenge, uint32_t offset, const void *quelle, uint32_t reserviert)
{
    Quidel_Status s = Zugriff_pruefen(handle, laenge, offset, quelle, reserviert);
    if (s == QUIDEL_STATUS_OK && laenge)
        std::memcpy(tabelle.daten[handle] + offset, quelle, laenge);
    return s;
}

Quidel_Status QUIDEL_CALL Quidel_Lesen(Quidel_Handle handle, uint32_t laenge, uint32_t offset, void *ziel, uint32_t reserviert)
{
    // One byte, the read of a character reader: its tests in one branch (a
    // free slot fails the range) and the byte copied, with no frame; every
    // other case is Lesen_allgemein's.
    const size_t i = handle;
    if (__builtin_expect(((laenge - 1) | reserviert) == 0 && ziel != nullptr && offset < tabelle.groesse[i], 1)) {
        *static_cast<unsigned char *>(ziel) = tabelle.daten[i][offset];
        return QUIDEL_STATUS_OK;
    }
    return Lesen_allgemein(handle, laenge, offset, ziel, reserviert);
}

Quidel_Status QUIDEL_CALL Quidel_Kopieren(Quidel_Handle ziel, uint32_t zieloffset, Quidel_Handle quelle, uint32_t quelloffset, uint32_t laenge, uint32_t reserviert)
{
    if (!Objekt_da(ziel) || !Objekt_da(quelle))
        return QUIDEL_STATUS_HANDLE;
    if (reserviert != 0)
        return QUIDEL_STATUS_ARGUMENT;
    if (!Im_Bereich(ziel, zieloffset, laenge) || !Im_Bereich(quelle, quelloffset, laenge))
        return QUIDEL_STATUS_BEREICH;
    if (laenge)
        std::memmove(tabelle.daten[ziel] + zieloffset, tabelle.daten[quelle] + quelloffset, laenge);
    return QUIDEL_STATUS_OK;
}

Quidel_Status QUIDEL_CALL Quidel_Groesse_aendern(Quidel_Handle handle, uint32_t groesse)
{
    if (!Objekt_da(handle))
        return QUIDEL_STATUS_HANDLE;
    if (!Platz_schaffen(handle, groesse))
        return QUIDEL_STATUS_KEIN_SPEICHER;
    uint32_t alt = tabelle.groesse[handle];
    if (groesse > alt)
        std::memset(tabelle.daten[handle] + alt, 0, groesse - alt);
    tabelle.groesse[handle] = groesse;
    return QUIDEL_STATUS_OK;
}

Quidel_Status QUIDEL_CALL Quidel_Speichern(const char *pfad, Quidel_Handle handle)
{
    if (!pfad || !*pfad)
        return QUIDEL_STATUS_ARGUMENT;
    if (!Objekt_da(handle))
        return QUIDEL_STATUS_HANDLE;
    return Dateistatus_abbilden(Datei_ersetzen(pfad, tabelle.daten[handle], tabelle.groesse[handle]));
}

Quidel_Status QUIDEL_CALL Quidel_Laden(const char *pfad, Quidel_Handle *handle, uint32_t *groesse)
{
    if (!pfad || !*pfad || !handle || !groesse)
        return QUIDEL_STATUS_ARGUMENT;
    unsigned char *daten = nullptr;
    uint32_t laenge = 0;
    Dateistatus s = Datei_laden(pfad, &daten, &laenge);
    if (s != Dateistatus::ok)
        return Dateistatus_abbilden(s);
    Quidel_Status st = Objekt_eintragen(daten, laenge, laenge, handle);
    if (st == QUIDEL_STATUS_OK)
        *groesse = laenge;
    return st;
}

} // extern "C"
