// argumente.cpp - the shell's arguments of a subcommand written as one
// argument line, and that line read against the subcommand's template.
#include "befehl.h"

#include "korvan.h"

#include <algorithm>
#include <cstring>

namespace {

// The reader copies at most this many characters of a line, and reads an
// element (a keyword's value) into 512 bytes.
constexpr size_t Zeilengrenze = 512;
constexpr int Elementpuffer = 512;
// A positional value is read into 256 bytes, a keyword's value into 512.
constexpr size_t Positionsgrenze = 255;
constexpr size_t Schluesselwertgrenze = 511;

using Posten = std::vector<kr::Vorlagenposten>;

bool Gleich(std::string_view a, std::string_view b)
{
    auto klein = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return klein(x) == klein(y);
           });
}

// The item whose name or alias the word is, letter case aside; -1 for none.
// Only whole names count, not the reader's prefixes: "files" names no FILE.
int Schluessel(const Posten &posten, std::string_view wort)
{
    for (size_t i = 0; i < posten.size(); ++i) {
        if (!posten[i].name.empty() && Gleich(posten[i].name, wort))
            return static_cast<int>(i);
        for (const std::string &a : posten[i].aliase) {
            if (!a.empty() && Gleich(a, wort))
                return static_cast<int>(i);
        }
    }
    return -1;
}

// What KR_Element_lesen makes of the text: the element and its kind.
int Element_lesen(const std::string &text, std::string *element)
{
    std::string kopie = text;
    Zugriffshandle h;
    std::memset(&h, 0, sizeof h);
    h.puffer = kopie.data();
    h.laenge = static_cast<uint32_t>(kopie.size());
    char puffer[Elementpuffer];
    int r = KR_Element_lesen(puffer, sizeof puffer, &h);
    if (r > 0)
        *element = puffer;
    // The whole text must be the one element.
    return r > 0 && h.position == static_cast<int32_t>(kopie.size()) ? r : -1;
}

// A value as an element that the reader gives back unchanged and never
// takes for a keyword: a plain word where it can be, else a quoted string.
bool Wert_schreiben(const std::string &vorlage, const std::string &wert, size_t grenze, std::string *aus,
                   std::string *fehler)
{
    if (wert.size() > grenze) {
        *fehler = "an argument of " + std::to_string(wert.size()) + " characters; at most " +
                  std::to_string(grenze) + " fit there";
        return false;
    }
    std::string gelesen;
    if (!wert.empty() && wert[0] != '"' && wert.find_first_of(" \t,;=\r\n") == std::string::npos &&
        KR_Arg_finden(vorlage.c_str(), wert.c_str()) < 0 && Element_lesen(wert, &gelesen) == 3 &&
        gelesen == wert) {
        *aus = wert;
        return true;
    }
    std::string q = "\"";
    for (char c : wert) {
        if (c == '"')
            q += "*\"";
        else if (c == '\n')
            q += "*N";
        else
            q += c;
    }
    q += '"';
    // The reader's copy of the line ends at a carriage return.
    if (wert.find('\r') == std::string::npos && Element_lesen(q, &gelesen) == 4 && gelesen == wert) {
        *aus = q;
        return true;
    }
    if (wert.find('\r') != std::string::npos)
        *fehler = "the argument " + Zitiert(wert) + " holds a carriage return, which ends an argument line";
    else
        *fehler = "the argument " + Zitiert(wert) +
                  " needs quotes, and in quotes a '*' before a quote, E, N or the end cannot be written";
    return false;
}

// The next item that a positional value goes to, as the reader's Seek
// finds it; -1 when none is left.
int Naechste_Position(const Posten &posten, const std::vector<bool> &gegeben)
{
    for (size_t i = 0; i < posten.size(); ++i) {
        uint16_t o = posten[i].optionen;
        if (o & (kr::Option_S | kr::Option_K | kr::Option_T))
            continue;
        if (!gegeben[i] || (o & kr::Option_M))
            return static_cast<int>(i);
    }
    return -1;
}

// The rest-of-line item's text: the first text and the arguments from `ab`
// on, as a command line or joined by blanks.
bool Rest_schreiben(const Unterbefehl &b, const std::vector<std::string> &a, size_t ab, const std::string &erstes,
                    std::string *aus, std::string *fehler)
{
    std::vector<std::string> teile{erstes};
    teile.insert(teile.end(), a.begin() + static_cast<std::ptrdiff_t>(ab), a.end());
    if (b.befehlszeile && erstes.find('"') != std::string::npos) {
        *fehler = "a program name cannot hold a double quote";
        return false;
    }
    std::string rest;
    for (size_t k = 0; k < teile.size(); ++k) {
        if (b.befehlszeile)
            Befehlszeile_anhaengen(rest, teile[k]);
        else
            rest += (k == 0 ? "" : " ") + teile[k];
    }
    if (rest.find_first_of("\r\n") != std::string::npos) {
        *fehler = "an argument holds a line end";
        return false;
    }
    *aus = rest;
    return true;
}

} // namespace

void Befehlszeile_anhaengen(std::string &zeile, const std::string &argument)
{
    bool erstes = zeile.empty();
    if (!erstes)
        zeile += ' ';
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        zeile += argument;
        return;
    }
    // The program name knows no escapes: its quotes are simply dropped.
    zeile += '"';
    size_t schraeg = 0;
    for (char c : argument) {
        if (c == '\\' && !erstes) {
            ++schraeg;
            continue;
        }
        if (c == '"')
            zeile.append(2 * schraeg + 1, '\\');
        else
            zeile.append(schraeg, '\\');
        schraeg = 0;
        zeile += c;
    }
    zeile.append(2 * schraeg, '\\');
    zeile += '"';
}

bool Zeile_bauen(const Unterbefehl &b, const std::vector<std::string> &a, std::string *zeile, std::string *fehler)
{
    const std::string vorlage = b.vorlage;
    auto gelesen = kr::Vorlage_lesen(vorlage);
    if (!gelesen) {
        *fehler = "the template " + vorlage + " is wrong: " + gelesen.fehler();
        return false;
    }
    const Posten &posten = *gelesen;
    std::vector<bool> gegeben(posten.size(), false);
    std::string &z = *zeile;
    z.clear();
    auto anfuegen = [&z](const std::string &s) {
        if (!z.empty())
            z += ' ';
        z += s;
    };
    // The rest of the line goes to its item by keyword, so that it begins
    // right after the '=' and no word of it is taken for a keyword.
    auto rest = [&](int i, size_t ab, const std::string &erstes) {
        std::string r;
        if (!Rest_schreiben(b, a, ab, erstes, &r, fehler))
            return false;
        anfuegen(posten[static_cast<size_t>(i)].name + "=" + r);
        return true;
    };

    for (size_t k = 0; k < a.size(); ++k) {
        const std::string &arg = a[k];
        std::string wert;

        // A switch alone, or any item with its value after '='.  Other items'
        // names alone are values: "korvan get FILE server name" asks for
        // the entry "name".
        size_t gleich = arg.find('=');
        int i = Schluessel(posten, arg);
        if (i >= 0) {
            const kr::Vorlagenposten &p = posten[static_cast<size_t>(i)];
            if (p.optionen & kr::Option_S) {
                anfuegen(p.name);
                continue;
            }
        } else if (gleich != std::string::npos && gleich > 0) {
            i = Schluessel(posten, std::string_view(arg).substr(0, gleich));
            if (i >= 0) {
                const kr::Vorlagenposten &p = posten[static_cast<size_t>(i)];
                if (p.optionen & kr::Option_F)
                    return rest(i, k + 1, arg.substr(gleich + 1));
                gegeben[static_cast<size_t>(i)] = true;
                if (!Wert_schreiben(vorlage, arg.substr(gleich + 1), Schluesselwertgrenze, &wert, fehler))
                    return false;
                anfuegen(p.name + "=" + wert);
                continue;
            }
        }

        // A positional value.
        int n = Naechste_Position(posten, gegeben);
        if (n >= 0 && (posten[static_cast<size_t>(n)].optionen & kr::Option_F))
            return rest(n, k + 1, arg);
        if (!Wert_schreiben(vorlage, arg, Positionsgrenze, &wert, fehler))
            return false;
        anfuegen(wert);
        if (n >= 0)
            gegeben[static_cast<size_t>(n)] = true;
    }
    return true;
}

bool Zeile_lesen(const Unterbefehl &b, const std::string &zeile, Werte *werte, std::string *fehler)
{
    if (zeile.size() > Zeilengrenze) {
        *fehler = "the arguments make a line of " + std::to_string(zeile.size()) + " characters; at most " +
                  std::to_string(Zeilengrenze) + " fit";
        return false;
    }
    auto gelesen = kr::Argumente_lesen(b.vorlage, zeile);
    if (!gelesen) {
        *fehler = gelesen.fehler();
        return false;
    }
    *werte = Werte(std::move(*gelesen));
    return true;
}
