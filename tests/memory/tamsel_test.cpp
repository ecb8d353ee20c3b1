// The memory library: blocks and pools.
#include "tamsel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

TEST(Tamsel, BloeckeWachsenMitInhalt)
{
    auto *p = static_cast<char *>(Tamsel_Alloc(1024));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 1024; ++i)
        p[i] = static_cast<char>(i);
    p = static_cast<char *>(Tamsel_Resize(p, 4096));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(p[i], static_cast<char>(i));
    Tamsel_Free(p);
    void *null_bytes = Tamsel_Alloc(0);
    EXPECT_NE(null_bytes, nullptr);
    Tamsel_Free(null_bytes);
    Tamsel_Free(nullptr);
}

TEST(Tamsel, PoolBloeckeSindGetrenntUndAusgerichtet)
{
    auto *kopf = static_cast<uint32_t *>(Tamsel_Alloc(TAMSEL_POOLKOPF));
    kopf[0] = kopf[1] = 0;
    std::vector<std::pair<unsigned char *, uint32_t>> bloecke;
    // Small and large sizes, across many chunks; 0 bytes still gives a block.
    for (uint32_t i = 0; i < 3000; ++i) {
        uint32_t n = (i % 7 == 0) ? 5000 + i : i % 61;
        auto *b = static_cast<unsigned char *>(Tamsel_PoolAlloc(kopf, n));
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(b) % 8, 0u);
        std::memset(b, static_cast<int>(i & 0xFF), n);
        bloecke.emplace_back(b, n);
    }
    for (uint32_t i = 0; i < bloecke.size(); ++i)
        for (uint32_t k = 0; k < bloecke[i].second; ++k)
            ASSERT_EQ(bloecke[i].first[k], i & 0xFF) << i;
    Tamsel_PoolRelease(kopf);
    EXPECT_EQ(kopf[0], 0u);
    EXPECT_EQ(kopf[1], 0u);
    // An empty pool can be released again and used again.
    Tamsel_PoolRelease(kopf);
    EXPECT_NE(Tamsel_PoolAlloc(kopf, 4), nullptr);
    Tamsel_PoolRelease(kopf);
    Tamsel_Free(kopf);
}

TEST(Tamsel, UnerfuellbarGibtNull)
{
    void *p = Tamsel_Alloc(0xFFFFFFFFu);
    if (sizeof(void *) == 4) {
        EXPECT_EQ(p, nullptr);
    }
    Tamsel_Free(p);
    EXPECT_EQ(Tamsel_PoolAlloc(nullptr, 4), nullptr);
    Tamsel_PoolRelease(nullptr);
    uint32_t kopf[2] = {0, 0};
    EXPECT_EQ(Tamsel_PoolAlloc(kopf, 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(kopf[0], 0u);
}

} // namespace
