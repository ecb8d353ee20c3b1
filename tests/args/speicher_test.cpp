// The record's storage: a multiple-value array that fills a fixed block
// exactly, and the number rule.  (The block's bound for each kind of value,
// taking values back and the release: lesen_test.cpp.)
#include "args/argumente.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A record in fixed mode over a block with guard bytes behind it.
struct Festsatz {
    Argumentsatz satz{};
    std::vector<char> block;
    char *cursor;

    explicit Festsatz(uint32_t groesse) : block(groesse + 8, 'G')
    {
        satz.speicher = block.data();
        satz.speichergroesse = groesse;
        satz.argflags = KR_ARG_FESTSPEICHER;
        cursor = block.data();
    }
    ~Festsatz()
    {
        KR_Arg_freigeben(&satz);
        for (size_t i = satz.speichergroesse - 1; i < block.size(); ++i)
            EXPECT_EQ(block[i], 'G') << "byte " << i << " of the block was written";
    }
    size_t belegt() const { return static_cast<size_t>(cursor - block.data()); }
};

TEST(Speicher, MehrfachHundertachtundzwanzig)
{
    Festsatz f(128 * 4 + 1);
    void *slot = nullptr;
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, "ab", &f.cursor), 1) << i;
    auto **feld = static_cast<char **>(slot);
    EXPECT_EQ(feld, f.satz.mehrfachliste);
    EXPECT_EQ(feld[128], nullptr);
    EXPECT_EQ(f.belegt(), 512u); // the block is exactly full
    EXPECT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, "x", &f.cursor), 0);
    EXPECT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, nullptr, &f.cursor), 0);

    uint16_t flags = Arg_Mehrfach | Arg_Gegeben;
    EXPECT_STREQ(Arg_Mehrfach_entnehmen(feld, &flags), "ab");
    EXPECT_EQ(feld[127], nullptr);
    EXPECT_EQ(flags, Arg_Mehrfach | Arg_Gegeben);
}

TEST(Speicher, Zahlregel)
{
    const struct {
        const char *text;
        bool ok;
        int32_t zahl;
    } faelle[] = {
        {"12", true, 12}, {"-7", true, -7}, {"+3", true, 3}, {"", true, 0}, {" 8", true, 8},
        {"2147483647", true, INT32_MAX}, {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0}, {"-2147483649", false, 0}, {"99999999999999999999", false, 0},
        {"4x", false, 0}, {"   ", false, 0}, {"0x1F", false, 0}, {"8 ", false, 0},
        {"+", false, 0}, {"-", false, 0},
    };
    for (const auto &f : faelle) {
        int32_t z = 77;
        EXPECT_EQ(Arg_Zahl_umwandeln(f.text, &z), f.ok) << '"' << f.text << '"';
        if (f.ok) {
            EXPECT_EQ(z, f.zahl) << f.text;
        }
    }
}

} // namespace
