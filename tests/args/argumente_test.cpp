// The argument reader: templates, lookup, lines in a pool and a fixed block, storage, numbers, allocations.
#include "argumentwerte.h"
#include "haken.h"
#include "korvan.h"
#include "tamsel.h"

#include <algorithm>
#include <regex>
#include <tuple>

namespace {
bool alloc_scheitert = false;
int allocs = 0, pools = 0;
[[maybe_unused]] const bool gezaehlt = (fehlerhaken = [](const char *was, size_t) {
    pools += std::strcmp(was, "Tamsel_PoolAlloc") == 0;
    const bool alloc = std::strcmp(was, "Tamsel_Alloc") == 0;
    allocs += alloc;
    return alloc && alloc_scheitert;
}, true);

TEST(Vorlage, FlagsUndAblehnung)
{
    std::string hundert; // 100 items, with a trailing comma
    for (int i = 0; i < 100; ++i)
        hundert += "I" + std::to_string(i) + "Z,";
    const std::string mehr = hundert + "I100Z", ohne = hundert.substr(0, hundert.size() - 1);
    const uint16_t M = Arg_Mehrfach, K = Arg_Schluessel;
    const struct { const char *vorlage; int anzahl, mehrfach; std::vector<uint16_t> flags; } faelle[] = {
        {"", 0, -1, {}}, {",", 1, -1, {0}}, {"A,B,", 2, -1, {0, 0}}, {"FILE=SRC,TO/K", 2, -1, {0, K}},
        {"X/s/k/n/t/a/f", 1, -1, {0x3F}}, {"FROM/M,TO/A", 2, 0, {M, Arg_Pflicht}}, {"A/M/K,B/M", 2, 1, {M | K, M}},
        {"A/M/T,B/M/K", 2, 0, {M | Arg_Nur_Schluessel, M | K}},
        {"NAME/K=ALIAS", -1, -1, {}}, // aliases come before options
        {"A/X", -1, -1, {}}, {"A/K B", -1, -1, {}}, {"A/", -1, -1, {}}, {"A/M,B/M", -1, -1, {}}, {"A/M/S", -1, -1, {}},
        {"A/F/M/K", -1, -1, {}}, {nullptr, -1, -1, {}}, {hundert.c_str(), 100, -1, std::vector<uint16_t>(100)},
        {ohne.c_str(), 100, -1, std::vector<uint16_t>(100)}, {mehr.c_str(), -1, -1, {}},
    };
    for (const auto &f : faelle) {
        uint16_t flags[Arg_Hoechstzahl];
        int mehrfach = 7, n = Arg_Vorlage_lesen(f.vorlage, flags, &mehrfach);
        ASSERT_EQ(n, f.anzahl) << (f.vorlage ? f.vorlage : "(null)");
        EXPECT_TRUE(n < 0 || (mehrfach == f.mehrfach && std::vector<uint16_t>(flags, flags + n) == f.flags)) << f.vorlage;
    }
    EXPECT_EQ(KR_Arg_finden(mehr.c_str(), "i100z"), 100);
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

enum class Modus { Pool, Fest };
char unberuehrt; // what every slot holds before a call

// The record over one line, in either storage mode; a fixed block's last byte and guard bytes stay unused.
struct Satz {
    Argumentsatz satz{};
    std::string text;
    std::vector<char> block;
    void *werte[Arg_Hoechstzahl];

    Satz(Modus m, std::string zeile, uint32_t groesse = 2048) : text(std::move(zeile))
    {
        satz.zugriffshandle.puffer = text.data();
        satz.zugriffshandle.laenge = static_cast<uint32_t>(text.size());
        std::fill(std::begin(werte), std::end(werte), &unberuehrt);
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
        return kt::Argumentwerte(vorlage, werte, &unberuehrt, block.empty() ? nullptr : block.data(), satz.speichergroesse);
    }
};

class Lesen : public ::testing::TestWithParam<Modus> {};
INSTANTIATE_TEST_SUITE_P(Modi, Lesen, ::testing::Values(Modus::Pool, Modus::Fest),
                         [](const auto &info) { return info.param == Modus::Pool ? "Pool" : "Fest"; });

TEST_P(Lesen, Zeilen)
{
    auto w = [](size_t n) { return std::string(n, 'w'); };
    auto woerter = [](int n, const char *t) { // n words "w" joined by t
        return std::regex_replace(std::string(n - 1, 'w'), std::regex("w"), std::string("w") + t) + "w";
    };
    // No slots: the call fails.
    const struct { const char *vorlage; std::string zeile; std::vector<std::string> slots; } faelle[] = {
        // Position and required items (a required switch without its keyword takes a text).
        {"FROM/M,TO/A", "a b c", {"[a|b]", "c"}}, {"FROM/M,TO/A", "a", {"[]", "a"}}, {"FROM/M,TO/A", "", {}},
        {"FROM/M/A,TO/A", "a", {}}, {"FROM/M,TO/A/S", "a b", {"[a]", "b"}}, {"FROM/M,TO/A/S", "a to", {"[a]", "=1"}},
        {"A,B", "x ; y", {"x", "-"}}, {"A,B", "x;y", {"x", "y"}}, {"A", "x y", {"x"}},
        {"P,Q", "x #y", {"x", "#y"}}, {"P,Q", "\"q\" \"A=1\"", {"q", "A=1"}}, {"FILE,OUT/T", "x y", {"x", "-"}},
        {"A,B/A", ";only a remark", {}}, {"A,B", "", {"-", "-"}}, {"A,B", "x\r\ny", {"x", "-"}},
        {"A,B", std::string("x\0y", 3), {"x", "-"}}, // a 0 byte ends the line
        {"NAME/K,QUIET/S", "quiet name=x", {"x", "=1"}}, {"NAME/K,QUIET/S", "QUIET", {"-", "=1"}},
        {"NAME/K,QUIET/S", "name", {}}, {"NAME/K,QUIET/S", "name=", {}}, {"QUIET/S,X", "QUIET=1", {"=1", "1"}},
        {"TO", "TOTAL=5", {"5"}}, {"T,TO", "TO=1", {"1", "-"}}, {"A,B", "A=1 A=2", {"2", "-"}},
        {"A,B", "zz=1 q, r", {"r", "-"}}, {"A,B", "zz=1 q B=s", {"-", "s"}}, {"A,B", "a b", {"b", "-"}},
        {"FILE,OUT/T", "OUT=z", {"-", "z"}}, {"V/M/K", "V=a v=b", {"[a|b]"}},
        {"CMD/F", "  run  this; now", {"run  this; now"}}, {"CMD/F", "CMD= x y", {" x y"}},
        {"CMD/F", "CMD x y", {"x y"}}, {"CMD/F", "CMD", {""}}, {"CMD/F", "CMD\n", {""}},
        {"CMD/F", "a=b \"c*\"", {"a=b \"c*\""}}, {"A,CMD/F", "x ,y z", {"x", ",y z"}},
        {"CMD/F", w(254), {w(254)}}, {"CMD/F", w(255), {}},
        {"COUNT/N", "count=42", {"#42"}}, {"COUNT/N", "2147483648", {}}, {"COUNT/N", "\"\"", {"#0"}},
        {"V/M/N", "1 2147483648", {}}, {"V/M/N", "2147483647 -2147483648", {"[#2147483647|#-2147483648]"}},
        {"V/M/N,LAST/N/A", "1 2 3", {"[#1|#2]", "#3"}},
        // A second multiple item; 2 follows n=1 into its list.
        {"FROM/M,EXTRA/M/K", "a b EXTRA=x", {"[a|b]", "[x]"}}, {"FROM/M,EXTRA/M/K", "EXTRA=x EXTRA=y", {"-", "[x|y]"}},
        {"FROM/M,DEST/M/K/A", "a b", {"[a]", "[b]"}}, {"FROM/M,N/M/K/N", "n=1 2", {"-", "[#1|#2]"}},
        // Bounds: an element of 255 characters, 128 values, a line of 512 with its line end.
        {"A", w(255), {w(255)}}, {"A", w(256), {}}, {"V/M", woerter(128, " "), {"[" + woerter(128, "|") + "]"}},
        {"V/M", woerter(129, " "), {}}, {"V/K", "V=" + w(253), {w(253)}}, {"V/K", "V=" + w(254), {w(254)}},
        {"V/K", "V=" + w(509), {w(509)}}, {"V/K", "V=" + w(509) + "\n", {w(509)}}, {"V/K", "V=" + w(510), {w(510)}},
        {"V/K", "V=" + w(510) + "\n", {}}, {"V/K", "V=" + w(511), {}},
    };
    for (const auto &f : faelle) {
        Satz s(GetParam(), f.zeile);
        Argumentsatz *r = s.lesen(f.vorlage);
        EXPECT_EQ(r, f.slots.empty() ? nullptr : &s.satz) << f.vorlage << " | " << f.zeile;
        EXPECT_EQ(r ? s.slots(f.vorlage) : std::vector<std::string>{}, f.slots) << f.vorlage << " | " << f.zeile;
        EXPECT_TRUE(r || !s.satz.mehrfachliste);
    }
    Satz s(GetParam(), "a EXTRA=x\nc d");
    ASSERT_TRUE(s.lesen("FROM/M,EXTRA/M/K"));
    EXPECT_EQ(s.satz.mehrfachliste, reinterpret_cast<char **>(s.werte[0]));
    EXPECT_NE(s.werte[0], s.werte[1]);
    // Read again without a release: what the second call loses is the caller's to free.
    Argumentsatz alt = s.satz;
    EXPECT_EQ(KR_Zeichen_lesen(&s.satz.zugriffshandle), '\n');
    ASSERT_TRUE(s.lesen("FROM/M,EXTRA/M/K/A"));
    EXPECT_EQ(s.slots("FROM/M,EXTRA/M/K/A"), (std::vector<std::string>{"[c]", "[d]"}));
    KR_Arg_freigeben(&alt);
}

TEST(Speicher, PufferGrenzen)
{
    // A value of 511 characters fits the value buffer, one of 512 does not.
    for (size_t n : {511u, 512u}) {
        Satz s(Modus::Pool, ""), wert(Modus::Pool, std::string(n, 'v'));
        ASSERT_TRUE(s.lesen(""));
        uint16_t flags[1] = {0};
        EXPECT_EQ(Arg_Wert_lesen(&wert.satz.zugriffshandle, &s.satz, 0, flags, s.werte, nullptr), n == 511 ? 0 : 2);
    }
    // The value with its zero byte must end before the block's last byte.
    const struct { const char *vorlage, *zeile; uint32_t groesse; } faelle[] = {
        {"X", "abcdefg", 9}, {"X", "ab", 5}, {"N/N", "12345", 5}, {"C/F", "abc", 5}, {"M/M", "ab cd", 9},
    };
    for (const auto &f : faelle) {
        for (uint32_t g : {f.groesse - 1, f.groesse}) {
            Satz s(Modus::Fest, f.zeile, g);
            EXPECT_EQ(s.lesen(f.vorlage) != nullptr, g == f.groesse) << f.vorlage << " " << g;
            EXPECT_EQ(s.satz.speicher, s.block.data());
        }
    }
    // 128 values of 2 bytes and their array fill 512 bytes exactly.
    Satz f(Modus::Fest, "", 128 * 4 + 1);
    char *cursor = f.block.data();
    void *slot = nullptr;
    for (int i = 0; i < 128; ++i)
        ASSERT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, "ab", &cursor), 1) << i;
    auto **feld = static_cast<char **>(slot);
    EXPECT_TRUE(feld == f.satz.mehrfachliste && feld[128] == nullptr && cursor - f.block.data() == 512);
    EXPECT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, "x", &cursor), 0);
    EXPECT_EQ(Arg_Mehrfach_anhaengen(&f.satz, &slot, nullptr, &cursor), 0);
    uint16_t flags = Arg_Mehrfach | Arg_Gegeben;
    EXPECT_STREQ(Arg_Mehrfach_entnehmen(feld, &flags), "ab");
    EXPECT_EQ(feld[127], nullptr);
    EXPECT_EQ(flags, Arg_Mehrfach | Arg_Gegeben);
}

TEST(Speicher, Zahlregel)
{
    int32_t z = 0;
    for (const char *text : {"2147483648", "-2147483649", "99999999999999999999", "4x", "0x1F", "8 ", "-"})
        EXPECT_FALSE(Arg_Zahl_umwandeln(text, &z)) << text;
    const std::pair<const char *, int32_t> gut[] = {{"12", 12}, {"-7", -7}, {"+3", 3}, {"", 0}, {" 8", 8},
                                                    {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN}};
    for (const auto &[text, zahl] : gut)
        EXPECT_TRUE(Arg_Zahl_umwandeln(text, &z) && z == zahl) << text;
}

TEST(Speicher, FalscheEingabenModusUndFreigabe)
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
        EXPECT_TRUE(!s.satz.mehrfachliste && s.satz.speicher == &unberuehrt && s.satz.speichergroesse == 3u);
        EXPECT_EQ(s.satz.zugriffshandle.position, 0);
    }
    s.satz.speicher = nullptr;
    EXPECT_EQ(KR_Argumente_lesen("A", nullptr, &s.satz), nullptr);
    ASSERT_EQ(KR_Argumente_lesen("", nullptr, &s.satz), &s.satz);
    EXPECT_EQ(s.satz.zugriffshandle.position, 1);

    // Fixed bit without a size: pool mode, and the bit is cleared.
    Satz p(Modus::Pool, "a");
    p.satz.argflags = KR_ARG_FESTSPEICHER | 0x10;
    ASSERT_TRUE(p.lesen("V/M"));
    EXPECT_EQ(p.satz.argflags, 0x10u);
    EXPECT_EQ(p.satz.speichergroesse, 8u);
    // Released twice: a pool goes, a fixed block stays the caller's.
    Satz f(Modus::Fest, "a");
    ASSERT_TRUE(f.lesen("V/M"));
    for (Satz *t : {&p, &f}) {
        KR_Arg_freigeben(&t->satz);
        KR_Arg_freigeben(&t->satz);
        EXPECT_EQ(t->satz.speicher, t->block.empty() ? nullptr : t->block.data());
        EXPECT_EQ(t->satz.mehrfachliste, nullptr);
    }
}

// Pool: head, array, a block per value (no head: no line read); fixed block: the array alone, after the line.
TEST(Speicher, Zuteilungen)
{
    const char *const vorlage = "FROM/M,TO/A,NAME/K,QUIET/S,COUNT/N/K,MODE/K,VERBOSE/S,LIMIT/N";
    const char *const zeile = "a.c b.c out.o name=probe quiet count=42 mode=\"fast build\" verbose";
    const std::tuple<Modus, const char *, int, int> faelle[] = {
        {Modus::Pool, vorlage, 2, 7}, // a.c, b.c, out.o, probe, 42, "fast build", out.o again for TO
        {Modus::Fest, vorlage, 1, 0}, {Modus::Fest, "A,B,C,D,E,F,G,H", 0, 0},
    };
    for (const auto &[modus, v, a, p] : faelle) {
        Satz s(modus, zeile, 256);
        allocs = pools = 0;
        ASSERT_TRUE(s.lesen(v));
        EXPECT_EQ(std::pair(allocs, pools), std::pair(a, p)) << v;
        if (modus == Modus::Pool) {
            EXPECT_EQ(s.slots(v), (std::vector<std::string>{"[a.c|b.c]", "out.o", "probe", "=1", "#42", "fast build", "=1", "-"}));
        }
    }
    for (Modus m : {Modus::Pool, Modus::Fest}) {
        Satz s(m, zeile, 256);
        alloc_scheitert = true;
        EXPECT_EQ(s.lesen(vorlage), nullptr);
        alloc_scheitert = false;
        EXPECT_EQ(s.satz.zugriffshandle.position, m == Modus::Pool ? 0 : 65);
    }
}

} // namespace
