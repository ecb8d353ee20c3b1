// suche.cpp - directory searches as Windows gives them: the entries that
// the system layer reports, sorted by name, and Windows' matching of long
// names against a pattern; the plain forms of the walk's calls.
#include "nachbildung.h"

#include "../platform/system.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------
// Directory searches.  A search reads the whole directory at its start,
// keeps the matching names in one block and sorts them: systems report them
// in the file system's order, which differs between file systems, and
// listings must come out the same everywhere.
// ---------------------------------------------------------------------------

struct Sucheintrag {
    uint64_t schluessel;  // the name's first 8 bytes, big-endian, zeros after its end
    size_t anfang;        // offset of the name in `namen`
    uint16_t laenge;      // of the name, shorter than Suchtreffer::name
    bool verzeichnis;
};

struct Verzeichnissuche {
    char *namen;          // the names, each with its terminator
    Sucheintrag *eintrag;
    size_t anzahl;
    size_t naechster;
    size_t namen_kap, eintrag_kap, fuellstand;
};

namespace {

// Room for a directory of a few hundred entries from the start: most need
// no second step.
bool Wachsen(void **block, size_t *kapazitaet, size_t benoetigt, size_t elementgroesse)
{
    if (benoetigt <= *kapazitaet)
        return true;
    size_t neu = *kapazitaet ? *kapazitaet * 2 : 4096 / elementgroesse;
    while (neu < benoetigt)
        neu *= 2;
    void *p = heapaufrufe.neu_belegen(*block, neu * elementgroesse);
    if (!p)
        return false;
    *block = p;
    *kapazitaet = neu;
    return true;
}

// The first 8 bytes of a name compare as their big-endian number does.
uint64_t Schluessel(const char *name, size_t n)
{
    unsigned char b[8] = {};
    std::memcpy(b, name, n < 8 ? n : 8);
    uint64_t k;
    std::memcpy(&k, b, 8);
    if constexpr (std::endian::native == std::endian::little)
        k = __builtin_bswap64(k);
    return k;
}

// By byte order; names within one directory differ, so the order is total.
// Most names differ in their first 8 bytes, which the keys compare at once.
// An introsort: no allocation, bounded depth, n log n.
void Sortieren(Verzeichnissuche *s)
{
    const char *namen = s->namen;
    std::sort(s->eintrag, s->eintrag + s->anzahl, [namen](const Sucheintrag &a, const Sucheintrag &b) {
        if (a.schluessel != b.schluessel)
            return a.schluessel < b.schluessel;
        return std::strcmp(namen + a.anfang, namen + b.anfang) < 0;
    });
}

void Treffer_geben(const Verzeichnissuche *s, size_t i, Suchtreffer *treffer)
{
    const Sucheintrag &e = s->eintrag[i];
    std::memcpy(treffer->name, s->namen + e.anfang, e.laenge + 1u);
    treffer->laenge = e.laenge;
    treffer->verzeichnis = e.verzeichnis;
}

} // namespace

Verzeichnissuche *Suche_anlegen()
{
    return static_cast<Verzeichnissuche *>(heapaufrufe.belegen_genullt(1, sizeof(Verzeichnissuche)));
}

bool Suche_eintragen(Verzeichnissuche *s, const char *name, bool verzeichnis)
{
    size_t n = std::strlen(name);
    if (n >= sizeof(Suchtreffer::name))
        return true;
    if (!Wachsen(reinterpret_cast<void **>(&s->namen), &s->namen_kap, s->fuellstand + n + 1, 1) ||
        !Wachsen(reinterpret_cast<void **>(&s->eintrag), &s->eintrag_kap, s->anzahl + 1, sizeof(Sucheintrag)))
        return false;
    std::memcpy(s->namen + s->fuellstand, name, n + 1);
    s->eintrag[s->anzahl].schluessel = Schluessel(name, n);
    s->eintrag[s->anzahl].anfang = s->fuellstand;
    s->eintrag[s->anzahl].laenge = static_cast<uint16_t>(n);
    s->eintrag[s->anzahl].verzeichnis = verzeichnis;
    ++s->anzahl;
    s->fuellstand += n + 1;
    return true;
}

Verzeichnissuche *Suche_abschliessen(Verzeichnissuche *suche, Suchtreffer *treffer)
{
    if (suche->anzahl == 0) {
        Suche_beenden(suche);
        return nullptr;
    }
    Sortieren(suche);
    Treffer_geben(suche, 0, treffer);
    suche->naechster = 1;
    return suche;
}

bool Suche_weiter(Verzeichnissuche *suche, Suchtreffer *treffer)
{
    if (!suche || suche->naechster >= suche->anzahl)
        return false;
    Treffer_geben(suche, suche->naechster++, treffer);
    return true;
}

void Suche_beenden(Verzeichnissuche *suche)
{
    if (!suche)
        return;
    std::free(suche->namen);
    std::free(suche->eintrag);
    std::free(suche);
}

// ---------------------------------------------------------------------------
// Matching.  The pattern is first rewritten as Windows rewrites it for a
// search: '?' becomes a "dos question mark", a '*' before a '.' a "dos star",
// a '.' before a '?' or '*' or at the end a "dos dot".  Then the name is
// matched by a set of pattern positions, so the cost is pattern times name.
// ---------------------------------------------------------------------------

namespace {

enum : unsigned char {
    Dos_Stern = 1,   // any run of characters that does not take the last '.'
    Dos_Frage = 2,   // one character; none at a '.' or at the end of the name
    Dos_Punkt = 3    // a '.', or nothing at the end of the name
};

constexpr size_t Mustergrenze = sizeof(Namensmuster::zeichen);

unsigned char Gross(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Adds to `aktiv` every position reachable without taking a character when
// the name stands at `k` (epsilon steps only lead forward, so one pass does).
void Huelle(const unsigned char *m, size_t mn, const char *name, size_t k, size_t nn, bool *aktiv)
{
    bool am_ende = k == nn, am_punkt = !am_ende && name[k] == '.';
    for (size_t i = 0; i < mn; ++i) {
        if (!aktiv[i])
            continue;
        if (m[i] == '*' || m[i] == Dos_Stern || (m[i] == Dos_Punkt && am_ende)) {
            aktiv[i + 1] = true;
        } else if (m[i] == Dos_Frage && (am_ende || am_punkt)) {
            size_t j = i;
            while (j < mn && m[j] == Dos_Frage)
                ++j;
            aktiv[j] = true;
        }
    }
}

} // namespace

bool Namensmuster_lesen(const char *muster, Namensmuster *m)
{
    size_t n = std::strlen(muster);
    if (n >= Mustergrenze)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = muster[i], weiter = muster[i + 1];
        if (c >= Dos_Stern && c <= Dos_Punkt)
            return false; // these bytes stand for the rewritten wildcards
        if (c == '?')
            m->zeichen[i] = Dos_Frage;
        else if (c == '*' && weiter == '.')
            m->zeichen[i] = Dos_Stern;
        else if (c == '.' && (weiter == '?' || weiter == '*' || weiter == '\0'))
            m->zeichen[i] = Dos_Punkt;
        else
            m->zeichen[i] = static_cast<unsigned char>(c);
    }
    m->laenge = n;
    // "*" and "*.*" (rewritten: a dos star, a dos dot and a star) match every
    // name; listings use them most, so they skip the matching.
    const unsigned char *z = m->zeichen;
    m->alle = (n == 1 && z[0] == '*') || (n == 3 && z[0] == Dos_Stern && z[1] == Dos_Punkt && z[2] == '*');
    return true;
}

bool Name_passt(const Namensmuster &muster, const char *name)
{
    if (muster.alle)
        return true;
    const unsigned char *m = muster.zeichen;
    size_t mn = muster.laenge, nn = std::strlen(name);
    const char *letzter_punkt = std::strrchr(name, '.');
    size_t punkt = letzter_punkt ? static_cast<size_t>(letzter_punkt - name) : nn;
    bool jetzt[Mustergrenze + 1], danach[Mustergrenze + 1];
    std::memset(jetzt, 0, mn + 1);
    jetzt[0] = true;
    for (size_t k = 0;; ++k) {
        Huelle(m, mn, name, k, nn, jetzt);
        if (k == nn)
            return jetzt[mn];
        unsigned char c = static_cast<unsigned char>(name[k]);
        std::memset(danach, 0, mn + 1);
        bool irgendeins = false;
        for (size_t i = 0; i < mn; ++i) {
            if (!jetzt[i])
                continue;
            unsigned char p = m[i];
            bool bleibt = p == '*' || (p == Dos_Stern && k != punkt);
            bool weiter = p == Dos_Frage  ? c != '.'
                          : p == Dos_Punkt ? c == '.'
                          : p != '*' && p != Dos_Stern && Gross(p) == Gross(c);
            danach[i] = danach[i] || bleibt;
            danach[i + 1] = danach[i + 1] || weiter;
            irgendeins = irgendeins || bleibt || weiter;
        }
        if (!irgendeins)
            return false;
        std::memcpy(jetzt, danach, mn + 1);
    }
}

// ---------------------------------------------------------------------------
// The searches: the system's entries, matched here where it does not match
// them itself, then sorted.
// ---------------------------------------------------------------------------

namespace {

struct Sammlung {
    Verzeichnissuche *suche;
    Namensmuster muster;
};

bool Passt(void *ziel, const char *name)
{
    return System_vergleicht_Namen || Name_passt(static_cast<Sammlung *>(ziel)->muster, name);
}

bool Nehmen(void *ziel, const char *name, bool verzeichnis)
{
    return Suche_eintragen(static_cast<Sammlung *>(ziel)->suche, name, verzeichnis);
}

// The pattern's last part: what follows its last '\' or '/'.
const char *Musterteil(const char *muster)
{
    const char *teil = muster;
    for (const char *p = muster; *p; ++p) {
        if (*p == '\\' || *p == '/')
            teil = p + 1;
    }
    return teil;
}

template <class Auflisten>
Verzeichnissuche *Suchen(const char *muster, Suchtreffer *treffer, Auflisten auflisten)
{
    if (!muster || !treffer)
        return nullptr;
    Sammlung s{};
    if (!System_vergleicht_Namen && !Namensmuster_lesen(Musterteil(muster), &s.muster))
        return nullptr;
    s.suche = Suche_anlegen();
    if (!s.suche)
        return nullptr;
    if (!auflisten(Eintragsnehmer{Passt, Nehmen, &s})) {
        Suche_beenden(s.suche);
        return nullptr;
    }
    return Suche_abschliessen(s.suche, treffer);
}

} // namespace

Verzeichnissuche *Suche_beginnen(const char *muster, bool folgen, Suchtreffer *treffer)
{
    return Suchen(muster, treffer, [&](const Eintragsnehmer &n) { return Ordner_auflisten(muster, folgen, n); });
}

Verzeichnissuche *Suche_beginnen(Baumgang *gang, const char *muster, Suchtreffer *treffer)
{
    return Suchen(muster, treffer, [&](const Eintragsnehmer &n) { return Ordner_auflisten(gang, muster, n); });
}

// ---------------------------------------------------------------------------
// The plain forms of the walk's calls: a walk of none.
// ---------------------------------------------------------------------------

bool Eintrag_Status(const char *pfad, bool *verzeichnis)
{
    return Eintrag_Status(nullptr, pfad, verzeichnis);
}

bool Eintrag_normal_setzen(const char *pfad, bool *verzeichnis)
{
    return Eintrag_normal_setzen(nullptr, pfad, verzeichnis);
}

int Datei_loeschen(const char *pfad)
{
    return Datei_loeschen(nullptr, pfad);
}

int Verzeichnis_entfernen(const char *pfad)
{
    return Verzeichnis_entfernen(nullptr, pfad);
}
