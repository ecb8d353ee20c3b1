// korvan/intern/zeichen.h - the byte constants, the element readers' result
// kinds and the small string helpers, shared by the library and korvan.hpp.
// Installed for korvan.hpp only; programs use neither this nor its names.
#ifndef KORVAN_INTERN_ZEICHEN_H
#define KORVAN_INTERN_ZEICHEN_H

#include <cstddef>
#include <cstring>

namespace kr::intern {

constexpr int LF = '\n';
constexpr int CR = '\r';
constexpr int Ende = -1; // end of the text, or a failed read

// The header and entry searches read names into buffers of this many bytes,
// the terminating zero byte included: a longer name never matches.
constexpr int Namenspuffer = 41;

// What KR_Element_lesen_2 and KR_Element_lesen return.
enum Elementergebnis : int {
    Element_zu_lang = -1,     // does not fit the buffer with its zero byte
    Element_keins = 0,        // end of the text, or LF, CR or ';' came first
    Element_Doppelpunkt = 1,  // a word ended by ':' (an entry name)
    Element_Gleich = 2,       // a word ended by '=' (an INI entry name)
    Element_Wort = 3,         // a word ended by a blank, ',', ';', a line end or the end
    Element_Zeichenkette = 4, // a quoted string, decoded
    Element_Eckig = 5,        // a word ended by ']'
    Element_Geschweift = 6,   // a word ended by '}'
};

inline bool Ist_Blank(int c) { return c == ' ' || c == '\t'; }
inline bool Ist_Zeilenende(int c) { return c == LF || c == CR; }
inline bool Ist_Klammer(int c) { return c == '[' || c == '{'; }

// ASCII lower case; every other byte stays.
inline char Klein(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Length of text, or grenze when it has no terminator before that; keeps a
// check against a working limit from reading far past it.
inline size_t Laenge_bis(const char *text, size_t grenze)
{
    const void *ende = std::memchr(text, '\0', grenze);
    return ende ? static_cast<size_t>(static_cast<const char *>(ende) - text) : grenze;
}

} // namespace kr::intern

#endif // KORVAN_INTERN_ZEICHEN_H
