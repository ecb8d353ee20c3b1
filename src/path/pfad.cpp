// pfad.cpp - path utilities: separators, joining, the tail below a base
// directory, and base names.  Nothing here touches the file system.
#include "korvan.h"
#include "korvan/intern/zeichen.h"

#include "../platform/plattform.h"

#include <cstring>

namespace {

// The join works in twice the path buffer: base, one separator, part.
constexpr size_t Verbindungspuffer = 2 * Pfadpuffer;

using kr::intern::Laenge_bis;

// Copies text (laenge bytes and a terminator) when it fits groesse bytes.
int Ergebnis_ablegen(char *ziel, unsigned int groesse, const char *text, size_t laenge)
{
    if (laenge >= groesse)
        return 0;
    std::memmove(ziel, text, laenge);
    ziel[laenge] = '\0';
    return 1;
}

bool Ist_Trenner(char c)
{
    return c == '\\' || c == '/';
}

} // namespace

extern "C" {

void KR_CALL KR_Slashify(char *pfad, char trenner)
{
    if (!pfad)
        return;
    if (trenner == 0)
        trenner = '\\';
    for (; *pfad; ++pfad) {
        if (Ist_Trenner(*pfad))
            *pfad = trenner;
    }
}

int KR_CALL KR_Teil_hinzu(char *pfad, const char *teil, unsigned int groesse)
{
    // 1. Arguments.
    if (!pfad || !teil || groesse == 0)
        return 0;

    // 2.-3. An absolute part replaces the path as it stands.
    if (!Pfad_ist_relativ(teil))
        return Ergebnis_ablegen(pfad, groesse, teil, std::strlen(teil));

    // 4. The working limit.
    size_t pfadlaenge = Laenge_bis(pfad, Pfadpuffer);
    size_t teillaenge = Laenge_bis(teil, Pfadpuffer);
    if (pfadlaenge >= Pfadpuffer || teillaenge >= Pfadpuffer)
        return 0;

    // 5. Working copies with '\' only.
    char weg[Verbindungspuffer];
    char stueck[Pfadpuffer];
    std::memcpy(weg, pfad, pfadlaenge + 1);
    std::memcpy(stueck, teil, teillaenge + 1);
    KR_Slashify(weg, 0);
    KR_Slashify(stueck, 0);

    // 6. One separator between them, none after a drive colon.
    size_t n = pfadlaenge;
    if (n == 0 || (weg[n - 1] != '\\' && weg[n - 1] != ':'))
        weg[n++] = '\\';

    // 7.-8. One leading separator of the part is dropped.
    const char *rest = stueck[0] == '\\' ? stueck + 1 : stueck;
    size_t restlaenge = std::strlen(rest);
    static_assert(2 * (Pfadpuffer - 1) + 1 < Verbindungspuffer, "the join must fit its buffer");
    std::memcpy(weg + n, rest, restlaenge + 1);
    n += restlaenge;

    // 9. The caller's buffer.
    return Ergebnis_ablegen(pfad, groesse, weg, n);
}

int KR_CALL KR_Differenzpfad(char *ergebnis, unsigned int groesse, const char *pfad, const char *basis)
{
    // 1. Arguments.
    if (!ergebnis || !pfad || !basis || groesse == 0)
        return 0;

    // 2. Both canonical.
    char b[Pfadpuffer];
    char p[Pfadpuffer];
    if (!Pfad_kanonisieren(b, basis) || !Pfad_kanonisieren(p, pfad))
        return 0;

    // 3. The base ends in a separator or a colon.
    size_t blaenge = std::strlen(b);
    if (blaenge > 0 && b[blaenge - 1] != '\\' && b[blaenge - 1] != '/' && b[blaenge - 1] != ':') {
        if (blaenge + 1 >= Pfadpuffer)
            return 0;
        b[blaenge++] = '\\';
        b[blaenge] = '\0';
    }

    // 4. '\' only.
    KR_Slashify(b, '\\');
    KR_Slashify(p, '\\');

    // 5. The base against the start of the path, letter case aside.
    size_t i = 0;
    while (b[i] && Zeichen_klein(static_cast<unsigned char>(b[i])) == Zeichen_klein(static_cast<unsigned char>(p[i])))
        ++i;
    const char *rest = (blaenge > 0 && b[i] == '\0') ? p + blaenge : p;

    // 6. The caller's buffer.
    return Ergebnis_ablegen(ergebnis, groesse, rest, std::strlen(rest));
}

// A null path has no base name: null comes back.
char *KR_CALL KR_Basisname(const char *pfad)
{
    if (!pfad)
        return nullptr;
    const char *name = pfad;
    for (const char *c = pfad; *c; ++c) {
        if (Ist_Trenner(*c) || *c == ':')
            name = c + 1;
    }
    return const_cast<char *>(name);
}

} // extern "C"
