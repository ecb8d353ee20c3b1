// gemeinsam.h - what the benchmark programs share: the size flag, the
// generated configuration text, a temporary folder and whole files.
#ifndef KORVAN_BENCH_GEMEINSAM_H
#define KORVAN_BENCH_GEMEINSAM_H

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

// Takes "--NAME=N" out of the command line, before Google Benchmark sees it;
// the value, or the default when the flag is missing.
inline double Zahl_nehmen(int *argc, char **argv, const char *name, double standard)
{
    std::string kopf = std::string("--") + name + "=";
    double wert = standard;
    int ziel = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp(argv[i], kopf.c_str(), kopf.size()) == 0)
            wert = std::atof(argv[i] + kopf.size());
        else
            argv[ziel++] = argv[i];
    }
    *argc = ziel;
    argv[ziel] = nullptr;
    return wert;
}

// A configuration of about `bytes` bytes: sections of ten INI entries each,
// one comment line per section, LF line ends.  Values are three words with
// blanks between them ("wert 12 000034"): a caller who wants a value as
// written reads the rest of its line, an element read takes its first word.
inline std::string Konfiguration_erzeugen(size_t bytes)
{
    std::string text;
    text.reserve(bytes + 512);
    char zeile[96];
    for (long a = 0; text.size() < bytes; ++a) {
        int n = std::snprintf(zeile, sizeof zeile, "[abschnitt_%ld]\n; generated\n", a);
        text.append(zeile, static_cast<size_t>(n));
        for (int e = 0; e < 10; ++e) {
            n = std::snprintf(zeile, sizeof zeile, "eintrag_%d=wert %ld %06d\n", e, a * 7 + e, e * 3);
            text.append(zeile, static_cast<size_t>(n));
        }
    }
    return text;
}

// The counts of a complete walk: both parsers must agree on all three.
struct Zaehlung {
    long abschnitte = 0;
    long eintraege = 0;
    long wertbytes = 0;

    bool operator==(const Zaehlung &o) const
    {
        return abschnitte == o.abschnitte && eintraege == o.eintraege && wertbytes == o.wertbytes;
    }
};

// A new temporary folder below $TMPDIR (or /tmp), removed by the caller.
inline std::string Ordner_anlegen()
{
    const char *basis = std::getenv("TMPDIR");
    std::string muster = std::string(basis && *basis ? basis : "/tmp") + "/korvan-bench-XXXXXX";
    if (!mkdtemp(muster.data())) {
        std::perror("mkdtemp");
        std::exit(2);
    }
    return muster;
}

inline void Datei_schreiben(const std::string &pfad, const std::string &text)
{
    FILE *f = std::fopen(pfad.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
        std::perror(pfad.c_str());
        std::exit(2);
    }
}

// Megabytes as the benchmark names show them.
inline std::string Mb_name(double mb)
{
    char n[32];
    std::snprintf(n, sizeof n, "%gMB", mb);
    return n;
}

// The three sizes of a measure over files: for a quarter, a half and all of
// `mb` megabytes a generated configuration, held in a Fall's `text` and
// written to its `datei`, which `anmelden(fall, size name)` registers.
// Runs the benchmarks, then removes the files and their folder.
template <class Fall, class Anmelden>
int Groessen_laufen(int argc, char **argv, double mb, const char *endung, Anmelden anmelden)
{
    std::string ordner = Ordner_anlegen();
    std::vector<Fall *> faelle;
    for (double teil : {0.25, 0.5, 1.0}) {
        auto *f = new Fall;
        f->text = Konfiguration_erzeugen(static_cast<size_t>(mb * teil * 1e6));
        f->datei = ordner + "/text_" + std::to_string(faelle.size()) + endung;
        Datei_schreiben(f->datei, f->text);
        faelle.push_back(f);
        anmelden(f, "/" + Mb_name(mb * teil));
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (Fall *f : faelle) {
        std::remove(f->datei.c_str());
        delete f;
    }
    std::remove(ordner.c_str());
    return 0;
}

} // namespace bench

#endif // KORVAN_BENCH_GEMEINSAM_H
