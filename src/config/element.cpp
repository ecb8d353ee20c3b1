// element.cpp - the two element readers: a word or a quoted string, read
// through the character stream, for configuration text and argument text.
#include "korvan.h"

#include <array>

namespace {

constexpr int LF = '\n';
constexpr int CR = '\r';
constexpr int Ende = -1;

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

// The caller's buffer with its bound: before each store, a full buffer
// ends the element with -1.
struct Ablage {
    char *puffer;
    int groesse;
    int benutzt;

    bool speichern(int c)
    {
        if (benutzt >= groesse)
            return false;
        puffer[benutzt++] = static_cast<char>(c);
        return true;
    }
};

// A quoted string after its opening quote, up to the closing quote or the
// end of the text.  '*' escapes: *" gives ", *E/*e the escape character,
// *N/*n a line feed; '*' before anything else stays, with that character.
// Returns false when the buffer is full; *letztes is the last character read.
bool Zeichenkette_lesen(Zugriffshandle *h, Ablage &a, int *letztes)
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
    *letztes = KR_Zeichen_lesen(h);
    return true;
}

int Element_lesen(const Leser &leser, char *puffer, int groesse, Zugriffshandle *h)
{
    Ablage a{puffer, puffer && groesse > 0 ? groesse : 0, 0};

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

    int ergebnis;
    int letztes;
    if (c == '"') {
        // 4. A quoted string.
        if (!Zeichenkette_lesen(h, a, &letztes))
            return -1;
        ergebnis = 4;
    } else {
        // 5. A word, up to its terminator.
        do {
            if (!a.speichern(c))
                return -1;
            c = KR_Zeichen_lesen(h);
        } while (c != Ende && !(leser.art[c] & Schluss));
        letztes = c;
        ergebnis = Wortergebnis(c);
    }

    // 6. The terminating zero byte, if it fits.
    if (!a.speichern('\0'))
        return -1;

    // 7. Leave the terminator for the caller.
    if (letztes != Ende)
        KR_Zeichen_ruecklesen(h);
    return ergebnis;
}

} // namespace

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
