// textdatei.cpp - small text files read whole through the whole-file piece,
// then line by line.
#include "textdatei.h"

#include "../platform/ganzdatei.h"

#include <cstdlib>
#include <cstring>

namespace {

// The registry file and the desktop's files are some kilobytes (the shared
// MIME globs some tens); a larger one is no such file.
constexpr int64_t Textgrenze = int64_t{4} << 20;

} // namespace

// Only a regular file loads, and the open never waits for a pipe's writer:
// a device or a pipe would never end.
bool Textdatei_laden(const char *pfad, Textdatei *datei)
{
    datei->text = nullptr;
    datei->laenge = datei->position = 0;
    unsigned char *daten = nullptr;
    uint32_t laenge = 0;
    if (Datei_laden(pfad, &daten, &laenge, Textgrenze) != Dateistatus::ok)
        return false;
    datei->text = reinterpret_cast<char *>(daten);
    datei->laenge = laenge;
    return true;
}

void Textdatei_freigeben(Textdatei *datei)
{
    std::free(datei->text);
    datei->text = nullptr;
}

bool Naechste_Zeile(Textdatei *datei, const char **zeile, size_t *laenge)
{
    if (!datei->text || datei->position >= datei->laenge)
        return false;
    const char *anfang = datei->text + datei->position;
    size_t rest = datei->laenge - datei->position;
    auto *lf = static_cast<const char *>(std::memchr(anfang, '\n', rest));
    size_t n = lf ? static_cast<size_t>(lf - anfang) : rest;
    datei->position += lf ? n + 1 : n;
    while (n > 0 && (anfang[n - 1] == '\r' || anfang[n - 1] == ' ' || anfang[n - 1] == '\t'))
        --n;
    while (n > 0 && (*anfang == ' ' || *anfang == '\t')) {
        ++anfang;
        --n;
    }
    *zeile = anfang;
    *laenge = n;
    return true;
}

bool Gleich_ohne_Fall(const char *a, size_t an, const char *b, size_t bn)
{
    if (an != bn)
        return false;
    for (size_t i = 0; i < an; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}
