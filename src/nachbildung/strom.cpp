// strom.cpp - buffered streams with the Windows runtime's text mode, over
// the files of the system layer; the same code on every system.
#include "../platform/system.h"

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
    size_t direkt_bis;    // Strom_Zeichen takes the bytes from naechstes to here as they stand
    bool kennung_bekannt; // the identity came with the open
    Ersetzung *ersetzung; // the stream writes a replacement
    Dateikennung kennung;
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
    s->naechstes = s->fuellung = s->besonders = 0;
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
    Dateikennung kennung{};
    bool bekannt = false;
    bool selbst = true;
    Ersetzung *ersetzung = modus == Strommodus::ersetzen ? Ersetzung_beginnen(pfad, &selbst) : nullptr;
    intptr_t datei = -1;
    if (ersetzung) {
        datei = Ersetzung_Datei(ersetzung);
        bekannt = Ersetzung_Ziel(ersetzung, &kennung.geraet, &kennung.knoten);
    } else if (selbst) {
        Strommodus m = modus == Strommodus::ersetzen ? Strommodus::schreiben_binaer : modus;
        datei = Systemdatei_oeffnen(pfad, m, &kennung, &bekannt);
    }
    if (datei < 0)
        return nullptr;
    auto *s = static_cast<Plattform_Strom *>(heapaufrufe.belegen(sizeof(Plattform_Strom)));
    if (!s) {
        if (ersetzung)
            Ersetzung_beenden(ersetzung, false);
        else
            Systemdatei_schliessen(datei);
        return nullptr;
    }
    s->datei = datei;
    s->ersetzung = ersetzung;
    s->schreiben = modus == Strommodus::schreiben_binaer || modus == Strommodus::ersetzen;
    s->text = modus == Strommodus::lesen_text;
    s->ende = s->fehler = false;
    s->zurueck = -1;
    s->blockanfang = 0;
    s->naechstes = s->fuellung = s->besonders = s->direkt_bis = 0;
    s->kennung_bekannt = bekannt;
    s->kennung = kennung;
    return s;
}

int Strom_schliessen(Plattform_Strom *strom)
{
    if (!strom)
        return 0;
    bool gut = !strom->schreiben || Block_leeren(strom);
    if (strom->ersetzung)
        gut = Ersetzung_beenden(strom->ersetzung, gut && !strom->fehler);
    else if (Systemdatei_schliessen(strom->datei) != 0)
        gut = false;
    std::free(strom);
    return gut ? 0 : -1;
}

void Strom_verwerfen(Plattform_Strom *strom)
{
    if (!strom || !strom->ersetzung) {
        Strom_schliessen(strom);
        return;
    }
    Ersetzung_beenden(strom->ersetzung, false);
    std::free(strom);
}

namespace {

// Text mode as the Windows runtime reads it: CR LF gives LF, a lone CR stays,
// 0x1A ends the file for good.
int Zeichen_nach_Regel(Plattform_Strom *strom)
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

// A byte read by the rule; then how far the bytes after it may be taken as
// they stand: in binary mode the rest of the block, in text mode up to the
// next zero byte, CR or 0x1A (a zero byte needs no rule, but the search that
// the lines share stops there).  None after the end, nor while a byte waits
// beyond the block.
__attribute__((noinline)) int Zeichen_einzeln(Plattform_Strom *strom)
{
    int c = Zeichen_nach_Regel(strom);
    if (strom->ende || strom->zurueck >= 0 || strom->schreiben) {
        strom->direkt_bis = 0;
    } else if (!strom->text) {
        strom->direkt_bis = strom->fuellung;
    } else {
        if (strom->besonders < strom->naechstes)
            strom->besonders = Besonderes_suchen(strom, strom->naechstes);
        strom->direkt_bis = strom->besonders;
    }
    return c;
}

} // namespace

// A byte that needs no rule is taken in place, with no stack frame and one
// comparison; the rest is read apart.  Only Zeichen_einzeln widens the
// bound; a move back (but over a byte that needs no rule) or a byte pushed
// back beyond the block clears it.
int Strom_Zeichen(Plattform_Strom *strom)
{
    size_t i = strom->naechstes;
    if (i < strom->direkt_bis) {
        strom->naechstes = i + 1;
        return strom->block[i];
    }
    return Zeichen_einzeln(strom);
}

// The byte just read steps back inside the block; any other byte waits in
// the one place beyond it.
int Strom_zurueck(Plattform_Strom *strom, int zeichen)
{
    if (zeichen < 0 || strom->schreiben)
        return 0;
    if (strom->zurueck < 0 && strom->naechstes > 0 && strom->block[strom->naechstes - 1] == zeichen) {
        --strom->naechstes;
        if (strom->text && (zeichen == '\r' || zeichen == 0x1A))
            strom->direkt_bis = 0;
    } else if (strom->zurueck < 0) {
        strom->zurueck = zeichen;
        strom->direkt_bis = 0;
    } else {
        return 0;
    }
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

const char *Strom_Block_ansehen(Plattform_Strom *strom, size_t *laenge)
{
    if (strom->schreiben || strom->ende || strom->zurueck >= 0 || strom->naechstes >= strom->fuellung)
        return nullptr;
    if (strom->besonders < strom->naechstes)
        strom->besonders = Besonderes_suchen(strom, strom->naechstes);
    *laenge = strom->besonders - strom->naechstes;
    return reinterpret_cast<const char *>(strom->block + strom->naechstes);
}

void Strom_weiter(Plattform_Strom *strom, size_t n)
{
    strom->naechstes += n;
}

size_t Strom_schreiben(Plattform_Strom *strom, const void *quelle, size_t n)
{
    if (!strom->schreiben || strom->fehler)
        return 0;
    // The block is filled to its end before it is written, so that the file
    // is written in whole blocks at whole-block offsets.
    auto *q = static_cast<const unsigned char *>(quelle);
    size_t rest = n;
    while (rest > 0) {
        if (strom->naechstes == Blockgroesse && !Block_leeren(strom))
            return 0;
        if (strom->naechstes == 0 && rest >= Blockgroesse) {
            size_t ganz = rest - rest % Blockgroesse;
            if (!Systemdatei_schreiben(strom->datei, q, ganz)) {
                strom->fehler = true;
                return 0;
            }
            q += ganz;
            rest -= ganz;
            continue;
        }
        size_t k = std::min(Blockgroesse - strom->naechstes, rest);
        std::memcpy(strom->block + strom->naechstes, q, k);
        strom->naechstes += k;
        q += k;
        rest -= k;
    }
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
    strom->direkt_bis = 0;
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

// An open file keeps its identity: the one the open told is asked no more.
bool Strom_Kennung(Plattform_Strom *strom, Dateikennung *kennung)
{
    if (strom->kennung_bekannt) {
        *kennung = strom->kennung;
        return true;
    }
    return Systemdatei_Kennung(strom->datei, kennung);
}
