// pfad.cpp - where the system has no path services of Windows' (POSIX):
// Windows' results, except that '/' is a separator of its own and a path
// beginning with '/' is absolute.
#include "nachbildung.h"
#include "korvan/intern/zeichen.h"

#include <cstring>

namespace {

using kr::intern::Laenge_bis;

bool Trenner(char c)
{
    return c == '\\' || c == '/';
}

// The canonical path as it grows.  The root ("\", "C:" or "C:\") is never
// taken away; a path without a root gets "\" when '..' climbs past its start.
struct Kanon {
    char text[Pfadpuffer];
    size_t laenge;
    size_t wurzel;
};

void Anhaengen(Kanon &k, char c)
{
    if (k.laenge + 1 < sizeof k.text)
        k.text[k.laenge++] = c;
}

// '..': drops the last segment with the separator behind it.
void Segment_zurueck(Kanon &k)
{
    if (k.laenge > k.wurzel) {
        --k.laenge; // the separator after the segment
        while (k.laenge > k.wurzel && !Trenner(k.text[k.laenge - 1]))
            --k.laenge;
    }
    if (k.laenge == 0) {
        k.text[k.laenge++] = '\\';
        k.wurzel = 1;
    }
}

// '.' or '..' at the very end also takes the separator before it.
void Trenner_am_Ende_weg(Kanon &k)
{
    if (k.laenge > k.wurzel && Trenner(k.text[k.laenge - 1]))
        --k.laenge;
}

} // namespace

bool Pfad_ist_relativ(const char *pfad)
{
    if (!pfad || !*pfad)
        return true;
    return !(Trenner(pfad[0]) || pfad[1] == ':');
}

bool Pfad_kanonisieren(char *ziel, const char *pfad)
{
    if (!ziel || !pfad)
        return false;
    size_t n = Laenge_bis(pfad, Pfadpuffer);
    if (n >= Pfadpuffer)
        return false;

    // 1. The root: one leading separator, or a drive with its separator.
    Kanon k{};
    size_t i = 0;
    if (Trenner(pfad[0])) {
        Anhaengen(k, pfad[i++]);
    } else if (n >= 2 && pfad[1] == ':') {
        Anhaengen(k, pfad[i++]);
        Anhaengen(k, pfad[i++]);
        if (Trenner(pfad[i]))
            Anhaengen(k, pfad[i++]);
    }
    k.wurzel = k.laenge;

    // 2. Segment by segment; an empty segment (doubled separator) is kept.
    while (i < n) {
        size_t anfang = i;
        while (i < n && !Trenner(pfad[i]))
            ++i;
        size_t laenge = i - anfang;
        bool letztes = i == n;
        bool punkt = laenge == 1 && pfad[anfang] == '.';
        bool punktpunkt = laenge == 2 && pfad[anfang] == '.' && pfad[anfang + 1] == '.';
        if (punkt || punktpunkt) {
            if (punktpunkt)
                Segment_zurueck(k);
            if (letztes)
                Trenner_am_Ende_weg(k);
            else
                ++i; // the separator after '.' or '..' goes too
            continue;
        }
        for (size_t j = anfang; j < i; ++j)
            Anhaengen(k, pfad[j]);
        if (!letztes)
            Anhaengen(k, pfad[i++]);
    }

    // 3. An empty result is the root "\"; a bare drive gets its separator.
    if (k.laenge == 0)
        Anhaengen(k, '\\');
    if (k.laenge == 2 && k.text[1] == ':')
        Anhaengen(k, '\\');
    k.text[k.laenge] = '\0';
    std::memcpy(ziel, k.text, k.laenge + 1);
    return true;
}

// Code page 1252: A-Z, the accented capitals 0xC0-0xDE without the
// multiplication sign 0xD7, and the four capitals in 0x80-0x9F.
unsigned char Zeichen_klein(unsigned char zeichen)
{
    if ((zeichen >= 'A' && zeichen <= 'Z') || (zeichen >= 0xC0 && zeichen <= 0xDE && zeichen != 0xD7))
        return static_cast<unsigned char>(zeichen + 0x20);
    switch (zeichen) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return zeichen;
    }
}
