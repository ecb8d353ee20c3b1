// fuzz_pfad.cpp - the path functions under the fuzzer: paths from the input
// (the pieces of its text between zero bytes), joined, compared, cut and
// unified into buffers of any size.  Results are checked against the
// algorithm as written out here, on top of the platform's relative test and
// canonical form, whose own promises are checked as well: a result is
// written only when it fits whole, a buffer that gets none keeps every byte.
#include "fuzzhilfe.h"

#include "korvan.h"
#include "platform/plattform.h"

#include <algorithm>
#include <memory>

namespace {

using kf::Puffer;
using kf::Schritt;

constexpr size_t Hoechstens_Schritte = 32;

// A caller's buffer of groesse bytes holding text (cut to fit), the rest of
// it the fill pattern.
std::unique_ptr<Puffer> Mit_Text(size_t groesse, const std::string &text)
{
    auto b = std::make_unique<Puffer>(groesse);
    if (groesse > 0) {
        size_t n = std::min(text.size(), groesse - 1);
        std::memcpy(b->daten(), text.data(), n);
        b->daten()[n] = '\0';
    }
    return b;
}

std::string Inhalt(Puffer &b)
{
    return std::string(b.daten(), b.groesse());
}

// A result written whole: the text and its terminator, nothing behind them.
void Ergebnis_pruefen(Puffer &b, const std::string &vorher, int r, const std::string &erwartet)
{
    KF_PRUEFEN(b.waechter_heil());
    std::string nachher = Inhalt(b);
    if (r == 0) {
        KF_PRUEFEN(nachher == vorher);
        return;
    }
    KF_PRUEFEN(erwartet.size() < b.groesse());
    KF_PRUEFEN(nachher.compare(0, erwartet.size() + 1, erwartet.c_str(), erwartet.size() + 1) == 0);
    KF_PRUEFEN(nachher.compare(erwartet.size() + 1, std::string::npos, vorher, erwartet.size() + 1,
                               std::string::npos) == 0);
}

std::string Mit_Rueckstrichen(std::string s)
{
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

// The join as the algorithm gives it; empty with ok == false when it fails.
std::string Verbunden(const std::string &pfad, const std::string &teil, size_t groesse, bool &ok)
{
    ok = false;
    if (groesse == 0)
        return {};
    if (!Pfad_ist_relativ(teil.c_str())) {
        ok = teil.size() < groesse;
        return teil;
    }
    if (pfad.size() >= Pfadpuffer || teil.size() >= Pfadpuffer)
        return {};
    std::string weg = Mit_Rueckstrichen(pfad), stueck = Mit_Rueckstrichen(teil);
    if (weg.empty() || (weg.back() != '\\' && weg.back() != ':'))
        weg += '\\';
    if (!stueck.empty() && stueck[0] == '\\')
        stueck.erase(0, 1);
    weg += stueck;
    ok = weg.size() < groesse;
    return weg;
}

void Teil_hinzu(const std::string &pfad, const std::string &teil, const Schritt &s)
{
    size_t groesse = (s.c & 0x80) ? s.b % 1100 : s.b % 300;
    auto b = Mit_Text(groesse, pfad);
    std::string vorher = Inhalt(*b);
    std::string alt = groesse ? std::string(b->daten()) : std::string();
    int r = KR_Teil_hinzu(groesse ? b->daten() : b->daten(), teil.c_str(), static_cast<unsigned int>(groesse));
    KF_PRUEFEN(r == 0 || r == 1);
    bool ok;
    std::string erwartet = Verbunden(alt, teil, groesse, ok);
    KF_PRUEFEN(r == (ok ? 1 : 0));
    Ergebnis_pruefen(*b, vorher, r, erwartet);
}

std::string Kanonisch(const std::string &p, bool &ok)
{
    char z[Pfadpuffer];
    ok = Pfad_kanonisieren(z, p.c_str());
    return ok ? std::string(z) : std::string();
}

void Differenzpfad(const std::string &pfad, const std::string &basis, const Schritt &s)
{
    size_t groesse = (s.c & 0x80) ? s.b % 1100 : s.b % 300;
    Puffer b(groesse);
    std::string vorher = Inhalt(b);
    int r = KR_Differenzpfad(b.daten(), static_cast<unsigned int>(groesse), pfad.c_str(), basis.c_str());
    KF_PRUEFEN(r == 0 || r == 1);

    // The tail as the algorithm gives it.
    bool ok1, ok2;
    std::string kb = Kanonisch(basis, ok1), kp = Kanonisch(pfad, ok2);
    bool ok = groesse > 0 && ok1 && ok2;
    if (ok && !kb.empty() && kb.back() != '\\' && kb.back() != '/' && kb.back() != ':') {
        ok = kb.size() + 1 < Pfadpuffer;
        kb += '\\';
    }
    kb = Mit_Rueckstrichen(kb);
    kp = Mit_Rueckstrichen(kp);
    bool unter = !kb.empty() && kp.size() >= kb.size();
    for (size_t i = 0; unter && i < kb.size(); ++i)
        unter = Zeichen_klein(static_cast<unsigned char>(kb[i])) == Zeichen_klein(static_cast<unsigned char>(kp[i]));
    std::string erwartet = unter ? kp.substr(kb.size()) : kp;
    ok = ok && erwartet.size() < groesse;
    KF_PRUEFEN(r == (ok ? 1 : 0));
    Ergebnis_pruefen(b, vorher, r, erwartet);
}

void Kanonisieren(const std::string &p)
{
    Puffer z(Pfadpuffer);
    std::string vorher = Inhalt(z);
    bool ok = Pfad_kanonisieren(z.daten(), p.c_str());
    KF_PRUEFEN(z.waechter_heil());
    KF_PRUEFEN(ok == (p.size() < Pfadpuffer));
    if (!ok) {
        KF_PRUEFEN(Inhalt(z) == vorher);
        return;
    }
    KF_PRUEFEN(z.terminiert());
    std::string k(z.daten());
    KF_PRUEFEN(!k.empty() && k.size() <= p.size() + 1);
    // No '.' or '..' segment is left, and a canonical path stays as it is.
    std::string m = "\\" + Mit_Rueckstrichen(k) + "\\";
    KF_PRUEFEN(m.find("\\.\\") == std::string::npos && m.find("\\..\\") == std::string::npos);
    // Dropping a leading "." can bring a name such as "#:x" to the front,
    // which then reads as a drive, as it does on Windows: only such a result
    // may change when it is made canonical again.
    bool neues_laufwerk = k.size() >= 2 && k[1] == ':' && !(p.size() >= 2 && p[1] == ':');
    bool wieder;
    std::string nochmals = Kanonisch(k, wieder);
    KF_PRUEFEN(wieder && (nochmals == k || neues_laufwerk));
}

void Basisname(const std::string &p)
{
    const char *name = KR_Basisname(p.c_str());
    KF_PRUEFEN(name >= p.c_str() && name <= p.c_str() + p.size());
    size_t i = static_cast<size_t>(name - p.c_str());
    KF_PRUEFEN(p.find_first_of("\\/:", i) == std::string::npos);
    KF_PRUEFEN(i == 0 || p[i - 1] == '\\' || p[i - 1] == '/' || p[i - 1] == ':');
}

void Slashify(const std::string &p, const Schritt &s)
{
    auto b = Mit_Text(p.size() + 1, p);
    std::string vorher = Inhalt(*b);
    char trenner = static_cast<char>(s.c);
    KR_Slashify(b->daten(), trenner);
    KF_PRUEFEN(b->waechter_heil());
    std::string erwartet = vorher;
    char neu = trenner ? trenner : '\\';
    for (char &c : erwartet) {
        if (c == '\0')
            break;
        if (c == '\\' || c == '/')
            c = neu;
    }
    KF_PRUEFEN(Inhalt(*b) == erwartet);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    kf::Eingabe e = kf::Zerlegen(daten, n, Hoechstens_Schritte);

    // The paths: the pieces of the text between zero bytes.
    std::vector<std::string> pfade;
    size_t von = 0;
    for (;;) {
        size_t null = e.text.find('\0', von);
        pfade.push_back(e.text.substr(von, null == std::string::npos ? std::string::npos : null - von));
        if (null == std::string::npos)
            break;
        von = null + 1;
    }

    KR_Slashify(nullptr, 0);
    KF_PRUEFEN(KR_Basisname(nullptr) == nullptr);
    for (const Schritt &s : e.schritte) {
        const std::string &p = pfade[s.a % pfade.size()];
        const std::string &q = pfade[(s.a >> 8) % pfade.size()];
        switch (s.art % 5) {
        case 0: Teil_hinzu(p, q, s); break;
        case 1: Differenzpfad(p, q, s); break;
        case 2: Kanonisieren(p); break;
        case 3: Basisname(p); break;
        case 4: Slashify(p, s); break;
        }
    }
    return 0;
}
