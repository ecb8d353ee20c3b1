// Reading a typical argument line: eight items with keywords, switches, a
// number, a required item and a multiple item, in pool and in fixed mode.
#include "korvan.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

const char Vorlage[] = "FROM/M,TO/A,NAME/K,QUIET/S,COUNT/N/K,MODE/K,VERBOSE/S,LIMIT/N";
char Zeile[] = "a.c b.c lib/c.c out.o name=probe quiet count=42 mode=\"fast build\" verbose\n";

void Argumentzeile(benchmark::State &state, bool fest)
{
    char block[512];
    void *werte[8];
    Argumentsatz satz;
    for (auto _ : state) {
        std::memset(&satz, 0, sizeof satz);
        satz.zugriffshandle.puffer = Zeile;
        satz.zugriffshandle.laenge = sizeof Zeile - 1;
        if (fest) {
            satz.speicher = block;
            satz.speichergroesse = sizeof block;
            satz.argflags = KR_ARG_FESTSPEICHER;
        }
        std::memset(werte, 0, sizeof werte);
        Argumentsatz *r = KR_Argumente_lesen(Vorlage, werte, &satz);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(werte);
        if (!r) {
            state.SkipWithError("the line was not read");
            break;
        }
        KR_Arg_freigeben(&satz);
    }
    state.counters["Aufrufe"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BM_Argumentzeile_Pool(benchmark::State &state) { Argumentzeile(state, false); }
void BM_Argumentzeile_Fest(benchmark::State &state) { Argumentzeile(state, true); }

} // namespace

BENCHMARK(BM_Argumentzeile_Pool);
BENCHMARK(BM_Argumentzeile_Fest);
