// gemeinsam.cpp - the parts of the platform layer that are the same on every
// system: buffered streams with the Windows runtime's text mode, whole-file
// loading, the sorted results of directory searches and Windows' matching
// of names, the walk's plain forms, and file names and environment variables.
#include "gemeinsam.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------
// Buffered streams
// ---------------------------------------------------------------------------

// A stream reads its file in blocks of its own, so that a line is found with
// one search of the block instead of one call per byte, and writes through
// a block of its own.  One byte can be pushed back beyond the block.
constexpr size_t Blockgroesse = 65536;

struct Plattform_Strom {
    intptr_t datei;       // the system's file
    bool schreiben;
    bool text;
    bool ende;            // a read met the end of the file (or 0x1A in text mode)
    bool fehler;          // a read or write failed
    int zurueck;          // a byte pushed back, or -1
    int64_t blockanfang;  // file offset of block[0] (reading)
    size_t naechstes;     // reading: the next byte; writing: the bytes held
    size_t fuellung;      // reading: the bytes in the block
    size_t besonders;     // no zero byte (nor CR or 0x1A in text mode) in the block before this
    unsigned char block[Blockgroesse];
};

namespace {

// Writes the bytes held; false when the system refuses some.
bool Block_leeren(Plattform_Strom *s)
{
    if (s->naechstes == 0)
        return true;
    bool gut = Systemdatei_schreiben(s->datei, s->block, s->naechstes);
    s->naechstes = 0;
    if (!gut)
        s->fehler = true;
    return gut;
}

// Where the next zero byte, or in text mode the next CR or 0x1A, stands from
// `ab` on (fuellung when there is none): up to there a line is the bytes as
// they are, and a C string.
size_t Besonderes_suchen(const Plattform_Strom *s, size_t ab)
{
    const unsigned char *p = s->block + ab;
    size_t n = s->fuellung - ab;
    static const int zeichen[] = {0, '\r', 0x1A};
    for (int i = 0; i < (s->text ? 3 : 1); ++i) {
        if (auto *t = static_cast<const unsigned char *>(std::memchr(p, zeichen[i], n)))
            n = static_cast<size_t>(t - p);
    }
    return ab + n;
}

// The next block; false at the end of the file (a failure sets fehler).
bool Nachfuellen(Plattform_Strom *s)
{
    s->blockanfang += static_cast<int64_t>(s->fuellung);
    s->naechstes = s->fuellung = 0;
    ptrdiff_t r = Systemdatei_lesen(s->datei, s->block, Blockgroesse);
    if (r < 0)
        s->fehler = true;
    if (r <= 0)
        return false;
    s->fuellung = static_cast<size_t>(r);
    s->besonders = Besonderes_suchen(s, 0);
    return true;
}

// The next byte as stored, or -1.
int Roh_Byte(Plattform_Strom *s)
{
    if (s->zurueck >= 0) {
        int c = s->zurueck;
        s->zurueck = -1;
        return c;
    }
    if (s->naechstes == s->fuellung && !Nachfuellen(s))
        return -1;
    return s->block[s->naechstes++];
}

} // namespace

Plattform_Strom *Strom_oeffnen(const char *pfad, Strommodus modus)
{
    if (!pfad)
        return nullptr;
    intptr_t datei = Systemdatei_oeffnen(pfad, modus);
    if (datei < 0)
        return nullptr;
    auto *s = static_cast<Plattform_Strom *>(std::malloc(sizeof(Plattform_Strom)));
    if (!s) {
        Systemdatei_schliessen(datei);
        return nullptr;
    }
    s->datei = datei;
    s->schreiben = modus == Strommodus::schreiben_binaer;
    s->text = modus == Strommodus::lesen_text;
    s->ende = s->fehler = false;
    s->zurueck = -1;
    s->blockanfang = 0;
    s->naechstes = s->fuellung = s->besonders = 0;
    return s;
}

int Strom_schliessen(Plattform_Strom *strom)
{
    if (!strom)
        return 0;
    bool gut = !strom->schreiben || Block_leeren(strom);
    if (Systemdatei_schliessen(strom->datei) != 0)
        gut = false;
    std::free(strom);
    return gut ? 0 : -1;
}

// Text mode as the Windows runtime reads it: CR LF gives LF, a lone CR stays,
// 0x1A ends the file for good.
int Strom_Zeichen(Plattform_Strom *strom)
{
    if (strom->ende)
        return -1;
    bool fehler_vorher = strom->fehler;
    int c = Roh_Byte(strom);
    if (c < 0) {
        strom->ende = strom->fehler == fehler_vorher; // the end, not a failure
        return -1;
    }
    if (!strom->text)
        return c;
    if (c == 0x1A) {
        strom->ende = true;
        return -1;
    }
    if (c == '\r') {
        int n = Roh_Byte(strom);
        if (n == '\n')
            return '\n';
        if (n >= 0)
            Strom_zurueck(strom, n);
    }
    return c;
}

// The byte just read steps back inside the block; any other byte waits in
// the one place beyond it.
int Strom_zurueck(Plattform_Strom *strom, int zeichen)
{
    if (zeichen < 0 || strom->schreiben)
        return 0;
    if (strom->zurueck < 0 && strom->naechstes > 0 && strom->block[strom->naechstes - 1] == zeichen)
        --strom->naechstes;
    else if (strom->zurueck < 0)
        strom->zurueck = zeichen;
    else
        return 0;
    strom->ende = false;
    return 1;
}

size_t Strom_lesen(Plattform_Strom *strom, void *ziel, size_t n)
{
    auto *p = static_cast<unsigned char *>(ziel);
    size_t i = 0;
    for (; i < n; ++i) {
        int c = Strom_Zeichen(strom);
        if (c < 0)
            break;
        p[i] = static_cast<unsigned char>(c);
    }
    return i;
}

// Runs of ordinary bytes are copied straight from the block up to the line
// feed; a pushed-back byte, a CR or 0x1A in text mode and the block's end
// take the way of Strom_Zeichen, one byte at a time.
size_t Strom_Zeile(Plattform_Strom *strom, char *ziel, size_t n)
{
    size_t i = 0;
    while (i + 1 < n) {
        if (!strom->ende && strom->zurueck < 0 && strom->naechstes < strom->fuellung) {
            // Nothing special stands between the next byte and `besonders`;
            // a byte taken back before it needs a new search.
            if (strom->besonders < strom->naechstes)
                strom->besonders = Besonderes_suchen(strom, strom->naechstes);
            size_t grenze = strom->text ? strom->besonders : strom->fuellung;
            if (strom->naechstes < grenze) {
                size_t platz = n - 1 - i, vorrat = grenze - strom->naechstes;
                size_t k = platz < vorrat ? platz : vorrat;
                const unsigned char *anfang = strom->block + strom->naechstes;
                auto *lf = static_cast<const unsigned char *>(std::memchr(anfang, '\n', k));
                if (lf)
                    k = static_cast<size_t>(lf - anfang) + 1;
                std::memcpy(ziel + i, anfang, k);
                i += k;
                strom->naechstes += k;
                if (lf)
                    break;
                continue;
            }
        }
        int c = Strom_Zeichen(strom);
        if (c < 0)
            break;
        ziel[i++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    ziel[i] = '\0';
    return i;
}

const char *Strom_Zeile_ansehen(Plattform_Strom *strom, size_t n, size_t *laenge)
{
    if (strom->schreiben || strom->ende || strom->zurueck >= 0 || strom->naechstes >= strom->fuellung || n < 2)
        return nullptr;
    if (strom->besonders < strom->naechstes)
        strom->besonders = Besonderes_suchen(strom, strom->naechstes);
    size_t vorrat = strom->besonders - strom->naechstes;
    size_t k = n - 1 < vorrat ? n - 1 : vorrat;
    const unsigned char *anfang = strom->block + strom->naechstes;
    auto *lf = static_cast<const unsigned char *>(std::memchr(anfang, '\n', k));
    if (!lf)
        return nullptr;
    *laenge = static_cast<size_t>(lf - anfang) + 1;
    strom->naechstes += *laenge;
    return reinterpret_cast<const char *>(anfang);
}

size_t Strom_schreiben(Plattform_Strom *strom, const void *quelle, size_t n)
{
    if (!strom->schreiben || strom->fehler)
        return 0;
    if (strom->naechstes + n > Blockgroesse) {
        if (!Block_leeren(strom))
            return 0;
        if (n >= Blockgroesse) {
            if (Systemdatei_schreiben(strom->datei, quelle, n))
                return n;
            strom->fehler = true;
            return 0;
        }
    }
    std::memcpy(strom->block + strom->naechstes, quelle, n);
    strom->naechstes += n;
    return n;
}

int64_t Strom_Position(Plattform_Strom *strom)
{
    if (strom->schreiben) {
        int64_t p = Systemdatei_Position(strom->datei);
        return p < 0 ? -1 : p + static_cast<int64_t>(strom->naechstes);
    }
    return strom->blockanfang + static_cast<int64_t>(strom->naechstes) - (strom->zurueck >= 0 ? 1 : 0);
}

// A position inside the block needs no system call.
int Strom_setzen(Plattform_Strom *strom, int64_t position)
{
    if (position < 0)
        return -1;
    if (strom->schreiben) {
        if (!Block_leeren(strom) || !Systemdatei_setzen(strom->datei, position))
            return -1;
    } else if (position >= strom->blockanfang &&
               position <= strom->blockanfang + static_cast<int64_t>(strom->fuellung)) {
        strom->naechstes = static_cast<size_t>(position - strom->blockanfang);
        strom->besonders = Besonderes_suchen(strom, strom->naechstes);
    } else {
        if (!Systemdatei_setzen(strom->datei, position))
            return -1;
        strom->blockanfang = position;
        strom->naechstes = strom->fuellung = strom->besonders = 0;
    }
    strom->zurueck = -1;
    strom->ende = false;
    return 0;
}

bool Strom_Ende(Plattform_Strom *strom)
{
    return strom->ende;
}

bool Strom_Fehler(Plattform_Strom *strom)
{
    return strom->fehler;
}

bool Strom_Kennung(Plattform_Strom *strom, Dateikennung *kennung)
{
    return Systemdatei_Kennung(strom->datei, kennung);
}


// ---------------------------------------------------------------------------
// Whole files
// ---------------------------------------------------------------------------

Dateistatus Ganz_laden(Dateileser lesen, intptr_t datei, int64_t groesse, unsigned char **daten, uint32_t *laenge)
{
    if (groesse > INT32_MAX)
        return Dateistatus::zu_gross;
    size_t n = static_cast<size_t>(groesse);
    auto *p = static_cast<unsigned char *>(std::malloc(n ? n : 1));
    if (!p)
        return Dateistatus::kein_speicher;
    Block_vorbereiten(p, n);
    for (size_t gelesen = 0; gelesen < n;) {
        ptrdiff_t r = lesen(datei, p + gelesen, n - gelesen);
        if (r <= 0) {
            std::free(p);
            return Dateistatus::nicht_lesbar;
        }
        gelesen += static_cast<size_t>(r);
    }
    *daten = p;
    *laenge = static_cast<uint32_t>(n);
    return Dateistatus::ok;
}

uint32_t Namenshash(const char *name)
{
    uint32_t h = 2166136261u;
    for (; *name; ++name)
        h = (h ^ static_cast<unsigned char>(*name)) * 16777619u;
    return h;
}

// ---------------------------------------------------------------------------
// Directory searches.  A search reads the whole directory at its start,
// keeps the matching names in one block and sorts them: systems report them
// in the file system's order, which differs between file systems, and
// listings must come out the same everywhere.
// ---------------------------------------------------------------------------

struct Sucheintrag {
    size_t anfang;        // offset of the name in `namen`
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
    void *p = std::realloc(*block, neu * elementgroesse);
    if (!p)
        return false;
    *block = p;
    *kapazitaet = neu;
    return true;
}

// By byte order; names within one directory differ, so the order is total.
// An introsort: no allocation, bounded depth, n log n.
void Sortieren(Verzeichnissuche *s)
{
    const char *namen = s->namen;
    std::sort(s->eintrag, s->eintrag + s->anzahl, [namen](const Sucheintrag &a, const Sucheintrag &b) {
        return std::strcmp(namen + a.anfang, namen + b.anfang) < 0;
    });
}

void Treffer_geben(const Verzeichnissuche *s, size_t i, Suchtreffer *treffer)
{
    const char *name = s->namen + s->eintrag[i].anfang;
    std::memcpy(treffer->name, name, std::strlen(name) + 1);
    treffer->verzeichnis = s->eintrag[i].verzeichnis;
}

} // namespace

Verzeichnissuche *Suche_anlegen()
{
    return static_cast<Verzeichnissuche *>(std::calloc(1, sizeof(Verzeichnissuche)));
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
    s->eintrag[s->anzahl].anfang = s->fuellstand;
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

// ---------------------------------------------------------------------------
// File names and the environment
// ---------------------------------------------------------------------------

const char *Letzter_Namensteil(const char *datei)
{
    const char *teil = datei;
    if (teil[0] && teil[1] == ':')
        teil += 2;
    for (const char *p = teil; *p; ++p) {
        if (*p == '\\' || *p == '/')
            teil = p + 1;
    }
    return teil;
}

const char *Umgebungsvariable(const char *name)
{
    return name ? std::getenv(name) : nullptr;
}
