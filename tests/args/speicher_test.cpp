// The record's storage: the fixed block's bound, the multiple-value array,
// the number rule and the release.
#include "args/argumente.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
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

TEST(Speicher, FesterBlockStriktGrenze)
{
    Festsatz f(16);
    void *slot = &f;
    EXPECT_EQ(Arg_Text_ablegen(&f.satz, &slot, "abc", &f.cursor), 1);
    EXPECT_EQ(f.belegt(), 4u);
    EXPECT_EQ(Arg_Text_ablegen(&f.satz, &slot, "abcdefg", &f.cursor), 1);
    EXPECT_STREQ(static_cast<char *>(slot), "abcdefg");
    EXPECT_EQ(f.belegt(), 12u);
    EXPECT_EQ(Arg_Text_ablegen(&f.satz, &slot, "x", &f.cursor), 0);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(f.belegt(), 12u);

    slot = &f; // a number cell needs cursor + 4 < end too; the slot stays
    EXPECT_EQ(Arg_Zahl_ablegen(&f.satz, &slot, 5, &f.cursor), 0);
    EXPECT_EQ(slot, &f);
    Festsatz g(5);
    EXPECT_EQ(Arg_Zahl_ablegen(&g.satz, &slot, -9, &g.cursor), 1);
    int32_t z;
    std::memcpy(&z, slot, 4);
    EXPECT_EQ(z, -9);
}

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

TEST(Speicher, EntnehmenBisLeer)
{
    Festsatz f(64);
    void *slot = nullptr;
    uint16_t flags = Arg_Mehrfach | Arg_Gegeben;
    Arg_Mehrfach_anhaengen(&f.satz, &slot, "a", &f.cursor);
    Arg_Mehrfach_anhaengen(&f.satz, &slot, "b", &f.cursor);
    auto **feld = static_cast<char **>(slot);
    EXPECT_STREQ(Arg_Mehrfach_entnehmen(feld, &flags), "b");
    EXPECT_EQ(flags, Arg_Mehrfach | Arg_Gegeben);
    EXPECT_STREQ(Arg_Mehrfach_entnehmen(feld, &flags), "a");
    EXPECT_EQ(flags, Arg_Mehrfach);
    EXPECT_EQ(Arg_Mehrfach_entnehmen(feld, &flags), nullptr);
    EXPECT_EQ(Arg_Mehrfach_entnehmen(nullptr, &flags), nullptr);

    // The release frees the array, but leaves a fixed block alone.
    KR_Arg_freigeben(&f.satz);
    EXPECT_EQ(f.satz.mehrfachliste, nullptr);
    EXPECT_EQ(f.satz.speicher, f.block.data());
    EXPECT_EQ(f.satz.speichergroesse, 64u);
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
