// bench_zeichen.cpp - reading every character of the same bytes through
// KR_Zeichen_lesen from a memory buffer, a memory object and a file source,
// against a plain loop that counts lines and columns the same way.
#include "gemeinsam.h"
#include "korvan.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
struct Untergrenze_Satz {
    const unsigned char *puffer;
    uint32_t laenge;
    int32_t position;
};
int Untergrenze_lesen(Untergrenze_Satz *s);
}

namespace {

struct Fall {
    std::string text; // no '#' in a first column: all sources give the same
    std::string datei;
};

// What a pass yields; every source must give the same.
struct Ergebnis {
    uint64_t summe = 0;
    int32_t zeile = 0;
    int32_t spalte = 0;
};

// The plain loop: the counting and comment-line rule of the memory reader,
// written over the bytes directly.
Ergebnis Schleife(const std::string &text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text.data());
    size_t n = text.size();
    Ergebnis e;
    int letztes = 0;
    for (size_t i = 0; i < n; ++i) {
        int c = p[i];
        if (letztes == '\n') {
            ++e.zeile;
            e.spalte = 0;
        } else if (c != '\n' && c != '\r') {
            ++e.spalte;
        }
        if (e.spalte == 0 && c == '#') {
            // A comment line: skipped to the character after its line feed.
            while (i + 1 < n && p[i + 1] != '\n') {
                ++i;
                ++e.spalte;
            }
            i += 1;
            letztes = '\n';
            continue;
        }
        letztes = c;
        e.summe += static_cast<unsigned>(c);
    }
    return e;
}

Ergebnis Lesen(Zugriffshandle *h)
{
    Ergebnis e;
    int c;
    while ((c = KR_Zeichen_lesen(h)) != -1)
        e.summe += static_cast<unsigned>(c);
    e.zeile = h->zeile;
    e.spalte = h->spalte;
    return e;
}

// A memory handle starts every pass as a fresh one does.
void Zuruecksetzen(Zugriffshandle *h)
{
    KR_positionieren(h, 0);
    h->letztes_zeichen = 0;
}

void Abschliessen(benchmark::State &state, const Fall &f, const Ergebnis &e)
{
    Ergebnis soll = Schleife(f.text);
    if (e.summe != soll.summe || e.zeile != soll.zeile || e.spalte != soll.spalte)
        state.SkipWithError("the characters or counts differ from the plain loop's");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.text.size()));
}

void Plain(benchmark::State &state, const Fall *f)
{
    Ergebnis e;
    for (auto _ : state) {
        e = Schleife(f->text);
        benchmark::DoNotOptimize(e);
    }
    Abschliessen(state, *f, e);
}

void Puffer(benchmark::State &state, const Fall *f)
{
    Zugriffshandle h{};
    h.puffer = const_cast<char *>(f->text.data());
    h.laenge = static_cast<uint32_t>(f->text.size());
    Ergebnis e;
    for (auto _ : state) {
        Zuruecksetzen(&h);
        e = Lesen(&h);
        benchmark::DoNotOptimize(e);
    }
    Abschliessen(state, *f, e);
}

// The floor: one exported call per byte that only reads it (untergrenze.cpp).
void Untergrenze(benchmark::State &state, const Fall *f)
{
    uint64_t summe = 0;
    for (auto _ : state) {
        Untergrenze_Satz s{reinterpret_cast<const unsigned char *>(f->text.data()),
                           static_cast<uint32_t>(f->text.size()), 0};
        summe = 0;
        int c;
        while ((c = Untergrenze_lesen(&s)) != -1)
            summe += static_cast<unsigned>(c);
        benchmark::DoNotOptimize(summe);
    }
    if (summe != Schleife(f->text).summe)
        state.SkipWithError("the floor read other bytes than the plain loop");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f->text.size()));
}

void Objekt(benchmark::State &state, const Fall *f)
{
    Zugriffshandle h{};
    if (KR_Konfig_Datei_oeffnen(f->datei.c_str(), &h) != 0) {
        state.SkipWithError("cannot open the file");
        return;
    }
    // One pass first: the object's fresh memory is slow to touch the first
    // time, which the text of the other sources, made before, is not.
    Ergebnis e = Lesen(&h);
    for (auto _ : state) {
        Zuruecksetzen(&h);
        e = Lesen(&h);
        benchmark::DoNotOptimize(e);
    }
    KR_Konfig_Datei_schliessen(&h);
    Abschliessen(state, *f, e);
}

// The file source counts a line with the character after its line feed too;
// it is opened afresh for each pass.
void Dateiquelle(benchmark::State &state, const Fall *f)
{
    Ergebnis e;
    for (auto _ : state) {
        Zugriffshandle h{};
        if (KR_Datei_oeffnen(f->datei.c_str(), &h) != 0) {
            state.SkipWithError("cannot open the file");
            return;
        }
        e = Lesen(&h);
        KR_Konfig_Datei_schliessen(&h);
        benchmark::DoNotOptimize(e);
    }
    Abschliessen(state, *f, e);
}

} // namespace

// --mb=N: the largest size in megabytes; the others are a half and a quarter.
int main(int argc, char **argv)
{
    double mb = bench::Zahl_nehmen(&argc, argv, "mb", 40);
    return bench::Groessen_laufen<Fall>(argc, argv, mb, ".txt", [](Fall *f, const std::string &g) {
        benchmark::RegisterBenchmark(("zeichen/schleife" + g).c_str(), Plain, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("zeichen/puffer" + g).c_str(), Puffer, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("zeichen/untergrenze" + g).c_str(), Untergrenze, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("zeichen/objekt" + g).c_str(), Objekt, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("zeichen/dateiquelle" + g).c_str(), Dateiquelle, f)->Unit(benchmark::kMillisecond);
    });
}
