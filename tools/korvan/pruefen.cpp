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
    const std::string wo = p.im_block ? ", which ends the block " + Zitat(p.block) : "";
    if (klammer == '{' && zu != '}') {
        p.melden(k, "'{' at the start of a line: the readers take it as the header of a class named " +
                        Zitat(name) + wo + " (a class header is '{group.number}')");
        Block_beginnen(p, name);
        return;
    }
    if (k > 0)
        p.melden(k, "indented header: the searches find it, but the library's removal of a block "
                    "(KR_Abschnitt_loeschen) ends only at a bracket in the first column, so removing "
                    "the block before it removes this one too");
    if (zu == 0)
        p.melden(k, "header without closing ']': the readers take " + Zitat(name) +
                        " up to the line end as its name, and the library's header search "
                        "(KR_Abschnitt_finden) then steps over the line after it");
    if (name.size() > kr::Namenslaenge)
        p.melden(k + 1, "header name of " + std::to_string(name.size()) + " characters: the library's " +
                            "header searches take at most " + std::to_string(kr::Namenslaenge) +
                            " and give up at this line, so no block from here on is found by name");
    else if (Element_lesen(z, k + 1).anfang == Keins)
        p.melden(k + 1, "header without a name: the library's class searches (KR_Klasse_finden) "
                        "give up at this line, so no class from here on is found");
    auto [erst, neu] = p.bloecke.try_emplace(Klein_text(name), p.zeile);
    if (!neu)
        p.melden(k, "block " + Zitat(name) + " again (first at line " + std::to_string(erst->second) +
                        "): the readers take the first block of a name and never reach this one");
    Block_beginnen(p, name);
}

void Doppelt_pruefen(Pruefung &p, const Element &e)
{
    Erstes &erst = p.namen[Klein_text(e.name)];
    long &gleiche = e.schluss == ':' ? erst.doppelpunkt : erst.gleich;
    if (gleiche)
        p.melden(e.anfang, "name " + Zitat(e.name) + " again in block " + Zitat(p.block) + " (first at line " +
                               std::to_string(gleiche) + "): the readers take the first and never reach this one");
    else if (erst.irgendeins)
        p.melden(e.anfang, Zitat(e.name + e.schluss) + " after " + Zitat(e.name + (e.schluss == ':' ? '=' : ':')) +
                               " at line " + std::to_string(erst.irgendeins) + " in block " + Zitat(p.block) +
                               ": korvan get takes the first of the two, only KR_" +
                               (e.schluss == ':' ? "" : "INI_") + "Eintrag_finden this one");
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
        p.melden(e.anfang, "neither ':' nor '=': the readers skip the line as no entry");
    } else if (Ist_Blank(e.schluss) && z.find_first_not_of(" \t", e.ende) == trenner) {
        p.melden(e.ende, std::string("blank before '") + z[trenner] + "': the readers end the name " +
                             Zitat(e.name) + " at the blank and skip the line as no entry");
    } else if (e.schluss == ']' && e.name.find('[') != std::string::npos) {
        p.melden(e.anfang + e.name.find('['), "'name[locale]': the readers read the name " + Zitat(e.name) +
                                                  " ended by ']' and skip the line as no entry");
    } else {
        std::string am = e.zitiert ? "a quoted string not followed directly by ':' or '='"
                         : Ist_Blank(e.schluss) ? "the name " + Zitat(e.name) + " ended by a blank"
                                                : "the name " + Zitat(e.name) + " ended by '" + e.schluss + "'";
        p.melden(e.anfang, "the readers read " + am + " and skip the line as no entry");
    }
}

void Eintrag_pruefen(Pruefung &p, std::string_view z, size_t k)
{
    Element e = Element_lesen(z, k);
    if (e.anfang != k) {
        std::string was = e.eintrag() ? "read the entry " + Zitat(e.name) : "read no entry";
        const std::string zeichen = Zitat(std::string(1, z[k]));
        p.melden(k, (z[k] == '=' || z[k] == ':' ? "empty name: the readers skip the leading " + zeichen
                                                 : "the line starts with " + zeichen + ": the readers skip it") +
                        " as they skip blanks before a name, and " + was);
        return;
    }
    if (e.offen) {
        p.melden(e.anfang, "quoted name not closed on its line: the readers skip the line as no entry "
                           "and read the lines after it into the string");
        p.offen = true;
        return;
    }
    if (!e.eintrag()) {
        Kein_eintrag(p, z, e);
        return;
    }
    if (e.zitiert)
        p.melden(e.anfang, "quoted name: korvan's block reader takes it, but the library's searches "
                           "(KR_Eintrag_finden, KR_INI_Eintrag_finden) only take a plain word");
    if (e.name.size() > kr::Namenslaenge)
        p.melden(e.anfang, "name of " + std::to_string(e.name.size()) + " characters: the library's entry " +
                               "searches take at most " + std::to_string(kr::Namenslaenge) + " and never find it");
    Doppelt_pruefen(p, e);
    size_t wert = z.find_first_not_of(Trenner, e.ende + 1);
    if (wert != Keins && z[wert] == '"' && Zeichenkette_ende(z, wert) == Keins) {
        p.melden(wert, "quoted string not closed on its line: korvan's block reader runs the value on "
                       "over the lines after it (to its closing quote or the next header), the library's "
                       "entry searches take those lines as lines of their own");
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

void Zeile_pruefen(Pruefung &p, std::string_view z, bool erste)
{
    // A '#' in the first column opens a comment line, but not in the
    // text's first byte; the first line is stepped over anyway.
    if (!erste && !z.empty() && z[0] == '#')
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
            p.melden(k, Ist_Klammer(z[k]) ? "header not in the first byte of the text: on the first line the "
                                            "readers take a header only there, so the lines up to the next "
                                            "header belong to no block"
                                          : "text before the first header: the readers take entries only "
                                            "in a block after a '[name]' line");
        p.vorne_gemeldet = true;
        return;
    }
    if (z[k] == '#') {
        Element e = Element_lesen(z, k);
        p.melden(k, "'#' not in the first column: the readers take the line as text, not as a comment" +
                        (e.eintrag() ? ", and read it as the entry " + Zitat(e.name) : std::string()));
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
        p.melden(0, "UTF-8 byte-order mark: the readers take its three bytes as text of the first line, "
                    "where a header must start in the first byte; the lines up to the next header "
                    "belong to no block");
        p.vorne_gemeldet = true;
        von = 3;
    }
    for (p.zeile = 1; von <= text.size(); ++p.zeile) {
        size_t bis = std::min(text.find_first_of("\r\n", von), text.size());
        // Columns count from the line's start, a byte-order mark included.
        size_t anfang = p.zeile == 1 ? 0 : von;
        Zeile_pruefen(p, text.substr(anfang, bis - anfang), p.zeile == 1);
        if (bis == text.size())
            break;
        von = bis + (text[bis] == '\r' && bis + 1 < text.size() && text[bis + 1] == '\n' ? 2 : 1);
    }
    return p.befunde;
}

int Pruefen_ausgeben(const std::string &anzeige, std::string_view text)
{
    std::vector<Befund> befunde = Pruefen(text);
    for (const Befund &b : befunde) {
        std::string zeile = anzeige + ":" + std::to_string(b.zeile) + ":" + std::to_string(b.spalte) + ": " + b.was + "\n";
        std::fwrite(zeile.data(), 1, zeile.size(), stdout);
    }
    return befunde.empty() ? 0 : 1;
}
