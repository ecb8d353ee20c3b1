// dateiquelle.cpp - the file source: a handle that reads a file through a
// buffered stream by its callbacks.  File sources remove no comment lines.
#include "korvan.h"
#include "handle/strom.h"

#include "../platform/plattform.h"

#include <cstdlib>
#include <cstring>

namespace {

// The file record hangs on the handle's quelle field.  The path is kept
// whole (not cut at 259 bytes) so that a clone reopens the very same file.
struct Dateisatz {
    Plattform_Strom *strom;
    int32_t letztes_zeichen;      // -1 after opening, take-back, positioning
    int32_t gespeicherte_spalte;  // spalte when the last line began
    size_t satzgroesse;
    char pfad[1];                 // zero-terminated, as long as it needs
};

Dateisatz *Satz(Zugriffshandle *h)
{
    return h ? static_cast<Dateisatz *>(h->quelle) : nullptr;
}

Dateisatz *Satz_anlegen(const char *pfad)
{
    size_t groesse = offsetof(Dateisatz, pfad) + std::strlen(pfad) + 1;
    auto *s = static_cast<Dateisatz *>(heapaufrufe.belegen_genullt(1, groesse));
    if (!s)
        return nullptr;
    std::memcpy(s->pfad, pfad, std::strlen(pfad) + 1);
    s->satzgroesse = groesse;
    s->letztes_zeichen = -1;
    return s;
}

// Only the handle is kept across the stream's read, and the record taken
// from it afresh, so that the frame is one saved register.
int KR_CALL Datei_Zeichen(Zugriffshandle *h)
{
    Dateisatz *s = Satz(h);
    if (!s || !s->strom)
        return -1;
    int c = Strom_Zeichen(s->strom);
    if (c < 0)
        return -1;
    s = Satz(h);
    ++h->position;
    int32_t spalte = h->spalte;
    if (strom::Zaehlen(h, s->letztes_zeichen, c))
        s->gespeicherte_spalte = spalte;
    s->letztes_zeichen = c;
    return c;
}

// Taking back a line feed leaves zeile and spalte alone: the read of a line
// feed changed neither (the line count moves with the character after it),
// so a read, a take-back and a second read leave both as one read did,
// exactly as for memory sources.
int KR_CALL Datei_zurueck(Zugriffshandle *h)
{
    Dateisatz *s = Satz(h);
    if (!s || !s->strom || h->position < 1 || s->letztes_zeichen == -1)
        return 0;
    if (!Strom_zurueck(s->strom, s->letztes_zeichen))
        return 0;
    --h->position;
    if (!kr::intern::Ist_Zeilenende(s->letztes_zeichen))
        --h->spalte;
    s->letztes_zeichen = -1;
    return 1;
}

int KR_CALL Datei_positionieren(Zugriffshandle *h, unsigned int p)
{
    Dateisatz *s = Satz(h);
    if (!s || !s->strom)
        return -1;
    if (Strom_setzen(s->strom, static_cast<int64_t>(p)) != 0)
        return -1;
    h->position = static_cast<int32_t>(p);
    h->zeile = 0;
    h->spalte = 0;
    s->gespeicherte_spalte = 0;
    s->letztes_zeichen = -1;
    return 1;
}

int KR_CALL Datei_clonen(Zugriffshandle *quelle, Zugriffshandle *ziel)
{
    if (!quelle || !ziel)
        return 0;
    Dateisatz *alt = Satz(quelle);
    std::memmove(ziel, quelle, sizeof *ziel);
    Dateisatz *neu = alt ? static_cast<Dateisatz *>(heapaufrufe.belegen(alt->satzgroesse)) : nullptr;
    if (!neu) {
        std::memset(ziel, 0, sizeof *ziel);
        return 0;
    }
    std::memcpy(neu, alt, alt->satzgroesse);
    neu->strom = Strom_oeffnen(neu->pfad, Strommodus::lesen_binaer);
    if (!neu->strom) {
        std::free(neu);
        std::memset(ziel, 0, sizeof *ziel);
        return 0;
    }
    if (Strom_setzen(neu->strom, static_cast<int64_t>(ziel->position)) != 0) {
        Strom_schliessen(neu->strom);
        std::free(neu);
        std::memset(ziel, 0, sizeof *ziel);
        return 0;
    }
    ziel->quelle = neu;
    ziel->flags |= KR_FLAG_CLON;
    return 1;
}

void KR_CALL Datei_schliessen(Zugriffshandle *h)
{
    Dateisatz *s = Satz(h);
    if (!s)
        return;
    if (s->strom)
        Strom_schliessen(s->strom);
    std::free(s);
    std::memset(h, 0, sizeof *h);
}

} // namespace

extern "C" int KR_CALL KR_Datei_oeffnen(const char *pfad, Zugriffshandle *h)
{
    if (!h || !pfad || !*pfad)
        return 1;
    Dateisatz *s = Satz_anlegen(pfad);
    if (!s)
        return 1;
    s->strom = Strom_oeffnen(pfad, Strommodus::lesen_binaer);
    if (!s->strom) {
        std::free(s);
        return 1;
    }
    h->quelle = s;
    h->lesefunktion = Datei_Zeichen;
    h->ruecklesefunktion = Datei_zurueck;
    h->positionierfunktion = Datei_positionieren;
    h->clonfunktion = Datei_clonen;
    h->schliessfunktion = Datei_schliessen;
    return 0;
}
