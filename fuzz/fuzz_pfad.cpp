// fuzz_pfad.cpp - the path functions under the fuzzer: paths from the input
// (the pieces of its text between zero bytes), joined, compared, cut and
// made canonical into buffers of any size.  A result is written only when it
// fits whole; a buffer that gets none keeps every byte.
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

bool Trenner(char c)
{
    return c == '\\' || c == '/' || c == ':';
}

// A result r (0 or 1) of a call into b, which held `vorher`: nothing
// written, or the text and its terminator, and nothing behind them.
std::string Ergebnis(kf::Puffer &b, const std::string &vorher, int r)
{
    std::string nachher = b.inhalt();
    KF_PRUEFEN(r == 0 || r == 1);
    KF_PRUEFEN(r == 1 || nachher == vorher);
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
    switch (s.art % 5) {
    case 0: { // a part joined on: absolute replaces, else one '\' between
        if (groesse) {
            std::memcpy(b.daten(), p.c_str(), std::min(p.size(), groesse - 1));
            b.daten()[std::min(p.size(), groesse - 1)] = '\0';
        }
        std::string vorher = b.inhalt(), alt = groesse ? b.daten() : "";
        int rc = KR_Teil_hinzu(b.daten(), q.c_str(), static_cast<unsigned>(groesse));
        std::string r = Ergebnis(b, vorher, rc);
        std::string weg = Rueck(alt), teil = Rueck(q);
        weg += weg.empty() || (weg.back() != '\\' && weg.back() != ':') ? "\\" : "";
        std::string soll = Pfad_ist_relativ(q.c_str()) ? weg + (teil[0] == '\\' ? teil.substr(1) : teil) : q;
        bool passt = groesse && soll.size() < groesse && (!Pfad_ist_relativ(q.c_str()) || (alt.size() < Pfadpuffer && q.size() < Pfadpuffer));
        KF_PRUEFEN(rc == passt && (!rc || r == soll));
        break;
    }
    case 1: { // the path relative to a base, when it lies below it
        std::string vorher = b.inhalt();
        int rc = KR_Differenzpfad(b.daten(), static_cast<unsigned>(groesse), p.c_str(), q.c_str());
        std::string r = Ergebnis(b, vorher, rc);
        bool ok1, ok2;
        std::string kb = Rueck(Kanonisch(q, ok1)), kp = Rueck(Kanonisch(p, ok2));
        bool ok = groesse && ok1 && ok2 && (kb.empty() || Trenner(kb.back()) || kb.size() + 1 < Pfadpuffer);
        kb += kb.empty() || Trenner(kb.back()) ? "" : "\\";
        bool unter = !kb.empty() && kp.size() >= kb.size() &&
                     std::equal(kb.begin(), kb.end(), kp.begin(), [](char x, char y) {
                         return Zeichen_klein(static_cast<unsigned char>(x)) == Zeichen_klein(static_cast<unsigned char>(y));
                     });
        std::string soll = unter ? kp.substr(kb.size()) : kp;
        KF_PRUEFEN(rc == (ok && soll.size() < groesse) && (!rc || r == soll));
        break;
    }
    case 2: { // no '.' or '..' segment left, and a canonical path stays so
        kf::Puffer z(Pfadpuffer);
        std::string vorher = z.inhalt();
        bool ok = Pfad_kanonisieren(z.daten(), p.c_str());
        KF_PRUEFEN(ok == (p.size() < Pfadpuffer) && (ok || z.inhalt() == vorher));
        if (!ok)
            break;
        std::string k = z.daten(), m = "\\" + Rueck(k) + "\\";
        KF_PRUEFEN(z.terminiert() && !k.empty() && k.size() <= p.size() + 1);
        KF_PRUEFEN(m.find("\\.\\") == std::string::npos && m.find("\\..\\") == std::string::npos);
        // Dropping a leading "." may bring a name such as "#:x" to the
        // front, which then reads as a drive: only that may change again.
        bool laufwerk = k.size() >= 2 && k[1] == ':' && !(p.size() >= 2 && p[1] == ':');
        KF_PRUEFEN(Kanonisch(k, ok) == k || (ok && laufwerk));
        break;
    }
    case 3: { // the name after the last separator
        const char *name = KR_Basisname(p.c_str());
        size_t i = static_cast<size_t>(name - p.c_str());
        KF_PRUEFEN(i <= p.size() && p.find_first_of("\\/:", i) == std::string::npos && (i == 0 || Trenner(p[i - 1])));
        break;
    }
    case 4: { // every separator the one given ('\' for 0), up to the end
        kf::Puffer t(p.size() + 1);
        std::memcpy(t.daten(), p.c_str(), p.size() + 1);
        std::string soll = Rueck(p);
        std::replace(soll.begin(), soll.end(), '\\', s.c ? static_cast<char>(s.c) : '\\');
        KR_Slashify(t.daten(), static_cast<char>(s.c));
        KF_PRUEFEN(t.inhalt() == soll + '\0');
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
    KR_Slashify(nullptr, 0);
    KF_PRUEFEN(KR_Basisname(nullptr) == nullptr);
    for (const kf::Schritt &s : e.schritte)
        Schritt(pfade[s.a % pfade.size()], pfade[(s.a >> 8) % pfade.size()], s);
    return 0;
}
