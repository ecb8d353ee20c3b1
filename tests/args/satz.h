// satz.h - an argument record over one line of text, for the reader's tests.
#ifndef KORVAN_TEST_SATZ_H
#define KORVAN_TEST_SATZ_H

#include "argumentwerte.h"
#include "korvan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kt {

enum class Modus { Pool, Fest };

inline char unberuehrt; // what every slot holds before a call

// The record in either storage mode.  A fixed block has guard bytes behind
// it; its last byte must stay unused.
struct Satz {
    Argumentsatz satz{};
    std::string text;
    std::vector<char> block;
    void *werte[Arg_Hoechstzahl];

    Satz(Modus m, std::string zeile, uint32_t groesse = 2048) : text(std::move(zeile))
    {
        satz.zugriffshandle.puffer = text.data();
        satz.zugriffshandle.laenge = static_cast<uint32_t>(text.size());
        for (auto &w : werte)
            w = &unberuehrt;
        if (m == Modus::Fest) {
            block.assign(groesse + 8, 'G');
            satz.speicher = block.data();
            satz.speichergroesse = groesse;
            satz.argflags = KR_ARG_FESTSPEICHER;
        }
    }
    ~Satz()
    {
        KR_Arg_freigeben(&satz);
        for (size_t i = block.empty() ? 0 : satz.speichergroesse - 1; i < block.size(); ++i)
            EXPECT_EQ(block[i], 'G') << "byte " << i << " of the block was written";
    }
    Argumentsatz *lesen(const char *vorlage) { return KR_Argumente_lesen(vorlage, werte, &satz); }

    std::vector<std::string> slots(const char *vorlage) const
    {
        return Argumentwerte(vorlage, werte, &unberuehrt, block.empty() ? nullptr : block.data(),
                             satz.speichergroesse);
    }
};

} // namespace kt

#endif // KORVAN_TEST_SATZ_H
