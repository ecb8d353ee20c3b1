// pruefen.cpp - korvan check: the lines of a configuration text that the
// readers skip or read otherwise than a reader of common INI files would,
// each with what the readers do there.  The rules follow the readers of
// src/config and korvan.hpp's block reader line by line: the character
// reader drops '#' lines in the first column, KR_naechste_Zeile steps over
// blanks, empty lines and ';' lines, a '[' or '{' after blanks opens a block
// (on the first line only in the first byte), and KR_Element_lesen_2 reads
// an entry's name.
#include "pruefen.h"

#include "korvan.hpp"

#include <cstdio>
#include <map>

namespace {

using kr::intern::Ist_Blank;
using kr::intern::Ist_Klammer;
using kr::intern::Klein;

constexpr size_t Keins = std::string_view::npos;
// What KR_Element_lesen_2 skips before an element, and what ends a word
// (besides the line end).
constexpr std::string_view Trenner = " \t,:=]}";
constexpr std::string_view Schluss = ":=]} \t,;";

std::string Zitat(std::string_view s)
{
    std::string z(1, '\'');
    z.append(s);
    return z += '\'';
}

std::string Klein_text(std::string_view s)
{
    std::string k(s);
    for (char &c : k)
        c = Klein(c);
    return k;
}

// The offset behind the closing quote of the quoted string that opens at i,
// or Keins when the line ends first; '*' escapes the character after it.
size_t Zeichenkette_ende(std::string_view z, size_t i)
{
    for (size_t k = i + 1; k < z.size(); ++k) {
        if (z[k] == '*')
            ++k;
        else if (z[k] == '"')
            return k + 1;
    }
    return Keins;
}

// The first element of a line, as KR_Element_lesen_2 reads it from von on.
struct Element {
    size_t anfang = Keins;  // its first character; Keins when there is none
    size_t ende = Keins;    // behind it; Keins when it runs to the line end
    std::string name;       // a word, or the inside of a quoted string
    bool zitiert = false;
    bool offen = false;     // a quoted string that its line does not close
    char schluss = 0;       // the character behind it; 0 at the line end
    bool eintrag() const { return !offen && (schluss == ':' || schluss == '='); }
};

Element Element_lesen(std::string_view z, size_t von)
{
    Element e;
    e.anfang = z.find_first_not_of(Trenner, von);
    if (e.anfang == Keins || z[e.anfang] == ';') {
        e.anfang = Keins;
        return e;
    }
    if (z[e.anfang] == '"') {
        e.zitiert = true;
        e.ende = Zeichenkette_ende(z, e.anfang);
        e.offen = e.ende == Keins;
        e.name = z.substr(e.anfang + 1, e.offen ? Keins : e.ende - e.anfang - 2);
    } else {
        e.ende = z.find_first_of(Schluss, e.anfang);
        e.name = z.substr(e.anfang, e.ende == Keins ? Keins : e.ende - e.anfang);
    }
    e.schluss = e.ende < z.size() ? z[e.ende] : 0;
    return e;
}

// Where an entry name was first seen in the current block, by form.
struct Erstes {
    long irgendeins = 0, doppelpunkt = 0, gleich = 0;
};

struct Pruefung {
    std::vector<Befund> befunde;
    long zeile = 0;                 // the line being looked at
    bool im_block = false;
    bool vorne_gemeldet = false;    // text before the first header
    bool offen = false;             // a quoted value runs on over the lines
    std::string block;
    std::map<std::string, Erstes> namen;
    std::map<std::string, long> bloecke;

    void melden(size_t offset, std::string was)
    {
        befunde.push_back({zeile, static_cast<long>(offset) + 1, std::move(was)});
    }
};

void Block_beginnen(Pruefung &p, const std::string &name)
{
    p.im_block = true;
    p.offen = false;
    p.block = name;
    p.namen.clear();
}

void Kopf_pruefen(Pruefung &p, std::string_view z, size_t k)
{
    const char klammer = z[k];
    // The name as the block reader and KR_Abschnitt_finden take it.
    std::string name;
    char zu = 0;
    if (k + 1 < z.size() && z[k + 1] == '"') {
        size_t e = Zeichenkette_ende(z, k + 1);
        name = z.substr(k + 2, e == Keins ? Keins : e - k - 3);
        zu = e < z.size() ? z[e] : 0;
    } else {
        size_t e = z.find_first_of("]}", k + 1);
        name = z.substr(k + 1, e == Keins ? Keins : e - k - 1);
        zu = e == Keins ? 0 : z[e];
    }
    if (klammer == '{' && zu != '}') {
        p.melden(k, "'{' opens the line: the readers take it as the class header " + Zitat("{" + name) +
                        (p.im_block ? ", which ends the block " + Zitat(p.block) : std::string()));
        Block_beginnen(p, name);
        return;
    }
    if (k > 0)
        p.melden(k, "indented header: removing the block before it (KR_Abschnitt_loeschen) removes it too");
    if (zu == 0)
        p.melden(k, "no closing ']': the name " + Zitat(name) +
                        " runs to the line end, and KR_Abschnitt_finden skips the next line");
    if (name.size() > kr::Namenslaenge)
        p.melden(k + 1, "header name of " + std::to_string(name.size()) + " characters: the library's " +
                            "header searches take at most " + std::to_string(kr::Namenslaenge) + " and stop here");
    else if (Element_lesen(z, k + 1).anfang == Keins)
        p.melden(k + 1, "header without a name: the library's class searches stop here");
    auto [erst, neu] = p.bloecke.try_emplace(Klein_text(name), p.zeile);
    if (!neu)
        p.melden(k, "block " + Zitat(name) + " again (first at line " + std::to_string(erst->second) +
                        "): the readers take the first");
    Block_beginnen(p, name);
}

void Doppelt_pruefen(Pruefung &p, const Element &e)
{
    Erstes &erst = p.namen[Klein_text(e.name)];
    long &gleiche = e.schluss == ':' ? erst.doppelpunkt : erst.gleich;
    const std::string im = " in block " + Zitat(p.block);
    if (gleiche)
        p.melden(e.anfang, "name " + Zitat(e.name) + " again" + im + " (first at line " + std::to_string(gleiche) +
                               "): the readers take the first");
    else if (erst.irgendeins)
        p.melden(e.anfang, Zitat(e.name + e.schluss) + " after " + Zitat(e.name + (e.schluss == ':' ? '=' : ':')) +
                               " at line " + std::to_string(erst.irgendeins) + im + ": korvan get takes the first, " +
                               (e.schluss == ':' ? "KR_Eintrag_finden" : "KR_INI_Eintrag_finden") + " this one");
    if (!gleiche)
        gleiche = p.zeile;
    if (!erst.irgendeins)
        erst.irgendeins = p.zeile;
}

// Why a line whose first element is no name ended by ':' or '=' is no entry.
void Kein_eintrag(Pruefung &p, std::string_view z, const Element &e)
{
    size_t trenner = e.ende == Keins ? Keins : z.find_first_of(":=", e.ende);
    if (trenner == Keins) {
        p.melden(e.anfang, "neither ':' nor '=': the readers skip the line");
    } else if (Ist_Blank(e.schluss) && z.find_first_not_of(" \t", e.ende) == trenner) {
        p.melden(e.ende, std::string("blank before '") + z[trenner] + "': the readers end the name " +
                             Zitat(e.name) + " at the blank and skip the line");
    } else if (e.schluss == ']' && e.name.find('[') != std::string::npos) {
        p.melden(e.anfang + e.name.find('['),
                 "'name[locale]': the readers end the name " + Zitat(e.name) + " at ']' and skip the line");
    } else {
        p.melden(e.anfang, e.zitiert ? "quoted name without ':' or '=' right after it: the readers skip the line"
                           : "the readers end the name " + Zitat(e.name) + " at " +
                                 (Ist_Blank(e.schluss) ? "a blank" : Zitat(std::string(1, e.schluss))) +
                                 " and skip the line");
    }
}

void Eintrag_pruefen(Pruefung &p, std::string_view z, size_t k)
{
    Element e = Element_lesen(z, k);
    if (e.anfang != k) {
        p.melden(k, std::string(z[k] == '=' || z[k] == ':' ? "empty name: " : "") + "the readers skip the leading " +
                        Zitat(std::string(1, z[k])) + " as a separator and read " +
                        (e.eintrag() ? "the entry " + Zitat(e.name) : "no entry"));
        return;
    }
    if (e.offen) {
        p.melden(e.anfang, "quoted name not closed on its line: the readers read the next lines into it");
        p.offen = true;
        return;
    }
    if (!e.eintrag()) {
        Kein_eintrag(p, z, e);
        return;
    }
    if (e.zitiert)
        p.melden(e.anfang, "quoted name: korvan get takes it, the library's entry searches only a plain word");
    if (e.name.size() > kr::Namenslaenge)
        p.melden(e.anfang, "name of " + std::to_string(e.name.size()) + " characters: the library's entry " +
                               "searches take at most " + std::to_string(kr::Namenslaenge) + " and never find it");
    Doppelt_pruefen(p, e);
    size_t wert = z.find_first_not_of(Trenner, e.ende + 1);
    if (wert != Keins && z[wert] == '"' && Zeichenkette_ende(z, wert) == Keins) {
        p.melden(wert, "quoted string not closed on its line: korvan get reads on into the next lines, "
                       "the library does not");
        p.offen = true;
    }
}

// Whether a line that a quoted value runs into closes it.
bool Schliesst(std::string_view z)
{
    for (size_t k = 0; k < z.size(); ++k) {
        if (z[k] == '*')
            ++k;
        else if (z[k] == '"')
            return true;
    }
    return false;
}

// nach_cr: the line began after a lone CR, which the character reader does
// not take as the start of a line.
void Zeile_pruefen(Pruefung &p, std::string_view z, bool erste, bool nach_cr)
{
    // A '#' in the first column opens a comment line, but not in the
    // text's first byte; the first line is stepped over anyway.
    if (!erste && !nach_cr && !z.empty() && z[0] == '#')
        return;
    size_t k = z.find_first_not_of(" \t");
    if (k == Keins)
        return;
    if (Ist_Klammer(z[k]) && (k == 0 || !erste)) {
        Kopf_pruefen(p, z, k);
        return;
    }
    if (p.offen) {
        p.offen = !Schliesst(z);
        return;
    }
    if (z[k] == ';' || (erste && z[k] == '#'))
        return;
    if (!p.im_block) {
        if (!p.vorne_gemeldet)
            p.melden(k, Ist_Klammer(z[k]) ? "header not in the first byte: the readers take a header on the "
                                            "first line only there"
                                          : "text before the first header: the readers take entries only "
                                            "after a '[name]' line");
        p.vorne_gemeldet = true;
        return;
    }
    if (z[k] == '#') {
        Element e = Element_lesen(z, k);
        p.melden(k, std::string(k == 0 ? "'#' after a lone CR" : "'#' not in the first column") +
                        ": the readers take it as text, not a comment" +
                        (e.eintrag() ? ", here as the entry " + Zitat(e.name) : std::string()));
        return;
    }
    Eintrag_pruefen(p, z, k);
}

} // namespace

std::vector<Befund> Pruefen(std::string_view text)
{
    Pruefung p;
    size_t von = 0;
    if (text.starts_with("\xEF\xBB\xBF")) {
        p.zeile = 1;
        p.melden(0, "UTF-8 byte-order mark: the readers take it as text, so the first line holds no header");
        p.vorne_gemeldet = true;
        von = 3;
    }
    bool nach_cr = false;
    for (p.zeile = 1; von <= text.size(); ++p.zeile) {
        size_t bis = std::min(text.find_first_of("\r\n", von), text.size());
        // Columns count from the line's start, a byte-order mark included.
        size_t anfang = p.zeile == 1 ? 0 : von;
        Zeile_pruefen(p, text.substr(anfang, bis - anfang), p.zeile == 1, nach_cr);
        if (bis == text.size())
            break;
        bool crlf = text[bis] == '\r' && bis + 1 < text.size() && text[bis + 1] == '\n';
        nach_cr = text[bis] == '\r' && !crlf;
        von = bis + (crlf ? 2 : 1);
    }
    return p.befunde;
}

int Pruefen_ausgeben(const std::string &anzeige, std::string_view text)
{
    std::vector<Befund> befunde = Pruefen(text);
    for (const Befund &b : befunde) {
        std::string zeile =
            anzeige + ":" + std::to_string(b.zeile) + ":" + std::to_string(b.spalte) + ": " + b.was + "\n";
        std::fwrite(zeile.data(), 1, zeile.size(), stdout);
    }
    return befunde.empty() ? 0 : 1;
}
