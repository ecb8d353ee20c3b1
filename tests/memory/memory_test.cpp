// The memory libraries: objects (handles, bytes, sizes, files), blocks and pools.
#include "testhilfe.h"

#include "tamsel.h"

#include <cstdint>
#include <cstring>
#include <numeric>
#include <set>

namespace {

constexpr int A = QUIDEL_STATUS_ARGUMENT, H = QUIDEL_STATUS_HANDLE, B = QUIDEL_STATUS_BEREICH;

std::string Inhalt(Quidel_Handle h, uint32_t n, int64_t groesse = -1)
{
    std::string s(n, '#');
    if (groesse >= 0 && Quidel_Groesse_aendern(h, static_cast<uint32_t>(groesse)) != 0)
        return "<resize>";
    Quidel_Status r = Quidel_Lesen(h, n, 0, s.data(), 0);
    return r == 0 ? s : "<" + std::to_string(r) + ">";
}

TEST(Quidel32, BytesInGrenzen)
{
    Quidel_Handle h = 0, leer = 0;
    char buf[8];
    ASSERT_EQ(Quidel_Anlegen(8, &h, 0) + Quidel_Anlegen(0, &leer, 0), 0);
    EXPECT_EQ(Inhalt(h, 8), std::string(8, '\0')); // new objects are zero
    std::vector<int> status = {Quidel_Schreiben(h, 8, 0, "abcdefgh", 0), Quidel_Schreiben(h, 1, 8, "x", 0),
                               Quidel_Schreiben(h, 2, 7, "xy", 0), Quidel_Lesen(h, 1, 8, buf, 0),
                               Quidel_Lesen(h, 0xFFFFFFFFu, 1, buf, 0), Quidel_Lesen(h, 1, 0, buf, 1),
                               Quidel_Lesen(h, 1, 0, nullptr, 0), Quidel_Anlegen(1, nullptr, 0),
                               Quidel_Kopieren(h, 0, h, 2, 6, 0), Quidel_Groesse_aendern(leer, 0)};
    EXPECT_EQ(status, (std::vector<int>{0, B, B, B, B, A, A, A, 0, 0}));
    EXPECT_EQ(Inhalt(h, 8), "cdefghgh"); // overlapping, the source after the target
    // Each step: a new size (the same, smaller, larger), and the first 5 bytes then held.
    for (auto [groesse, danach] : {std::pair<uint32_t, std::string>(8, "cdefg"), {3, "<105>"}, {5, {"cde\0\0", 5}}})
        EXPECT_EQ(Inhalt(h, 5, groesse), danach) << groesse;
    EXPECT_EQ(std::vector<int>({Quidel_Freigeben(h), Quidel_Freigeben(h), Quidel_Lesen(h, 1, 0, buf, 0),
                                Quidel_Lesen(0, 1, 0, buf, 0), Quidel_Freigeben(leer)}),
              (std::vector<int>{0, H, H, H, 0}));
}

TEST(Quidel32, AlleHandlesUndWiederverwendung)
{
    std::vector<Quidel_Handle> handles;
    Quidel_Handle h;
    while (Quidel_Anlegen(0, &h, 0) == 0)
        handles.push_back(h);
    EXPECT_EQ(Quidel_Anlegen(0, &h, 0), QUIDEL_STATUS_KEIN_HANDLE);
    std::set<Quidel_Handle> verschieden(handles.begin(), handles.end());
    EXPECT_TRUE(!verschieden.count(0) && verschieden.size() == handles.size());
    EXPECT_GE(handles.size(), 65000u); // other tests may hold a few
    EXPECT_EQ(Quidel_Freigeben(handles[1234]) + Quidel_Anlegen(0, &h, 0), 0);
    EXPECT_EQ(h, handles[1234]);
    for (Quidel_Handle x : handles)
        Quidel_Freigeben(x);
}

TEST(Quidel32, LadenUndSpeichernSindExakt)
{
    kt::Tempordner d;
    std::string bytes(256, '\0');
    std::iota(bytes.begin(), bytes.end(), '\0');
    Quidel_Handle h = 0;
    uint32_t groesse = 0;
    for (const std::string &inhalt : {bytes, std::string()}) {
        kt::Datei_schreiben(d / "ein", inhalt);
        ASSERT_EQ(Quidel_Laden((d / "ein").c_str(), &h, &groesse), 0);
        EXPECT_EQ(groesse, inhalt.size());
        ASSERT_EQ(Quidel_Speichern((d / "aus").c_str(), h), 0);
        EXPECT_EQ(kt::Datei_lesen(d / "aus"), inhalt);
        EXPECT_EQ(Quidel_Groesse_aendern(h, 2) + Quidel_Freigeben(h), 0);
    }
    EXPECT_EQ(Quidel_Laden(nullptr, &h, &groesse) + Quidel_Laden("", &h, &groesse), 2 * A);
}

TEST(Tamsel, BloeckeUndPools)
{
    std::string muster(1024, '\0');
    std::iota(muster.begin(), muster.end(), '\0');
    void *p = Tamsel_Resize(std::memcpy(Tamsel_Alloc(1024), muster.data(), 1024), 4096);
    EXPECT_EQ(std::string(static_cast<char *>(p), 1024), muster);
    void *leer = Tamsel_Alloc(0), *riesig = Tamsel_Alloc(0xFFFFFFFFu);
    EXPECT_TRUE(leer && (sizeof(void *) > 4 || !riesig));
    for (void *x : {p, leer, riesig, static_cast<void *>(nullptr)})
        Tamsel_Free(x);

    // Small and large pool blocks in many chunks, aligned, apart; 0 bytes still a block; emptied pools serve.
    auto *kopf = static_cast<uint32_t *>(Tamsel_Alloc(TAMSEL_POOLKOPF));
    kopf[0] = kopf[1] = 0;
    std::vector<std::pair<void *, uint32_t>> bloecke;
    for (uint32_t i = 0; i < 3000; ++i) {
        uint32_t n = i % 7 ? i % 61 : 5000 + i;
        void *b = Tamsel_PoolAlloc(kopf, n);
        ASSERT_TRUE(b && reinterpret_cast<uintptr_t>(b) % 8 == 0);
        bloecke.emplace_back(std::memset(b, static_cast<int>(i & 0xFF), n), n);
    }
    for (uint32_t i = 0; i < bloecke.size(); ++i)
        ASSERT_EQ(std::string(static_cast<char *>(bloecke[i].first), bloecke[i].second),
                  std::string(bloecke[i].second, static_cast<char>(i))) << i;
    Tamsel_PoolRelease(kopf);
    EXPECT_EQ(kopf[0] + kopf[1], 0u);
    Tamsel_PoolRelease(kopf);
    EXPECT_NE(Tamsel_PoolAlloc(kopf, 4), nullptr);
    Tamsel_PoolRelease(kopf), Tamsel_Free(kopf);
    uint32_t zu[2] = {0, 0};
    EXPECT_FALSE(Tamsel_PoolAlloc(zu, 0xFFFFFFFFu) || Tamsel_PoolAlloc(nullptr, 4) || zu[0]);
    Tamsel_PoolRelease(nullptr);
}

} // namespace
