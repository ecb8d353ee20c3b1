// fuzzhilfe.h - what the fuzz targets share: the check that ends a run with a
// finding, a caller's buffer with guard bytes behind it, and the input split
// into a text and a program of steps.
#ifndef KORVAN_FUZZHILFE_H
#define KORVAN_FUZZHILFE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define KF_VERGIFTEN(p, n) ASAN_POISON_MEMORY_REGION((p), (n))
#define KF_ENTGIFTEN(p, n) ASAN_UNPOISON_MEMORY_REGION((p), (n))
#endif
#endif
#ifndef KF_VERGIFTEN
#define KF_VERGIFTEN(p, n) ((void)(p), (void)(n))
#define KF_ENTGIFTEN(p, n) ((void)(p), (void)(n))
#endif

// A broken promise of the library: the run ends with a crash that the fuzzer
// records as a finding, with the check that failed.
#define KF_PRUEFEN(bedingung)                                                                     \
    do {                                                                                          \
        if (!(bedingung))                                                                         \
            kf::Befund(#bedingung, __FILE__, __LINE__);                                           \
    } while (0)

namespace kf {

[[noreturn]] inline void Befund(const char *was, const char *datei, int zeile)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", datei, zeile, was);
    std::abort();
}

// A caller's buffer of any size (0 included), filled with a pattern, with
// guard bytes behind it.  Under AddressSanitizer the guard bytes are poisoned
// too, so that even a stray read past the buffer is reported where it
// happens; the guard check itself holds in every build.
class Puffer {
public:
    static constexpr size_t Waechter = 32;
    static constexpr unsigned char Muster = 0xA5;

    explicit Puffer(size_t groesse) : groesse_(groesse), speicher_(groesse + Waechter, Muster)
    {
        KF_VERGIFTEN(speicher_.data() + groesse_, Waechter);
    }
    ~Puffer() { KF_ENTGIFTEN(speicher_.data() + groesse_, Waechter); }
    Puffer(const Puffer &) = delete;
    Puffer &operator=(const Puffer &) = delete;

    char *daten() { return reinterpret_cast<char *>(speicher_.data()); }
    const char *daten() const { return reinterpret_cast<const char *>(speicher_.data()); }
    size_t groesse() const { return groesse_; }

    // No byte behind the buffer was written.
    bool waechter_heil()
    {
        KF_ENTGIFTEN(speicher_.data() + groesse_, Waechter);
        bool heil = true;
        for (size_t i = 0; i < Waechter; ++i)
            heil = heil && speicher_[groesse_ + i] == Muster;
        KF_VERGIFTEN(speicher_.data() + groesse_, Waechter);
        return heil;
    }
    // No byte of the buffer itself was written either.
    bool unberuehrt() const
    {
        for (size_t i = 0; i < groesse_; ++i) {
            if (speicher_[i] != Muster)
                return false;
        }
        return true;
    }
    // The buffer holds a terminating zero byte.
    bool terminiert() const { return groesse_ > 0 && std::memchr(speicher_.data(), 0, groesse_); }

private:
    size_t groesse_;
    std::vector<unsigned char> speicher_;
};

// One step of the program that drives a target: what to do and three
// parameters whose meaning the step gives.
struct Schritt {
    uint8_t art;
    uint16_t a;
    uint16_t b;
    uint8_t c;
};

constexpr size_t Schrittgroesse = 6;

// The input: a text in front, then the steps, then a control byte and the
// number of steps as the last byte.  Reading the program from the end keeps
// it intact while the fuzzer grows or shrinks the text.
struct Eingabe {
    std::string text;
    std::vector<Schritt> schritte;
    uint8_t steuer = 0;
};

inline Eingabe Zerlegen(const uint8_t *daten, size_t n, size_t hoechstens)
{
    Eingabe e;
    if (n < 2) {
        e.text.assign(reinterpret_cast<const char *>(daten), n);
        return e;
    }
    size_t anzahl = daten[n - 1];
    e.steuer = daten[n - 2];
    if (anzahl > hoechstens)
        anzahl = hoechstens;
    if (anzahl > (n - 2) / Schrittgroesse)
        anzahl = (n - 2) / Schrittgroesse;
    size_t textlaenge = n - 2 - anzahl * Schrittgroesse;
    e.text.assign(reinterpret_cast<const char *>(daten), textlaenge);
    const uint8_t *p = daten + textlaenge;
    for (size_t i = 0; i < anzahl; ++i, p += Schrittgroesse) {
        e.schritte.push_back({p[0], static_cast<uint16_t>(p[1] | p[2] << 8),
                              static_cast<uint16_t>(p[3] | p[4] << 8), p[5]});
    }
    return e;
}

// A folder for the files that a run writes: a memory file system where there
// is one (rewriting a file there costs no disk work), else the usual one.
inline std::filesystem::path Tempordner()
{
    std::error_code ec;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", ec))
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

// A name of its own in Tempordner() for this process's files:
// korvan-fuzz-<process id>-<random><endung>.  A target killed by a signal
// leaves its files behind (libFuzzer then ends without running atexit
// handlers), so the names of processes that no longer run are removed first.
inline std::filesystem::path Eigener_Tempname(const char *endung)
{
    namespace fs = std::filesystem;
    const std::string vorsilbe = "korvan-fuzz-";
    std::error_code ec;
    // Without /proc no name can be told stale, so none is removed.
    std::string pid = fs::read_symlink("/proc/self", ec).string();
    for (fs::directory_iterator i(Tempordner(), ec), ende; !pid.empty() && !ec && i != ende; i.increment(ec)) {
        std::string name = i->path().filename().string();
        if (name.compare(0, vorsilbe.size(), vorsilbe) != 0)
            continue;
        std::string von = name.substr(vorsilbe.size(), name.find('-', vorsilbe.size()) - vorsilbe.size());
        std::error_code ec2;
        if (von.empty() || von.find_first_not_of("0123456789") != std::string::npos ||
            !fs::exists("/proc/" + von, ec2))
            fs::remove_all(i->path(), ec2);
    }
    std::random_device zufall;
    return Tempordner() / (vorsilbe + (pid.empty() ? "0" : pid) + "-" + std::to_string(zufall()) +
                           std::to_string(zufall()) + endung);
}

// A piece of the text as a name: from offset `von`, at most `laenge` bytes.
inline std::string Ausschnitt(const std::string &text, size_t von, size_t laenge)
{
    if (text.empty())
        return {};
    von %= text.size() + 1;
    return text.substr(von, laenge);
}

} // namespace kf

#endif // KORVAN_FUZZHILFE_H
