// argumentwerte.h - the values that an argument line gave, as short texts.
#ifndef KORVAN_ARGUMENTWERTE_H
#define KORVAN_ARGUMENTWERTE_H

#include "args/argumente.h"

#ifndef KT_PRUEFEN // the fuzz targets bring their own
#include <gtest/gtest.h>
#define KT_PRUEFEN(b) EXPECT_TRUE(b)
#endif

#include <cstring>
#include <string>
#include <vector>

namespace kt {

// Slots: "-" still `unberuehrt`, "=1" a switch, "#n" a number, "[a|b]" a multiple array, else the text;
// "?" a rest of line with N (a number if it took the multiple's last value); all before a block's last byte.
inline std::vector<std::string> Argumentwerte(const char *vorlage, void *const *werte, const void *unberuehrt,
                                              const char *block = nullptr, uint32_t groesse = 0)
{
    auto drin = [&](const char *p, size_t n) { KT_PRUEFEN(!block || (p >= block && p + n < block + groesse)); };
    auto eintrag = [&](const char *p, uint16_t f) {
        drin(p, (f & Arg_Zahl) ? 4 : std::strlen(p) + 1);
        int32_t z;
        std::memcpy(&z, p, 4);
        return (f & Arg_Zahl) ? "#" + std::to_string(z) : std::string(p);
    };
    uint16_t flags[Arg_Hoechstzahl];
    int mehrfach;
    std::vector<std::string> aus;
    for (int i = 0, n = Arg_Vorlage_lesen(vorlage, flags, &mehrfach); i < n; ++i) {
        uint16_t f = flags[i];
        auto *p = static_cast<const char *>(werte[i]);
        if (werte[i] == unberuehrt) {
            aus.push_back("-");
        } else if ((f & Arg_Schalter) && werte[i] == reinterpret_cast<void *>(intptr_t{1})) {
            aus.push_back("=1");
        } else if ((f & Arg_Mehrfach) && !(f & Arg_Rest)) {
            std::string s = "[";
            for (auto *e = static_cast<char *const *>(werte[i]); *e; ++e)
                s += (e == werte[i] ? "" : "|") + eintrag(*e, f);
            aus.push_back(s + "]");
        } else if ((f & Arg_Zahl) && !(f & Arg_Rest)) {
            aus.push_back(eintrag(p, f));
        } else if ((f & Arg_Zahl) && (f & Arg_Pflicht)) {
            drin(p, 1);
            aus.push_back("?");
        } else {
            drin(p, std::strlen(p) + 1);
            aus.push_back(p);
        }
    }
    return aus;
}

} // namespace kt

#endif // KORVAN_ARGUMENTWERTE_H
