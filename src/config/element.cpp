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

struct Leser {
    std::array<unsigned char, 256> art;
};

constexpr Leser Leser_bauen(const char *trenner, const char *schluss)
{
    Leser l{};
    for (const char *p = trenner; *p; ++p)
        l.art[static_cast<unsigned char>(*p)] |= Trenner;
    for (const char *p = schluss; *p; ++p)
        l.art[static_cast<unsigned char>(*p)] |= Schluss;
    return l;
}

// Configuration text: a word ends at ':' (entry names), '=' (INI names) and
// the closing brackets of header lines as well.
constexpr Leser Konfigurationsleser = Leser_bauen(" \t,:=]}", ":=]} \t,;\n\r");
// Argument text: ':' and brackets are ordinary characters of a word.
constexpr Leser Argumentleser = Leser_bauen(" \t,=", "= \t,;\n\r");

// The result that the character ending a word gives.
int Wortergebnis(int schluss)
{
    switch (schluss) {
    case ':': return 1;
    case '=': return 2;
    case ']': return 5;
    case '}': return 6;
    default: return 3; // blank, ',', ';', line end, end of text
    }
}

int Element_lesen(const Leser &leser, char *puffer, int groesse, Zugriffshandle *h)
{
    Ablage a(puffer, groesse);

    // 1. Skip the separators.
    int c;
    do
        c = KR_Zeichen_lesen(h);
    while (c != Ende && (leser.art[c] & Trenner));

    // 2. No element on this line.
    if (c == Ende)
        return 0;
    if (c == LF || c == CR || c == ';') {
        KR_Zeichen_ruecklesen(h);
        return 0;
    }

    // 3. The element starts just before the current position.
    h->elementanfang = h->position;

    // 4. A quoted string.
    if (c == '"')
        return Zeichenkette_ablegen(h, a);

    // 5. A word, up to its terminator.
    do {
        if (!a.speichern(c))
            return -1;
        c = KR_Zeichen_lesen(h);
    } while (c != Ende && !(leser.art[c] & Schluss));

    // 6. The terminating zero byte, if it fits.
    if (!a.speichern('\0'))
        return -1;

    // 7. Leave the terminator for the caller.
    Zuruecklegen(h, c);
    return Wortergebnis(c);
}

} // namespace

namespace konfig {

bool Zeichenkette_lesen(Zugriffshandle *h, Ablage &a, int *danach)
{
    for (;;) {
        int c = KR_Zeichen_lesen(h);
        if (c == Ende || c == '"')
            break;
        if (c == '*') {
            int n = KR_Zeichen_lesen(h);
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
    *danach = KR_Zeichen_lesen(h);
    return true;
}

int Zeichenkette_ablegen(Zugriffshandle *h, Ablage &a)
{
    int danach;
    if (!Zeichenkette_lesen(h, a, &danach) || !a.speichern('\0'))
        return -1;
    Zuruecklegen(h, danach);
    return 4;
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
    return Element_lesen(Konfigurationsleser, puffer, groesse, h);
}

int KR_CALL KR_Element_lesen(char *puffer, int groesse, Zugriffshandle *h)
{
    return Element_lesen(Argumentleser, puffer, groesse, h);
}

} // extern "C"
