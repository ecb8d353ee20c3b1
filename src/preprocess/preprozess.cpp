// preprozess.cpp - the preprocessor: include directives expanded, recursively,
// into one output file with line markers.
#include "preprozess.h"

#include "korvan.h"
#include "tamsel.h"

#include "../platform/plattform.h"
#include "korvan/intern/zeichen.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

using kr::intern::Laenge_bis;

// A read delivers at most 519 bytes and a terminator; behind them the chunk
// buffer has room for CR LF and a terminator.
constexpr size_t Lesegroesse = 520;
constexpr size_t Stueckpuffer = Lesegroesse + 2;

// A suspended file.  Its recorded name follows the entry, which is sized
// for it.
struct Stapeleintrag {
    Stapeleintrag *unten;
    int32_t zeile;    // the include directive's line
    int64_t position; // just after that line
};

char *Eintragsname(Stapeleintrag *e)
{
    return reinterpret_cast<char *>(e + 1);
}

// The working state of one call.
struct Lauf {
    Preprozess_Fehler *fehler;
    const char *ausgabename;
    Plattform_Strom *eingabe;
    Plattform_Strom *ausgabe;
    Dateikennung ausgabekennung;
    bool ausgabe_bekannt; // a device's identity may be unknown
    Stapeleintrag *stapel;
    int tiefe;
    int32_t zeile;
    int ergebnis;
    char name[Pfadpuffer];     // recorded name of the current file
    char oben[Pfadpuffer];     // top directory, with its trailing separator
    char suchpfad[Pfadpuffer]; // lookup path of an include
    char einname[Pfadpuffer];  // include name
    char stueck[Stueckpuffer];
};

bool Leer(char c)
{
    return c == ' ' || c == '\t';
}

// Copies at most groesse - 1 bytes of text and always terminates.
void Feld_setzen(char *feld, size_t groesse, const char *text)
{
    size_t n = text ? Laenge_bis(text, groesse - 1) : 0;
    if (n)
        std::memcpy(feld, text, n);
    feld[n] = '\0';
}

// Records an error; the first one recorded is the one the caller sees.
void Fehler_melden(Lauf &l, int32_t code, int32_t zeile, const char *datei, const char *fehlername,
                   const char *zeilentext)
{
    if (l.ergebnis == 0)
        return;
    l.ergebnis = 0;
    Preprozess_Fehler *f = l.fehler;
    if (!f)
        return;
    f->code = code;
    f->zeile = zeile;
    f->reserve = 0;
    Feld_setzen(f->datei, sizeof f->datei, datei);
    Feld_setzen(f->fehlername, sizeof f->fehlername, fehlername);
    Feld_setzen(f->zeilentext, sizeof f->zeilentext, zeilentext);
}

// An output that cannot be written fails like one that cannot be created.
void Schreibfehler(Lauf &l)
{
    Fehler_melden(l, 3, 0, "", l.ausgabename, "");
}

// A stream that fails, or stops short of its end, ends the call.
void Lesefehler(Lauf &l)
{
    Fehler_melden(l, 2, l.zeile, l.name, l.name, "");
}

bool Schreiben(Lauf &l, const char *daten, size_t n)
{
    if (Strom_schreiben(l.ausgabe, daten, n) == n)
        return true;
    Schreibfehler(l);
    return false;
}

// "# 1 \"%s\"\r\n" on entering a file, "# %ld \"%s\"\r\n" on returning.
bool Marke_schreiben(Lauf &l, int32_t zeile, const char *name)
{
    char marke[Pfadpuffer + 32];
    int n = std::snprintf(marke, sizeof marke, "# %ld \"%s\"\r\n", static_cast<long>(zeile), name);
    if (n < 0 || static_cast<size_t>(n) >= sizeof marke) {
        Schreibfehler(l);
        return false;
    }
    return Schreiben(l, marke, static_cast<size_t>(n));
}

// The counter wraps as a 32-bit word would rather than overflow.
int32_t Weiterzaehlen(int32_t zeile, uint32_t um = 1)
{
    return static_cast<int32_t>(static_cast<uint32_t>(zeile) + um);
}

// The top directory: the current directory joined with the input name and
// cut after its last separator.  A name, current directory or join that does
// not fit the path buffer fails rather than give a wrong directory.
bool Oben_bestimmen(Lauf &l, const char *eingabe)
{
    if (!eingabe || Laenge_bis(eingabe, Pfadpuffer) >= Pfadpuffer)
        return false;
    if (!Verzeichnis_aktuell(l.oben, sizeof l.oben))
        return false;
    if (!KR_Teil_hinzu(l.oben, eingabe, sizeof l.oben))
        return false;
    *KR_Basisname(l.oben) = '\0';
    return true;
}

// The first byte after the line's blanks is '#', as for every directive.
// The line ends with a line feed, where the search stops at the latest.
bool Direktive(const char *zeile)
{
    while (Leer(*zeile))
        ++zeile;
    return *zeile == '#';
}

constexpr size_t Fensterbreite = 32;

// The line feeds among the Fensterbreite bytes at p, one bit each.
uint32_t Zeilenvorschuebe(const char *p)
{
#ifdef __SSE2__
    const __m128i lf = _mm_set1_epi8('\n');
    auto maske = [&](const char *q) {
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(q));
        return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lf)));
    };
    return maske(p) | maske(p + 16) << 16;
#else
    uint32_t maske = 0;
    for (unsigned i = 0; i < Fensterbreite; ++i)
        maske |= uint32_t{p[i] == '\n'} << i;
    return maske;
#endif
}

// The whole ordinary lines at the start of a block of n bytes, found in one
// pass over it: the length of their run, and their count in *zeilen.  A line
// belongs to the run when its line feed lies within a read's length of its
// start (as a read would end it there) and it is no directive.
struct Zeilenlauf {
    const char *block;
    size_t anfang = 0; // the next line's start: the run's length so far
    uint32_t zeilen = 0;

    // The line ending with the line feed at p: false where the run ends.
    bool nehmen(size_t p)
    {
        if (p - anfang >= Lesegroesse - 1 || Direktive(block + anfang))
            return false;
        ++zeilen;
        anfang = p + 1;
        return true;
    }
};

size_t Gewoehnliche_Zeilen(const char *block, size_t n, uint32_t *zeilen)
{
    Zeilenlauf lauf{block};
    size_t i = 0;
    bool weiter = true;
    for (; weiter && i + Fensterbreite <= n; i += Fensterbreite) {
        for (uint32_t lf = Zeilenvorschuebe(block + i); weiter && lf; lf &= lf - 1)
            weiter = lauf.nehmen(i + static_cast<size_t>(std::countr_zero(lf)));
        // No line feed within a read's length of the line's start: its end
        // cannot belong to the run.
        weiter = weiter && i + Fensterbreite - lauf.anfang < Lesegroesse - 1;
    }
    for (; weiter && i < n; ++i) {
        if (block[i] == '\n')
            weiter = lauf.nehmen(i);
    }
    *zeilen = lauf.zeilen;
    return lauf.anfang;
}

// An ordinary line, written whole.  A chunk is a C string: a NUL byte ends
// it, and what follows the NUL in the same read is not written.
bool Zeile_schreiben(Lauf &l)
{
    size_t n = std::strlen(l.stueck);
    if (l.stueck[n - 1] != '\n' && l.stueck[n - 1] != '\r') {
        l.stueck[n++] = '\r';
        l.stueck[n++] = '\n';
        l.stueck[n] = '\0';
    }
    return Schreiben(l, l.stueck, n);
}

// An include file that is the output would be read while it is written.
// One whose identity is unknown cannot be told apart from it and fails too.
bool Liest_Ausgabe(const Lauf &l, Plattform_Strom *strom)
{
    Dateikennung k;
    return l.ausgabe_bekannt && (!Strom_Kennung(strom, &k) || Gleiche_Datei(k, l.ausgabekennung));
}

// The output names the open input (another name of it, or a link to it):
// opening it would empty the input.  Asked before the output is opened.
bool Ausgabe_ist_Eingabe(const Lauf &l, const char *ausgabe)
{
    Dateikennung ein, aus;
    return Datei_Kennung(ausgabe, &aus) && (!Strom_Kennung(l.eingabe, &ein) || Gleiche_Datei(ein, aus));
}

// An existing output that this process may not write.  The output is
// replaced by renaming, which a read-only file would not stop; it is
// refused as opening it for writing would refuse it.
bool Ausgabe_schreibgeschuetzt(const char *ausgabe)
{
    return Datei_existiert(ausgabe) && !Datei_beschreibbar(ausgabe);
}

// Saves the current file: its recorded name, the directive's line and the
// position after it.
bool Ablegen(Lauf &l)
{
    int64_t position = Strom_Position(l.eingabe);
    size_t laenge = std::strlen(l.name);
    void *block = position >= 0 ? Tamsel_Alloc(static_cast<uint32_t>(sizeof(Stapeleintrag) + laenge + 1)) : nullptr;
    if (!block) {
        Fehler_melden(l, 2, l.zeile, l.name, l.suchpfad, l.stueck);
        return false;
    }
    auto *e = static_cast<Stapeleintrag *>(block);
    e->unten = l.stapel;
    e->zeile = l.zeile;
    e->position = position;
    std::memcpy(Eintragsname(e), l.name, laenge + 1);
    l.stapel = e;
    ++l.tiefe;
    return true;
}

// A finished include file: the file below it is reopened by its
// recorded name, in text mode, at the saved position.
bool Zurueckkehren(Lauf &l)
{
    Stapeleintrag *e = l.stapel;
    l.stapel = e->unten;
    --l.tiefe;
    l.eingabe = Strom_oeffnen(Eintragsname(e), Strommodus::lesen_text);
    if (l.eingabe && Strom_setzen(l.eingabe, e->position) != 0) {
        Strom_schliessen(l.eingabe);
        l.eingabe = nullptr;
    }
    if (l.eingabe && Liest_Ausgabe(l, l.eingabe)) {
        Fehler_melden(l, 3, e->zeile, Eintragsname(e), l.ausgabename, "");
        Tamsel_Free(e);
        return false;
    }
    if (!l.eingabe) {
        Fehler_melden(l, 2, e->zeile, Eintragsname(e), Eintragsname(e), "");
        Tamsel_Free(e);
        return false;
    }
    Feld_setzen(l.name, sizeof l.name, Eintragsname(e));
    l.zeile = e->zeile;
    Tamsel_Free(e);
    return Marke_schreiben(l, l.zeile, l.name);
}

// An include directive: its file looked up, checked and opened, the
// current one suspended below it.
bool Einbinden(Lauf &l, const Einordnung &e)
{
    if (e.namenlaenge == 0) {
        Fehler_melden(l, 2, l.zeile, l.name, "", l.stueck);
        return false;
    }

    // The lookup path.  A name too long for its buffer fails as a join that
    // does not fit: the lookup path stays the top directory.
    std::memcpy(l.suchpfad, l.oben, sizeof l.suchpfad);
    bool gebildet = e.namenlaenge < sizeof l.einname;
    if (gebildet) {
        std::memcpy(l.einname, e.name, e.namenlaenge);
        l.einname[e.namenlaenge] = '\0';
        gebildet = KR_Teil_hinzu(l.suchpfad, l.einname, Pfadpuffer) == 1;
    }
    // Nesting deeper than Groesste_Tiefe (a file that includes itself) fails
    // here instead of filling the disk.
    Plattform_Strom *neu = nullptr;
    if (gebildet && l.tiefe < Groesste_Tiefe)
        neu = Strom_oeffnen(l.suchpfad, Strommodus::lesen_text);
    if (!neu) {
        Fehler_melden(l, 2, l.zeile, l.name, l.suchpfad, l.stueck);
        return false;
    }
    // The output itself: code 3 as for an output that cannot be written, the
    // record filled as for a failed include, so that it names the directive.
    if (Liest_Ausgabe(l, neu)) {
        Strom_schliessen(neu);
        Fehler_melden(l, 3, l.zeile, l.name, l.ausgabename, l.stueck);
        return false;
    }

    if (!Marke_schreiben(l, 1, l.suchpfad) || !Ablegen(l)) {
        Strom_schliessen(neu);
        return false;
    }
    Strom_schliessen(l.eingabe);
    l.eingabe = neu;
    // Should this join not fit, the recorded name stays the directory part.
    *KR_Basisname(l.name) = '\0';
    KR_Teil_hinzu(l.name, l.einname, Pfadpuffer);
    l.zeile = 0;
    return true;
}

// Step 6: chunk by chunk until the top-level file ends.
void Verarbeiten(Lauf &l)
{
    for (;;) {
        if (Strom_Ende(l.eingabe)) {
            Strom_schliessen(l.eingabe);
            l.eingabe = nullptr;
            if (!l.stapel || !Zurueckkehren(l))
                return;
        }

        // Whole lines that the stream holds as they stand and that are no
        // directives are found in its block and written from there, as many
        // as follow one another at once: each a chunk of its own, as it ends
        // with a line feed within a read's length.  Every other line is read
        // into the chunk buffer, as the stream would copy it.
        size_t n;
        if (const char *block = Strom_Block_ansehen(l.eingabe, &n)) {
            uint32_t zeilen;
            size_t m = Gewoehnliche_Zeilen(block, n, &zeilen);
            l.zeile = Weiterzaehlen(l.zeile, zeilen);
            if (m > 0) {
                Strom_weiter(l.eingabe, m);
                if (!Schreiben(l, block, m))
                    return;
                continue;
            }
        }
        if (const char *zeile = Strom_Zeile_ansehen(l.eingabe, Lesegroesse, &n)) {
            l.zeile = Weiterzaehlen(l.zeile);
            if (!Direktive(zeile)) {
                if (!Schreiben(l, zeile, n))
                    return;
                continue;
            }
            std::memcpy(l.stueck, zeile, n);
            l.stueck[n] = '\0';
        } else {
            n = Strom_Zeile(l.eingabe, l.stueck, Lesegroesse);
            l.zeile = Weiterzaehlen(l.zeile);
            if (Strom_Fehler(l.eingabe) || (n == 0 && !Strom_Ende(l.eingabe))) {
                Lesefehler(l);
                return;
            }
            if (n == 0 || l.stueck[0] == '\0')
                continue;
        }

        Einordnung e = Zeile_einordnen(l.stueck);
        bool weiter = true;
        if (e.art == Zeilenart::gewoehnlich)
            weiter = Zeile_schreiben(l);
        else if (e.art == Zeilenart::einbindung)
            weiter = Einbinden(l, e);
        if (!weiter)
            return;
    }
}

// Step 7: every exit empties the stack and closes what is open.
void Aufraeumen(Lauf &l)
{
    while (l.stapel) {
        Stapeleintrag *e = l.stapel;
        l.stapel = e->unten;
        Tamsel_Free(e);
    }
    if (l.eingabe)
        Strom_schliessen(l.eingabe);
    if (l.ausgabe && l.ergebnis == 0)
        Strom_verwerfen(l.ausgabe);
    else if (l.ausgabe && Strom_schliessen(l.ausgabe) != 0)
        Schreibfehler(l);
}

} // namespace

Einordnung Zeile_einordnen(const char *s)
{
    // 1. A line whose first non-blank byte is not '#'.
    while (Leer(*s))
        ++s;
    if (*s != '#')
        return {Zeilenart::gewoehnlich, nullptr, 0};

    // 2. A directive other than "include".
    ++s;
    while (Leer(*s))
        ++s;
    if (std::strncmp(s, "include", 7) != 0)
        return {Zeilenart::verworfen, nullptr, 0};

    // 3. The name: after '"' or '<', up to '"', '>' or the end of the chunk.
    s += 7;
    while (Leer(*s))
        ++s;
    if (*s != '"' && *s != '<')
        return {Zeilenart::einbindung, s, 0};
    const char *name = ++s;
    while (*s && *s != '"' && *s != '>')
        ++s;
    return {Zeilenart::einbindung, name, static_cast<size_t>(s - name)};
}

extern "C" int KR_CALL KR_Preprozess(const char *eingabe, const char *ausgabe, Preprozess_Fehler *fehler)
{
    // 1. A clean start.
    Lauf l{};
    l.fehler = fehler;
    l.ausgabename = ausgabe;
    l.ergebnis = 1;
    if (fehler)
        fehler->code = 0;

    // 2.-4. The top directory, the input, the output.  The input is a
    // regular file, as include files are.  The output is not opened unless
    // the input opened, nor when it is the input; a regular or new output is
    // written into a replacement that takes its place only when the whole
    // run succeeded, and its identity is the file it replaces.
    if (!Oben_bestimmen(l, eingabe) || !(l.eingabe = Strom_oeffnen(eingabe, Strommodus::lesen_datei))) {
        Fehler_melden(l, 2, 0, "", eingabe, "");
    } else if (Ausgabe_ist_Eingabe(l, ausgabe) || Ausgabe_schreibgeschuetzt(ausgabe) ||
               !(l.ausgabe = Strom_oeffnen(ausgabe, Strommodus::ersetzen))) {
        Fehler_melden(l, 3, 0, "", ausgabe, "");
    } else {
        l.ausgabe_bekannt = Strom_Kennung(l.ausgabe, &l.ausgabekennung);
        // 5.-6.
        Feld_setzen(l.name, sizeof l.name, eingabe);
        if (Marke_schreiben(l, 1, l.name))
            Verarbeiten(l);
    }

    // 7.
    Aufraeumen(l);
    return l.ergebnis;
}
