// fuzz_konfig.cpp - the configuration readers under the fuzzer: the input's
// text stands in one of the handle's sources and is driven through a program
// of reader calls, searches, removals and appends that the input also holds.
// Every step checks what the readers promise: no byte written past a buffer,
// results in their documented range, position never beyond laenge, and edits
// that change the text exactly as described.
#include "fuzzhilfe.h"

#include "korvan.h"
#include "quidel32.h"

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using kf::Puffer;
using kf::Schritt;

// Where the text stands: a memory buffer, a memory object filled directly,
// a new memory object (with its 4-byte first line) extended by an append, a
// memory object loaded from a file, or the file source.
enum class Quelle { Puffer, Objekt, Neues_Objekt, Geladen, Datei, Anzahl };

constexpr size_t Hoechstens_Schritte = 64;

std::string temp_datei;

void Temp_entfernen()
{
    std::error_code ec;
    std::filesystem::remove(temp_datei, ec);
}

void Datei_schreiben(const std::string &text)
{
    std::ofstream f(temp_datei, std::ios::binary | std::ios::trunc);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    f.close();
    KF_PRUEFEN(f.good());
}

bool Ist_Klammer(int c)
{
    return c == '[' || c == '{';
}

struct Lauf {
    Quelle quelle = Quelle::Puffer;
    std::unique_ptr<char[]> puffer; // exactly as long as the text
    Zugriffshandle haupt{};
    Zugriffshandle klon{};
    bool klon_offen = false;
    std::unique_ptr<Puffer> symbol[2];
    std::string modell;  // the main handle's text as it must be (memory sources)
    int64_t grenze = 0;  // file source: the furthest position allowed

    bool speicher() const { return quelle != Quelle::Datei; }

    ~Lauf()
    {
        // Clones go before their owner.
        if (klon_offen)
            KR_Konfig_Datei_schliessen(&klon);
        KR_Konfig_Datei_schliessen(&haupt);
    }
};

// The text a memory-source handle holds now; for a memory object also the
// check that the object is exactly laenge bytes long.
std::string Inhalt(const Zugriffshandle &h)
{
    if (h.objekt) {
        std::string s(h.laenge, '\0');
        if (h.laenge)
            KF_PRUEFEN(Quidel_Lesen(h.objekt, h.laenge, 0, s.data(), 0) == 0);
        unsigned char x;
        KF_PRUEFEN(Quidel_Lesen(h.objekt, 1, h.laenge, &x, 0) == QUIDEL_STATUS_BEREICH);
        return s;
    }
    return h.puffer ? std::string(h.puffer, h.laenge) : std::string();
}

bool Oeffnen(Lauf &l, const std::string &text)
{
    Zugriffshandle &h = l.haupt;
    switch (l.quelle) {
    case Quelle::Puffer:
        l.puffer.reset(new char[text.size()]);
        std::memcpy(l.puffer.get(), text.data(), text.size());
        h.puffer = l.puffer.get();
        h.laenge = static_cast<uint32_t>(text.size());
        l.modell = text;
        return true;
    case Quelle::Objekt: {
        Quidel_Handle o = 0;
        KF_PRUEFEN(Quidel_Anlegen(static_cast<uint32_t>(text.size()), &o, 0) == 0);
        KF_PRUEFEN(Quidel_Schreiben(o, static_cast<uint32_t>(text.size()), 0, text.data(), 0) == 0);
        h.objekt = o;
        h.laenge = static_cast<uint32_t>(text.size());
        l.modell = text;
        return true;
    }
    case Quelle::Neues_Objekt:
        KF_PRUEFEN(KR_Konfig_Datei_anlegen(&h) == 0);
        KF_PRUEFEN(h.laenge == 4 && h.position == 4);
        KF_PRUEFEN(KR_Block_hinzufuegen(text.data(), static_cast<int>(text.size()), &h) == 1);
        KF_PRUEFEN(h.position == 4);
        l.modell = std::string("\x1A\0\r\n", 4) + text;
        return true;
    case Quelle::Geladen:
        Datei_schreiben(text);
        KF_PRUEFEN(KR_Konfig_Datei_oeffnen(temp_datei.c_str(), &h) == 0);
        KF_PRUEFEN(h.position == 0 && h.laenge == text.size());
        l.modell = text;
        return true;
    case Quelle::Datei:
        Datei_schreiben(text);
        KF_PRUEFEN(KR_Datei_oeffnen(temp_datei.c_str(), &h) == 0);
        l.grenze = static_cast<int64_t>(text.size());
        return true;
    case Quelle::Anzahl:
        break;
    }
    return false;
}

// --- parameters of a step --------------------------------------------------

// A buffer size: mostly small, now and then up to the longest text, and
// rarely near the top of the 16-bit range (where the entry walkers' unsigned
// short sizes end).
size_t Groesse(const Schritt &s)
{
    if (!(s.c & 0x80))
        return s.b % 300;
    return s.b >= 0xFF00 ? 0xFFFFu - (s.b & 0xFF) : s.b % 4400;
}

// One step in four hands the reader a null buffer.
bool Ohne_Puffer(const Schritt &s)
{
    return (s.c & 0x60) == 0x60;
}

// A name of any length: a piece of the text (often starting just after a
// bracket, so that searches find something), or a long run of one letter.
std::string Name(const Schritt &s, const std::string &text)
{
    switch ((s.c >> 1) & 3) {
    case 0: return kf::Ausschnitt(text, s.a, s.b % 48);
    case 1: {
        size_t k = text.find_first_of("[{", s.a % (text.size() + 1));
        std::string n = k == std::string::npos ? std::string() : text.substr(k + 1, s.b % 48);
        return n.substr(0, n.find_first_of("]}\r\n"));
    }
    case 2: return std::string(s.b % 700, static_cast<char>('a' + s.a % 26));
    default: return kf::Ausschnitt(text, s.a, s.b % 700);
    }
}

unsigned long Zahl(uint16_t x, uint8_t c)
{
    return (c & 0x10) ? ULONG_MAX - x : x % 16u;
}

// --- the steps -------------------------------------------------------------

void Lage_pruefen(const Lauf &l, const Zugriffshandle &h)
{
    if (!l.speicher()) {
        KF_PRUEFEN(h.position >= 0 && h.position <= l.grenze);
        return;
    }
    KF_PRUEFEN(h.position >= 0 && static_cast<uint32_t>(h.position) <= h.laenge);
    KF_PRUEFEN(h.letztes_zeichen >= -1 && h.letztes_zeichen <= 255);
}

// The main handle's text against the model, after an edit or none.
void Text_pruefen(const Lauf &l)
{
    if (l.speicher()) {
        KF_PRUEFEN(l.haupt.laenge == l.modell.size());
        KF_PRUEFEN(Inhalt(l.haupt) == l.modell);
    }
}

// After a removal: the text lost one block, which begins at a header
// bracket (where the reader now stands) and runs to the end of the text or
// to a bracket that follows a line end.
void Entfernung_pruefen(Lauf &l, const std::string &alt)
{
    const Zugriffshandle &h = l.haupt;
    std::string neu = Inhalt(h);
    KF_PRUEFEN(neu.size() < alt.size());
    size_t p = static_cast<size_t>(h.position), k = alt.size() - neu.size();
    KF_PRUEFEN(p + k <= alt.size() && Ist_Klammer(static_cast<unsigned char>(alt[p])));
    KF_PRUEFEN(neu == alt.substr(0, p) + alt.substr(p + k));
    size_t ende = p + k;
    KF_PRUEFEN(ende == alt.size() ||
               (Ist_Klammer(static_cast<unsigned char>(alt[ende])) &&
                (alt[ende - 1] == '\n' || alt[ende - 1] == '\r')));
    l.modell = neu;
}

// The text ends in a '#' comment line without a line feed: the reader then
// delivers the '#' for the whole line, and taking it back steps onto the
// line's last byte.
bool Endet_mit_Kommentarzeile(const std::string &text)
{
    size_t lf = text.rfind('\n');
    return lf != std::string::npos && lf + 1 < text.size() && text[lf + 1] == '#';
}

// What the text holds at an offset, for checks on the main handle.
int Zeichen_bei(const Lauf &l, int32_t p)
{
    return p >= 0 && static_cast<size_t>(p) < l.modell.size() ? static_cast<unsigned char>(l.modell[p]) : -2;
}

void Element(Zugriffshandle *h, const Schritt &s, bool argumente)
{
    size_t n = Groesse(s);
    Puffer b(n);
    char *p = Ohne_Puffer(s) ? nullptr : b.daten();
    int r = argumente ? KR_Element_lesen(p, static_cast<int>(n), h) : KR_Element_lesen_2(p, static_cast<int>(n), h);
    KF_PRUEFEN(b.waechter_heil());
    if (argumente)
        KF_PRUEFEN(r == -1 || r == 0 || r == 2 || r == 3 || r == 4);
    else
        KF_PRUEFEN(r >= -1 && r <= 6);
    if (r == 0)
        KF_PRUEFEN(b.unberuehrt());
    if (r > 0)
        KF_PRUEFEN(p && b.terminiert());
}

void Zeile(Zugriffshandle *h, const Schritt &s)
{
    size_t n = Groesse(s);
    Puffer b(n);
    char *p = Ohne_Puffer(s) ? nullptr : b.daten();
    int r = KR_Zeile_lesen(h, p, static_cast<unsigned int>(n));
    KF_PRUEFEN(b.waechter_heil());
    KF_PRUEFEN(r >= 0);
    if (r == 0)
        KF_PRUEFEN(b.unberuehrt());
    else if (p && n > 0)
        KF_PRUEFEN(p[static_cast<size_t>(r) < n - 1 ? r : n - 1] == '\0');
}

void Abschnittszeile(Lauf &l, Zugriffshandle *h, const Schritt &s)
{
    size_t n = Groesse(s);
    Puffer b(n);
    char *p = Ohne_Puffer(s) ? nullptr : b.daten();
    unsigned int r = KR_Abschnittszeile_lesen(h, p, static_cast<unsigned int>(n));
    KF_PRUEFEN(b.waechter_heil());
    if (r == 0 || !p || n == 0) {
        KF_PRUEFEN(b.unberuehrt());
        KF_PRUEFEN(r <= 1 || !p || n == 0);
    } else {
        KF_PRUEFEN(r <= n && p[r - 1] == '\0');
    }
    if (r == 0 && h == &l.haupt && l.speicher())
        KF_PRUEFEN(Zeichen_bei(l, h->position) == -2 || Ist_Klammer(Zeichen_bei(l, h->position)));
}

void Naechster_Abschnitt(Zugriffshandle *h, const Schritt &s)
{
    size_t n = Groesse(s);
    Puffer b(n);
    char *p = Ohne_Puffer(s) ? nullptr : b.daten();
    int r = KR_naechster_Abschnitt(p, static_cast<int>(n), h);
    KF_PRUEFEN(b.waechter_heil());
    KF_PRUEFEN(r == 0 || r == '[' || r == '{');
    if (r != 0 && p && n > 0)
        KF_PRUEFEN(b.terminiert());
}

void Naechster_Eintrag(Zugriffshandle *h, const Schritt &s, bool ini)
{
    size_t n = Groesse(s) & 0xFFFF;
    Puffer b(n);
    char *p = Ohne_Puffer(s) ? nullptr : b.daten();
    auto g = static_cast<unsigned short>(n);
    int r = ini ? KR_naechster_INI_Eintrag(p, g, h) : KR_naechster_Eintrag(p, g, h);
    KF_PRUEFEN(b.waechter_heil());
    KF_PRUEFEN(r == 0 || r == 1);
    if (r == 1)
        KF_PRUEFEN(p && b.terminiert());
}

// A block walk as callers write it: every entry of the block with its value.
void Eintraege_durchgehen(Lauf &l, Zugriffshandle *h, const Schritt &s)
{
    char name[41], wert[256];
    // Each entry moves the reader on by a line at least.  A clone may still
    // hold the longer laenge of the text before a removal.
    size_t schranke = std::max<size_t>(h->laenge, l.modell.size()) + static_cast<size_t>(l.grenze) + 2;
    for (size_t i = 0; i < schranke; ++i) {
        if (KR_naechster_Eintrag(name, sizeof name, h) != 1)
            return;
        KF_PRUEFEN(std::memchr(name, 0, sizeof name));
        int r = (s.c & 1) ? KR_Element_lesen_2(wert, sizeof wert, h)
                          : static_cast<int>(KR_Abschnittszeile_lesen(h, wert, sizeof wert));
        KF_PRUEFEN(r >= -1);
        Lage_pruefen(l, *h);
    }
    kf::Befund("a block walk that never ends", __FILE__, __LINE__);
}

void Symbol(Lauf &l, Zugriffshandle *h, const Schritt &s)
{
    Puffer *b = l.symbol[h == &l.klon].get();
    int vorher = h->symbolstatus;
    int r = KR_naechstes_Symbol(h);
    KF_PRUEFEN(r >= -1 && r <= 3);
    if (!h->symbolpuffer) {
        KF_PRUEFEN(r == -1 && h->symbolstatus == vorher);
        return;
    }
    KF_PRUEFEN(b->waechter_heil());
    KF_PRUEFEN(h->symbolstatus == r);
    if (r == 2 || r == 3)
        KF_PRUEFEN(b->terminiert());
    int status = 99;
    char *t = KR_Symbol_holen(h, (s.c & 1) ? &status : nullptr);
    KF_PRUEFEN(t == (r != 0 ? h->symbolpuffer : nullptr));
    KF_PRUEFEN((s.c & 1) ? status == r : status == 99);
}

// A new symbol buffer for the handle, of any size, or none.
void Symbolpuffer(Lauf &l, Zugriffshandle *h, const Schritt &s)
{
    auto &b = l.symbol[h == &l.klon];
    if (Ohne_Puffer(s)) {
        h->symbolpuffer = nullptr;
        h->symbolgroesse = static_cast<int32_t>(Groesse(s));
        b.reset();
        return;
    }
    b = std::make_unique<Puffer>(Groesse(s));
    h->symbolpuffer = b->daten();
    h->symbolgroesse = static_cast<int32_t>(b->groesse());
}

void Klonen(Lauf &l)
{
    if (l.klon_offen) {
        KR_Konfig_Datei_schliessen(&l.klon);
        l.klon_offen = false;
    }
    l.symbol[1].reset();
    int r = KR_Zugriffshandle_clonen(&l.haupt, &l.klon);
    KF_PRUEFEN(r == 1 || (r == 0 && !l.speicher()));
    if (r != 1)
        return;
    l.klon_offen = true;
    KF_PRUEFEN(l.klon.flags & KR_FLAG_CLON);
    KF_PRUEFEN(l.klon.position == l.haupt.position && l.klon.laenge == l.haupt.laenge);
    if (l.speicher()) {
        Zugriffshandle erwartet = l.haupt;
        erwartet.flags |= KR_FLAG_CLON;
        KF_PRUEFEN(std::memcmp(&erwartet, &l.klon, sizeof erwartet) == 0);
    }
    // The clone would share the main handle's symbol buffer; it gets its own.
    l.klon.symbolpuffer = nullptr;
}

void Schliessen(Lauf &l)
{
    if (!l.klon_offen)
        return;
    KR_Konfig_Datei_schliessen(&l.klon);
    l.klon_offen = false;
    l.symbol[1].reset();
    static const Zugriffshandle leer{};
    KF_PRUEFEN(std::memcmp(&l.klon, &leer, sizeof leer) == 0);
    // Closing a clone never releases the object its owner reads.
    Text_pruefen(l);
}

void Entfernen(Lauf &l, const Schritt &s, const std::string &text, bool klasse)
{
    std::string alt = l.speicher() ? Inhalt(l.haupt) : std::string();
    int r = klasse ? KR_Klasse_loeschen(Zahl(s.a, s.c), Zahl(s.b, s.c), &l.haupt)
                   : KR_Abschnitt_loeschen(Name(s, text).c_str(), &l.haupt);
    KF_PRUEFEN(r == 0 || (r == 1 && l.speicher()));
    if (r == 1)
        Entfernung_pruefen(l, alt);
    else
        Text_pruefen(l);
}

void Anhaengen(Lauf &l, const Schritt &s, const std::string &text)
{
    std::string daten = kf::Ausschnitt(text, s.a, s.b % 600);
    int laenge = (s.c & 0x18) == 0x18 ? -1 - s.b : static_cast<int>(daten.size());
    int32_t position = l.haupt.position;
    int r = KR_Block_hinzufuegen(daten.data(), laenge, &l.haupt);
    // Only a memory object grows, and only by a length of 0 or more.
    KF_PRUEFEN(r == (l.haupt.objekt != 0 && laenge >= 0 ? 1 : 0));
    KF_PRUEFEN(l.haupt.position == position);
    if (r == 1)
        l.modell += daten;
    Text_pruefen(l);
}

void Schritt_ausfuehren(Lauf &l, const Schritt &s, const std::string &text)
{
    Zugriffshandle *h = (s.c & 1) && l.klon_offen ? &l.klon : &l.haupt;
    bool haupt = h == &l.haupt && l.speicher();
    switch (s.art % 26) {
    case 0: {
        int r = KR_Zeichen_lesen(h);
        KF_PRUEFEN(r >= -1 && r <= 255);
        // The byte just read, except the '#' of a comment line that the text
        // ends in, which stands for the whole line.
        if (haupt && r >= 0)
            KF_PRUEFEN(Zeichen_bei(l, h->position - 1) == r || r == '#');
        break;
    }
    case 1: {
        int32_t vorher = h->position;
        int r = KR_Zeichen_ruecklesen(h);
        KF_PRUEFEN(r == 0 || r == 1);
        if (l.speicher())
            KF_PRUEFEN(h->position == vorher - r);
        break;
    }
    case 2: {
        unsigned int p = s.a % (l.modell.size() + static_cast<size_t>(l.grenze) + 3);
        int r = KR_positionieren(h, p);
        KF_PRUEFEN(r == -1 || r == 1);
        if (l.speicher())
            KF_PRUEFEN(r == (p <= h->laenge ? 1 : -1));
        if (r == 1) {
            KF_PRUEFEN(h->position == static_cast<int32_t>(p));
            if (!l.speicher() && p > l.grenze)
                l.grenze = p;
        }
        break;
    }
    case 3: {
        int r = KR_naechste_Zeile(h);
        KF_PRUEFEN(r == 0 || r == 1);
        if (haupt && r == 1) {
            // A memory handle is a plain value: a copy tells what the next
            // read delivers without moving the reader.
            Zugriffshandle kopie = *h;
            int c = KR_Zeichen_lesen(&kopie);
            KF_PRUEFEN(c != -1);
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == ';')
                KF_PRUEFEN(Endet_mit_Kommentarzeile(l.modell));
        }
        break;
    }
    case 4: Zeile(h, s); break;
    case 5: Abschnittszeile(l, h, s); break;
    case 6: Element(h, s, false); break;
    case 7: Element(h, s, true); break;
    case 8: {
        std::string name = Name(s, text);
        int r = KR_Abschnitt_finden((s.c & 0x18) == 0x18 ? nullptr : name.c_str(), h);
        KF_PRUEFEN(r == 0 || r == '[' || r == '{');
        if (haupt && r != 0)
            KF_PRUEFEN(Zeichen_bei(l, h->elementanfang - 1) == r);
        break;
    }
    case 9: {
        int r = KR_Klasse_finden(Zahl(s.a, s.c), Zahl(s.b, s.c), h);
        KF_PRUEFEN(r == 0 || r == '[' || r == '{');
        break;
    }
    case 10: {
        int r = KR_Wahre_Klasse_finden(Zahl(s.a, s.c), h);
        KF_PRUEFEN(r == 0 || r == 1);
        break;
    }
    case 11: Naechster_Abschnitt(h, s); break;
    case 12:
    case 13: {
        bool ini = s.art % 26 == 13;
        std::string name = Name(s, text);
        int r = ini ? KR_INI_Eintrag_finden(name.c_str(), h) : KR_Eintrag_finden(name.c_str(), h);
        KF_PRUEFEN(r == 0 || r == 1);
        if (haupt && r == 1)
            KF_PRUEFEN(Zeichen_bei(l, h->position - 1) == (ini ? '=' : ':'));
        break;
    }
    case 14: Naechster_Eintrag(h, s, false); break;
    case 15: Naechster_Eintrag(h, s, true); break;
    case 16:
    case 17: Symbol(l, h, s); break;
    case 18: Symbolpuffer(l, h, s); break;
    case 19: Entfernen(l, s, text, false); break;
    case 20: Entfernen(l, s, text, true); break;
    case 21: Anhaengen(l, s, text); break;
    case 22: Klonen(l); break;
    case 23: Schliessen(l); break;
    case 24:
        for (int i = s.a % 64; i >= 0; --i)
            KR_Zeichen_lesen(h);
        break;
    case 25: Eintraege_durchgehen(l, h, s); break;
    }
    Lage_pruefen(l, l.haupt);
    if (l.klon_offen)
        Lage_pruefen(l, l.klon);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    temp_datei = kf::Eigener_Tempname(".cfg").string();
    std::atexit(Temp_entfernen);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    kf::Eingabe e = kf::Zerlegen(daten, n, Hoechstens_Schritte);
    Lauf l;
    l.quelle = static_cast<Quelle>(e.steuer % static_cast<int>(Quelle::Anzahl));
    if (!Oeffnen(l, e.text))
        return 0;
    Text_pruefen(l);
    for (const Schritt &s : e.schritte)
        Schritt_ausfuehren(l, s, e.text);
    Text_pruefen(l);
    return 0;
}
