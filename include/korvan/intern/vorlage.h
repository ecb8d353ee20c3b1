// korvan/intern/vorlage.h - the argument template's rule: option letters and
// their bits, and the reading of a template item by item.  The library's
// reader and korvan.hpp both read templates with it, so they cannot differ.
// Installed for korvan.hpp only.
#ifndef KORVAN_INTERN_VORLAGE_H
#define KORVAN_INTERN_VORLAGE_H

#include <cstddef>
#include <cstdint>

namespace kr::intern {

// Option bits of a template item; bit k is the letter Optionsbuchstaben[k].
constexpr uint16_t Arg_Schalter = 0x0001;       // S: switch
constexpr uint16_t Arg_Schluessel = 0x0002;     // K: keyword item
constexpr uint16_t Arg_Zahl = 0x0004;           // N: number
constexpr uint16_t Arg_Nur_Schluessel = 0x0008; // T: keyword-only item
constexpr uint16_t Arg_Pflicht = 0x0010;        // A: required
constexpr uint16_t Arg_Rest = 0x0020;           // F: rest of line
constexpr uint16_t Arg_Mehrfach = 0x0040;       // M: multiple values
constexpr char Optionsbuchstaben[] = "SKNTAFM";

// A template holds at most this many items.
constexpr int Arg_Hoechstzahl = 100;

// The bit of an option letter, either case; 0 for any other character.
inline uint16_t Optionsbit(char c)
{
    for (int k = 0; Optionsbuchstaben[k]; ++k) {
        if (c == Optionsbuchstaben[k] || c == Optionsbuchstaben[k] + ('a' - 'A'))
            return static_cast<uint16_t>(1u << k);
    }
    return 0;
}

inline bool Vorlagen_Namensende(char c)
{
    return c == '\0' || c == ',' || c == '/' || c == '=';
}

// Why a template is rejected.
enum class Vorlagenfehler {
    keiner,
    zu_viele_Posten,     // more than Arg_Hoechstzahl items
    Buchstabe,           // '/' before no option letter (zeichen: the character after it)
    M_mit_S_oder_F,      // M cannot go with S or F
    zweites_Mehrfach,    // a second item with M and without K
    Zeichen_nach_Option, // a character other than ',' after the options (zeichen)
};

struct Vorlagenposten_roh {
    const char *name;
    size_t namenlaenge;
    const char *aliase; // from the first '=' on, up to the options
    size_t aliaslaenge;
    uint16_t flags;
};

struct Vorlagenbefund {
    Vorlagenfehler fehler;
    int posten;         // the item at fault, from 0
    const char *name;   // its name
    size_t namenlaenge;
    char zeichen;       // the character at fault, where there is one
};

// Reads a zero-terminated template: the flags of every item into flags
// (Arg_Hoechstzahl words), their names into posten when it is not null, the
// index of the positional multiple item into *mehrfach (-1 for none).
// Returns the item count, or -1 with the reason in *befund.
inline int Vorlage_zerlegen(const char *vorlage, uint16_t *flags, Vorlagenposten_roh *posten, int *mehrfach,
                            Vorlagenbefund *befund)
{
    *befund = {Vorlagenfehler::keiner, 0, vorlage, 0, '\0'};
    *mehrfach = -1;
    int anzahl = 0;
    const char *p = vorlage;
    Vorlagenposten_roh v = {p, 0, p, 0, 0};
    auto ablehnen = [&](Vorlagenfehler f, char c) {
        *befund = {f, anzahl, v.name, v.namenlaenge, c};
        return -1;
    };
    // 1. Item by item up to the end of the template.
    while (*p != '\0') {
        // More than 100 items: the reader would not have their flags.
        if (anzahl == Arg_Hoechstzahl)
            return ablehnen(Vorlagenfehler::zu_viele_Posten, '\0');

        // 2. Clear the flags; 3. pass over the name; 4. the aliases.
        v = {p, 0, nullptr, 0, 0};
        while (!Vorlagen_Namensende(*p))
            ++p;
        v.namenlaenge = static_cast<size_t>(p - v.name);
        v.aliase = p;
        if (*p == '=') {
            while (*p != '\0' && *p != ',' && *p != '/')
                ++p;
        }
        v.aliaslaenge = static_cast<size_t>(p - v.aliase);

        // 5. Options: '/' and one letter each.
        while (*p == '/') {
            uint16_t bit = Optionsbit(p[1]);
            if (bit == 0)
                return ablehnen(Vorlagenfehler::Buchstabe, p[1]);
            v.flags |= bit;
            p += 2;
        }

        // An item with M takes an array, which a switch or a rest of line
        // cannot fill.
        if ((v.flags & Arg_Mehrfach) && (v.flags & (Arg_Schalter | Arg_Rest)))
            return ablehnen(Vorlagenfehler::M_mit_S_oder_F, '\0');

        // 6. At most one positional multiple item.
        if ((v.flags & Arg_Mehrfach) && !(v.flags & Arg_Schluessel)) {
            if (*mehrfach >= 0)
                return ablehnen(Vorlagenfehler::zweites_Mehrfach, '\0');
            *mehrfach = anzahl;
        }

        // 7. The item ends at ',' or at the end of the template.
        if (*p == ',')
            ++p;
        else if (*p != '\0')
            return ablehnen(Vorlagenfehler::Zeichen_nach_Option, *p);

        // 8.
        flags[anzahl] = v.flags;
        if (posten)
            posten[anzahl] = v;
        ++anzahl;
    }
    return anzahl;
}

} // namespace kr::intern

#endif // KORVAN_INTERN_VORLAGE_H
