// bench_args.cpp - reading a typical argument line: eight items with
// keywords, switches, a number, a required item and a multiple item, in pool
// and in fixed mode; and the same line with two and four times the text (more
// values for the multiple item), to show how the cost grows.
#include "gemeinsam.h"
#include "korvan.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char Vorlage[] = "FROM/M,TO/A,NAME/K,QUIET/S,COUNT/N/K,MODE/K,VERBOSE/S,LIMIT/N";
const char Typisch[] = "a.c b.c lib/c.c out.o name=probe quiet count=42 mode=\"fast build\" verbose\n";

// The typical line with more source files before its target, about `faktor`
// times as long.
std::string Zeile_bauen(int faktor)
{
    std::string zeile = Typisch;
    std::string mehr;
    for (int i = 0; static_cast<int>(mehr.size() + zeile.size()) < faktor * static_cast<int>(zeile.size()); ++i)
        mehr += "src/m" + std::to_string(i) + ".c ";
    return mehr + zeile;
}

void Argumentzeile(benchmark::State &state, const std::string *text, bool fest)
{
    std::vector<char> zeile(text->begin(), text->end());
    char block[2048];
    void *werte[8];
    Argumentsatz satz;
    for (auto _ : state) {
        std::memset(&satz, 0, sizeof satz);
        satz.zugriffshandle.puffer = zeile.data();
        satz.zugriffshandle.laenge = static_cast<uint32_t>(zeile.size());
        if (fest) {
            satz.speicher = block;
            satz.speichergroesse = sizeof block;
            satz.argflags = KR_ARG_FESTSPEICHER;
        }
        std::memset(werte, 0, sizeof werte);
        Argumentsatz *r = KR_Argumente_lesen(Vorlage, werte, &satz);
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(werte);
        if (!r || !werte[1] || std::strcmp(static_cast<char *>(werte[1]), "out.o") != 0) {
            state.SkipWithError("the line was not read");
            break;
        }
        KR_Arg_freigeben(&satz);
    }
    state.counters["Aufrufe"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
    state.counters["Bytes"] = static_cast<double>(text->size());
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string *> zeilen;
    for (int faktor : {1, 2, 4}) {
        auto *z = new std::string(Zeile_bauen(faktor));
        zeilen.push_back(z);
        std::string g = "/x" + std::to_string(faktor);
        benchmark::RegisterBenchmark(("args/pool" + g).c_str(), Argumentzeile, z, false);
        benchmark::RegisterBenchmark(("args/fest" + g).c_str(), Argumentzeile, z, true);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (auto *z : zeilen)
        delete z;
    return 0;
}
