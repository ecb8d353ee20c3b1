// Templates: which are accepted with which item flags, and name lookup.
#include "args/argumente.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Vorlagenfall {
    const char *vorlage;
    int anzahl; // -1: rejected
    int mehrfach;
    std::vector<uint16_t> flags;
};

TEST(Vorlage, FlagsUndAblehnung)
{
    const Vorlagenfall faelle[] = {
        {"", 0, -1, {}},
        {",", 1, -1, {0}},
        {"A,B,", 2, -1, {0, 0}},
        {"FILE=SRC,TO/K", 2, -1, {0, Arg_Schluessel}},
        {"X/s/k/n/t/a/f", 1, -1, {0x3F}},
        {"FROM/M,TO/A", 2, 0, {Arg_Mehrfach, Arg_Pflicht}},
        {"A/M/K,B/M", 2, 1, {Arg_Mehrfach | Arg_Schluessel, Arg_Mehrfach}},
        {"A/M/T,B/M/K", 2, 0, {Arg_Mehrfach | Arg_Nur_Schluessel, Arg_Mehrfach | Arg_Schluessel}},
        {"NAME/K=ALIAS", -1, -1, {}},  // aliases come before options
        {"A/X", -1, -1, {}},
        {"A/K B", -1, -1, {}},
        {"A/", -1, -1, {}},
        {"A/M,B/M", -1, -1, {}},
        {"A/M/S", -1, -1, {}},
        {"A/F/M/K", -1, -1, {}},
        {nullptr, -1, -1, {}},
    };
    for (const auto &f : faelle) {
        uint16_t flags[Arg_Hoechstzahl];
        int mehrfach = 7;
        int n = Arg_Vorlage_lesen(f.vorlage, flags, &mehrfach);
        const char *name = f.vorlage ? f.vorlage : "(null)";
        ASSERT_EQ(n, f.anzahl) << name;
        if (n < 0)
            continue;
        EXPECT_EQ(mehrfach, f.mehrfach) << name;
        EXPECT_EQ(std::vector<uint16_t>(flags, flags + n), f.flags) << name;
    }
}

std::string Items(int n, const char *schluss)
{
    std::string v;
    for (int i = 0; i < n; ++i)
        v += "I" + std::to_string(i) + "Z" + (i + 1 < n ? "," : schluss);
    return v;
}

TEST(Vorlage, HoechstensHundertItems)
{
    uint16_t flags[Arg_Hoechstzahl];
    int m;
    EXPECT_EQ(Arg_Vorlage_lesen(Items(100, "").c_str(), flags, &m), 100);
    EXPECT_EQ(Arg_Vorlage_lesen(Items(100, ",").c_str(), flags, &m), 100);
    EXPECT_EQ(Arg_Vorlage_lesen(Items(101, "").c_str(), flags, &m), -1);
    EXPECT_EQ(KR_Arg_finden(Items(101, "").c_str(), "i100z"), 100);
}

TEST(Vorlage, Finden)
{
    const char *v = "FILE=SRC,TO/K";
    const struct {
        const char *vorlage, *name;
        int index;
    } faelle[] = {
        {v, "file", 0}, {v, "src", 0}, {v, "to", 1}, {v, "TOTAL", 1}, {v, "FI", -1}, {v, "SOURCE", -1},
        {"T,TO", "TO", 0}, {",X", "X", 1}, {",X", "", -1}, {"NAME/K=ALIAS", "name", 0},
        {"NAME/K=ALIAS", "alias", -1}, {"A=B=C,D", "c", 0}, {"A/K,B/S/N,C", "c", 2}, {"A,B,", "C", -1},
        {"\xC4x", "\xE4x", -1}, // only ASCII letters fold
        {nullptr, "a", -1}, {"a", nullptr, -1},
    };
    for (const auto &f : faelle)
        EXPECT_EQ(KR_Arg_finden(f.vorlage, f.name), f.index) << (f.vorlage ? f.vorlage : "(null)") << " / "
                                                             << (f.name ? f.name : "(null)");
}

} // namespace
