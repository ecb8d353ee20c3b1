// oeffnen.cpp - opening a handle over a memory object (loaded from a file or
// new), saving it, cloning and closing handles.
#include "korvan.h"
#include "quidel32.h"

#include "../platform/plattform.h"

#include <cstring>

namespace {

// The first line of every new memory object: substitute character, zero
// byte, CR, LF.  No reader takes it for a header line.
constexpr unsigned char Objektkopf[4] = {0x1A, 0x00, 0x0D, 0x0A};

void Leeren(Zugriffshandle *h)
{
    std::memset(h, 0, sizeof *h);
}

} // namespace

extern "C" {

int KR_CALL KR_Konfig_Datei_oeffnen(const char *pfad, Zugriffshandle *h)
{
    if (!h || !pfad || !*pfad)
        return 1;
    Leeren(h);
    Quidel_Handle objekt = 0;
    uint32_t laenge = 0;
    Quidel_Status status = Quidel_Laden(pfad, &objekt, &laenge);
    if (status != 0)
        return status;
    h->objekt = objekt;
    h->laenge = laenge;
    return 0;
}

int KR_CALL KR_Konfig_Datei_anlegen(Zugriffshandle *h)
{
    if (!h)
        return QUIDEL_STATUS_ARGUMENT;
    Leeren(h);
    Quidel_Handle objekt = 0;
    Quidel_Status status = Quidel_Anlegen(sizeof Objektkopf, &objekt, 0);
    if (status != 0)
        return status;
    // A header that cannot be written leaves no object behind.
    status = Quidel_Schreiben(objekt, sizeof Objektkopf, 0, Objektkopf, 0);
    if (status != 0) {
        Quidel_Freigeben(objekt);
        return status;
    }
    h->objekt = objekt;
    h->laenge = sizeof Objektkopf;
    h->position = sizeof Objektkopf;
    return 0;
}

int KR_CALL KR_Konfig_Datei_schreiben(const char *pfad, Zugriffshandle *h)
{
    if (!pfad || !h)
        return QUIDEL_STATUS_ARGUMENT;
    if (Datei_existiert(pfad) && !Datei_beschreibbar(pfad))
        return KR_STATUS_SCHREIBGESCHUETZT;
    return Quidel_Speichern(pfad, h->objekt);
}

int KR_CALL KR_Zugriffshandle_clonen(Zugriffshandle *quelle, Zugriffshandle *ziel)
{
    if (!quelle || !ziel)
        return 0;
    if (quelle->clonfunktion)
        return quelle->clonfunktion(quelle, ziel);
    std::memmove(ziel, quelle, sizeof *ziel);
    ziel->flags |= KR_FLAG_CLON;
    return 1;
}

void KR_CALL KR_Konfig_Datei_schliessen(Zugriffshandle *h)
{
    if (!h)
        return;
    if (h->schliessfunktion) {
        h->schliessfunktion(h);
        return;
    }
    if (h->objekt != 0 && (h->flags & KR_FLAG_CLON) == 0)
        Quidel_Freigeben(h->objekt);
    Leeren(h);
}

} // extern "C"
