// Allocations of the reader: how many it makes, and what a failing first one
// does.  (Each allocation failing in turn, for lines of every kind:
// tests/fehlerprobe.)  The memory library's requests come through the fault
// hook (tests/fehlerprobe/haken).
#include "haken.h"
#include "satz.h"

#include <cstring>

namespace {
bool alloc_scheitert = false;
int allocs = 0;
int pools = 0;
[[maybe_unused]] const bool gezaehlt = (fehlerhaken = [](const char *was, size_t) {
    if (std::strcmp(was, "Tamsel_PoolAlloc") == 0)
        ++pools;
    if (std::strcmp(was, "Tamsel_Alloc") != 0)
        return false;
    ++allocs;
    return alloc_scheitert;
}, true);
} // namespace

namespace {

using kt::Modus;
using kt::Satz;

const char *const Vorlage = "FROM/M,TO/A,NAME/K,QUIET/S,COUNT/N/K,MODE/K,VERBOSE/S,LIMIT/N";
const char *const Zeile = "a.c b.c out.o name=probe quiet count=42 mode=\"fast build\" verbose";

TEST(Zuteilung, NurDieWerte)
{
    // Pool: the head and the array, then one pool block per stored value.
    Satz p(Modus::Pool, Zeile);
    allocs = pools = 0;
    ASSERT_TRUE(p.lesen(Vorlage));
    EXPECT_EQ(allocs, 2);
    EXPECT_EQ(pools, 7); // a.c, b.c, out.o, probe, 42, "fast build", out.o again for TO
    EXPECT_EQ(p.slots(Vorlage), (std::vector<std::string>{"[a.c|b.c]", "out.o", "probe", "=1", "#42", "fast build",
                                                          "=1", "-"}));

    // A fixed block: the array alone; no multiple item, nothing at all.
    Satz f(Modus::Fest, Zeile, 256);
    allocs = pools = 0;
    ASSERT_TRUE(f.lesen(Vorlage));
    EXPECT_EQ(allocs, 1);
    EXPECT_EQ(pools, 0);
    Satz g(Modus::Fest, Zeile, 256);
    allocs = 0;
    ASSERT_TRUE(g.lesen("A,B,C,D,E,F,G,H"));
    EXPECT_EQ(allocs, 0);
}

// Without the pool head the line is not read at all; in a fixed block the
// multiple-value array fails after the line, and the block stays the caller's.
TEST(Zuteilung, ErsteZuteilungFehlt)
{
    for (Modus m : {Modus::Pool, Modus::Fest}) {
        Satz s(m, Zeile, 256);
        alloc_scheitert = true;
        EXPECT_EQ(s.lesen(Vorlage), nullptr);
        alloc_scheitert = false;
        EXPECT_EQ(s.satz.zugriffshandle.position, m == Modus::Pool ? 0 : 65);
        EXPECT_EQ(s.satz.speicher, m == Modus::Fest ? s.block.data() : nullptr);
        EXPECT_EQ(s.satz.mehrfachliste, nullptr);
    }
}

} // namespace
