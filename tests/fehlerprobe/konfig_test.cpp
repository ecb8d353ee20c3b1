// Memory that runs out while configuration text is opened, read, edited,
// saved and read again from a file source, and read errors of memory
// objects: for every request that can fail, the operation gives its failure
// result, nothing is left allocated, and the caller's text and file stay as
// they were.
#include "fehler.h"
#include "testhilfe.h"

#include "quidel32.h"

#include <cstring>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string Text = "[a]\r\nx: 1\r\n; remark\r\n[b]\r\ny: 2\r\nz=3\r\n{1.2}\r\nk: v\r\n";
// Longer than section a, so that the object must grow when it replaces it.
const std::string Block = "[neu]\r\nw: 4\r\nname: \"ein laengerer Wert\"\r\n";
const std::string Kopf("\x1A\0\r\n", 4);

class Konfigurationsprobe : public ::testing::Test {
protected:
    void SetUp() override { fp::Handletabelle_fuellen(); }
    kt::Tempordner d;
};

bool Leer(const Zugriffshandle &h)
{
    static const Zugriffshandle leer{};
    return std::memcmp(&h, &leer, sizeof h) == 0;
}

std::string Rest(Zugriffshandle *h)
{
    std::string s;
    for (int c; (c = KR_Zeichen_lesen(h)) != -1;)
        s.push_back(static_cast<char>(c));
    return s;
}

// An opening that failed: for want of memory, with the handle left empty.
bool Fehlgeschlagen(int status, const Zugriffshandle &h)
{
    if (status == 0)
        return false;
    EXPECT_TRUE(fp::Ausgeloest()) << status;
    EXPECT_TRUE(status == QUIDEL_STATUS_KEIN_SPEICHER || status == QUIDEL_STATUS_KEIN_HANDLE)
        << status << " failing " << fp::Was();
    EXPECT_TRUE(Leer(h));
    return true;
}

TEST_F(Konfigurationsprobe, OeffnenLesenBearbeitenSpeichern)
{
    const std::string pfad = d / "k.cfg";
    long laeufe = fp::Durchlaufen(fp::Speicher, [&] {
        Zugriffshandle h{};
        if (Fehlgeschlagen(KR_Konfig_Datei_oeffnen(pfad.c_str(), &h), h)) {
            EXPECT_EQ(kt::Datei_lesen(pfad), Text);
            return;
        }

        // Reading takes no memory.
        char name[41];
        EXPECT_EQ(KR_Abschnitt_finden("b", &h), '[');
        EXPECT_EQ(KR_naechster_Eintrag(name, sizeof name, &h), 1);
        EXPECT_STREQ(name, "y");
        EXPECT_EQ(KR_INI_Eintrag_finden("z", &h), 1);
        EXPECT_EQ(KR_Klasse_finden(1, 2, &h), '{');

        // A removal only shrinks the object; an append may find no memory,
        // and then leaves the text as it was.
        EXPECT_EQ(KR_Abschnitt_loeschen("a", &h), 1);
        std::string erwartet = Text.substr(Text.find("[b]"));
        int r = KR_Block_hinzufuegen(Block.data(), static_cast<int>(Block.size()), &h);
        if (r == 1)
            erwartet += Block;
        else
            EXPECT_TRUE(fp::Ausgeloest());
        EXPECT_EQ(kt::Objekttext(h), erwartet);
        EXPECT_EQ(KR_Abschnitt_finden("neu", &h), r == 1 ? '[' : 0);
        EXPECT_EQ(KR_Klasse_finden(1, 2, &h), '{');

        // Saving takes no memory and writes what the handle holds.
        EXPECT_EQ(KR_Konfig_Datei_schreiben(pfad.c_str(), &h), 0);
        KR_Konfig_Datei_schliessen(&h);
        EXPECT_EQ(kt::Datei_lesen(pfad), erwartet);
    }, [&] { kt::Datei_schreiben(pfad, Text); });
    EXPECT_GE(laeufe, 5); // the load, its two blocks, the growth, no failure
}

TEST_F(Konfigurationsprobe, NeuesObjektUndDateiquelle)
{
    const std::string pfad = d / "neu.cfg";
    long laeufe = fp::Durchlaufen(fp::Speicher, [&] {
        Zugriffshandle h{};
        if (Fehlgeschlagen(KR_Konfig_Datei_anlegen(&h), h))
            return;
        int r = KR_Block_hinzufuegen(Block.data(), static_cast<int>(Block.size()), &h);
        std::string erwartet = Kopf + (r == 1 ? Block : "");
        EXPECT_TRUE(r == 1 || fp::Ausgeloest());
        EXPECT_EQ(h.laenge, erwartet.size());
        EXPECT_EQ(KR_Konfig_Datei_schreiben(pfad.c_str(), &h), 0);
        KR_Konfig_Datei_schliessen(&h);
        EXPECT_EQ(kt::Datei_lesen(pfad), erwartet);

        // The file source: its record and its stream each take memory, in
        // the opening and again in a clone.
        Zugriffshandle f{};
        if (KR_Datei_oeffnen(pfad.c_str(), &f) != 0) {
            EXPECT_TRUE(fp::Ausgeloest());
            EXPECT_TRUE(Leer(f));
            return;
        }
        EXPECT_EQ(KR_Zeichen_lesen(&f), 0x1A);
        EXPECT_EQ(KR_Zeichen_lesen(&f), 0);
        Zugriffshandle k{};
        if (KR_Zugriffshandle_clonen(&f, &k) == 1) {
            EXPECT_EQ(Rest(&k), erwartet.substr(2));
            KR_Konfig_Datei_schliessen(&k);
        } else {
            EXPECT_TRUE(fp::Ausgeloest());
            EXPECT_TRUE(Leer(k));
        }
        EXPECT_EQ(Rest(&f), erwartet.substr(2));
        KR_Konfig_Datei_schliessen(&f);
    }, [&] { fs::remove(pfad); });
    EXPECT_GE(laeufe, 8); // object, growth; record and stream, twice; no failure
}

// A memory object whose read fails reads as if the text ended there: every
// reader still gives a result of its range, stays inside the text and
// changes no byte of it.
TEST_F(Konfigurationsprobe, LesefehlerGeltenAlsTextende)
{
    const std::string pfad = d / "l.cfg";
    kt::Datei_schreiben(pfad, Text);
    long laeufe = fp::Durchlaufen(fp::Lesen, [&] {
        Zugriffshandle h{};
        ASSERT_EQ(KR_Konfig_Datei_oeffnen(pfad.c_str(), &h), 0);
        char puffer[41];
        char symbol[16];
        h.symbolpuffer = symbol;
        h.symbolgroesse = sizeof symbol;

        int abschnitt = KR_Abschnitt_finden("b", &h);
        int eintraege = 0;
        while (KR_naechster_Eintrag(puffer, sizeof puffer, &h) == 1 && eintraege < 10) {
            ++eintraege;
            EXPECT_GE(KR_Element_lesen_2(puffer, sizeof puffer, &h), -1);
        }
        int klasse = KR_Klasse_finden(1, 2, &h);
        KR_positionieren(&h, 0);
        int symbole = 0, s;
        while ((s = KR_naechstes_Symbol(&h)) != 0 && symbole < 100) {
            EXPECT_TRUE(s >= -1 && s <= 3) << s;
            ++symbole;
        }
        EXPECT_TRUE(h.position >= 0 && static_cast<uint32_t>(h.position) <= h.laenge);
        if (!fp::Ausgeloest()) {
            EXPECT_EQ(abschnitt, '[');
            EXPECT_EQ(eintraege, 1); // y; z=3 is an INI entry
            EXPECT_EQ(klasse, '{');
            EXPECT_EQ(symbole, 16);
        } else {
            EXPECT_TRUE(abschnitt == '[' || abschnitt == 0);
            EXPECT_TRUE(klasse == '{' || klasse == 0);
        }
        {
            fp::Ohne_Fehler o;
            EXPECT_EQ(kt::Objekttext(h), Text);
        }
        KR_Konfig_Datei_schliessen(&h);
    });
    // The readers fetch a memory object's bytes in blocks, so a walk makes
    // a few read requests, each of which is made to fail in turn.
    EXPECT_GE(laeufe, 2);
}

// The regression behind the probe above: an append that finds no memory for
// the larger object gives 0 and leaves laenge, and so the text, as it was.
TEST_F(Konfigurationsprobe, AnhaengenOhneSpeicherLaesstDenTextStehen)
{
    long laeufe = fp::Durchlaufen(fp::Speicher, [&] {
        Zugriffshandle h{};
        {
            fp::Ohne_Fehler o;
            ASSERT_EQ(KR_Konfig_Datei_anlegen(&h), 0);
        }
        int r = KR_Block_hinzufuegen(Block.data(), static_cast<int>(Block.size()), &h);
        EXPECT_EQ(r, fp::Ausgeloest() ? 0 : 1);
        fp::Ohne_Fehler o;
        EXPECT_EQ(h.laenge, 4 + (r == 1 ? Block.size() : 0));
        EXPECT_EQ(kt::Objekttext(h), r == 1 ? Kopf + Block : Kopf);
        KR_Konfig_Datei_schliessen(&h);
    });
    EXPECT_EQ(laeufe, 2); // the object's one growth, then a run without failure
}

} // namespace
