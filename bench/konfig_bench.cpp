// konfig_bench.cpp - walking a large generated configuration held in a
// memory object: every section, every colon entry, every value.
#include "korvan.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

// A new memory object with the given number of sections of ten entries each.
void Konfiguration_bauen(Zugriffshandle *h, int abschnitte)
{
    KR_Konfig_Datei_anlegen(h);
    char zeile[96];
    for (int a = 0; a < abschnitte; ++a) {
        std::string block;
        std::snprintf(zeile, sizeof zeile, "[abschnitt_%d]\r\n; generated\r\n", a);
        block += zeile;
        for (int e = 0; e < 10; ++e) {
            std::snprintf(zeile, sizeof zeile, "  eintrag_%d: \"wert %d.%d\", %d\r\n", e, a, e, a * e);
            block += zeile;
        }
        KR_Block_hinzufuegen(block.data(), static_cast<int>(block.size()), h);
    }
}

void Durchlauf(benchmark::State &state)
{
    Zugriffshandle h{};
    Konfiguration_bauen(&h, static_cast<int>(state.range(0)));
    char name[41], wert[256];
    long eintraege = 0;
    for (auto _ : state) {
        KR_positionieren(&h, 0);
        while (KR_naechster_Abschnitt(name, sizeof name, &h)) {
            while (KR_naechster_Eintrag(name, sizeof name, &h)) {
                KR_Element_lesen_2(wert, sizeof wert, &h);
                ++eintraege;
            }
        }
    }
    benchmark::DoNotOptimize(eintraege);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * h.laenge);
    state.counters["Eintraege"] = benchmark::Counter(static_cast<double>(eintraege), benchmark::Counter::kIsRate);
    KR_Konfig_Datei_schliessen(&h);
}
BENCHMARK(Durchlauf)->Arg(1000)->Arg(10000);

// Finding the last section: a search runs over every header line before it.
void Letzten_Abschnitt_finden(benchmark::State &state)
{
    Zugriffshandle h{};
    int abschnitte = static_cast<int>(state.range(0));
    Konfiguration_bauen(&h, abschnitte);
    std::string letzter = "abschnitt_" + std::to_string(abschnitte - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(KR_Abschnitt_finden(letzter.c_str(), &h));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * h.laenge);
    KR_Konfig_Datei_schliessen(&h);
}
BENCHMARK(Letzten_Abschnitt_finden)->Arg(1000);

} // namespace
