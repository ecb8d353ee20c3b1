// The memory-object library: handles, byte access, resizing, loading and
// saving.  (Objects used from several threads at once: tests/nebenlaeufig.)
#include "testhilfe.h"

#include "quidel32.h"

#include <cstring>
#include <set>
#include <vector>

namespace {

TEST(Quidel32, LesenSchreibenKopierenInGrenzen)
{
    Quidel_Handle h = 0;
    ASSERT_EQ(Quidel_Anlegen(8, &h, 0), 0);
    EXPECT_NE(h, 0);
    char buf[9] = {};
    EXPECT_EQ(Quidel_Lesen(h, 8, 0, buf, 0), 0);
    EXPECT_EQ(std::memcmp(buf, "\0\0\0\0\0\0\0\0", 8), 0); // new objects are zero
    EXPECT_EQ(Quidel_Schreiben(h, 8, 0, "abcdefgh", 0), 0);
    EXPECT_EQ(Quidel_Schreiben(h, 1, 8, "x", 0), QUIDEL_STATUS_BEREICH);
    EXPECT_EQ(Quidel_Schreiben(h, 2, 7, "xy", 0), QUIDEL_STATUS_BEREICH);
    EXPECT_EQ(Quidel_Lesen(h, 1, 8, buf, 0), QUIDEL_STATUS_BEREICH);
    EXPECT_EQ(Quidel_Lesen(h, 0xFFFFFFFFu, 1, buf, 0), QUIDEL_STATUS_BEREICH);
    EXPECT_EQ(Quidel_Lesen(h, 1, 0, buf, 1), QUIDEL_STATUS_ARGUMENT);
    EXPECT_EQ(Quidel_Lesen(h, 1, 0, nullptr, 0), QUIDEL_STATUS_ARGUMENT);
    // Overlapping copy within one object, source after target.
    EXPECT_EQ(Quidel_Kopieren(h, 0, h, 2, 6, 0), 0);
    EXPECT_EQ(Quidel_Lesen(h, 8, 0, buf, 0), 0);
    EXPECT_STREQ(buf, "cdefghgh");
    EXPECT_EQ(Quidel_Groesse_aendern(h, 3), 0);
    EXPECT_EQ(Quidel_Lesen(h, 4, 0, buf, 0), QUIDEL_STATUS_BEREICH);
    EXPECT_EQ(Quidel_Groesse_aendern(h, 5), 0);
    EXPECT_EQ(Quidel_Lesen(h, 5, 0, buf, 0), 0);
    EXPECT_EQ(std::memcmp(buf, "cde\0\0", 5), 0); // grown bytes are zero
    EXPECT_EQ(Quidel_Freigeben(h), 0);
    EXPECT_EQ(Quidel_Freigeben(h), QUIDEL_STATUS_HANDLE);
    EXPECT_EQ(Quidel_Lesen(h, 1, 0, buf, 0), QUIDEL_STATUS_HANDLE);
    EXPECT_EQ(Quidel_Lesen(0, 1, 0, buf, 0), QUIDEL_STATUS_HANDLE);
    EXPECT_EQ(Quidel_Anlegen(1, nullptr, 0), QUIDEL_STATUS_ARGUMENT);
}

TEST(Quidel32, AlleHandlesUndWiederverwendung)
{
    std::vector<Quidel_Handle> handles;
    Quidel_Handle h;
    while (Quidel_Anlegen(0, &h, 0) == 0)
        handles.push_back(h);
    EXPECT_EQ(Quidel_Anlegen(0, &h, 0), QUIDEL_STATUS_KEIN_HANDLE);
    std::set<Quidel_Handle> verschieden(handles.begin(), handles.end());
    EXPECT_EQ(verschieden.count(0), 0u);
    EXPECT_EQ(verschieden.size(), handles.size());
    EXPECT_GE(handles.size(), 65000u); // other tests may hold a few
    Quidel_Handle frei = handles[1234];
    EXPECT_EQ(Quidel_Freigeben(frei), 0);
    ASSERT_EQ(Quidel_Anlegen(0, &h, 0), 0);
    EXPECT_EQ(h, frei);
    for (Quidel_Handle x : handles)
        Quidel_Freigeben(x);
}

TEST(Quidel32, LadenUndSpeichernSindExakt)
{
    kt::Tempordner d;
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    kt::Datei_schreiben(d / "alle.bin", bytes);
    Quidel_Handle h = 0;
    uint32_t groesse = 0;
    ASSERT_EQ(Quidel_Laden((d / "alle.bin").c_str(), &h, &groesse), 0);
    EXPECT_EQ(groesse, 256u);
    ASSERT_EQ(Quidel_Speichern((d / "kopie.bin").c_str(), h), 0);
    EXPECT_EQ(kt::Datei_lesen(d / "kopie.bin"), bytes);
    Quidel_Freigeben(h);

    kt::Datei_schreiben(d / "leer.bin", "");
    ASSERT_EQ(Quidel_Laden((d / "leer.bin").c_str(), &h, &groesse), 0);
    EXPECT_EQ(groesse, 0u);
    EXPECT_EQ(Quidel_Groesse_aendern(h, 2), 0);
    Quidel_Freigeben(h);
    EXPECT_EQ(Quidel_Laden(nullptr, &h, &groesse), QUIDEL_STATUS_ARGUMENT);
    EXPECT_EQ(Quidel_Laden("", &h, &groesse), QUIDEL_STATUS_ARGUMENT);
}

} // namespace
