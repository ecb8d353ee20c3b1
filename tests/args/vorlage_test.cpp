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
    EXPECT_EQ(KR_Arg_finden(v, "file"), 0);
    EXPECT_EQ(KR_Arg_finden(v, "src"), 0);
    EXPECT_EQ(KR_Arg_finden(v, "to"), 1);
    EXPECT_EQ(KR_Arg_finden(v, "TOTAL"), 1);
    EXPECT_EQ(KR_Arg_finden(v, "FI"), -1);
    EXPECT_EQ(KR_Arg_finden(v, "SOURCE"), -1);
    EXPECT_EQ(KR_Arg_finden("T,TO", "TO"), 0);
    EXPECT_EQ(KR_Arg_finden(",X", "X"), 1);
    EXPECT_EQ(KR_Arg_finden(",X", ""), -1);
    EXPECT_EQ(KR_Arg_finden("NAME/K=ALIAS", "name"), 0);
    EXPECT_EQ(KR_Arg_finden("NAME/K=ALIAS", "alias"), -1);
    EXPECT_EQ(KR_Arg_finden("A=B=C,D", "c"), 0);
    EXPECT_EQ(KR_Arg_finden("A/K,B/S/N,C", "c"), 2);
    EXPECT_EQ(KR_Arg_finden("A,B,", "C"), -1);
    EXPECT_EQ(KR_Arg_finden("\xC4x", "\xE4x"), -1); // only ASCII letters fold
    EXPECT_EQ(KR_Arg_finden(nullptr, "a"), -1);
    EXPECT_EQ(KR_Arg_finden("a", nullptr), -1);
}

} // namespace
