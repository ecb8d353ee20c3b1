// The record's storage: a multiple-value array that fills a fixed block
// exactly, and the number rule.  (The block's bound for each kind of value,
// taking values back and the release: lesen_test.cpp.)
#include "satz.h"

namespace {

TEST(Speicher, MehrfachHundertachtundzwanzig)
{
    // 128 values of 2 bytes and their array fill 512 bytes.
    kt::Satz f(kt::Modus::Fest, "", 128 * 4 + 1);
    char *cursor = f.block.data();
    void *slot = nullptr;
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, "ab", &cursor), 1) << i;
    auto **feld = static_cast<char **>(slot);
    EXPECT_EQ(feld, f.satz.mehrfachliste);
    EXPECT_EQ(feld[128], nullptr);
    EXPECT_EQ(cursor - f.block.data(), 512); // the block is exactly full
    EXPECT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, "x", &cursor), 0);
    EXPECT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, nullptr, &cursor), 0);

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
