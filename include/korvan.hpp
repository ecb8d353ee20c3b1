// korvan.hpp - a C++20 layer over Korvan's exported readers: owners of access
// handles and argument records, the blocks and entries of configuration text
// read without skipping a line or a header, values of any length, block
// editing, in place, and typed argument values.  Header-only; it calls the
// KR_ functions and, for editing in place, the memory-object library's
// Quidel_ functions, so it works against the installed shared libraries.
//
// Nothing here throws: every operation that can fail returns an Ergebnis,
// which holds either the value or a one-line error text.
#ifndef KORVAN_HPP
#define KORVAN_HPP

#include "korvan.h"
#include "korvan/intern/vorlage.h"
#include "korvan/intern/zeichen.h"
#include "quidel32.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kr {

// The longest header or entry name that the library's searches
// (KR_Abschnitt_finden, KR_Eintrag_finden, KR_INI_Eintrag_finden, ...) take;
// the block reader below reads longer ones too.
constexpr size_t Namenslaenge = intern::Namenspuffer - 1;

// ---------------------------------------------------------------------------
// Results
// ---------------------------------------------------------------------------

// The error of an operation, as one line of text.
struct Fehler {
    std::string text;
};

// A value, or the error text that says why there is none.
template <class T = void>
class [[nodiscard]] Ergebnis {
public:
    Ergebnis(T wert) : wert_(std::move(wert)) {}
    Ergebnis(Fehler f) : fehler_(std::move(f.text)) {}

    explicit operator bool() const { return wert_.has_value(); }
    // Only on success, as with std::optional.
    T &operator*() { return *wert_; }
    const T &operator*() const { return *wert_; }
    T *operator->() { return &*wert_; }
    const T *operator->() const { return &*wert_; }
    T wert_oder(T ersatz) const { return wert_ ? *wert_ : std::move(ersatz); }
    // Empty on success.
    const std::string &fehler() const { return fehler_; }

private:
    std::optional<T> wert_;
    std::string fehler_;
};

// Success without a value, or the error text.
template <>
class [[nodiscard]] Ergebnis<void> {
public:
    Ergebnis() = default;
    Ergebnis(Fehler f) : ok_(false), fehler_(std::move(f.text)) {}

    explicit operator bool() const { return ok_; }
    const std::string &fehler() const { return fehler_; }

private:
    bool ok_ = true;
    std::string fehler_;
};

// ---------------------------------------------------------------------------
// Blocks and entries
// ---------------------------------------------------------------------------

enum class Eintragsart {
    Doppelpunkt, // name: value
    INI,         // name=value
};

// The first element of a value, as KR_Element_lesen_2 reads it.
enum class Elementart {
    keins,        // the value is empty, or starts with ';'
    Wort,         // a word
    Zeichenkette, // a quoted string, decoded
};

struct Eintrag {
    Eintragsart art = Eintragsart::Doppelpunkt;
    std::string name;    // a word, or a quoted string (decoded)
    std::string text;    // everything after ':' or '=' to the line end, blanks around it removed
    std::string element; // the first element of the value, a quoted string decoded
    Elementart elementart = Elementart::keins;
    std::string wert;    // element when the value is one quoted string, otherwise text
    int zeile = 0;       // line of the name, counted from 1
    // Offsets into the text, for editing in place: the start of the name's
    // line, the ':' or '=', the value text as written (blanks around it
    // left out), and the end of the line where the value ends, its line end
    // included.
    uint32_t zeilenanfang = 0, trenner = 0, wert_von = 0, wert_bis = 0, ende = 0;
};

struct Block {
    char klammer = '[';  // '[' a section, '{' a class
    std::string name;    // as the header search compares it: blanks kept, a quoted name decoded
    int zeile = 0;       // line of the header, counted from 1
    uint32_t anfang = 0; // offset of the opening bracket
    bool eingerueckt = false; // blanks stand before the bracket
    std::vector<Eintrag> eintraege;
    // Offsets: the start of the header's line, the end of that line (its
    // line end included), and the end of the last entry's line (kopfende
    // when there is none); blank and comment lines after it are not counted.
    uint32_t zeilenanfang = 0, kopfende = 0, ende = 0;

    // The first entry of that name (ASCII case ignored), or null.
    const Eintrag *eintrag(std::string_view gesucht) const;
    // Gives the first entry of that name the value text, or appends a new
    // entry of the kind asked for; the entry's other fields follow the text.
    Ergebnis<> setzen(std::string_view eintragsname, std::string_view text,
                      Eintragsart art = Eintragsart::Doppelpunkt);
};

namespace intern {

inline bool Namen_gleich(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Klein(a[i]) != Klein(b[i]))
            return false;
    }
    return true;
}

// KR_Abschnitt_finden positions to 0 but keeps the handle's last character;
// a take-back forgets it, so that a '#' in the first byte stays an ordinary
// character, as the walk reads it.
inline void Anfang_vergessen(Zugriffshandle *h)
{
    if (h->laenge > 0 && KR_positionieren(h, 1) == 1)
        KR_Zeichen_ruecklesen(h);
}

// The text of a handle byte for byte, as its source holds it: a memory
// source's '#' lines are kept, as its reader would remove them.
inline bool Text_holen(Zugriffshandle *h, std::string &s)
{
    s.clear();
    if (!h)
        return false;
    if (h->lesefunktion) {
        if (KR_positionieren(h, 0) != 1)
            return false;
        for (int c; (c = KR_Zeichen_lesen(h)) != Ende;)
            s.push_back(static_cast<char>(c));
        return true;
    }
    if (h->objekt != 0) {
        // The character reader removes a '#' line only after a line feed
        // that it has returned itself: each line feed is taken back and
        // stepped over by positioning instead.
        Anfang_vergessen(h);
        if (KR_positionieren(h, 0) != 1)
            return false;
        for (int c; (c = KR_Zeichen_lesen(h)) != Ende;) {
            s.push_back(static_cast<char>(c));
            if (c == LF && KR_Zeichen_ruecklesen(h) == 1)
                KR_positionieren(h, static_cast<uint32_t>(h->position) + 1);
        }
        return s.size() == h->laenge;
    }
    if (h->puffer) {
        s.assign(h->puffer, h->laenge);
        return true;
    }
    return false;
}

// One element read by one of the element readers.
struct Element {
    int art = Element_keins; // never Element_zu_lang
    std::string text;
    uint32_t anfang = 0;     // offset of its first character
    uint32_t ende = 0;       // the reader's position after it
    bool offen = false;      // a quoted string that the text ended inside
};

using Elementleser = int(KR_CALL *)(char *, int, Zugriffshandle *);

// The element at the position of a memory-buffer handle, whatever its
// length: when it does not fit, the reader goes back to where it began
// (elementanfang) and reads it again into twice the room.  The text's last
// byte is a line feed put behind it at textende, so that a quoted string
// running to the end can be told from a closed one.
inline Element Element_lesen(Zugriffshandle *h, uint32_t textende, Elementleser leser = KR_Element_lesen_2)
{
    std::string puffer(64, '\0');
    int r;
    while ((r = leser(puffer.data(), static_cast<int>(puffer.size()), h)) == Element_zu_lang) {
        if (puffer.size() > static_cast<size_t>(INT_MAX / 2) || KR_positionieren(h, static_cast<uint32_t>(h->elementanfang - 1)) != 1)
            break; // cannot happen for texts the readers take (below 2 GiB)
        puffer.resize(puffer.size() * 2);
    }
    Element e;
    e.ende = static_cast<uint32_t>(h->position);
    if (r <= Element_keins) {
        e.anfang = e.ende;
        return e;
    }
    e.art = r;
    e.text = puffer.c_str();
    e.anfang = static_cast<uint32_t>(h->elementanfang - 1);
    e.offen = r == Element_Zeichenkette && e.ende > textende;
    if (e.offen) {
        e.text.pop_back(); // the line feed put behind the text
        e.ende = textende;
    }
    return e;
}

// The offset behind the line end at i (LF, CR, CR LF or LF CR), or i.
inline uint32_t Nach_Zeilenende(std::string_view t, uint32_t i)
{
    if (i >= t.size() || !Ist_Zeilenende(t[i]))
        return i;
    return i + 1 < t.size() && Ist_Zeilenende(t[i + 1]) && t[i + 1] != t[i] ? i + 2 : i + 1;
}

// The offset where the line end that ends at i begins, or i.
inline uint32_t Vor_Zeilenende(std::string_view t, uint32_t i)
{
    if (i == 0 || !Ist_Zeilenende(t[i - 1]))
        return i;
    return i >= 2 && Ist_Zeilenende(t[i - 2]) && t[i - 2] != t[i - 1] ? i - 2 : i - 1;
}

inline uint32_t Zeilenanfang(std::string_view t, uint32_t i)
{
    while (i > 0 && !Ist_Zeilenende(t[i - 1]))
        --i;
    return i;
}

inline std::string Getrimmt(std::string_view t)
{
    size_t a = 0, b = t.size();
    while (a < b && Ist_Blank(t[a]))
        ++a;
    while (b > a && Ist_Blank(t[b - 1]))
        --b;
    return std::string(t.substr(a, b - a));
}

} // namespace intern

// Walks the blocks of a configuration text one at a time, from the start of
// the text, each with all its entries, with the library's readers: the header
// walk of KR_naechster_Abschnitt, KR_naechste_Zeile between lines,
// KR_Element_lesen_2 for names and values.  They read a copy of the text in a
// memory buffer, so every source gives what a memory source gives.
//
// A header line starts with '[' or '{', after blanks (but on the first line
// of the text only in its first byte).  Text before the first header belongs
// to no block.  In a block, every line whose first element is a name ended by
// ':' or '=' (a word, or a quoted string directly followed by ':' or '=') is
// an entry; empty lines, ';' and '#' comment lines and all other lines are
// passed over, and the block goes on to the next header line.  A quoted
// string left open at the end of its line takes in the following lines, up
// to the next header line.
class Blockleser {
public:
    explicit Blockleser(Zugriffshandle *h)
    {
        if (!intern::Text_holen(h, text_)) {
            fehler_ = "the handle has no text to read";
            return;
        }
        laenge_ = static_cast<uint32_t>(text_.size());
        text_.push_back('\n');
    }

    // The next block, or nothing at the end of the text (or after an error).
    std::optional<Block> naechster()
    {
        if (!fehler_.empty())
            return std::nullopt;
        l_.puffer = text_.data(); // the reader may have been moved
        l_.laenge = static_cast<uint32_t>(text_.size());
        // 1. The next header line; the reader stands behind its bracket.
        kopf_wartet_ = false;
        int klammer = KR_naechster_Abschnitt(nullptr, 0, &l_);
        if (klammer == 0)
            return std::nullopt;
        Block b;
        b.klammer = static_cast<char>(klammer);
        b.anfang = static_cast<uint32_t>(l_.position) - 1;
        b.eingerueckt = b.anfang > 0 && intern::Ist_Blank(text_[b.anfang - 1]);
        b.zeile = Zeile_bei(b.anfang);
        b.zeilenanfang = intern::Zeilenanfang(std::string_view(text_).substr(0, laenge_), b.anfang);
        // 2. Its name as KR_Abschnitt_finden compares it: a quoted string
        // right after the bracket, or everything up to ']', '}' or the line end.
        size_t kopfrest = b.anfang;
        if (text_[l_.position] == '"') {
            intern::Element n = Ganz_lesen();
            b.name = std::move(n.text);
            kopfrest = n.ende;
        } else {
            size_t ab = static_cast<size_t>(l_.position);
            b.name = text_.substr(ab, text_.find_first_of("]}\r\n", ab) - ab);
        }
        b.kopfende = Zeilenende_nach(kopfrest);
        b.ende = b.kopfende;
        // 3. Its entries, line by line up to the next header line.
        while (!kopf_wartet_ && KR_naechste_Zeile(&l_)) {
            int c = KR_Zeichen_lesen(&l_);
            KR_Zeichen_ruecklesen(&l_);
            if (intern::Ist_Klammer(c))
                break;
            Eintrag e;
            if (Eintrag_lesen(e)) {
                b.ende = e.ende;
                b.eintraege.push_back(std::move(e));
            }
        }
        return b;
    }

    // Empty unless the handle had no text to read.
    const std::string &fehler() const { return fehler_; }

private:
    // The offset behind the end of the line that holds the offset, its line
    // end included; at most the text's length.
    uint32_t Zeilenende_nach(size_t offset) const
    {
        size_t i = std::min<size_t>(text_.find_first_of("\r\n", offset), laenge_);
        return intern::Nach_Zeilenende(std::string_view(text_).substr(0, laenge_), static_cast<uint32_t>(i));
    }

    // The line of an offset, counted from 1; a line ends at LF, CR, CR LF or
    // LF CR.  Offsets are asked for in text order.
    int Zeile_bei(uint32_t offset)
    {
        for (; gezaehlt_ < offset; ++gezaehlt_) {
            char c = text_[gezaehlt_];
            if (!intern::Ist_Zeilenende(c))
                continue;
            ++zeile_;
            if (gezaehlt_ + 1 < text_.size() && intern::Ist_Zeilenende(text_[gezaehlt_ + 1]) && text_[gezaehlt_ + 1] != c)
                ++gezaehlt_;
        }
        return zeile_;
    }

    // The element at the reader.  A quoted string over several lines ends
    // before the first header line among them, where the walk goes on; one
    // that the text ends inside ends before the text's last line end.
    intern::Element Ganz_lesen()
    {
        intern::Element e = intern::Element_lesen(&l_, laenge_);
        if (e.art != intern::Element_Zeichenkette)
            return e;
        uint32_t kopf = 0;
        if (text_.find_first_of("\r\n", e.anfang) < e.ende) {
            Zugriffshandle s = l_;
            KR_positionieren(&s, e.anfang);
            while (!kopf && KR_naechste_Zeile(&s) && static_cast<uint32_t>(s.position) < e.ende) {
                if (intern::Ist_Klammer(KR_Zeichen_lesen(&s)))
                    kopf = static_cast<uint32_t>(s.position) - 1;
            }
        }
        if (!kopf && !e.offen)
            return e;
        uint32_t g = kopf ? kopf : laenge_;
        while (kopf && intern::Ist_Blank(text_[g - 1]))
            --g;
        if (g > e.anfang + 1 && intern::Ist_Zeilenende(text_[g - 1])) {
            --g;
            if (g > e.anfang + 1 && intern::Ist_Zeilenende(text_[g - 1]) && text_[g - 1] != text_[g])
                --g;
        }
        Zugriffshandle t{};
        t.puffer = text_.data();
        t.laenge = g;
        KR_positionieren(&t, e.anfang);
        e = intern::Element_lesen(&t, g);
        e.offen = true;
        if (kopf) {
            KR_positionieren(&l_, kopf);
            kopf_wartet_ = true;
        }
        return e;
    }

    // The reader stands before the first character of a line that is no
    // header, no empty line and no ';' comment.
    bool Eintrag_lesen(Eintrag &e)
    {
        // 1. The name, ended by ':' or '='.
        intern::Element n = Ganz_lesen();
        if (n.art == intern::Element_Zeichenkette && !n.offen)
            n.art = text_[n.ende] == ':' ? intern::Element_Doppelpunkt : text_[n.ende] == '=' ? intern::Element_Gleich : intern::Element_keins;
        if (n.art != intern::Element_Doppelpunkt && n.art != intern::Element_Gleich)
            return false;
        e.art = n.art == intern::Element_Doppelpunkt ? Eintragsart::Doppelpunkt : Eintragsart::INI;
        e.name = std::move(n.text);
        e.zeile = Zeile_bei(n.anfang);
        e.zeilenanfang = intern::Zeilenanfang(std::string_view(text_).substr(0, laenge_), n.anfang);
        e.trenner = static_cast<uint32_t>(l_.position);
        KR_Zeichen_lesen(&l_); // the ':' or '='

        // 2. The value: its first element, and the text as written up to
        // the end of the line where that element ends.
        size_t v = static_cast<size_t>(l_.position);
        intern::Element w = Ganz_lesen();
        size_t zeilenende = text_.find_first_of("\r\n", std::max<size_t>(v, w.ende));
        std::string_view zeile(text_.data(), zeilenende);
        e.text = intern::Getrimmt(zeile.substr(v));
        e.wert_von = static_cast<uint32_t>(std::min(zeile.find_first_not_of(" \t", v), zeilenende));
        e.wert_bis = e.wert_von + static_cast<uint32_t>(e.text.size());
        e.ende = Zeilenende_nach(zeilenende);
        e.elementart = w.art == intern::Element_keins          ? Elementart::keins
                       : w.art == intern::Element_Zeichenkette ? Elementart::Zeichenkette
                                                       : Elementart::Wort;
        bool allein = w.art == intern::Element_Zeichenkette && intern::Getrimmt(zeile.substr(w.ende)).empty();
        e.element = std::move(w.text);
        e.wert = allein ? e.element : e.text;
        return true;
    }

    std::string text_;         // the handle's text and a line feed behind it
    uint32_t laenge_ = 0;      // the handle's text alone
    Zugriffshandle l_{};       // a memory buffer over text_
    bool kopf_wartet_ = false; // the reader stands before a header line
    uint32_t gezaehlt_ = 0;    // the line count has reached this offset
    int zeile_ = 1;
    std::string fehler_;
};

inline const Eintrag *Block::eintrag(std::string_view gesucht) const
{
    for (const Eintrag &e : eintraege) {
        if (intern::Namen_gleich(e.name, gesucht))
            return &e;
    }
    return nullptr;
}

// A text as a quoted string: '"' as *", a line feed as *N, the escape
// character (27) as *E.  A '*' that the reader would take for the start of
// an escape cannot be written; nor can a zero byte.
inline Ergebnis<std::string> Zeichenkette(std::string_view text)
{
    // A '*' and the character after it stand as they are, unless they
    // would read as an escape (or the closing quote would follow).
    constexpr std::string_view Escape("\"\n\x1b" "EeNn\0", 8);
    std::string s = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\0' || (c == '*' && (i + 1 == text.size() || Escape.find(text[i + 1]) != std::string_view::npos)))
            return Fehler{"the text cannot be written as a quoted string"};
        if (c == '*') {
            s += c;
            s += text[++i];
        } else if (c == '"')
            s += "*\"";
        else if (c == '\n')
            s += "*N";
        else if (c == 27)
            s += "*E";
        else
            s += c;
    }
    return s + "\"";
}

namespace intern {

// A name that reads back as the same word before ':' or '=': no character
// that ends a word or is skipped before one, no quote, bracket, ';' or '#'
// at its start.
inline bool Schlichter_Name(std::string_view n)
{
    if (n.empty() || std::string_view("\"[{;#").find(n[0]) != std::string_view::npos)
        return false;
    return n.find_first_of(std::string_view(":= \t,;]}\r\n\0", 11)) == std::string_view::npos;
}

// A header line without its line end: "[name]", or "{name}" for a class;
// a name with a bracket or a line end as a quoted string.
inline Ergebnis<std::string> Kopf_schreiben(char klammer, std::string_view name)
{
    if (klammer != '[' && klammer != '{')
        return Fehler{"a block begins with '[' or '{'"};
    std::string s(1, klammer);
    if (name.find_first_of(std::string_view("]}\r\n\0", 5)) == std::string::npos && (name.empty() || name[0] != '"')) {
        s += name;
    } else {
        auto q = Zeichenkette(name);
        if (!q)
            return Fehler{"the block name \"" + std::string(name) + "\" cannot be written"};
        s += *q;
    }
    return s + (klammer == '[' ? "]" : "}");
}

// An entry's name as it reads back: a word where it can be, else quoted.
inline Ergebnis<std::string> Name_schreiben(std::string_view name)
{
    if (Schlichter_Name(name))
        return std::string(name);
    auto q = Zeichenkette(name);
    if (!q)
        return Fehler{"the entry name \"" + std::string(name) + "\" cannot be written"};
    return *q;
}

// A name of the form group.number (unsigned decimal numbers of 32 bits
// without leading zeros), as a class's header holds it.
inline bool Ist_Klassenname(std::string_view name)
{
    auto zahl = [](std::string_view t) {
        if (t.empty() || t.size() > 10 || (t.size() > 1 && t[0] == '0'))
            return false;
        uint64_t n = 0;
        for (char c : t) {
            if (c < '0' || c > '9')
                return false;
            n = n * 10 + static_cast<uint64_t>(c - '0');
        }
        return n <= 0xFFFFFFFFull;
    };
    size_t punkt = name.find('.');
    return punkt != std::string_view::npos && zahl(name.substr(0, punkt)) && zahl(name.substr(punkt + 1));
}

// The text's first line end, or LF.
inline std::string Erstes_Zeilenende(std::string_view t)
{
    size_t i = t.find_first_of("\r\n");
    if (i == std::string_view::npos)
        return "\n";
    return std::string(t.substr(i, Nach_Zeilenende(t, static_cast<uint32_t>(i)) - i));
}

// The block's text without reading it back.
inline Ergebnis<std::string> Blocktext_bauen(const Block &b)
{
    auto kopf = Kopf_schreiben(b.klammer, b.name);
    if (!kopf)
        return kopf;
    std::string s = *kopf + "\n";
    for (const Eintrag &e : b.eintraege) {
        if (e.text.find_first_of("\r\n") != std::string::npos)
            return Fehler{"the value of " + e.name + " holds a line end; write it as *N in a quoted string"};
        auto name = Name_schreiben(e.name);
        if (!name)
            return name;
        s += *name;
        s += e.art == Eintragsart::INI ? "=" : (e.text.empty() ? ":" : ": ");
        s += e.text;
        s += '\n';
    }
    return s;
}

} // namespace intern

// ---------------------------------------------------------------------------
// Access handles
// ---------------------------------------------------------------------------

// Owns an access handle and closes it when it goes.  Movable, not copyable.
class Zugriff {
public:
    // A configuration file loaded into a memory object: readable, editable, savable.
    static Ergebnis<Zugriff> Konfig_Datei_oeffnen(std::string_view pfad)
    {
        Zugriff z;
        std::string p(pfad);
        if (p.empty() || p.size() != std::strlen(p.c_str()))
            return Fehler{"no valid path given"};
        int s = KR_Konfig_Datei_oeffnen(p.c_str(), &z.h_);
        if (s != 0) {
            std::memset(&z.h_, 0, sizeof z.h_);
            return Fehler{"cannot open " + p + ": " + Statustext(s)};
        }
        return z;
    }

    // A file read as it stands through a file source: read-only.
    static Ergebnis<Zugriff> Datei_oeffnen(std::string_view pfad)
    {
        Zugriff z;
        std::string p(pfad);
        if (p.empty() || p.size() != std::strlen(p.c_str()))
            return Fehler{"no valid path given"};
        if (KR_Datei_oeffnen(p.c_str(), &z.h_) != 0)
            return Fehler{"cannot open " + p};
        return z;
    }

    // A new, empty memory object (its text begins with the four bytes
    // 1A 00 0D 0A, a first line that is no header).
    static Ergebnis<Zugriff> anlegen()
    {
        Zugriff z;
        int s = KR_Konfig_Datei_anlegen(&z.h_);
        if (s != 0) {
            std::memset(&z.h_, 0, sizeof z.h_);
            return Fehler{"cannot create a memory object: " + Statustext(s)};
        }
        return z;
    }

    // A memory buffer over a copy of the text: readable, and blocks can be
    // removed from it; appending and saving need a memory object.
    static Zugriff Puffer(std::string_view text)
    {
        Zugriff z;
        z.puffer_.reset(new char[text.size() + 1]);
        if (!text.empty())
            std::memcpy(z.puffer_.get(), text.data(), text.size());
        z.puffer_[text.size()] = '\0';
        z.h_.puffer = z.puffer_.get();
        z.h_.laenge = static_cast<uint32_t>(text.size());
        return z;
    }

    Zugriff(Zugriff &&a) noexcept : h_(a.h_), puffer_(std::move(a.puffer_))
    {
        std::memset(&a.h_, 0, sizeof a.h_);
    }
    Zugriff &operator=(Zugriff &&a) noexcept
    {
        if (this != &a) {
            KR_Konfig_Datei_schliessen(&h_);
            h_ = a.h_;
            puffer_ = std::move(a.puffer_);
            std::memset(&a.h_, 0, sizeof a.h_);
        }
        return *this;
    }
    Zugriff(const Zugriff &) = delete;
    Zugriff &operator=(const Zugriff &) = delete;
    ~Zugriff() { KR_Konfig_Datei_schliessen(&h_); }

    // The handle itself, for the KR_ functions.  The operations below move
    // its read position; a caller reading on positions it first.
    Zugriffshandle *handle() { return &h_; }

    // Every block with its entries.
    Ergebnis<std::vector<Block>> bloecke()
    {
        Blockleser leser(&h_);
        std::vector<Block> alle;
        while (auto b = leser.naechster())
            alle.push_back(std::move(*b));
        if (!leser.fehler().empty())
            return Fehler{leser.fehler()};
        return alle;
    }

    // The first block of that name (ASCII case ignored).
    Ergebnis<Block> block(std::string_view name)
    {
        Blockleser leser(&h_);
        while (auto b = leser.naechster()) {
            if (intern::Namen_gleich(b->name, name))
                return std::move(*b);
        }
        if (!leser.fehler().empty())
            return Fehler{leser.fehler()};
        return Fehler{"no block named \"" + std::string(name) + "\""};
    }

    // The whole text as the handle holds it, byte for byte.
    Ergebnis<std::string> text()
    {
        std::string s;
        if (!intern::Text_holen(&h_, s))
            return Fehler{"the handle has no text to read"};
        return s;
    }

    // Removes the first block of that name, from its header line up to the
    // next header line, with KR_Abschnitt_loeschen.  Refused, with nothing
    // changed, where the library's removal would not take exactly that block.
    Ergebnis<> entfernen(std::string_view name)
    {
        auto da = Entfernbar(name);
        if (!da)
            return Fehler{da.fehler()};
        if (!*da)
            return Fehler{"no block named \"" + std::string(name) + "\""};
        return Loeschen(name);
    }

    // Removes the first block of that name, if there is one, and appends the
    // new block text (header line first) at the end.
    Ergebnis<> ersetzen(std::string_view name, std::string_view blocktext)
    {
        if (auto ok = Anhaengbar(blocktext); !ok)
            return ok;
        auto da = Entfernbar(name);
        if (!da)
            return Fehler{da.fehler()};
        if (*da) {
            if (auto ok = Loeschen(name); !ok)
                return ok;
        }
        return anhaengen(blocktext);
    }

    // Appends a block text at the end of a memory object.  A line end is put
    // before it where the text does not end with one, and after it where it
    // lacks one: the line end that the text ends with, else the block text's
    // first one, else LF.
    Ergebnis<> anhaengen(std::string_view blocktext)
    {
        if (auto ok = Anhaengbar(blocktext); !ok)
            return ok;
        std::string ende = Letztes_Zeilenende();
        std::string daten;
        if (h_.laenge > 0 && ende.empty())
            daten = "\n";
        daten += blocktext;
        if (ende.empty()) {
            size_t i = blocktext.find_first_of("\r\n");
            ende = i == std::string_view::npos ? "\n" : std::string(blocktext.substr(i, 1));
            if (i + 1 < blocktext.size() && intern::Ist_Zeilenende(blocktext[i + 1]) && blocktext[i + 1] != blocktext[i])
                ende += blocktext[i + 1];
        }
        if (!intern::Ist_Zeilenende(blocktext.back()))
            daten += ende;
        if (daten.size() > static_cast<size_t>(INT32_MAX) - h_.laenge)
            return Fehler{"the text would grow beyond 2147483647 bytes"};
        if (!KR_Block_hinzufuegen(daten.data(), static_cast<int>(daten.size()), &h_))
            return Fehler{"the block could not be appended"};
        return {};
    }

    // Saves a memory object to a file; the file is replaced whole or not at all.
    Ergebnis<> speichern(std::string_view pfad)
    {
        if (h_.objekt == 0)
            return Fehler{"only a memory object can be saved"};
        std::string p(pfad);
        if (p.empty() || p.size() != std::strlen(p.c_str()))
            return Fehler{"no valid path given"};
        int s = KR_Konfig_Datei_schreiben(p.c_str(), &h_);
        if (s != 0)
            return Fehler{"cannot save " + p + ": " + Statustext(s)};
        return {};
    }

    // --- Editing in place -------------------------------------------------
    // The edits below work on a memory object and change only the lines
    // they name; everything else stays byte for byte: comments, blank
    // lines, order, line ends, the quoting of other values.  Each is made
    // on a copy of the text first and refused, with nothing changed, unless
    // the copy reads back with exactly the blocks and entries asked for.
    // Blocks and entries are found by name, ASCII case ignored, the first of
    // a name.

    // An empty memory object, for a file that does not exist yet.
    static Ergebnis<Zugriff> leer()
    {
        auto z = anlegen();
        if (!z)
            return z;
        if (auto ok = z->Ersetzen(0, z->h_.laenge, {}); !ok)
            return Fehler{ok.fehler()};
        return z;
    }

    // Gives the entry `name` of the block `block` the value where it
    // stands; else adds the entry after the block's last entry (before the
    // block's trailing blank and comment lines), in that entry's indentation
    // and form; else adds the block, with the entry, at the end of the text
    // (a class when the name reads group.number), in the form of the text's
    // last entry, without indentation.  The value is written as it is where
    // it reads back so, else as a quoted string; a value that was a quoted
    // string stays one.  `art` is the kind of a new entry; without it, the
    // kind of the entry whose form it takes, else a colon entry.
    Ergebnis<> wert_setzen(std::string_view block, std::string_view name, std::string_view wert,
                           std::optional<Eintragsart> art = {})
    {
        auto stand = Stand_lesen();
        if (!stand)
            return Fehler{stand.fehler()};
        auto [b, e] = Finden(*stand, block, name);
        auto q = Zeichenkette(wert);
        bool zitiert = e && e->elementart == Elementart::Zeichenkette && e->wert == e->element;
        std::vector<std::string> formen;
        if (q && zitiert)
            formen.push_back(*q);
        formen.emplace_back(wert);
        if (q && !zitiert)
            formen.push_back(*q);
        std::string fehler;
        for (const std::string &f : formen) {
            auto ok = Einsetzen(*stand, block, name, f, art, [&](const Eintrag &x) { return x.wert == wert; });
            if (ok)
                return ok;
            fehler = ok.fehler();
        }
        return Fehler{fehler};
    }

    // As wert_setzen, with the value text written exactly as given (blanks
    // around it left out): a quoted string stays as the caller wrote it.
    Ergebnis<> text_setzen(std::string_view block, std::string_view name, std::string_view text,
                           std::optional<Eintragsart> art = {})
    {
        auto stand = Stand_lesen();
        if (!stand)
            return Fehler{stand.fehler()};
        const std::string t = intern::Getrimmt(text);
        return Einsetzen(*stand, block, name, t, art, [&](const Eintrag &x) { return x.text == t; });
    }

    // Deletes the entry's lines (the name's line to the line where its value
    // ends).  False, with nothing changed, when there is no such entry.
    Ergebnis<bool> eintrag_loeschen(std::string_view block, std::string_view name)
    {
        auto stand = Stand_lesen();
        if (!stand)
            return Fehler{stand.fehler()};
        auto [b, e] = Finden(*stand, block, name);
        if (!e)
            return false;
        Gestalt soll = Gestalt_von(stand->bloecke);
        auto &eintraege = soll[static_cast<size_t>(b - stand->bloecke.data())].second;
        eintraege.erase(eintraege.begin() + (e - b->eintraege.data()));
        if (auto ok = Zeilen_loeschen(*stand, e->zeilenanfang, e->ende, soll); !ok)
            return Fehler{ok.fehler()};
        return true;
    }

    // Deletes the block's lines: its header line to its last entry's line;
    // blank and comment lines after that stay, as they may belong to what
    // follows.  False, with nothing changed, when there is no such block.
    Ergebnis<bool> block_loeschen(std::string_view block)
    {
        auto stand = Stand_lesen();
        if (!stand)
            return Fehler{stand.fehler()};
        auto [b, e] = Finden(*stand, block, {});
        if (!b)
            return false;
        Gestalt soll = Gestalt_von(stand->bloecke);
        soll.erase(soll.begin() + (b - stand->bloecke.data()));
        if (auto ok = Zeilen_loeschen(*stand, b->zeilenanfang, b->ende, soll); !ok)
            return Fehler{ok.fehler()};
        return true;
    }

    // Adds an empty block at the end of the text: "[name]", or "{name}"
    // with klammer '{'.
    Ergebnis<> block_anfuegen(std::string_view block, char klammer = '[')
    {
        auto stand = Stand_lesen();
        if (!stand)
            return Fehler{stand.fehler()};
        auto kopf = intern::Kopf_schreiben(klammer, block);
        if (!kopf)
            return Fehler{kopf.fehler()};
        Gestalt soll = Gestalt_von(stand->bloecke);
        soll.push_back({std::string(1, klammer) + std::string(block), {}});
        const std::string &t = stand->text;
        const std::string ende = intern::Erstes_Zeilenende(t);
        const uint32_t n = static_cast<uint32_t>(t.size());
        const std::string neu = (n > 0 && intern::Vor_Zeilenende(t, n) == n ? ende : "") + *kopf + ende;
        auto neue = Probe(*stand, n, n, neu);
        if (!neue)
            return Fehler{neue.fehler()};
        return Uebernehmen(*neue, soll, n, n, neu);
    }

    static std::string Statustext(int s)
    {
        switch (s) {
        case 1: return "no path given";
        case KR_STATUS_SCHREIBGESCHUETZT: return "the file exists and is read-only";
        case QUIDEL_STATUS_ARGUMENT: return "invalid argument";
        case QUIDEL_STATUS_KEIN_HANDLE: return "all memory-object handles are in use";
        case QUIDEL_STATUS_KEIN_SPEICHER: return "out of memory";
        case QUIDEL_STATUS_HANDLE: return "no such memory object";
        case QUIDEL_STATUS_BEREICH: return "outside the memory object";
        case QUIDEL_STATUS_NICHT_LESBAR: return "the file cannot be opened or read";
        case QUIDEL_STATUS_ZU_GROSS: return "the file is longer than 2147483647 bytes";
        case QUIDEL_STATUS_NICHT_ANLEGBAR: return "the file cannot be created or written, or is no regular file";
        case QUIDEL_STATUS_SCHREIBFEHLER: return "writing, flushing or replacing the file failed";
        default: return "status " + std::to_string(s);
        }
    }

private:
    Zugriff() = default;

    // The text and its blocks, before an edit.
    struct Stand {
        std::string text;
        std::vector<Block> bloecke;
    };
    // The blocks ("[" or "{" and the name) and their entries (name, value).
    using Gestalt = std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>>;

    static Gestalt Gestalt_von(const std::vector<Block> &bloecke)
    {
        Gestalt g;
        for (const Block &b : bloecke) {
            g.push_back({std::string(1, b.klammer) + b.name, {}});
            for (const Eintrag &e : b.eintraege)
                g.back().second.emplace_back(e.name, e.wert);
        }
        return g;
    }

    Ergebnis<Stand> Stand_lesen()
    {
        if (h_.objekt == 0 || h_.lesefunktion)
            return Fehler{"only a memory object can be edited; open the file with Konfig_Datei_oeffnen"};
        Stand s;
        auto t = text();
        auto b = bloecke();
        if (!t || !b)
            return Fehler{t ? b.fehler() : t.fehler()};
        s.text = std::move(*t);
        s.bloecke = std::move(*b);
        return s;
    }

    // The first block of that name and its first entry of that name (none
    // when the name is empty).
    static std::pair<const Block *, const Eintrag *> Finden(const Stand &s, std::string_view block,
                                                            std::string_view name)
    {
        for (const Block &b : s.bloecke) {
            if (intern::Namen_gleich(b.name, block))
                return {&b, name.empty() ? nullptr : b.eintrag(name)};
        }
        return {nullptr, nullptr};
    }

    // Writes the value text t: over the entry's value, as a new entry of the
    // block, or as a new block with the entry.  `gelesen` tells whether the
    // entry reads back as asked.
    template <class Pruefung>
    Ergebnis<> Einsetzen(const Stand &s, std::string_view block, std::string_view name, const std::string &t,
                         std::optional<Eintragsart> art, Pruefung gelesen)
    {
        if (name.empty())
            return Fehler{"an entry needs a name"};
        auto [b, e] = Finden(s, block, name);
        Gestalt soll = Gestalt_von(s.bloecke);
        const std::string &text = s.text;
        const std::string ende = intern::Erstes_Zeilenende(text);
        auto form = [&](const Eintrag *muster) {
            Eintragsart a = art ? *art : muster ? muster->art : Eintragsart::Doppelpunkt;
            if (muster && muster->art == a && muster->wert_bis > muster->wert_von)
                return text.substr(muster->trenner, muster->wert_von - muster->trenner);
            return std::string(a == Eintragsart::INI ? "=" : t.empty() ? ":" : ": ");
        };
        auto schreibname = intern::Name_schreiben(name);
        if (!schreibname)
            return Fehler{schreibname.fehler()};
        size_t bi = b ? static_cast<size_t>(b - s.bloecke.data()) : 0;
        uint32_t von, bis;
        std::string neu;
        if (e) {
            // 1. Over the value as it stands.
            von = e->wert_von;
            bis = e->wert_bis;
            neu = t;
        } else if (b) {
            // 2. After the last entry's line, or the header line.
            const Eintrag *muster = b->eintraege.empty() ? nullptr : &b->eintraege.back();
            von = bis = b->ende;
            std::string einzug;
            if (muster)
                einzug = text.substr(muster->zeilenanfang, text.find_first_not_of(" \t", muster->zeilenanfang) - muster->zeilenanfang);
            // The line end of the line before, or one put before the entry
            // at the end of a text without a final line end.
            std::string zeile = einzug + *schreibname + form(muster) + t;
            uint32_t z = intern::Vor_Zeilenende(text, von);
            neu = z == von ? ende + zeile : zeile + text.substr(z, von - z);
            soll[bi].second.emplace_back(std::string(name), "");
        } else {
            // 3. A new block at the end of the text.
            char klammer = intern::Ist_Klassenname(block) ? '{' : '[';
            auto kopf = intern::Kopf_schreiben(klammer, block);
            if (!kopf)
                return Fehler{kopf.fehler()};
            von = bis = static_cast<uint32_t>(text.size());
            bool offen = von > 0 && intern::Vor_Zeilenende(text, von) == von;
            const Eintrag *muster = nullptr;
            for (const Block &x : s.bloecke)
                muster = x.eintraege.empty() ? muster : &x.eintraege.back();
            neu = (offen ? ende : "") + *kopf + ende + *schreibname + form(muster) + t + ende;
            bi = soll.size();
            soll.push_back({std::string(1, klammer) + std::string(block), {{std::string(name), ""}}});
        }
        // The entry read back decides its value in the shape asked for.
        size_t ei = e ? static_cast<size_t>(e - b->eintraege.data()) : soll[bi].second.size() - 1;
        auto neue = Probe(s, von, bis, neu);
        if (!neue)
            return Fehler{neue.fehler()};
        if (bi < neue->size() && ei < (*neue)[bi].eintraege.size() && gelesen((*neue)[bi].eintraege[ei]))
            soll[bi].second[ei].second = (*neue)[bi].eintraege[ei].wert;
        return Uebernehmen(*neue, soll, von, bis, neu);
    }

    // Deletes the lines von..bis; at the end of a text without a final line
    // end, the line end before them goes instead of their own.
    Ergebnis<> Zeilen_loeschen(const Stand &s, uint32_t von, uint32_t bis, const Gestalt &soll)
    {
        const std::string &t = s.text;
        if (bis == t.size() && intern::Vor_Zeilenende(t, bis) == bis)
            von = intern::Vor_Zeilenende(t, von);
        auto neue = Probe(s, von, bis, {});
        if (!neue)
            return Fehler{neue.fehler()};
        return Uebernehmen(*neue, soll, von, bis, {});
    }

    // The blocks of the text with neu in place of the bytes von..bis.
    static Ergebnis<std::vector<Block>> Probe(const Stand &s, uint32_t von, uint32_t bis, const std::string &neu)
    {
        std::string probe = s.text;
        probe.replace(von, bis - von, neu);
        return Puffer(probe).bloecke();
    }

    // Makes the edit when its text read back as the shape soll.
    Ergebnis<> Uebernehmen(const std::vector<Block> &neue, const Gestalt &soll, uint32_t von, uint32_t bis,
                           std::string_view neu)
    {
        if (Gestalt_von(neue) != soll)
            return Fehler{"the edit would not read back as asked"};
        return Ersetzen(von, bis, neu);
    }

    // Puts neu in place of the bytes von..bis of the memory object, with the
    // memory-object library's operations: grow, move the rest, write, shrink.
    Ergebnis<> Ersetzen(uint32_t von, uint32_t bis, std::string_view neu)
    {
        const uint32_t alt = h_.laenge, rest = alt - bis, ohne = alt - (bis - von);
        if (neu.size() > static_cast<size_t>(INT32_MAX) - ohne)
            return Fehler{"the text would grow beyond 2147483647 bytes"};
        const uint32_t laenge = ohne + static_cast<uint32_t>(neu.size()), ziel = von + static_cast<uint32_t>(neu.size());
        if (laenge > alt && Quidel_Groesse_aendern(h_.objekt, laenge) != 0)
            return Fehler{"cannot edit: " + Statustext(QUIDEL_STATUS_KEIN_SPEICHER)};
        if ((rest > 0 && ziel != bis && Quidel_Kopieren(h_.objekt, ziel, h_.objekt, bis, rest, 0) != 0) ||
            (!neu.empty() && Quidel_Schreiben(h_.objekt, static_cast<uint32_t>(neu.size()), von, neu.data(), 0) != 0) ||
            (laenge < alt && Quidel_Groesse_aendern(h_.objekt, laenge) != 0))
            return Fehler{"the memory object could not be written"};
        h_.laenge = laenge;
        KR_positionieren(&h_, 0);
        return {};
    }


    Ergebnis<> Anhaengbar(std::string_view blocktext) const
    {
        if (h_.objekt == 0 || h_.lesefunktion)
            return Fehler{"only a memory object can take new blocks"};
        if (blocktext.empty() || !intern::Ist_Klammer(blocktext[0]))
            return Fehler{"a block text begins with its header line, '[' or '{' in its first byte"};
        return {};
    }

    // True when the block is there and KR_Abschnitt_loeschen would remove
    // exactly it; false when there is no such block.  The library's search
    // takes names of at most Namenslaenge characters, stops at a longer
    // header name, and can step over the line after a header whose name ends
    // at the line end; its removal runs to the next bracket in the first byte
    // of a line.
    Ergebnis<bool> Entfernbar(std::string_view name)
    {
        if (h_.lesefunktion)
            return Fehler{"a file source is read-only; open the file with Konfig_Datei_oeffnen to edit it"};
        if (h_.objekt == 0 && !h_.puffer)
            return Fehler{"the handle has no text to edit"};
        Blockleser leser(&h_);
        std::optional<Block> b = leser.naechster();
        while (b && !intern::Namen_gleich(b->name, name))
            b = leser.naechster();
        if (!leser.fehler().empty())
            return Fehler{leser.fehler()};
        if (!b)
            return false;
        const std::string zitat = "block \"" + std::string(name) + "\" at line " + std::to_string(b->zeile);
        if (auto n = leser.naechster(); n && n->eingerueckt)
            return Fehler{"cannot remove " + zitat + ": the indented header at line " +
                          std::to_string(n->zeile) + " would go with it"};
        if (name.size() > Namenslaenge || name.find('\0') != std::string_view::npos)
            return Fehler{"cannot remove " + zitat + ": the header search takes names of at most " +
                          std::to_string(Namenslaenge) + " characters"};
        std::string c(name);
        intern::Anfang_vergessen(&h_);
        if (KR_Abschnitt_finden(c.c_str(), &h_) == 0 || h_.elementanfang - 1 != static_cast<int32_t>(b->anfang))
            return Fehler{"cannot remove " + zitat + ": the header search does not reach it past an earlier header line"};
        return true;
    }

    Ergebnis<> Loeschen(std::string_view name)
    {
        std::string c(name);
        intern::Anfang_vergessen(&h_);
        if (KR_Abschnitt_loeschen(c.c_str(), &h_) != 1)
            return Fehler{"the block \"" + c + "\" could not be removed"};
        return {};
    }

    // The line end that the text ends with, or nothing.
    std::string Letztes_Zeilenende()
    {
        std::string s;
        if (!intern::Text_holen(&h_, s))
            return s;
        s.erase(0, s.size() >= 2 ? s.size() - 2 : 0);
        if (s.size() == 2 && intern::Ist_Zeilenende(s[0]) && intern::Ist_Zeilenende(s[1]) && s[0] != s[1])
            return s;
        if (!s.empty() && intern::Ist_Zeilenende(s.back()))
            return std::string(1, s.back());
        return std::string();
    }

    Zugriffshandle h_{};
    std::unique_ptr<char[]> puffer_; // the copy behind a memory buffer
};

// The text of a block, header line first: "[name]" (a name with ']', '}' or
// a line end as a quoted string), then one line per entry, "name: text" or
// "name=text", each ended by LF.  Comments and other lines of the block are
// not kept.  Refused when the text would not read back as the same block.
inline Ergebnis<std::string> Blocktext(const Block &b)
{
    auto s = intern::Blocktext_bauen(b);
    if (!s)
        return s;
    auto z = Zugriff::Puffer(*s);
    auto gelesen = z.bloecke();
    bool gleich = gelesen && gelesen->size() == 1 && (*gelesen)[0].klammer == b.klammer &&
                  (*gelesen)[0].name == b.name && (*gelesen)[0].eintraege.size() == b.eintraege.size();
    for (size_t i = 0; gleich && i < b.eintraege.size(); ++i) {
        const Eintrag &e = (*gelesen)[0].eintraege[i];
        gleich = e.art == b.eintraege[i].art && e.name == b.eintraege[i].name && e.text == b.eintraege[i].text;
    }
    if (!gleich)
        return Fehler{"block \"" + b.name + "\" would not read back as written"};
    return s;
}

inline Ergebnis<> Block::setzen(std::string_view eintragsname, std::string_view text, Eintragsart art)
{
    Eintrag *e = nullptr;
    for (Eintrag &x : eintraege) {
        if (intern::Namen_gleich(x.name, eintragsname)) {
            e = &x;
            break;
        }
    }
    // The entry as it reads back from its own line.
    Block probe;
    Eintrag p;
    p.art = e ? e->art : art;
    p.name = e ? e->name : std::string(eintragsname);
    p.text = intern::Getrimmt(text);
    probe.eintraege.push_back(std::move(p));
    auto s = Blocktext(probe);
    if (!s)
        return Fehler{s.fehler()};
    auto z = Zugriff::Puffer(*s);
    auto gelesen = z.bloecke();
    Eintrag neu = std::move((*gelesen)[0].eintraege[0]);
    if (e) {
        neu.zeile = e->zeile;
        *e = std::move(neu);
    } else {
        neu.zeile = 0;
        eintraege.push_back(std::move(neu));
    }
    return {};
}

// ---------------------------------------------------------------------------
// Argument lines
// ---------------------------------------------------------------------------

// What a template item's value is, by its option letters (S, then F, then M,
// then N decide).
enum class Wertart {
    Text,        // no letter of these
    Zahl,        // N: a 32-bit signed number
    Schalter,    // S: given or not
    Liste,       // M: texts
    Zahlenliste, // M and N: numbers
    Rest,        // F: the rest of the line, verbatim
};

// Option bits of a template item, as the reader has them.
constexpr uint16_t Option_S = intern::Arg_Schalter;
constexpr uint16_t Option_K = intern::Arg_Schluessel;
constexpr uint16_t Option_N = intern::Arg_Zahl;
constexpr uint16_t Option_T = intern::Arg_Nur_Schluessel;
constexpr uint16_t Option_A = intern::Arg_Pflicht;
constexpr uint16_t Option_F = intern::Arg_Rest;
constexpr uint16_t Option_M = intern::Arg_Mehrfach;

struct Vorlagenposten {
    std::string name;
    std::vector<std::string> aliase;
    uint16_t optionen = 0;

    Wertart art() const
    {
        if (optionen & Option_S)
            return Wertart::Schalter;
        if (optionen & Option_F)
            return Wertart::Rest;
        if (optionen & Option_M)
            return (optionen & Option_N) ? Wertart::Zahlenliste : Wertart::Liste;
        if (optionen & Option_N)
            return Wertart::Zahl;
        return Wertart::Text;
    }
};

// Reads a template item by item with the argument reader's own rule, and
// says where it is wrong.
inline Ergebnis<std::vector<Vorlagenposten>> Vorlage_lesen(std::string_view vorlage)
{
    if (vorlage.find('\0') != std::string_view::npos)
        return Fehler{"the template holds a zero byte"};
    const std::string text(vorlage);
    uint16_t flags[intern::Arg_Hoechstzahl];
    intern::Vorlagenposten_roh roh[intern::Arg_Hoechstzahl];
    int mehrfach;
    intern::Vorlagenbefund befund;
    int anzahl = intern::Vorlage_zerlegen(text.c_str(), flags, roh, &mehrfach, &befund);
    if (anzahl < 0) {
        using F = intern::Vorlagenfehler;
        const std::string wo = "template item " + std::to_string(befund.posten + 1) + " (" +
                               std::string(befund.name, befund.namenlaenge) + ")";
        const std::string zeichen(1, befund.zeichen);
        switch (befund.fehler) {
        case F::zu_viele_Posten: return Fehler{"the template has more than 100 items"};
        case F::Buchstabe:
            return Fehler{wo + (befund.zeichen ? ": unknown option letter '" + zeichen + "'" : ": '/' without an option letter")};
        case F::M_mit_S_oder_F: return Fehler{wo + ": M cannot go with S or F"};
        case F::zweites_Mehrfach:
            return Fehler{wo + ": a second item with M and without K (the first is " +
                          std::string(roh[mehrfach].name, roh[mehrfach].namenlaenge) + ")"};
        default:
            return Fehler{wo + ": '" + zeichen + "' after an option letter (names and aliases come before the options)"};
        }
    }
    std::vector<Vorlagenposten> posten(static_cast<size_t>(anzahl));
    for (int i = 0; i < anzahl; ++i) {
        Vorlagenposten &v = posten[static_cast<size_t>(i)];
        v.name.assign(roh[i].name, roh[i].namenlaenge);
        v.optionen = flags[i];
        // A rest of the line is text, but a required item that takes the
        // multiple item's last value would be given it as a number by N: a
        // value whose kind only the reader knew.  Refused as M with S or F.
        if ((v.optionen & Option_F) && (v.optionen & Option_N))
            return Fehler{"template item " + std::to_string(i + 1) + " (" + v.name + "): F cannot go with N"};
        // The aliases: "=A=B" names two.
        std::string_view aliase(roh[i].aliase, roh[i].aliaslaenge);
        for (size_t p = 0; p < aliase.size();) {
            size_t e = std::min(aliase.find('=', p + 1), aliase.size());
            v.aliase.emplace_back(aliase.substr(p + 1, e - p - 1));
            p = e;
        }
    }
    return posten;
}

// The values of one argument line, by item name.
class Argumentwerte {
public:
    const std::vector<Vorlagenposten> &posten() const { return posten_; }

    // Whether the item has a value (a list: at least one).
    bool gegeben(std::string_view name) const
    {
        int i = Index(name);
        return i >= 0 && werte_[static_cast<size_t>(i)].gegeben;
    }

    // A text or rest-of-line item.
    Ergebnis<std::string> text(std::string_view name) const
    {
        auto w = Holen(name, Wertart::Text, Wertart::Rest);
        if (!w)
            return Fehler{w.fehler()};
        if (!(*w)->gegeben)
            return Fehler{std::string(name) + " has no value"};
        return (*w)->text;
    }

    Ergebnis<int32_t> zahl(std::string_view name) const
    {
        auto w = Holen(name, Wertart::Zahl);
        if (!w)
            return Fehler{w.fehler()};
        if (!(*w)->gegeben)
            return Fehler{std::string(name) + " has no value"};
        return (*w)->zahl;
    }

    // A switch is false unless it was given.  (The Ergebnis itself is true
    // whenever the question was right: the switch is *schalter(name).)
    Ergebnis<bool> schalter(std::string_view name) const
    {
        auto w = Holen(name, Wertart::Schalter);
        if (!w)
            return Fehler{w.fehler()};
        return (*w)->gegeben;
    }

    // A list is empty unless values were given.
    Ergebnis<std::vector<std::string>> liste(std::string_view name) const
    {
        auto w = Holen(name, Wertart::Liste);
        if (!w)
            return Fehler{w.fehler()};
        return (*w)->texte;
    }

    Ergebnis<std::vector<int32_t>> zahlen(std::string_view name) const
    {
        auto w = Holen(name, Wertart::Zahlenliste);
        if (!w)
            return Fehler{w.fehler()};
        return (*w)->zahlen;
    }

private:
    friend class Argumente;

    struct Wert {
        bool gegeben = false;
        std::string text;
        int32_t zahl = 0;
        std::vector<std::string> texte;
        std::vector<int32_t> zahlen;
    };

    // Names are matched whole, name or alias, ASCII case ignored (the line's
    // keywords are matched by the reader's own rule, as prefixes).
    int Index(std::string_view name) const
    {
        for (size_t i = 0; i < posten_.size(); ++i) {
            if (intern::Namen_gleich(posten_[i].name, name))
                return static_cast<int>(i);
            for (const std::string &a : posten_[i].aliase) {
                if (intern::Namen_gleich(a, name))
                    return static_cast<int>(i);
            }
        }
        return -1;
    }

    // The value of the item of that name, when it is of the kind asked for
    // (or of the second kind, where one is given).
    Ergebnis<const Wert *> Holen(std::string_view name, Wertart art) const { return Holen(name, art, art); }
    Ergebnis<const Wert *> Holen(std::string_view name, Wertart art, Wertart oder) const
    {
        static const char *const Artnamen[] = {"text", "number", "switch", "list", "number list", "rest-of-line"};
        int i = Index(name);
        if (i < 0)
            return Fehler{"the template has no item " + std::string(name)};
        Wertart a = posten_[static_cast<size_t>(i)].art();
        if (a != art && a != oder)
            return Fehler{std::string(name) + " is a " + Artnamen[static_cast<int>(a)] + " item"};
        return &werte_[static_cast<size_t>(i)];
    }

    std::vector<Vorlagenposten> posten_;
    std::vector<Wert> werte_;
};

// Owns an argument record, whose storage holds the values of the last line
// read until the next one is read or the owner goes.  Movable, not copyable.
class Argumente {
public:
    Argumente() = default;
    Argumente(Argumente &&a) noexcept
        : satz_(a.satz_), zeile_(std::move(a.zeile_)), laenge_(a.laenge_), werte_(std::move(a.werte_))
    {
        std::memset(&a.satz_, 0, sizeof a.satz_);
    }
    Argumente &operator=(Argumente &&a) noexcept
    {
        if (this != &a) {
            KR_Arg_freigeben(&satz_);
            satz_ = a.satz_;
            zeile_ = std::move(a.zeile_);
            laenge_ = a.laenge_;
            werte_ = std::move(a.werte_);
            std::memset(&a.satz_, 0, sizeof a.satz_);
        }
        return *this;
    }
    Argumente(const Argumente &) = delete;
    Argumente &operator=(const Argumente &) = delete;
    ~Argumente() { KR_Arg_freigeben(&satz_); }

    // The record and the value slots of the last successful line.
    ::Argumentsatz *satz() { return &satz_; }
    void **werte() { return werte_.data(); }

    // Reads one line (a final line end may stand at its end) against the
    // template with KR_Argumente_lesen.  When it does not fit, the error
    // says why as far as that can be told: a required item without a value,
    // a number item whose text is no number, a keyword without its value,
    // an element too long for the reader.
    Ergebnis<Argumentwerte> lesen(std::string_view vorlage, std::string_view zeile)
    {
        auto posten = Vorlage_lesen(vorlage);
        if (!posten)
            return Fehler{posten.fehler()};
        if (zeile.size() >= 2 && intern::Ist_Zeilenende(zeile.back()) &&
            intern::Ist_Zeilenende(zeile[zeile.size() - 2]) && zeile.back() != zeile[zeile.size() - 2])
            zeile.remove_suffix(2);
        else if (!zeile.empty() && intern::Ist_Zeilenende(zeile.back()))
            zeile.remove_suffix(1);
        if (zeile.find_first_of("\r\n") != std::string_view::npos)
            return Fehler{"the argument text holds more than one line"};
        if (zeile.find('\0') != std::string_view::npos)
            return Fehler{"the argument line holds a zero byte"};
        // The reader copies the line into 512 bytes.
        if (zeile.size() > 512)
            return Fehler{"the argument line is longer than 512 characters"};

        zeile_.reset(new char[zeile.size() + 1]);
        if (!zeile.empty())
            std::memcpy(zeile_.get(), zeile.data(), zeile.size());
        zeile_[zeile.size()] = '\0';
        laenge_ = static_cast<uint32_t>(zeile.size());

        if (Lauf(std::string(vorlage), posten->size()))
            return Werte_holen(*posten);
        std::string grund = Grund(*posten);
        KR_Arg_freigeben(&satz_);
        werte_.clear();
        return Fehler{grund};
    }

private:
    // One call of the reader over the line, with cleared value slots.
    bool Lauf(const std::string &vorlage, size_t anzahl)
    {
        KR_Arg_freigeben(&satz_);
        std::memset(&satz_.zugriffshandle, 0, sizeof satz_.zugriffshandle);
        satz_.zugriffshandle.puffer = zeile_.get();
        satz_.zugriffshandle.laenge = laenge_;
        werte_.assign(anzahl + 1, nullptr);
        return KR_Argumente_lesen(vorlage.c_str(), werte_.data(), &satz_) != nullptr;
    }

    Argumentwerte Werte_holen(const std::vector<Vorlagenposten> &posten) const
    {
        Argumentwerte a;
        a.posten_ = posten;
        a.werte_.resize(posten.size());
        for (size_t i = 0; i < posten.size(); ++i) {
            void *slot = werte_[i];
            Argumentwerte::Wert &w = a.werte_[i];
            if (!slot)
                continue;
            w.gegeben = true;
            switch (posten[i].art()) {
            case Wertart::Schalter:
                break;
            case Wertart::Text:
            case Wertart::Rest:
                w.text = static_cast<const char *>(slot);
                break;
            case Wertart::Zahl:
                std::memcpy(&w.zahl, slot, sizeof w.zahl);
                break;
            case Wertart::Liste:
            case Wertart::Zahlenliste: {
                // At most 128 entries, then the null slot; the entries of a
                // number list begin with their number.
                auto **feld = static_cast<char **>(slot);
                for (int k = 0; k < 128 && feld[k]; ++k) {
                    if (posten[i].art() == Wertart::Liste) {
                        w.texte.emplace_back(feld[k]);
                    } else {
                        int32_t n;
                        std::memcpy(&n, feld[k], sizeof n);
                        w.zahlen.push_back(n);
                    }
                }
                w.gegeben = !w.texte.empty() || !w.zahlen.empty();
                break;
            }
            }
        }
        return a;
    }

    static std::string Vorlage_schreiben(const std::vector<Vorlagenposten> &posten)
    {
        std::string s;
        for (const Vorlagenposten &v : posten) {
            if (!s.empty())
                s += ',';
            s += v.name;
            for (const std::string &a : v.aliase)
                s += "=" + a;
            for (int k = 0; k < 7; ++k) {
                if (v.optionen & (1u << k))
                    s += std::string("/") + intern::Optionsbuchstaben[k];
            }
        }
        // An item with an empty name as the last one needs its comma.
        if (!posten.empty() && posten.back().name.empty() && posten.back().aliase.empty() &&
            posten.back().optionen == 0)
            s += ',';
        return s;
    }

    static std::vector<Vorlagenposten> Ohne(std::vector<Vorlagenposten> posten, uint16_t bits)
    {
        for (Vorlagenposten &v : posten)
            v.optionen = static_cast<uint16_t>(v.optionen & ~bits);
        return posten;
    }

    static bool Ist_Zahl(const std::string &t)
    {
        char *ende = nullptr;
        errno = 0;
        long n = std::strtol(t.c_str(), &ende, 10);
        return *ende == '\0' && errno != ERANGE && n >= INT32_MIN && n <= INT32_MAX;
    }

    // Why the line does not fit: the line is read again with fewer demands.
    std::string Grund(const std::vector<Vorlagenposten> &posten)
    {
        // 1. Required items: the line read without A.  The reader gives a
        // required item without a value the last positional value of the
        // multiple item, from the last item to the first; what remains
        // without one is missing.
        auto ohne_a = Ohne(posten, Option_A);
        if (Lauf(Vorlage_schreiben(ohne_a), posten.size())) {
            Argumentwerte w = Werte_holen(ohne_a);
            int m = -1;
            for (size_t i = 0; i < posten.size(); ++i) {
                if ((posten[i].optionen & Option_M) && !(posten[i].optionen & Option_K))
                    m = static_cast<int>(i);
            }
            size_t vorrat = m >= 0 ? w.werte_[static_cast<size_t>(m)].texte.size() +
                                         w.werte_[static_cast<size_t>(m)].zahlen.size()
                                   : 0;
            std::string fehlend;
            for (size_t i = posten.size(); i-- > 0;) {
                bool hat = static_cast<int>(i) == m ? vorrat > 0 : w.werte_[i].gegeben;
                if (!(posten[i].optionen & Option_A) || hat)
                    continue;
                if (vorrat > 0) {
                    --vorrat;
                    continue;
                }
                fehlend = posten[i].name + (fehlend.empty() ? "" : ", ") + fehlend;
            }
            if (!fehlend.empty())
                return "required item without a value: " + fehlend;
        }
        // 2. Numbers: the line read without A and N.
        auto ohne_an = Ohne(posten, Option_A | Option_N);
        if (Lauf(Vorlage_schreiben(ohne_an), posten.size())) {
            Argumentwerte w = Werte_holen(ohne_an);
            for (size_t i = 0; i < posten.size(); ++i) {
                if (!(posten[i].optionen & Option_N))
                    continue;
                std::vector<std::string> texte = w.werte_[i].texte;
                if (w.werte_[i].gegeben && texte.empty())
                    texte.push_back(w.werte_[i].text);
                for (const std::string &t : texte) {
                    if (!Ist_Zahl(t))
                        return posten[i].name + ": \"" + t + "\" is not a whole number from -2147483648 to 2147483647";
                }
            }
        }
        // 3. The elements of the line.
        return Elemente_pruefen(posten);
    }

    std::string Elemente_pruefen(const std::vector<Vorlagenposten> &posten) const
    {
        std::string vorlage = Vorlage_schreiben(posten);
        std::string zeile(zeile_.get(), laenge_);
        std::string text = zeile + '\n';
        Zugriffshandle t{};
        t.puffer = text.data();
        t.laenge = static_cast<uint32_t>(text.size());
        auto element = [&](size_t ab) {
            KR_positionieren(&t, static_cast<uint32_t>(ab));
            return intern::Element_lesen(&t, laenge_, KR_Element_lesen);
        };
        size_t ab = 0;
        int anzahl = 0;
        for (;;) {
            intern::Element e = element(ab);
            if (e.art == intern::Element_keins)
                break;
            // The reader takes the character after each element.
            ab = e.ende < zeile.size() ? e.ende + 1 : e.ende;
            int i = e.art == intern::Element_Gleich || e.art == intern::Element_Wort ? KR_Arg_finden(vorlage.c_str(), e.text.c_str()) : -1;
            if (i < 0) {
                ++anzahl;
                if (e.text.size() > 255)
                    return "an element of " + std::to_string(e.text.size()) +
                           " characters; the reader takes at most 255";
                continue;
            }
            const Vorlagenposten &v = posten[static_cast<size_t>(i)];
            if (v.optionen & Option_S)
                continue;
            if (v.optionen & Option_F) {
                if (zeile.size() - std::min(ab, zeile.size()) > 254)
                    return "the rest of the line for " + v.name + " is longer than 254 characters";
                break;
            }
            intern::Element w = element(ab);
            // (A value cannot outgrow the reader's 511 characters in a line
            // of at most 512.)
            if (w.art == intern::Element_keins)
                return "the keyword " + v.name + " has no value";
            ab = w.ende < zeile.size() ? w.ende + 1 : w.ende;
        }
        if (anzahl > 128)
            return "more than 128 values";
        for (const Vorlagenposten &v : posten) {
            if ((v.optionen & Option_F) && zeile.size() > 254)
                return "the rest of the line for " + v.name + " may be longer than 254 characters";
        }
        return "the line does not fit the template";
    }

    ::Argumentsatz satz_{};
    std::unique_ptr<char[]> zeile_; // the line the record's handle reads
    uint32_t laenge_ = 0;
    std::vector<void *> werte_;
};

// Reads one argument line against a template.
inline Ergebnis<Argumentwerte> Argumente_lesen(std::string_view vorlage, std::string_view zeile)
{
    Argumente a;
    return a.lesen(vorlage, zeile);
}

} // namespace kr

#endif // KORVAN_HPP
