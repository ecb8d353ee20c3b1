// fuzz_argumente.cpp - the argument reader fuzzed: slots of their item's kind, no overrun, no leftovers.
#include "fuzzhilfe.h"

#define KT_PRUEFEN KF_PRUEFEN
#include "argumentwerte.h"
#include "korvan.h"
#include "tamsel.h"

#include <memory>

namespace {

const char *const Vorlagen[] = {
    "FROM/M,TO/A,QUIET/S", "NAME/K,QUIET/S,COUNT/N,MODE=ART/K,CMD/F", "V/M/N,LIMIT/N/K,X",
    "SRC/M/A,DEST/A,EXTRA/M/K,ALL/S", "P,Q,R/T,S/F", "A,B,C,D,E,F,G,H,I,J,K,L,M,N,O,P,Q,R,S,T,U,V,W,X,Y,Z"};

char marke;
void *const Unbeschrieben = &marke; // a slot the reader did not write

struct Lauf {
    std::string vorlage, text;
    Argumentsatz satz{};
    uint16_t flags[Arg_Hoechstzahl];
    int anzahl = -1, mehrfach = -1;
    ~Lauf() { KR_Konfig_Datei_schliessen(&satz.zugriffshandle); }
};

// Every slot as the tests read it; a required item always gets a value.
std::string Werte(const Lauf &l, void *const *werte, kf::Puffer *block)
{
    std::string s = "ok";
    for (const std::string &w : kt::Argumentwerte(l.vorlage.c_str(), werte, Unbeschrieben, block ? block->daten() : nullptr,
                                                  block ? static_cast<uint32_t>(block->groesse) : 0))
        s += "|" + w;
    for (int i = 0; i < l.anzahl; ++i)
        KF_PRUEFEN(werte[i] != Unbeschrieben || !(l.flags[i] & Arg_Pflicht));
    return s;
}

std::string Lesen(Lauf &l, int32_t start, bool fest, size_t groesse, bool ohne_block)
{
    Argumentsatz &satz = l.satz;
    KF_PRUEFEN(KR_positionieren(&satz.zugriffshandle, static_cast<unsigned>(start)) == 1);
    auto block = std::make_unique<kf::Puffer>(groesse);
    satz.argflags = fest ? KR_ARG_FESTSPEICHER | 0x100 : 0; // the other bits stay as they are
    satz.speicher = fest && !ohne_block ? block->daten() : nullptr;
    satz.speichergroesse = fest ? static_cast<uint32_t>(groesse) : 0;
    fest = fest && !ohne_block && groesse > 0;
    const Argumentsatz vorher = satz;
    std::vector<void *> werte(Arg_Hoechstzahl + 1, Unbeschrieben);
    Argumentsatz *r = KR_Argumente_lesen(l.vorlage.c_str(), l.anzahl > 0 ? werte.data() : nullptr, &satz);
    KF_PRUEFEN(r == nullptr || r == &satz);
    KF_PRUEFEN(satz.zugriffshandle.position >= start && static_cast<uint32_t>(satz.zugriffshandle.position) <= satz.zugriffshandle.laenge);
    KF_PRUEFEN(!fest || static_cast<unsigned char>(block->daten()[groesse - 1]) == kf::Puffer::Muster);
    if (l.anzahl < 0) { // a rejected template: only mehrfachliste changes
        Argumentsatz soll = vorher;
        soll.mehrfachliste = nullptr;
        KF_PRUEFEN(!r && std::memcmp(&soll, &satz, sizeof satz) == 0);
        return "";
    }
    KF_PRUEFEN(satz.argflags == (fest ? vorher.argflags : vorher.argflags & ~KR_ARG_FESTSPEICHER));
    KF_PRUEFEN(r || (satz.mehrfachliste == nullptr && satz.speicher == (fest ? block->daten() : nullptr) &&
                     satz.speichergroesse == (fest ? groesse : 0)));
    KF_PRUEFEN(!r || fest || (satz.speicher && satz.speichergroesse == TAMSEL_POOLKOPF));
    std::string s = (r ? Werte(l, werte.data(), fest ? block.get() : nullptr) : "-") + "@" +
                    std::to_string(satz.zugriffshandle.position);
    KR_Arg_freigeben(&satz);
    KF_PRUEFEN(!satz.mehrfachliste && satz.speicher == (fest ? block->daten() : nullptr));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    kf::Eingabe e = kf::Zerlegen(daten, n, 24);
    Lauf l;
    size_t null = e.text.find('\0'); // the template, then the argument text
    l.vorlage = (e.steuer & 0x10) ? Vorlagen[(e.steuer >> 5) % 6] : e.text.substr(0, null);
    l.text = null == std::string::npos ? "" : e.text.substr(null + 1);
    l.anzahl = Arg_Vorlage_lesen(l.vorlage.c_str(), l.flags, &l.mehrfach);
    Zugriffshandle &h = l.satz.zugriffshandle;
    std::unique_ptr<char[]> puffer(new char[l.text.size()]); // exactly as long as the text
    std::memcpy(puffer.get(), l.text.data(), l.text.size());
    h.puffer = puffer.get(); // the handle's sources are the configuration fuzzer's
    h.laenge = static_cast<uint32_t>(l.text.size());
    for (const kf::Schritt &s : e.schritte) {
        auto start = static_cast<int32_t>(s.a % (h.laenge + 1));
        size_t groesse = s.b % ((s.c & 0x80) ? 4400u : 700u);
        bool fest = (s.c & 1) && (s.c & 0x0E) != 0x0E && groesse > 0;
        std::string werte = Lesen(l, start, s.c & 1, groesse, (s.c & 0x0E) == 0x0E);
        // Pool mode and a large block agree; a smaller block may run out.
        if ((s.c & 0x30) == 0x30 && l.anzahl >= 0) {
            std::string pool = Lesen(l, start, false, 0, false);
            KF_PRUEFEN(pool == Lesen(l, start, true, 16384, false));
            KF_PRUEFEN(werte == pool || (fest && werte[0] == '-'));
        }
    }
    return 0;
}
