// Allocations of the reader: how many it makes, and what a failing one does.
// This program is linked with the memory library's Tamsel_Alloc and
// Tamsel_PoolAlloc wrapped (tests/CMakeLists.txt).
#include "args/argumente.h"
#include "tamsel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
void *__real_Tamsel_Alloc(uint32_t groesse);
void *__real_Tamsel_PoolAlloc(void *poolkopf, uint32_t groesse);
}

namespace {

// Calls to let through before the next one fails; -1: never.
int alloc_frei = -1;
int pool_frei = -1;
int allocs = 0;
int pools = 0;

bool Durchlassen(int &frei)
{
    if (frei == 0)
        return false;
    if (frei > 0)
        --frei;
    return true;
}

} // namespace

extern "C" void *__wrap_Tamsel_Alloc(uint32_t groesse)
{
    ++allocs;
    return Durchlassen(alloc_frei) ? __real_Tamsel_Alloc(groesse) : nullptr;
}

extern "C" void *__wrap_Tamsel_PoolAlloc(void *poolkopf, uint32_t groesse)
{
    ++pools;
    return Durchlassen(pool_frei) ? __real_Tamsel_PoolAlloc(poolkopf, groesse) : nullptr;
}

namespace {

const char *const Vorlage = "FROM/M,TO/A,NAME/K,QUIET/S,COUNT/N/K,MODE/K,VERBOSE/S,LIMIT/N";
const char *const Zeile = "a.c b.c out.o name=probe quiet count=42 mode=\"fast build\" verbose";

class Zuteilung : public ::testing::Test {
protected:
    Argumentsatz satz{};
    std::string text = Zeile;
    char block[256];
    void *werte[8] = {};

    void SetUp() override
    {
        satz.zugriffshandle.puffer = text.data();
        satz.zugriffshandle.laenge = static_cast<uint32_t>(text.size());
        alloc_frei = pool_frei = -1;
        allocs = pools = 0;
    }
    void TearDown() override
    {
        alloc_frei = pool_frei = -1;
        KR_Arg_freigeben(&satz);
    }
    void fest()
    {
        satz.speicher = block;
        satz.speichergroesse = sizeof block;
        satz.argflags = KR_ARG_FESTSPEICHER;
    }
    Argumentsatz *lesen(const char *vorlage = Vorlage)
    {
        satz.zugriffshandle.position = 0;
        return KR_Argumente_lesen(vorlage, werte, &satz);
    }
};

TEST_F(Zuteilung, NurDieWerte)
{
    // Pool: the head and the array, then one pool block per stored value.
    ASSERT_TRUE(lesen());
    EXPECT_EQ(allocs, 2);
    EXPECT_EQ(pools, 7); // a.c, b.c, out.o, probe, 42, "fast build", out.o again for TO
    EXPECT_STREQ(static_cast<char *>(werte[1]), "out.o");
    EXPECT_STREQ(static_cast<char **>(werte[0])[1], "b.c");
    EXPECT_EQ(*static_cast<int32_t *>(werte[4]), 42);
    EXPECT_STREQ(static_cast<char *>(werte[5]), "fast build");
    EXPECT_EQ(werte[6], reinterpret_cast<void *>(intptr_t{1}));
    EXPECT_EQ(werte[7], nullptr);
    KR_Arg_freigeben(&satz);

    allocs = pools = 0;
    fest();
    ASSERT_TRUE(lesen());
    EXPECT_EQ(allocs, 1);
    EXPECT_EQ(pools, 0);
    KR_Arg_freigeben(&satz);
    allocs = 0;
    ASSERT_TRUE(lesen("A,B,C,D,E,F,G,H"));
    EXPECT_EQ(allocs, 0);
}

// The pool head (the line is then not read at all), the array, then each
// pool block in turn; then the second multiple item's own array, and the
// first array of a fixed block.
TEST_F(Zuteilung, JedeFehlendeZuteilungScheitertSauber)
{
    for (int frei = 0; frei < 2 + 7; ++frei) {
        alloc_frei = frei < 2 ? frei : -1;
        pool_frei = frei < 2 ? -1 : frei - 2;
        EXPECT_EQ(lesen(), nullptr) << frei;
        EXPECT_EQ(satz.speicher, nullptr);
        EXPECT_EQ(satz.mehrfachliste, nullptr);
        if (frei == 0) {
            EXPECT_EQ(satz.zugriffshandle.position, 0);
        }
    }
    pool_frei = -1;
    text = "a EXTRA=x";
    satz.zugriffshandle.puffer = text.data();
    satz.zugriffshandle.laenge = static_cast<uint32_t>(text.size());
    alloc_frei = 2;
    EXPECT_EQ(lesen("FROM/M,EXTRA/M/K"), nullptr);
    EXPECT_EQ(satz.mehrfachliste, nullptr);
    fest();
    alloc_frei = 0;
    EXPECT_EQ(lesen("FROM/M,EXTRA/M/K"), nullptr);
    EXPECT_EQ(satz.speicher, block);
}

} // namespace
