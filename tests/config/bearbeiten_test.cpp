// Removing and appending blocks.  (Many edits of one object checked against
// its expected text: tests/nebenlaeufig; saving: tests/speichern.)
#include "testhilfe.h"

#include <string>

namespace {

using kt::Quelle;
using kt::Testhandle;

class Bearbeiten : public kt::Quellentest {};
KT_ALLE_QUELLEN(Bearbeiten);

const std::string Kopf("\x1A\0\r\n", 4); // the first line of a new memory object

TEST_P(Bearbeiten, BlockEntfernen)
{
    const struct {
        const char *text;
        const char *abschnitt; // null: remove class 1.2
        const char *rest;      // null: nothing found
        int position;
    } faelle[] = {
        {"[a]\nx: 1\n[b]\ny: 2", "a", "[b]\ny: 2", 0}, {"[a]\n[b]\ny", "b", "[a]\n", 4},
        {"[a]\n#c\n[b]\n", "a", "[b]\n", 0}, {"{1.2}\nk: v\n{1.3}", nullptr, "{1.3}", 0},
        {"x\n{1.2}", nullptr, "x\n", 2},
        {"[a]\n  [b]\nc\n[d]", "a", "[d]", 0},   // an indented header belongs to the block
        {"[a]\rx\r[b]", "a", "[b]", 0}, {"[a]\n\r[b]", "a", "[b]", 0}, {"k\n [a] x [b]\n[c]", "a", "k\n [c]", 3},
        {"[a]\nx: 1", "a", "", 0},                 // edited down to nothing
        {"[a]\nx: 1", "b", nullptr, 0},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), f.text);
        int r = f.abschnitt ? KR_Abschnitt_loeschen(f.abschnitt, h.get()) : KR_Klasse_loeschen(1, 2, h.get());
        if (GetParam() == Quelle::Datei || !f.rest) {
            // Nothing found, or a file handle (read-only): the text stays.
            EXPECT_EQ(r, 0) << f.text;
            KR_positionieren(h.get(), 0);
            EXPECT_EQ(GetParam() == Quelle::Datei ? h.rest() : h.text(), f.text);
            continue;
        }
        EXPECT_EQ(r, 1) << f.text;
        EXPECT_EQ(h.text(), f.rest) << f.text;
        EXPECT_EQ(h->laenge, std::string(f.rest).size()) << f.text;
        EXPECT_EQ(h->position, f.position) << f.text;
        EXPECT_EQ(h.rest(), std::string(f.rest).substr(f.position)) << f.text;
        EXPECT_EQ(f.abschnitt ? KR_Abschnitt_finden(f.abschnitt, h.get()) : KR_Klasse_finden(1, 2, h.get()), 0);
    }
}

TEST(BlockHinzufuegen, AnNeuesObjekt)
{
    Zugriffshandle h{};
    ASSERT_EQ(KR_Konfig_Datei_anlegen(&h), 0);
    EXPECT_EQ(KR_Block_hinzufuegen("[c]\r\n", 5, &h), 1);
    EXPECT_EQ(h.laenge, 9u);
    EXPECT_EQ(h.position, 4);
    EXPECT_EQ(kt::Objekttext(h), Kopf + "[c]\r\n");
    EXPECT_EQ(KR_Abschnitt_finden("c", &h), '['); // the 4-byte first line is stepped over

    EXPECT_EQ(KR_Block_hinzufuegen("", 0, &h), 1);
    EXPECT_EQ(KR_Block_hinzufuegen("x", -1, &h), 0);
    EXPECT_EQ(KR_Block_hinzufuegen(nullptr, 1, &h), 0);
    EXPECT_EQ(h.laenge, 9u);
    KR_Konfig_Datei_schliessen(&h);
}

TEST_P(Bearbeiten, NurObjekteWachsen)
{
    Testhandle h(GetParam(), "[a]\n");
    EXPECT_EQ(KR_Block_hinzufuegen("[b]\n", 4, h.get()), GetParam() == Quelle::Objekt ? 1 : 0);
    EXPECT_EQ(KR_Abschnitt_finden("b", h.get()), GetParam() == Quelle::Objekt ? '[' : 0);
    EXPECT_EQ(KR_Block_hinzufuegen("[b]\n", 4, nullptr), 0);
}

} // namespace
