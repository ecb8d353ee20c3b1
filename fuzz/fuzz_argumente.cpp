// fuzz_argumente.cpp - the argument reader under the fuzzer: the template and
// the argument text come from the input, which also holds a program of
// reader calls (pool mode or a fixed block of any size, from any position of
// the text) and lookups with KR_Arg_finden.  Every call is checked against
// what the reader promises: slots hold values of their item's kind, a fixed
// block is never used beyond its last byte, a failed call leaves nothing
// allocated, and pool and fixed mode give the same values.
#include "fuzzhilfe.h"

#include "args/argumente.h"
#include "korvan.h"
#include "quidel32.h"
#include "tamsel.h"

#include <memory>

namespace {

using kf::Puffer;
using kf::Schritt;

constexpr size_t Hoechstens_Schritte = 24;

// Templates as callers write them; a step may use one of them instead of
// the input's own, so that the argument text meets a sensible template.
const char *const Vorlagen[] = {
    "FROM/M,TO/A,QUIET/S",
    "NAME/K,QUIET/S,COUNT/N,MODE=ART/K,CMD/F",
    "V/M/N,LIMIT/N/K,X",
    "SRC/M/A,DEST/A,EXTRA/M/K,ALL/S",
    "P,Q,R/T,S/F",
    "A,B,C,D,E,F,G,H,I,J,K,L,M,N,O,P,Q,R,S,T,U,V,W,X,Y,Z",
};

// Marks a slot that the reader did not write.
char unbeschrieben_marke;
void *const Unbeschrieben = &unbeschrieben_marke;

// One slot's value, copied out of the record's storage.
struct Wert {
    enum class Art { keiner, Schalter, Text, Zahl, Zelle, Liste, Zahlenliste } art = Art::keiner;
    std::string text;
    int32_t zahl = 0;
    std::vector<std::string> liste;
    std::vector<int32_t> zahlen;

    bool operator==(const Wert &w) const
    {
        return art == w.art && text == w.text && zahl == w.zahl && liste == w.liste && zahlen == w.zahlen;
    }
};

struct Ergebnis {
    bool gelungen = false;
    std::vector<Wert> werte;
    int32_t position = 0;

    bool operator==(const Ergebnis &e) const
    {
        return gelungen == e.gelungen && werte == e.werte && position == e.position;
    }
};

// The storage a call uses: pool mode, or a caller's block of some size.
struct Speicherart {
    bool fest;
    size_t groesse;
    bool ohne_block; // the fixed bit with a null block: pool mode after all
};

struct Lauf {
    std::string vorlage;
    std::string text;
    std::unique_ptr<char[]> puffer;
    Argumentsatz satz{};
    uint16_t flags[Arg_Hoechstzahl];
    int anzahl = -1;
    int mehrfach = -1;

    ~Lauf()
    {
        KR_Arg_freigeben(&satz);
        KR_Konfig_Datei_schliessen(&satz.zugriffshandle);
    }
};

bool Im_Block(const void *p, size_t n, const Puffer *block)
{
    if (!block)
        return true;
    auto *anfang = reinterpret_cast<const char *>(block->daten());
    auto *q = static_cast<const char *>(p);
    // The block's last byte is never used.
    return q >= anfang && q + n <= anfang + block->groesse() - 1;
}

// A text in the record's storage: bounded by the value buffer of 512 bytes
// and, in fixed mode, inside the block.
std::string Text_holen(const void *slot, const Puffer *block, size_t hoechstens)
{
    auto *t = static_cast<const char *>(slot);
    KF_PRUEFEN(t != nullptr);
    size_t n = std::strlen(t);
    KF_PRUEFEN(n <= hoechstens);
    KF_PRUEFEN(Im_Block(t, n + 1, block));
    return std::string(t, n);
}

// Copies every slot out after a successful call, checking that each holds
// what its item's kind promises.
std::vector<Wert> Werte_holen(const Lauf &l, void *const *werte, const Puffer *block)
{
    std::vector<Wert> ergebnis(static_cast<size_t>(l.anzahl));
    for (int i = 0; i < l.anzahl; ++i) {
        uint16_t f = l.flags[i];
        Wert &w = ergebnis[static_cast<size_t>(i)];
        if (werte[i] == Unbeschrieben) {
            // A required item always has a value after a successful call.
            KF_PRUEFEN(!(f & Arg_Pflicht));
            continue;
        }
        // A required switch or rest of line that took its value from the
        // multiple item at the end holds what storing that value gives: a
        // number cell or a text of up to 255 characters (an element).
        bool nachgereicht = (f & Arg_Pflicht) && (f & (Arg_Schalter | Arg_Rest)) &&
                            werte[i] != reinterpret_cast<void *>(intptr_t{1});
        if ((f & Arg_Schalter) && !nachgereicht) {
            w.art = Wert::Art::Schalter;
        } else if (nachgereicht && (f & Arg_Zahl)) {
            // A rest of line with N is a text or a cell; only its place is checked.
            KF_PRUEFEN(Im_Block(werte[i], 4, block));
            w.art = Wert::Art::Zelle;
        } else if (f & Arg_Rest) {
            w.art = Wert::Art::Text;
            w.text = Text_holen(werte[i], block, nachgereicht ? 255 : 254);
        } else if (f & Arg_Mehrfach) {
            auto *feld = static_cast<char *const *>(werte[i]);
            KF_PRUEFEN(feld != nullptr && feld[Arg_Mehrfach_Eintraege] == nullptr);
            w.art = (f & Arg_Zahl) ? Wert::Art::Zahlenliste : Wert::Art::Liste;
            for (int k = 0; k < Arg_Mehrfach_Eintraege && feld[k]; ++k) {
                if (f & Arg_Zahl) {
                    KF_PRUEFEN(Im_Block(feld[k], 4, block));
                    int32_t z;
                    std::memcpy(&z, feld[k], sizeof z);
                    w.zahlen.push_back(z);
                } else {
                    w.liste.push_back(Text_holen(feld[k], block, 511));
                }
            }
        } else if (f & Arg_Zahl) {
            KF_PRUEFEN(Im_Block(werte[i], 4, block));
            w.art = Wert::Art::Zahl;
            std::memcpy(&w.zahl, werte[i], sizeof w.zahl);
        } else {
            w.art = Wert::Art::Text;
            w.text = Text_holen(werte[i], block, 511);
        }
    }
    return ergebnis;
}

// One call of the reader from position `start`, checked, its values copied
// out, and the record released again.
Ergebnis Lesen(Lauf &l, int32_t start, Speicherart art)
{
    Argumentsatz &satz = l.satz;
    KF_PRUEFEN(KR_positionieren(&satz.zugriffshandle, static_cast<unsigned int>(start)) == 1);

    std::unique_ptr<Puffer> block;
    satz.argflags = 0;
    satz.speicher = nullptr;
    satz.speichergroesse = 0;
    if (art.fest) {
        block = std::make_unique<Puffer>(art.groesse);
        satz.argflags = KR_ARG_FESTSPEICHER | 0x100; // other bits stay as they are
        satz.speicher = art.ohne_block ? nullptr : block->daten();
        satz.speichergroesse = static_cast<uint32_t>(art.groesse);
    }
    bool fest = art.fest && !art.ohne_block && art.groesse > 0;
    Puffer *im_block = fest ? block.get() : nullptr;
    const Argumentsatz vorher = satz;

    size_t slots = l.anzahl > 0 ? static_cast<size_t>(l.anzahl) : 1;
    std::unique_ptr<void *[]> werte(new void *[slots]);
    for (size_t i = 0; i < slots; ++i)
        werte[i] = Unbeschrieben;

    Argumentsatz *r = KR_Argumente_lesen(l.vorlage.c_str(), l.anzahl > 0 ? werte.get() : nullptr, &satz);
    Ergebnis e;
    e.position = satz.zugriffshandle.position;
    KF_PRUEFEN(r == nullptr || r == &satz);
    KF_PRUEFEN(satz.zugriffshandle.position >= start &&
               static_cast<uint32_t>(satz.zugriffshandle.position) <= satz.zugriffshandle.laenge);
    KF_PRUEFEN(satz.argflags == (fest ? vorher.argflags : (vorher.argflags & ~KR_ARG_FESTSPEICHER)) ||
               l.anzahl < 0);
    if (block) {
        KF_PRUEFEN(block->waechter_heil());
        // The last byte of a fixed block is never used.
        if (fest)
            KF_PRUEFEN(static_cast<unsigned char>(block->daten()[art.groesse - 1]) == Puffer::Muster);
    }

    if (l.anzahl < 0) {
        // A rejected template: only mehrfachliste changes, the line stays unread.
        Argumentsatz erwartet = vorher;
        erwartet.mehrfachliste = nullptr;
        KF_PRUEFEN(r == nullptr && std::memcmp(&erwartet, &satz, sizeof satz) == 0);
        return e;
    }
    if (!r) {
        // A failed call has released what it took.
        KF_PRUEFEN(satz.mehrfachliste == nullptr);
        if (fest)
            KF_PRUEFEN(satz.speicher == block->daten() && satz.speichergroesse == art.groesse);
        else
            KF_PRUEFEN(satz.speicher == nullptr && satz.speichergroesse == 0);
        return e;
    }
    if (!fest)
        KF_PRUEFEN(satz.speicher != nullptr && satz.speichergroesse == TAMSEL_POOLKOPF);
    e.gelungen = true;
    e.werte = Werte_holen(l, werte.get(), im_block);

    KR_Arg_freigeben(&satz);
    KF_PRUEFEN(satz.mehrfachliste == nullptr);
    KF_PRUEFEN(fest ? satz.speicher == block->daten() : satz.speicher == nullptr);
    KR_Arg_freigeben(&satz); // a second release does nothing
    return e;
}

// The item that a name denotes lies within the template.
void Finden(const Lauf &l, const std::string &name)
{
    int r = KR_Arg_finden(l.vorlage.c_str(), name.c_str());
    KF_PRUEFEN(r >= -1);
    if (l.anzahl >= 0)
        KF_PRUEFEN(r < l.anzahl);
    size_t kommas = 0;
    for (char c : l.vorlage)
        kommas += c == ',';
    KF_PRUEFEN(static_cast<size_t>(r + 1) <= kommas + 1);
}

// Every item of an accepted template is found by its own name, or by an
// earlier item whose name begins it.  An item starts after each comma.
void Namen_pruefen(const Lauf &l)
{
    if (l.anzahl < 0)
        return;
    size_t anfang = 0;
    for (int i = 0; i < l.anzahl; ++i) {
        size_t ende = l.vorlage.find_first_of(",/=", anfang);
        std::string name = l.vorlage.substr(anfang, ende == std::string::npos ? std::string::npos : ende - anfang);
        if (!name.empty()) {
            int r = KR_Arg_finden(l.vorlage.c_str(), name.c_str());
            KF_PRUEFEN(r >= 0 && r <= i);
        }
        anfang = l.vorlage.find(',', anfang);
        if (anfang == std::string::npos)
            break;
        ++anfang;
    }
}

void Schritt_ausfuehren(Lauf &l, const Schritt &s)
{
    uint32_t laenge = l.satz.zugriffshandle.laenge;
    auto start = static_cast<int32_t>(s.a % (laenge + 1));
    switch (s.art % 3) {
    case 0:
    case 1: {
        Speicherart art{(s.c & 1) != 0, s.b % ((s.c & 0x80) ? 4400u : 700u), (s.c & 0x0E) == 0x0E};
        Ergebnis e = Lesen(l, start, art);
        // Pool mode and a fixed block that holds everything agree.
        if ((s.c & 0x30) == 0x30 && l.anzahl >= 0) {
            Ergebnis pool = Lesen(l, start, {false, 0, false});
            Ergebnis gross = Lesen(l, start, {true, 16384, false});
            KF_PRUEFEN(pool == gross);
            if (!art.fest || art.ohne_block || art.groesse == 0 || e.gelungen)
                KF_PRUEFEN(e == pool);
        }
        break;
    }
    case 2: {
        std::string name = (s.c & 1) ? std::string(s.b % 300, static_cast<char>('A' + s.c % 26))
                                     : kf::Ausschnitt(l.text, s.a, s.b % 64);
        Finden(l, name);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    kf::Eingabe e = kf::Zerlegen(daten, n, Hoechstens_Schritte);
    Lauf l;

    // The template runs to the first zero byte; the argument text follows.
    size_t null = e.text.find('\0');
    if (null == std::string::npos) {
        l.vorlage = e.text;
    } else {
        l.vorlage = e.text.substr(0, null);
        l.text = e.text.substr(null + 1);
    }
    if (e.steuer & 0x10)
        l.vorlage = Vorlagen[(e.steuer >> 5) % (sizeof Vorlagen / sizeof *Vorlagen)];
    l.anzahl = Arg_Vorlage_lesen(l.vorlage.c_str(), l.flags, &l.mehrfach);
    Namen_pruefen(l);

    // The argument text in a memory buffer or a memory object.
    Zugriffshandle &h = l.satz.zugriffshandle;
    if (e.steuer & 1) {
        Quidel_Handle o = 0;
        KF_PRUEFEN(Quidel_Anlegen(static_cast<uint32_t>(l.text.size()), &o, 0) == 0);
        KF_PRUEFEN(Quidel_Schreiben(o, static_cast<uint32_t>(l.text.size()), 0, l.text.data(), 0) == 0);
        h.objekt = o;
    } else {
        l.puffer.reset(new char[l.text.size()]);
        std::memcpy(l.puffer.get(), l.text.data(), l.text.size());
        h.puffer = l.puffer.get();
    }
    h.laenge = static_cast<uint32_t>(l.text.size());

    for (const Schritt &s : e.schritte)
        Schritt_ausfuehren(l, s);
    return 0;
}
