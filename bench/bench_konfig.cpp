// bench_konfig.cpp - walking a whole generated configuration (sections of
// ten INI entries) with Korvan's readers, against the same text parsed by
// inih with a counting handler.  Both must agree on the counts.  Two walks:
// the values as written, blanks included (KR_Abschnittszeile_lesen), as inih
// gives them, and the first word of every value (KR_Element_lesen_2).
#include "gemeinsam.h"
#include "korvan.h"

#include <benchmark/benchmark.h>
#include <ini.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// One size of the test: the text, in memory and in a file.
struct Fall {
    std::string text;
    std::string datei;
    bench::Zaehlung soll;      // inih's counts, which the line walk must match
    bench::Zaehlung soll_wort; // the same with the values' first words only
};

// The element walk: every section, every INI entry, the first word of every
// value.  An INI walk that meets the next header has read into that header
// line, so the walk goes back to where the entry search began and lets the
// section search find the header.
bench::Zaehlung Elemente_durchlaufen(Zugriffshandle *h)
{
    bench::Zaehlung z;
    char name[41], wert[256];
    KR_positionieren(h, 0);
    while (KR_naechster_Abschnitt(name, sizeof name, h)) {
        ++z.abschnitte;
        for (;;) {
            int32_t vorher = h->position;
            if (!KR_naechster_INI_Eintrag(name, sizeof name, h)) {
                KR_positionieren(h, static_cast<unsigned int>(vorher));
                break;
            }
            if (KR_Element_lesen_2(wert, sizeof wert, h) > 0)
                z.wertbytes += static_cast<long>(std::strlen(wert));
            ++z.eintraege;
        }
    }
    return z;
}

// The line walk, as a caller writes it who wants every value as written:
// after each header the lines of its section, each split at its first '='
// as inih splits it.  KR_Abschnittszeile_lesen stops before the next header,
// which the section search then reads.  (An entry search after a line read
// would step over the line that follows, so the lines are read whole.)
bench::Zaehlung Zeilen_durchlaufen(Zugriffshandle *h)
{
    bench::Zaehlung z;
    char name[41], zeile[256];
    KR_positionieren(h, 0);
    while (KR_naechster_Abschnitt(name, sizeof name, h)) {
        ++z.abschnitte;
        if (!KR_naechste_Zeile(h))
            break;
        unsigned int n;
        while ((n = KR_Abschnittszeile_lesen(h, zeile, sizeof zeile)) > 0) {
            const char *gleich = static_cast<const char *>(std::memchr(zeile, '=', n - 1));
            if (zeile[0] == ';' || !gleich)
                continue;
            ++z.eintraege;
            z.wertbytes += static_cast<long>(zeile + n - 1 - (gleich + 1));
        }
    }
    return z;
}

using Lauf = bench::Zaehlung (*)(Zugriffshandle *);

// inih calls the handler once per entry; a section counts when its name
// differs from the one before.
struct Inih_Zaehler {
    bench::Zaehlung z;
    long wortbytes = 0; // the values' first words
    char abschnitt[256] = "";
};

int Inih_Handler(void *benutzer, const char *abschnitt, const char *, const char *wert)
{
    auto *zaehler = static_cast<Inih_Zaehler *>(benutzer);
    if (std::strcmp(abschnitt, zaehler->abschnitt) != 0) {
        ++zaehler->z.abschnitte;
        std::strncpy(zaehler->abschnitt, abschnitt, sizeof zaehler->abschnitt - 1);
    }
    ++zaehler->z.eintraege;
    zaehler->z.wertbytes += static_cast<long>(std::strlen(wert));
    zaehler->wortbytes += static_cast<long>(std::strcspn(wert, " \t"));
    return 1;
}

bench::Zaehlung Inih_Text(const std::string &text, long *wortbytes = nullptr)
{
    Inih_Zaehler zaehler;
    if (ini_parse_string(text.c_str(), Inih_Handler, &zaehler) != 0)
        zaehler.z.abschnitte = -1;
    if (wortbytes)
        *wortbytes = zaehler.wortbytes;
    return zaehler.z;
}

bench::Zaehlung Inih_Datei(const std::string &pfad)
{
    Inih_Zaehler zaehler;
    if (ini_parse(pfad.c_str(), Inih_Handler, &zaehler) != 0)
        zaehler.z.abschnitte = -1;
    return zaehler.z;
}

void Pruefen(benchmark::State &state, const Fall &f, const bench::Zaehlung &z)
{
    if (!(z == f.soll))
        state.SkipWithError("the counts differ from inih's");
}

template <Lauf L>
void Pruefen_Lauf(benchmark::State &state, const Fall &f, const bench::Zaehlung &z)
{
    if (!(z == (L == Zeilen_durchlaufen ? f.soll : f.soll_wort)))
        state.SkipWithError("the counts differ from inih's");
}

void Abschliessen(benchmark::State &state, const Fall &f, const bench::Zaehlung &)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}

// inih over the text in memory.
void Inih_Speicher(benchmark::State &state, const Fall *f)
{
    bench::Zaehlung z;
    for (auto _ : state) {
        z = Inih_Text(f->text);
        benchmark::DoNotOptimize(z);
    }
    Pruefen(state, *f, z);
    Abschliessen(state, *f, z);
}

// Korvan over a memory object loaded once.
template <Lauf L>
void Korvan_Objekt(benchmark::State &state, const Fall *f)
{
    Zugriffshandle h{};
    if (KR_Konfig_Datei_oeffnen(f->datei.c_str(), &h) != 0) {
        state.SkipWithError("cannot open the file");
        return;
    }
    // One walk first: the object's fresh memory is slow to touch the first
    // time, which inih's text, made before, is not.
    bench::Zaehlung z = L(&h);
    for (auto _ : state) {
        z = L(&h);
        benchmark::DoNotOptimize(z);
    }
    KR_Konfig_Datei_schliessen(&h);
    Pruefen_Lauf<L>(state, *f, z);
    Abschliessen(state, *f, z);
}

// Korvan over the text as a memory buffer.
template <Lauf L>
void Korvan_Puffer(benchmark::State &state, const Fall *f)
{
    Zugriffshandle h{};
    h.puffer = const_cast<char *>(f->text.data());
    h.laenge = static_cast<uint32_t>(f->text.size());
    bench::Zaehlung z;
    for (auto _ : state) {
        z = L(&h);
        benchmark::DoNotOptimize(z);
    }
    Pruefen_Lauf<L>(state, *f, z);
    Abschliessen(state, *f, z);
}

// inih from the file.
void Inih_Datei_lesen(benchmark::State &state, const Fall *f)
{
    bench::Zaehlung z;
    for (auto _ : state) {
        z = Inih_Datei(f->datei);
        benchmark::DoNotOptimize(z);
    }
    Pruefen(state, *f, z);
    Abschliessen(state, *f, z);
}

// Korvan from the file through an opening (KR_Konfig_Datei_oeffnen loads it
// into a memory object, KR_Datei_oeffnen reads it through the file source),
// walked, closed.
template <int (*Oeffnen)(const char *, Zugriffshandle *), Lauf L>
void Korvan_aus_Datei(benchmark::State &state, const Fall *f)
{
    bench::Zaehlung z;
    for (auto _ : state) {
        Zugriffshandle h{};
        if (Oeffnen(f->datei.c_str(), &h) != 0) {
            state.SkipWithError("cannot open the file");
            return;
        }
        z = L(&h);
        KR_Konfig_Datei_schliessen(&h);
        benchmark::DoNotOptimize(z);
    }
    Pruefen_Lauf<L>(state, *f, z);
    Abschliessen(state, *f, z);
}

// Finding the last section: a search runs over every header line before it.
void Letzten_Abschnitt_finden(benchmark::State &state, const Fall *f)
{
    Zugriffshandle h{};
    h.puffer = const_cast<char *>(f->text.data());
    h.laenge = static_cast<uint32_t>(f->text.size());
    std::string letzter = "abschnitt_" + std::to_string(f->soll.abschnitte - 1);
    for (auto _ : state) {
        if (!KR_Abschnitt_finden(letzter.c_str(), &h)) {
            state.SkipWithError("the last section was not found");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f->text.size()));
}

} // namespace

// --mb=N: the largest size in megabytes; the others are a half and a quarter.
int main(int argc, char **argv)
{
    double mb = bench::Zahl_nehmen(&argc, argv, "mb", 40);
    return bench::Groessen_laufen<Fall>(argc, argv, mb, ".ini", [](Fall *f, const std::string &g) {
        f->soll = Inih_Text(f->text, &f->soll_wort.wertbytes);
        f->soll_wort.abschnitte = f->soll.abschnitte;
        f->soll_wort.eintraege = f->soll.eintraege;
        auto anmelden = [&](const char *name, auto *fn) {
            benchmark::RegisterBenchmark(("konfig/" + std::string(name) + g).c_str(), fn, f)->Unit(benchmark::kMillisecond);
        };
        anmelden("inih_speicher", Inih_Speicher);
        anmelden("inih_datei", Inih_Datei_lesen);
        // The line walk (values as written) and the element walk (first words).
        anmelden("zeilen_objekt", Korvan_Objekt<Zeilen_durchlaufen>);
        anmelden("zeilen_puffer", Korvan_Puffer<Zeilen_durchlaufen>);
        anmelden("zeilen_laden", Korvan_aus_Datei<KR_Konfig_Datei_oeffnen, Zeilen_durchlaufen>);
        anmelden("zeilen_dateiquelle", Korvan_aus_Datei<KR_Datei_oeffnen, Zeilen_durchlaufen>);
        anmelden("korvan_objekt", Korvan_Objekt<Elemente_durchlaufen>);
        anmelden("korvan_puffer", Korvan_Puffer<Elemente_durchlaufen>);
        anmelden("korvan_laden", Korvan_aus_Datei<KR_Konfig_Datei_oeffnen, Elemente_durchlaufen>);
        anmelden("korvan_dateiquelle", Korvan_aus_Datei<KR_Datei_oeffnen, Elemente_durchlaufen>);
        anmelden("letzten_abschnitt_finden", Letzten_Abschnitt_finden);
    });
}
