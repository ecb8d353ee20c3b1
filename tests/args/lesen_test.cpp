// The argument reader, by template, in pool mode and in a fixed block.
#include "satz.h"
#include "testhilfe.h"

#include <algorithm>

namespace {

using kt::Modus;
using kt::Satz;
using kt::unberuehrt;

struct Fall {
    const char *vorlage;
    std::string zeile;
    std::vector<std::string> slots; // empty: the call fails
};

class Lesen : public ::testing::TestWithParam<Modus> {
protected:
    void pruefen(const std::vector<Fall> &faelle)
    {
        for (const auto &f : faelle) {
            Satz s(GetParam(), f.zeile);
            Argumentsatz *r = s.lesen(f.vorlage);
            if (f.slots.empty()) {
                EXPECT_EQ(r, nullptr) << f.vorlage << " | " << f.zeile;
                EXPECT_EQ(s.satz.mehrfachliste, nullptr);
                continue;
            }
            ASSERT_EQ(r, &s.satz) << f.vorlage << " | " << f.zeile;
            EXPECT_EQ(s.slots(f.vorlage), f.slots) << f.vorlage << " | " << f.zeile;
        }
    }
};

INSTANTIATE_TEST_SUITE_P(Modi, Lesen, ::testing::Values(Modus::Pool, Modus::Fest),
                         [](const auto &info) { return info.param == Modus::Pool ? "Pool" : "Fest"; });

TEST_P(Lesen, PositionUndPflicht)
{
    pruefen({
        {"FROM/M,TO/A", "a b c", {"[a|b]", "c"}}, {"FROM/M,TO/A", "a", {"[]", "a"}}, {"FROM/M,TO/A", "", {}},
        {"FROM/M/A,TO/A", "a", {}},
        // A required switch left without its keyword takes a text like any
        // required item.
        {"FROM/M,TO/A/S", "a b", {"[a]", "b"}}, {"FROM/M,TO/A/S", "a to", {"[a]", "=1"}},
        {"FROM/M/A,TO/A/S", "a", {}}, {"A,B", "x ; y", {"x", "-"}}, {"A,B", "x;y", {"x", "y"}}, {"A", "x y", {"x"}},
        {"P,Q", "x #y", {"x", "#y"}}, {"P,Q", "\"q\" \"A=1\"", {"q", "A=1"}}, {"FILE,OUT/T", "x y", {"x", "-"}},
        {"A,B/A", ";only a remark", {}}, {"A,B", "", {"-", "-"}}, {"A,B", "x\r\ny", {"x", "-"}},
        {"A,B", std::string("x\0y", 3), {"x", "-"}}, // a 0 byte ends the line
    });
}

TEST_P(Lesen, Schluesselwoerter)
{
    pruefen({
        {"NAME/K,QUIET/S", "quiet name=x", {"x", "=1"}}, {"NAME/K,QUIET/S", "QUIET", {"-", "=1"}},
        {"NAME/K,QUIET/S", "name", {}}, {"NAME/K,QUIET/S", "name=", {}}, {"QUIET/S,X", "QUIET=1", {"=1", "1"}},
        {"TO", "TOTAL=5", {"5"}}, {"T,TO", "TO=1", {"1", "-"}}, {"A,B", "A=1 A=2", {"2", "-"}},
        {"A,B", "zz=1 q, r", {"r", "-"}}, {"A,B", "zz=1 q B=s", {"-", "s"}}, {"A,B", "a b", {"b", "-"}},
        {"FILE,OUT/T", "OUT=z", {"-", "z"}}, {"V/M/K", "V=a v=b", {"[a|b]"}},
    });
}

TEST_P(Lesen, RestDerZeile)
{
    pruefen({
        {"CMD/F", "  run  this; now", {"run  this; now"}}, {"CMD/F", "CMD= x y", {" x y"}},
        {"CMD/F", "CMD x y", {"x y"}}, {"CMD/F", "CMD", {""}}, {"CMD/F", "CMD\n", {""}},
        {"CMD/F", "a=b \"c*\"", {"a=b \"c*\""}}, {"A,CMD/F", "x ,y z", {"x", ",y z"}},
        {"CMD/F", std::string(254, 'r'), {std::string(254, 'r')}}, {"CMD/F", std::string(255, 'r'), {}},
    });
}

TEST_P(Lesen, Zahlen)
{
    pruefen({
        // The number rule itself: speicher_test.cpp.
        {"COUNT/N", "42", {"#42"}}, {"COUNT/N", "count=-2147483648", {"#-2147483648"}},
        {"COUNT/N", "2147483648", {}}, {"COUNT/N", "\"\"", {"#0"}}, {"V/M/N", "1 2147483648", {}},
        {"V/M/N", "2147483647 -2147483648", {"[#2147483647|#-2147483648]"}},
        {"V/M/N,LAST/N/A", "1 2 3", {"[#1|#2]", "#3"}},
    });
}

TEST_P(Lesen, ZweitesMehrfachItem)
{
    pruefen({
        {"FROM/M,EXTRA/M/K", "a b EXTRA=x", {"[a|b]", "[x]"}}, {"FROM/M,EXTRA/M/K", "EXTRA=x EXTRA=y", {"-", "[x|y]"}},
        {"FROM/M,DEST/M/K/A", "a b", {"[a]", "[b]"}},
        {"FROM/M,N/M/K/N", "n=1 2", {"-", "[#1|#2]"}}, // 2 follows n=1 into its list
    });
    Satz s(GetParam(), "a EXTRA=x");
    ASSERT_TRUE(s.lesen("FROM/M,EXTRA/M/K"));
    EXPECT_EQ(s.satz.mehrfachliste, reinterpret_cast<char **>(s.werte[0]));
    EXPECT_NE(s.werte[0], s.werte[1]);
}

std::string Woerter(int n)
{
    std::string z;
    for (int i = 0; i < n; ++i)
        z += std::string(i ? " " : "") + static_cast<char>('0' + i % 10);
    return z;
}

TEST_P(Lesen, Grenzen)
{
    std::string liste = "[" + Woerter(128) + "]";
    std::replace(liste.begin(), liste.end(), ' ', '|');
    auto w = [](size_t n) { return std::string(n, 'w'); };
    pruefen({
        {"A", w(255), {w(255)}}, {"A", w(256), {}}, {"V/M", Woerter(128), {liste}}, {"V/M", Woerter(129), {}},
        // Lines of 255, 256, 511 and 512 characters fit the line copy, one
        // of 513, or of 512 with its line end, does not.
        {"V/K", "V=" + w(253), {w(253)}}, {"V/K", "V=" + w(254), {w(254)}}, {"V/K", "V=" + w(509), {w(509)}},
        {"V/K", "V=" + w(509) + "\n", {w(509)}}, {"V/K", "V=" + w(510), {w(510)}}, {"V/K", "V=" + w(510) + "\n", {}},
        {"V/K", "V=" + w(511), {}},
    });
}

TEST(LesenWert, Wertpuffer)
{
    // A value of 511 characters fits the value buffer, one of 512 does not.
    for (size_t n : {511u, 512u}) {
        std::string zeile(n, 'v');
        Zugriffshandle h{};
        h.puffer = zeile.data();
        h.laenge = static_cast<uint32_t>(n);
        Satz s(Modus::Pool, "");
        ASSERT_TRUE(s.lesen(""));
        uint16_t flags[1] = {0};
        int r = Arg_Wert_lesen(&h, &s.satz, 0, flags, s.werte, nullptr);
        EXPECT_EQ(r, n == 511 ? 0 : 2);
    }
}

TEST(LesenFest, VollerBlock)
{
    // The value with its zero byte must end before the block's last byte.
    const struct {
        const char *vorlage, *zeile;
        uint32_t groesse;
        bool ok;
    } faelle[] = {
        {"X", "abcdefg", 8, false}, {"X", "abcdefg", 9, true}, {"X", "ab", 4, false},   {"X", "ab", 5, true},
        {"N/N", "12345", 4, false}, {"N/N", "12345", 5, true}, {"C/F", "abc", 4, false}, {"C/F", "abc", 5, true},
        {"M/M", "ab cd", 8, false}, {"M/M", "ab cd", 9, true},
    };
    for (const auto &f : faelle) {
        Satz s(Modus::Fest, f.zeile, f.groesse);
        EXPECT_EQ(s.lesen(f.vorlage) != nullptr, f.ok) << f.vorlage << " " << f.groesse;
        EXPECT_EQ(s.satz.speicher, s.block.data());
    }
}

TEST(LesenSatz, FalscheEingaben)
{
    void *werte[2] = {};
    EXPECT_EQ(KR_Argumente_lesen("A", werte, nullptr), nullptr);

    // A rejected template: only mehrfachliste changes.
    Satz s(Modus::Pool, "x");
    s.satz.mehrfachliste = reinterpret_cast<char **>(&unberuehrt);
    s.satz.speicher = &unberuehrt;
    s.satz.speichergroesse = 3;
    for (const char *v : {"A/M,B/M", "A/Q", static_cast<const char *>(nullptr)}) {
        EXPECT_EQ(s.lesen(v), nullptr);
        EXPECT_EQ(s.satz.mehrfachliste, nullptr);
        EXPECT_EQ(s.satz.speicher, &unberuehrt);
        EXPECT_EQ(s.satz.speichergroesse, 3u);
        EXPECT_EQ(s.satz.zugriffshandle.position, 0);
    }
    s.satz.speicher = nullptr;
    EXPECT_EQ(KR_Argumente_lesen("A", nullptr, &s.satz), nullptr);

    // The empty template reads the line and gives nothing.
    ASSERT_EQ(KR_Argumente_lesen("", nullptr, &s.satz), &s.satz);
    EXPECT_EQ(s.satz.zugriffshandle.position, 1);
}

TEST(LesenSatz, ModusUndFreigabe)
{
    // Fixed bit without a size: pool mode, and the bit is cleared.
    Satz p(Modus::Pool, "a");
    p.satz.argflags = KR_ARG_FESTSPEICHER | 0x10;
    ASSERT_TRUE(p.lesen("V/M"));
    EXPECT_EQ(p.satz.argflags, 0x10u);
    EXPECT_EQ(p.satz.speichergroesse, 8u);
    // Released twice: a pool goes, a fixed block stays the caller's.
    Satz f(Modus::Fest, "a");
    ASSERT_TRUE(f.lesen("V/M"));
    for (Satz *s : {&p, &f}) {
        KR_Arg_freigeben(&s->satz);
        KR_Arg_freigeben(&s->satz);
        EXPECT_EQ(s->satz.speicher, s->block.empty() ? nullptr : s->block.data());
        EXPECT_EQ(s->satz.mehrfachliste, nullptr);
    }
}

TEST_P(Lesen, WiederverwendungOhneFreigabe)
{
    Satz s(GetParam(), "a b\nc d");
    ASSERT_TRUE(s.lesen("FROM/M,EXTRA/M/K/A"));
    Argumentsatz alt = s.satz; // what the second call loses; the caller's to free
    EXPECT_EQ(KR_Zeichen_lesen(&s.satz.zugriffshandle), '\n');
    ASSERT_TRUE(s.lesen("FROM/M,EXTRA/M/K/A"));
    EXPECT_EQ(s.slots("FROM/M,EXTRA/M/K/A"), (std::vector<std::string>{"[c]", "[d]"}));
    KR_Arg_freigeben(&alt);
}

} // namespace
