// Memory that runs out while argument lines of every kind are read, in pool
// mode and in a fixed block: the call fails with null, has released what it
// took, and leaves the caller's text and block alone; a call that meets no
// failure gives exactly the values of an undisturbed call.
#include "fehler.h"

#include "argumentwerte.h"
#include "testhilfe.h"

#include <string>
#include <vector>

namespace {

struct Fall {
    const char *vorlage;
    const char *zeile;
};

// One line of each kind: positional and multiple values with a required item
// and a switch, keyword and number values, an alias and a quoted string,
// multiple numbers, a rest of line, and a second multiple item that gets an
// array of its own.
const Fall Faelle[] = {
    {"FROM/M,TO/A,QUIET/S", "a.c b.c out.o quiet"},
    {"NAME/K,COUNT/N,MODE=ART/K", "name=x count=42 art=\"fast build\""},
    {"V/M/N", "1 2 3"},
    {"CMD/F", "CMD run this; now"},
    {"SRC/M,EXTRA/M/K", "a EXTRA=x b EXTRA=y"},
    {"A/A,B/A,C/M", "p q r s"},
};

char unberuehrt;

struct Aufruf {
    Argumentsatz satz{};
    std::string text;
    std::vector<char> block;
    void *werte[8];

    Aufruf(const char *zeile, bool fest) : text(zeile)
    {
        satz.zugriffshandle.puffer = text.data();
        satz.zugriffshandle.laenge = static_cast<uint32_t>(text.size());
        for (auto &w : werte)
            w = &unberuehrt;
        if (fest) {
            block.assign(256, 'G');
            satz.speicher = block.data();
            satz.speichergroesse = static_cast<uint32_t>(block.size());
            satz.argflags = KR_ARG_FESTSPEICHER;
        }
    }
    ~Aufruf() { KR_Arg_freigeben(&satz); }
    std::vector<std::string> slots(const char *vorlage) const
    {
        return kt::Argumentwerte(vorlage, werte, &unberuehrt, block.empty() ? nullptr : block.data(),
                                 static_cast<uint32_t>(block.size()));
    }
};

class Argumentprobe : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Speicher, Argumentprobe, ::testing::Values(false, true),
                         [](const auto &info) { return info.param ? "Festblock" : "Pool"; });

TEST_P(Argumentprobe, ArgumentzeilenJederArt)
{
    const bool fest = GetParam();
    for (const Fall &f : Faelle) {
        std::vector<std::string> ungestoert;
        {
            Aufruf a(f.zeile, fest);
            ASSERT_EQ(KR_Argumente_lesen(f.vorlage, a.werte, &a.satz), &a.satz) << f.vorlage;
            ungestoert = a.slots(f.vorlage);
        }
        long laeufe = fp::Durchlaufen(fp::Speicher, [&] {
            Aufruf a(f.zeile, fest);
            Argumentsatz *r = KR_Argumente_lesen(f.vorlage, a.werte, &a.satz);
            if (!fp::Ausgeloest()) {
                EXPECT_EQ(r, &a.satz);
                EXPECT_EQ(a.slots(f.vorlage), ungestoert);
            } else {
                EXPECT_EQ(r, nullptr) << f.vorlage << " failing " << fp::Was();
                EXPECT_EQ(a.satz.mehrfachliste, nullptr);
                EXPECT_EQ(a.satz.speicher, fest ? static_cast<void *>(a.block.data()) : nullptr);
                EXPECT_EQ(a.satz.speichergroesse, fest ? a.block.size() : 0u);
                EXPECT_EQ(a.satz.argflags, fest ? KR_ARG_FESTSPEICHER : 0u);
            }
            EXPECT_EQ(a.text, f.zeile);
            if (fest) {
                EXPECT_EQ(a.block.back(), 'G');
            }
        });
        // Pool mode takes the pool head and at least one pool block; a
        // multiple item takes an array in both modes.
        EXPECT_GE(laeufe, fest ? 1 : 3) << f.vorlage;
    }
}

} // namespace
