// fuzz_pfad.cpp - the path functions under the fuzzer: a result is written whole, else the buffer is kept.
#include "fuzzhilfe.h"

#include "korvan.h"
#include "platform/plattform.h"

#include <algorithm>

namespace {

std::string Rueck(std::string s)
{
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

// A result r of a call into b, which held `vorher`: nothing written, or the text, its terminator and no more.
std::string Ergebnis(kf::Puffer &b, const std::string &vorher, int r)
{
    std::string nachher = b.inhalt();
    KF_PRUEFEN((r == 0 && nachher == vorher) || r == 1);
    if (r == 0)
        return {};
    size_t n = std::strlen(b.daten());
    KF_PRUEFEN(n < b.groesse && nachher.compare(n + 1, std::string::npos, vorher, n + 1) == 0);
    return std::string(b.daten(), n);
}

std::string Kanonisch(const std::string &p, bool &ok)
{
    char z[Pfadpuffer];
    ok = Pfad_kanonisieren(z, p.c_str());
    return ok ? z : "";
}

void Schritt(const std::string &p, const std::string &q, const kf::Schritt &s)
{
    size_t groesse = (s.c & 0x80) ? s.b % 1100 : s.b % 300;
    kf::Puffer b(groesse);
    std::string vorher = b.inhalt();
    switch (s.art % 3) {
    case 0: { // a part joined on: an absolute part replaces, else ends the path
        if (groesse)
            vorher = b.inhalt().replace(0, std::min(p.size() + 1, groesse), p.substr(0, groesse - 1) + '\0');
        std::memcpy(b.daten(), vorher.data(), groesse);
        std::string r = Ergebnis(b, vorher, KR_Teil_hinzu(b.daten(), q.c_str(), static_cast<unsigned>(groesse)));
        KF_PRUEFEN(r.empty() || (Pfad_ist_relativ(q.c_str()) ? Rueck(r).ends_with(Rueck(q).substr(Rueck(q)[0] == '\\')) : r == q));
        break;
    }
    case 1: { // the path relative to a base ends the canonical path
        std::string r = Ergebnis(b, vorher, KR_Differenzpfad(b.daten(), static_cast<unsigned>(groesse), p.c_str(), q.c_str()));
        bool ok;
        KF_PRUEFEN(r.empty() || Rueck(Kanonisch(p, ok)).ends_with(Rueck(r)));
        break;
    }
    case 2: { // no '.' or '..' segment left, and a canonical path stays so
        kf::Puffer z(Pfadpuffer);
        vorher = z.inhalt();
        bool ok = Pfad_kanonisieren(z.daten(), p.c_str());
        KF_PRUEFEN(ok == (p.size() < Pfadpuffer) && (ok || z.inhalt() == vorher));
        if (!ok)
            break;
        std::string k = z.daten(), m = "\\" + Rueck(k) + "\\";
        KF_PRUEFEN(!k.empty() && m.find("\\.\\") == std::string::npos && m.find("\\..\\") == std::string::npos);
        // Dropping a leading "." may bring a name such as "#:x" to the front as a drive: only that may change.
        bool laufwerk = k.size() >= 2 && k[1] == ':' && !(p.size() >= 2 && p[1] == ':');
        KF_PRUEFEN(Kanonisch(k, ok) == k || (ok && laufwerk));
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    kf::Eingabe e = kf::Zerlegen(daten, n, 32);
    std::vector<std::string> pfade;
    for (size_t von = 0, null = 0; null != std::string::npos; von = null + 1) {
        null = e.text.find('\0', von);
        pfade.push_back(e.text.substr(von, null == std::string::npos ? null : null - von));
    }
    for (const kf::Schritt &s : e.schritte)
        Schritt(pfade[s.a % pfade.size()], pfade[(s.a >> 8) % pfade.size()], s);
    return 0;
}
