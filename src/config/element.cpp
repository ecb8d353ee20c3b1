// element.cpp - the two element readers: a word or a quoted string, read
// through the character stream, for configuration text and argument text;
// and the quoted strings and name comparison the other readers share.
#include "config/konfig.h"

#include <array>

namespace {

using namespace konfig;

// What a character means to one element reader.
enum Art : unsigned char {
    Gewoehnlich = 0,
    Trenner = 1,  // skipped before an element
    Schluss = 2,  // ends a word
};

struct Zeichenarten {
    std::array<unsigned char, 256> art;
};

constexpr Zeichenarten Arten_bauen(const char *trenner, const char *schluss)
{
    Zeichenarten l{};
    for (const char *p = trenner; *p; ++p)
        l.art[static_cast<unsigned char>(*p)] |= Trenner;
    for (const char *p = schluss; *p; ++p)
        l.art[static_cast<unsigned char>(*p)] |= Schluss;
    return l;
}

// Configuration text: a word ends at ':' (entry names), '=' (INI names) and
// the closing brackets of header lines as well.
constexpr Zeichenarten Konfigurationsleser = Arten_bauen(" \t,:=]}", ":=]} \t,;\n\r");
// Argument text: ':' and brackets are ordinary characters of a word.
constexpr Zeichenarten Argumentleser = Arten_bauen(" \t,=", "= \t,;\n\r");

// The result that the character ending a word gives.
Elementergebnis Wortergebnis(int schluss)
{
    switch (schluss) {
    case ':': return Element_Doppelpunkt;
    case '=': return Element_Gleich;
    case ']': return Element_Eckig;
    case '}': return Element_Geschweift;
    default: return Element_Wort; // blank, ',', ';', line end, end of text
    }
}

int Element_lesen(const Zeichenarten &arten, Leser &l, char *puffer, int groesse)
{
    Ablage a(puffer, groesse);

    // 1. Skip the separators.
    int c;
    do
        c = Lesen(l);
    while (c != Ende && (arten.art[c] & Trenner));

    // 2. No element on this line.
    if (c == Ende)
        return Element_keins;
    if (c == LF || c == CR || c == ';') {
        Zuruecklesen(l);
        return Element_keins;
    }

    // 3. The element starts just before the current position.
    l.h->elementanfang = l.h->position;

    // 4. A quoted string.
    if (c == '"')
        return Zeichenkette_ablegen(l, a);

    // 5. A word, up to its terminator.
    do {
        if (!a.speichern(c))
            return Element_zu_lang;
        c = Lesen(l);
    } while (c != Ende && !(arten.art[c] & Schluss));

    // 6. The terminating zero byte, if it fits.
    if (!a.speichern('\0'))
        return Element_zu_lang;

    // 7. Leave the terminator for the caller.
    Zuruecklegen(l, c);
    return Wortergebnis(c);
}

} // namespace

namespace konfig {

bool Zeichenkette_lesen(Leser &l, Ablage &a, int *danach)
{
    for (;;) {
        int c = Lesen(l);
        if (c == Ende || c == '"')
            break;
        if (c == '*') {
            int n = Lesen(l);
            if (n == '"')
                c = '"';
            else if (n == 'E' || n == 'e')
                c = 27;
            else if (n == 'N' || n == 'n')
                c = LF;
            else if (n == Ende) {
                if (!a.speichern('*'))
                    return false;
                break;
            } else {
                if (!a.speichern('*'))
                    return false;
                c = n;
            }
        }
        if (!a.speichern(c))
            return false;
    }
    *danach = Lesen(l);
    return true;
}

int Zeichenkette_ablegen(Leser &l, Ablage &a)
{
    int danach;
    if (!Zeichenkette_lesen(l, a, &danach) || !a.speichern('\0'))
        return Element_zu_lang;
    Zuruecklegen(l, danach);
    return Element_Zeichenkette;
}

int Element_lesen_Konfiguration(Leser &l, char *puffer, int groesse)
{
    return Element_lesen(Konfigurationsleser, l, puffer, groesse);
}

int Element_lesen_Argument(Leser &l, char *puffer, int groesse)
{
    return Element_lesen(Argumentleser, l, puffer, groesse);
}

bool Namen_gleich(const char *a, const char *b)
{
    auto klein = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (klein(x) != klein(y))
            return false;
        if (x == 0)
            return true;
    }
}

} // namespace konfig

extern "C" {

int KR_CALL KR_Element_lesen_2(char *puffer, int groesse, Zugriffshandle *h)
{
    if (!h)
        return Element_keins; // as for the end of the text
    Leser l(h);
    return Element_lesen(Konfigurationsleser, l, puffer, groesse);
}

int KR_CALL KR_Element_lesen(char *puffer, int groesse, Zugriffshandle *h)
{
    if (!h)
        return Element_keins;
    Leser l(h);
    return Element_lesen(Argumentleser, l, puffer, groesse);
}

} // extern "C"
