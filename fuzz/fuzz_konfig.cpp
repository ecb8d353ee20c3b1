// fuzz_konfig.cpp - the configuration readers fuzzed: results in range, edits change the text as described.
#include "fuzzhilfe.h"

#include "korvan.h"
#include "quidel32.h"

#include <climits>
#include <fstream>
#include <memory>

namespace {

struct Lauf {
    Zugriffshandle haupt{}, klon{};
    bool klon_offen = false, speicher = true; // a memory source, not the file source
    std::unique_ptr<char[]> puffer;
    std::unique_ptr<kf::Puffer> symbol[2];
    std::string modell; // the main handle's text as it must be
    int64_t grenze = 0; // the file source: the furthest position allowed
    ~Lauf()
    {
        if (klon_offen)
            KR_Konfig_Datei_schliessen(&klon); // clones go before their owner
        KR_Konfig_Datei_schliessen(&haupt);
    }
};

std::string Inhalt(const Zugriffshandle &h)
{
    std::string s(h.laenge, '\0');
    unsigned char x;
    KF_PRUEFEN(!h.objekt || ((!h.laenge || Quidel_Lesen(h.objekt, h.laenge, 0, s.data(), 0) == 0) &&
                             Quidel_Lesen(h.objekt, 1, h.laenge, &x, 0) == QUIDEL_STATUS_BEREICH));
    return h.objekt ? s : h.puffer ? std::string(h.puffer, h.laenge) : "";
}

void Pruefen(const Lauf &l)
{
    for (const Zugriffshandle *h : {&l.haupt, l.klon_offen ? &l.klon : nullptr})
        KF_PRUEFEN(!h || (h->position >= 0 && (l.speicher ? static_cast<uint32_t>(h->position) <= h->laenge && h->letztes_zeichen >= -1 &&
                                                                h->letztes_zeichen <= 255 : h->position <= l.grenze)));
    KF_PRUEFEN(!l.speicher || Inhalt(l.haupt) == l.modell);
}

bool Klammer(int c) { return c == '[' || c == '{'; }
unsigned long Zahl(uint16_t x, uint8_t c) { return (c & 0x10) ? ULONG_MAX - x : x % 16u; }

std::string Name(const kf::Schritt &s, const std::string &text)
{
    return (s.c & 2) ? std::string(s.b % 700, static_cast<char>('a' + s.a % 26)) : text.substr(s.a % (text.size() + 1), s.b % 48);
}

// Into a buffer of any size (up to the top of 16 bits) or none: a result in range, a terminated text or none.
void Lesen(Zugriffshandle *h, const kf::Schritt &s, int art)
{
    size_t n = !(s.c & 0x80) ? s.b % 300 : s.b >= 0xFF00 ? 0xFFFFu - (s.b & 0xFF) : s.b % 4400;
    kf::Puffer b(n);
    char *p = (s.c & 0x60) == 0x60 ? nullptr : b.daten();
    int r = 0, i = static_cast<int>(n);
    auto g = static_cast<unsigned short>(n);
    switch (art) {
    case 0: r = KR_Element_lesen_2(p, i, h); KF_PRUEFEN(r >= -1 && r <= 6); break;
    case 1: r = KR_Element_lesen(p, i, h); KF_PRUEFEN(r == -1 || r == 0 || (r >= 2 && r <= 4)); break;
    case 2: r = KR_Zeile_lesen(h, p, static_cast<unsigned>(n)); KF_PRUEFEN(r >= 0 && (!r || !p || !n || p[std::min<size_t>(r, n - 1)] == 0)); return;
    case 3: r = static_cast<int>(KR_Abschnittszeile_lesen(h, p, static_cast<unsigned>(n)));
            KF_PRUEFEN(r == 0 || !p || !n ? b.unberuehrt() && (r <= 1 || !p || !n) : r <= i && p[r - 1] == 0); return;
    case 4: r = KR_naechster_Abschnitt(p, i, h); KF_PRUEFEN((r == 0 || Klammer(r)) && (!r || !p || !n || b.terminiert())); return;
    default: r = art == 5 ? KR_naechster_Eintrag(p, g, h) : KR_naechster_INI_Eintrag(p, g, h); KF_PRUEFEN(r == 0 || r == 1); break;
    }
    KF_PRUEFEN((r != 0 || b.unberuehrt() || art > 4) && (r <= 0 || (p && b.terminiert())));
}

void Schritt(Lauf &l, const kf::Schritt &s, const std::string &text)
{
    Zugriffshandle *h = (s.c & 1) && l.klon_offen ? &l.klon : &l.haupt;
    bool haupt = h == &l.haupt && l.speicher;
    int r, art = s.art % 21;
    int32_t vorher = h->position;
    switch (art) {
    case 0: // the byte just read, or the '#' that stands for a comment line
        r = KR_Zeichen_lesen(h);
        KF_PRUEFEN(r >= -1 && r <= 255 && (!haupt || r < 0 || r == '#' || static_cast<unsigned char>(l.modell.at(h->position - 1)) == r));
        break;
    case 1: r = KR_Zeichen_ruecklesen(h); KF_PRUEFEN((r == 0 || r == 1) && (!l.speicher || h->position == vorher - r)); break;
    case 2: {
        unsigned p = s.a % (l.modell.size() + static_cast<size_t>(l.grenze) + 3);
        r = KR_positionieren(h, p);
        KF_PRUEFEN((r == -1 || r == 1) && (!l.speicher || r == (p <= h->laenge ? 1 : -1)) && (r < 0 || h->position == static_cast<int32_t>(p)));
        l.grenze = r == 1 && !l.speicher ? std::max<int64_t>(l.grenze, p) : l.grenze;
        break;
    }
    case 3: r = KR_naechste_Zeile(h); KF_PRUEFEN(r == 0 || r == 1); break;
    case 11: r = KR_Abschnitt_finden((s.c & 0x18) == 0x18 ? nullptr : Name(s, text).c_str(), h); KF_PRUEFEN(r == 0 || Klammer(r)); break;
    case 12: r = KR_Klasse_finden(Zahl(s.a, s.c), Zahl(s.b, s.c), h); KF_PRUEFEN(r == 0 || Klammer(r)); break;
    case 13: r = KR_Wahre_Klasse_finden(Zahl(s.a, s.c), h); KF_PRUEFEN(r == 0 || r == 1); break;
    case 14: { // an entry found: the reader stands after its ':' or '='
        bool ini = s.c & 8;
        r = ini ? KR_INI_Eintrag_finden(Name(s, text).c_str(), h) : KR_Eintrag_finden(Name(s, text).c_str(), h);
        KF_PRUEFEN((r == 0 || r == 1) && (!haupt || !r || l.modell.at(h->position - 1) == (ini ? '=' : ':')));
        break;
    }
    case 15: { // a symbol, into the handle's buffer of any size
        auto &b = l.symbol[h == &l.klon];
        if (!b || (s.c & 8)) {
            b = std::make_unique<kf::Puffer>(s.b % 300);
            h->symbolpuffer = b->daten();
            h->symbolgroesse = s.b % 300;
        }
        r = KR_naechstes_Symbol(h);
        KF_PRUEFEN(r >= -1 && r <= 3 && h->symbolstatus == r && (r < 2 || b->terminiert()));
        KF_PRUEFEN(KR_Symbol_holen(h, nullptr) == (r ? h->symbolpuffer : nullptr));
        break;
    }
    case 16: case 17: { // a removal takes one block: from a header to the next after a line end, or the end
        std::string alt = l.modell;
        r = art == 16 ? KR_Klasse_loeschen(Zahl(s.a, s.c), Zahl(s.b, s.c), &l.haupt) : KR_Abschnitt_loeschen(Name(s, text).c_str(), &l.haupt);
        KF_PRUEFEN(r == 0 || (r == 1 && l.speicher));
        if (r == 1) {
            l.modell = Inhalt(l.haupt);
            size_t p = static_cast<size_t>(l.haupt.position), e = p + alt.size() - l.modell.size();
            KF_PRUEFEN(l.modell.size() < alt.size() && e <= alt.size() && Klammer(static_cast<unsigned char>(alt[p])));
            KF_PRUEFEN(l.modell == alt.substr(0, p) + alt.substr(e) && (e == alt.size() || (Klammer(static_cast<unsigned char>(alt[e])) && (alt[e - 1] == '\n' || alt[e - 1] == '\r'))));
        }
        break;
    }
    case 18: { // only a memory object grows, by a length of 0 or more
        std::string daten = text.substr(s.a % (text.size() + 1), s.b % 600);
        int laenge = (s.c & 0x18) == 0x18 ? -1 - s.b : static_cast<int>(daten.size());
        vorher = l.haupt.position;
        r = KR_Block_hinzufuegen(daten.data(), laenge, &l.haupt);
        KF_PRUEFEN(r == (l.haupt.objekt && laenge >= 0) && l.haupt.position == vorher);
        l.modell += r == 1 ? daten : "";
        break;
    }
    case 19: case 20: { // a clone is the handle with its flag; closed, it is empty and leaves its owner's text
        static const Zugriffshandle leer{};
        if (l.klon_offen)
            KR_Konfig_Datei_schliessen(&l.klon);
        l.symbol[1].reset();
        KF_PRUEFEN(!l.klon_offen || std::memcmp(&l.klon, &leer, sizeof l.klon) == 0);
        l.klon_offen = art == 19 && KR_Zugriffshandle_clonen(&l.haupt, &l.klon) == 1;
        KF_PRUEFEN(l.klon_offen || !l.speicher || art == 20);
        Zugriffshandle soll = l.haupt;
        soll.flags |= KR_FLAG_CLON;
        KF_PRUEFEN(!l.klon_offen || (l.speicher ? std::memcmp(&soll, &l.klon, sizeof soll) == 0
                                                : (l.klon.flags & KR_FLAG_CLON) && l.klon.position == l.haupt.position));
        l.klon.symbolpuffer = l.klon_offen ? nullptr : l.klon.symbolpuffer; // it gets a buffer of its own
        break;
    }
    default: Lesen(h, s, art - 4);
    }
    Pruefen(l);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    static const std::string datei = (kf::Eigener_Ordner() / "k.cfg").string();
    kf::Eingabe e = kf::Zerlegen(daten, n, 64);
    Lauf l;
    Zugriffshandle &h = l.haupt;
    auto laenge = static_cast<uint32_t>(e.text.size());
    l.modell = e.text;
    switch (e.steuer % 4) { // a buffer, a new memory object appended to, a loaded file, the file source
    case 0:
        l.puffer.reset(new char[laenge]);
        h.puffer = static_cast<char *>(std::memcpy(l.puffer.get(), e.text.data(), laenge));
        h.laenge = laenge;
        break;
    case 1:
        KF_PRUEFEN(KR_Konfig_Datei_anlegen(&h) == 0 && h.laenge == 4 && h.position == 4);
        KF_PRUEFEN(KR_Block_hinzufuegen(e.text.data(), static_cast<int>(laenge), &h) == 1 && h.position == 4);
        l.modell = std::string("\x1A\0\r\n", 4) + e.text;
        break;
    default:
        std::ofstream(datei, std::ios::binary).write(e.text.data(), laenge);
        l.speicher = e.steuer % 4 == 2;
        l.grenze = laenge;
        KF_PRUEFEN((l.speicher ? KR_Konfig_Datei_oeffnen(datei.c_str(), &h) : KR_Datei_oeffnen(datei.c_str(), &h)) == 0);
        KF_PRUEFEN(!l.speicher || (h.position == 0 && h.laenge == laenge));
    }
    Pruefen(l);
    for (const kf::Schritt &s : e.schritte)
        Schritt(l, s, e.text);
    return 0;
}
