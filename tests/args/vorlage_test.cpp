// Templates: which are accepted with which item flags, and name lookup.
#include "args/argumente.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

// KR_Arg_finden, and the same search over the names gathered once.
TEST(Vorlage, Finden)
{
    std::string viele; // more names than the gathered table holds
    for (int i = 0; i < 70; ++i)
        viele += "N" + std::to_string(i) + "Z=A" + std::to_string(i) + "Z/K,";
    const char *v = "FILE=SRC,TO/K";
    const std::tuple<const char *, const char *, int> faelle[] = {
        {v, "file", 0}, {v, "src", 0}, {v, "to", 1}, {v, "TOTAL", 1}, {v, "FI", -1}, {v, "SOURCE", -1},
        {"T,TO", "TO", 0}, {",X", "X", 1}, {",X", "", -1}, {"NAME/K=ALIAS", "name", 0},
        {"NAME/K=ALIAS", "alias", -1}, {"A=B=C,D", "c", 0}, {"A/K,B/S/N,C", "c", 2}, {"A,B,", "C", -1},
        {"A=B=C/S,,D/M", "d", 2}, {viele.c_str(), "n69z", 69}, {viele.c_str(), "a65z", 65}, {viele.c_str(), "n7", -1},
        {"\xC4x", "\xE4x", -1}, // only ASCII letters fold
        {nullptr, "a", -1}, {"a", nullptr, -1},
    };
    for (const auto &[vorlage, name, index] : faelle) {
        SCOPED_TRACE(std::string(vorlage ? vorlage : "(null)") + " / " + (name ? name : "(null)"));
        EXPECT_EQ(KR_Arg_finden(vorlage, name), index);
        if (vorlage && name) {
            Arg_Namen tabelle;
            Arg_Namen_sammeln(vorlage, &tabelle);
            EXPECT_EQ(tabelle.anzahl < 0, vorlage == viele.c_str());
            EXPECT_EQ(Arg_Namen_finden(tabelle, name), index);
        }
    }
}

} // namespace
