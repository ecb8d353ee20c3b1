// bench_konfig.cpp - walking a whole generated configuration (sections of
// ten INI entries) with Korvan's readers, against the same text parsed by
// inih with a counting handler.  Both must agree on the counts.
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
    bench::Zaehlung soll; // inih's counts, which Korvan must match
};

// The walk as a caller writes it: every section, every INI entry, every
// value.  An INI walk that meets the next header has read into that header
// line, so the walk goes back to where the entry search began and lets the
// section search find the header.
bench::Zaehlung Korvan_durchlaufen(Zugriffshandle *h)
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

// inih calls the handler once per entry; a section counts when its name
// differs from the one before.
struct Inih_Zaehler {
    bench::Zaehlung z;
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
    return 1;
}

bench::Zaehlung Inih_Text(const std::string &text)
{
    Inih_Zaehler zaehler;
    if (ini_parse_string(text.c_str(), Inih_Handler, &zaehler) != 0)
        zaehler.z.abschnitte = -1;
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
void Korvan_Objekt(benchmark::State &state, const Fall *f)
{
    Zugriffshandle h{};
    if (KR_Konfig_Datei_oeffnen(f->datei.c_str(), &h) != 0) {
        state.SkipWithError("cannot open the file");
        return;
    }
    // One walk first: the object's fresh memory is slow to touch the first
    // time, which inih's text, made before, is not.
    bench::Zaehlung z = Korvan_durchlaufen(&h);
    for (auto _ : state) {
        z = Korvan_durchlaufen(&h);
        benchmark::DoNotOptimize(z);
    }
    KR_Konfig_Datei_schliessen(&h);
    Pruefen(state, *f, z);
    Abschliessen(state, *f, z);
}

// Korvan over the text as a memory buffer.
void Korvan_Puffer(benchmark::State &state, const Fall *f)
{
    Zugriffshandle h{};
    h.puffer = const_cast<char *>(f->text.data());
    h.laenge = static_cast<uint32_t>(f->text.size());
    bench::Zaehlung z;
    for (auto _ : state) {
        z = Korvan_durchlaufen(&h);
        benchmark::DoNotOptimize(z);
    }
    Pruefen(state, *f, z);
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
template <int (*Oeffnen)(const char *, Zugriffshandle *)>
void Korvan_aus_Datei(benchmark::State &state, const Fall *f)
{
    bench::Zaehlung z;
    for (auto _ : state) {
        Zugriffshandle h{};
        if (Oeffnen(f->datei.c_str(), &h) != 0) {
            state.SkipWithError("cannot open the file");
            return;
        }
        z = Korvan_durchlaufen(&h);
        KR_Konfig_Datei_schliessen(&h);
        benchmark::DoNotOptimize(z);
    }
    Pruefen(state, *f, z);
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
        f->soll = Inih_Text(f->text);
        benchmark::RegisterBenchmark(("konfig/inih_speicher" + g).c_str(), Inih_Speicher, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("konfig/korvan_objekt" + g).c_str(), Korvan_Objekt, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("konfig/korvan_puffer" + g).c_str(), Korvan_Puffer, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("konfig/inih_datei" + g).c_str(), Inih_Datei_lesen, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("konfig/korvan_laden" + g).c_str(), Korvan_aus_Datei<KR_Konfig_Datei_oeffnen>, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("konfig/korvan_dateiquelle" + g).c_str(), Korvan_aus_Datei<KR_Datei_oeffnen>, f)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("konfig/letzten_abschnitt_finden" + g).c_str(), Letzten_Abschnitt_finden, f)->Unit(benchmark::kMillisecond);
    });
}
