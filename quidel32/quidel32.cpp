// quidel32.cpp - memory objects under 16-bit handles.
//
// The handle table has one slot per handle, so that a read reaches its
// object with one load and no lock; only handing out and taking back
// handles is serialised.  Slot 0 stays empty: 0 is never a handle.
#include "quidel32.h"

// Its two file operations come from the whole-file piece of the system
// layer, which needs nothing else of Korvan.
#include "../src/platform/ganzdatei.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

struct Objekt {
    unsigned char *daten;
    uint32_t groesse;
    uint32_t kapazitaet;
};

// Zero at the start, in memory the system gives only where it is touched.
std::atomic<Objekt *> tabelle[65536];
std::mutex tabellensperre;
uint32_t naechster_versuch = 1; // under tabellensperre

inline Objekt *Objekt_holen(Quidel_Handle h)
{
    return tabelle[h].load(std::memory_order_acquire);
}

// Finds a free handle from the last one handed out on, so released handles
// come round again; 0 when all are in use.
Quidel_Handle Handle_vergeben(Objekt *o)
{
    std::lock_guard<std::mutex> sperre(tabellensperre);
    for (uint32_t n = 0; n < 65535; ++n) {
        uint32_t h = (naechster_versuch + n - 1) % 65535 + 1;
        if (tabelle[h].load(std::memory_order_relaxed) == nullptr) {
            tabelle[h].store(o, std::memory_order_release);
            naechster_versuch = h % 65535 + 1;
            return static_cast<Quidel_Handle>(h);
        }
    }
    return 0;
}

Objekt *Handle_zuruecknehmen(Quidel_Handle h)
{
    if (h == 0)
        return nullptr;
    std::lock_guard<std::mutex> sperre(tabellensperre);
    return tabelle[h].exchange(nullptr, std::memory_order_acq_rel);
}

bool Im_Bereich(const Objekt *o, uint32_t offset, uint32_t laenge)
{
    return offset <= o->groesse && laenge <= o->groesse - offset;
}

// Makes room for groesse bytes; appends double the capacity so that a
// series of small appends stays linear.
bool Platz_schaffen(Objekt *o, uint32_t groesse)
{
    if (groesse <= o->kapazitaet)
        return true;
    uint64_t kap = static_cast<uint64_t>(o->kapazitaet) * 2;
    if (kap < groesse)
        kap = groesse;
    if (kap > UINT32_MAX)
        kap = UINT32_MAX;
    auto *neu = static_cast<unsigned char *>(std::realloc(o->daten, kap ? kap : 1));
    if (!neu)
        return false;
    o->daten = neu;
    o->kapazitaet = static_cast<uint32_t>(kap);
    return true;
}

Quidel_Status Objekt_eintragen(unsigned char *daten, uint32_t groesse, uint32_t kapazitaet, Quidel_Handle *handle)
{
    auto *o = static_cast<Objekt *>(std::malloc(sizeof(Objekt)));
    if (!o) {
        std::free(daten);
        return QUIDEL_STATUS_KEIN_SPEICHER;
    }
    o->daten = daten;
    o->groesse = groesse;
    o->kapazitaet = kapazitaet;
    Quidel_Handle h = Handle_vergeben(o);
    if (h == 0) {
        std::free(daten);
        std::free(o);
        return QUIDEL_STATUS_KEIN_HANDLE;
    }
    *handle = h;
    return QUIDEL_STATUS_OK;
}

// Quidel_Lesen for any length, and the failures of a read of one byte.
__attribute__((noinline)) Quidel_Status Lesen_allgemein(const Objekt *o, uint32_t laenge, uint32_t offset, void *ziel, uint32_t reserviert)
{
    if (!o)
        return QUIDEL_STATUS_HANDLE;
    if ((!ziel && laenge) || reserviert != 0)
        return QUIDEL_STATUS_ARGUMENT;
    if (!Im_Bereich(o, offset, laenge))
        return QUIDEL_STATUS_BEREICH;
    if (laenge)
        std::memcpy(ziel, o->daten + offset, laenge);
    return QUIDEL_STATUS_OK;
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
    Objekt *o = Handle_zuruecknehmen(handle);
    if (!o)
        return QUIDEL_STATUS_HANDLE;
    std::free(o->daten);
    std::free(o);
    return QUIDEL_STATUS_OK;
}

Quidel_Status QUIDEL_CALL Quidel_Schreiben(Quidel_Handle handle, uint32_t laenge, uint32_t offset, const void *quelle, uint32_t reserviert)
{
    Objekt *o = Objekt_holen(handle);
    if (!o)
        return QUIDEL_STATUS_HANDLE;
    if ((!quelle && laenge) || reserviert != 0)
        return QUIDEL_STATUS_ARGUMENT;
    if (!Im_Bereich(o, offset, laenge))
        return QUIDEL_STATUS_BEREICH;
    if (laenge)
        std::memcpy(o->daten + offset, quelle, laenge);
    return QUIDEL_STATUS_OK;
}

Quidel_Status QUIDEL_CALL Quidel_Lesen(Quidel_Handle handle, uint32_t laenge, uint32_t offset, void *ziel, uint32_t reserviert)
{
    // One byte, the read of a character reader: its tests in one branch and
    // the byte copied, with no frame; every other case is Lesen_allgemein's.
    Objekt *o = Objekt_holen(handle);
    if (__builtin_expect(o != nullptr && ((laenge - 1) | reserviert) == 0 && ziel != nullptr && offset < o->groesse, 1)) {
        *static_cast<unsigned char *>(ziel) = o->daten[offset];
        return QUIDEL_STATUS_OK;
    }
    return Lesen_allgemein(o, laenge, offset, ziel, reserviert);
}

Quidel_Status QUIDEL_CALL Quidel_Kopieren(Quidel_Handle ziel, uint32_t zieloffset, Quidel_Handle quelle, uint32_t quelloffset, uint32_t laenge, uint32_t reserviert)
{
    Objekt *z = Objekt_holen(ziel);
    Objekt *q = Objekt_holen(quelle);
    if (!z || !q)
        return QUIDEL_STATUS_HANDLE;
    if (reserviert != 0)
        return QUIDEL_STATUS_ARGUMENT;
    if (!Im_Bereich(z, zieloffset, laenge) || !Im_Bereich(q, quelloffset, laenge))
        return QUIDEL_STATUS_BEREICH;
    if (laenge)
        std::memmove(z->daten + zieloffset, q->daten + quelloffset, laenge);
    return QUIDEL_STATUS_OK;
}

Quidel_Status QUIDEL_CALL Quidel_Groesse_aendern(Quidel_Handle handle, uint32_t groesse)
{
    Objekt *o = Objekt_holen(handle);
    if (!o)
        return QUIDEL_STATUS_HANDLE;
    if (!Platz_schaffen(o, groesse))
        return QUIDEL_STATUS_KEIN_SPEICHER;
    if (groesse > o->groesse)
        std::memset(o->daten + o->groesse, 0, groesse - o->groesse);
    o->groesse = groesse;
    return QUIDEL_STATUS_OK;
}

Quidel_Status QUIDEL_CALL Quidel_Speichern(const char *pfad, Quidel_Handle handle)
{
    if (!pfad || !*pfad)
        return QUIDEL_STATUS_ARGUMENT;
    Objekt *o = Objekt_holen(handle);
    if (!o)
        return QUIDEL_STATUS_HANDLE;
    return Dateistatus_abbilden(Datei_ersetzen(pfad, o->daten, o->groesse));
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
