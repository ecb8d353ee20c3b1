// fuzzhilfe.h - what the fuzz targets share; they check what the library promises beyond the sanitizers.
#ifndef KORVAN_FUZZHILFE_H
#define KORVAN_FUZZHILFE_H

#include <sanitizer/asan_interface.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#define KF_PRUEFEN(b) ((b) ? (void)0 : (std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #b), std::abort()))

namespace kf {

// A caller's buffer of any size, filled with a pattern, poisoned behind.
struct Puffer {
    static constexpr size_t Waechter = 32;
    static constexpr unsigned char Muster = 0xA5;
    size_t groesse;
    std::vector<char> speicher;

    explicit Puffer(size_t n) : groesse(n), speicher(n + Waechter, static_cast<char>(Muster))
    {
        ASAN_POISON_MEMORY_REGION(speicher.data() + n, Waechter);
    }
    ~Puffer() { ASAN_UNPOISON_MEMORY_REGION(speicher.data() + groesse, Waechter); }
    char *daten() { return speicher.data(); }
    std::string inhalt() const { return std::string(speicher.data(), groesse); }
    bool unberuehrt() const { return inhalt() == std::string(groesse, static_cast<char>(Muster)); }
    bool terminiert() const { return groesse > 0 && std::memchr(speicher.data(), 0, groesse); }
};

struct Schritt {
    uint8_t art;
    uint16_t a, b;
    uint8_t c;
};

// A text, 6-byte steps, a control byte and the step count, read from the end: steps stay as the text changes.
struct Eingabe {
    std::string text;
    std::vector<Schritt> schritte;
    uint8_t steuer = 0;
};

inline Eingabe Zerlegen(const uint8_t *d, size_t n, size_t hoechstens)
{
    Eingabe e;
    size_t anzahl = n < 2 ? 0 : std::min<size_t>({size_t{d[n - 1]}, hoechstens, (n - 2) / 6});
    e.steuer = n < 2 ? 0 : d[n - 2];
    size_t textlaenge = n < 2 ? n : n - 2 - anzahl * 6;
    e.text.assign(reinterpret_cast<const char *>(d), textlaenge);
    for (const uint8_t *p = d + textlaenge; anzahl-- > 0; p += 6)
        e.schritte.push_back({p[0], static_cast<uint16_t>(p[1] | p[2] << 8), static_cast<uint16_t>(p[3] | p[4] << 8), p[5]});
    return e;
}

// A folder of this run's own (in memory where possible), removed at the end.
inline std::filesystem::path Eigener_Ordner()
{
    namespace fs = std::filesystem;
    static fs::path ordner = [] {
        std::error_code ec;
        fs::path p = (fs::is_directory("/dev/shm", ec) ? "/dev/shm" : fs::temp_directory_path()) /
                     ("korvan-fuzz-" + std::to_string(std::random_device{}()));
        fs::create_directories(p);
        std::atexit([] { std::error_code e; fs::remove_all(ordner, e); });
        return fs::canonical(p);
    }();
    return ordner;
}

} // namespace kf

#endif // KORVAN_FUZZHILFE_H
