// Opening, creating, saving, cloning and closing handles; the file source.
#include "testhilfe.h"

#include "quidel32.h"

#include <cstring>
#include <filesystem>
#include <string>

namespace {

using kt::Quelle;
using kt::Testhandle;
namespace fs = std::filesystem;

TEST(Anlegen, NeuesObjektMitKopf)
{
    Zugriffshandle h;
    std::memset(&h, 0x5A, sizeof h);
    ASSERT_EQ(KR_Konfig_Datei_anlegen(&h), 0);
    EXPECT_NE(h.objekt, 0);
    EXPECT_EQ(h.laenge, 4u);
    EXPECT_EQ(h.position, 4);
    EXPECT_EQ(h.zeile, 0);
    EXPECT_EQ(h.flags, 0u);
    EXPECT_EQ(h.lesefunktion, nullptr);
    EXPECT_EQ(KR_Zeichen_lesen(&h), -1);
    EXPECT_EQ(kt::Objekttext(h), std::string("\x1A\0\r\n", 4));
    KR_Konfig_Datei_schliessen(&h);
    EXPECT_EQ(h.objekt, 0);
}

TEST(OeffnenUndKlonen, UngueltigeArgumenteLassenDenHandleUnberuehrt)
{
    Zugriffshandle h, vorher;
    std::memset(&h, 0x5A, sizeof h);
    vorher = h;
    EXPECT_EQ(KR_Konfig_Datei_oeffnen("", &h), 1);
    EXPECT_EQ(KR_Konfig_Datei_oeffnen(nullptr, &h), 1);
    EXPECT_EQ(KR_Datei_oeffnen("", &h), 1);
    EXPECT_EQ(KR_Datei_oeffnen(nullptr, &h), 1);
    EXPECT_EQ(KR_Datei_oeffnen("/nicht/vorhanden/x.cfg", &h), 1);
    EXPECT_EQ(std::memcmp(&h, &vorher, sizeof h), 0);
    EXPECT_EQ(KR_Konfig_Datei_oeffnen("x", nullptr), 1);
    EXPECT_EQ(KR_Datei_oeffnen("x", nullptr), 1);
    Zugriffshandle leer{};
    EXPECT_EQ(KR_Zugriffshandle_clonen(nullptr, &leer), 0);
    EXPECT_EQ(KR_Zugriffshandle_clonen(&leer, nullptr), 0);
}

TEST(Oeffnen, FehlendeDateiGibtDenStatusDerObjektbibliothek)
{
    kt::Tempordner d;
    Zugriffshandle h{};
    EXPECT_EQ(KR_Konfig_Datei_oeffnen((d / "fehlt.cfg").c_str(), &h), QUIDEL_STATUS_NICHT_LESBAR);
    EXPECT_EQ(h.objekt, 0);
    EXPECT_EQ(KR_Konfig_Datei_oeffnen(d.pfad().string().c_str(), &h), QUIDEL_STATUS_NICHT_LESBAR); // a folder
}

TEST(Oeffnen, BytesBleibenGenauErhalten)
{
    kt::Tempordner d;
    std::string inhalt("[a]\r\nx: 1\0\xFF\x1A\r\rend", 17);
    kt::Datei_schreiben(d / "a.cfg", inhalt);
    Zugriffshandle h{};
    ASSERT_EQ(KR_Konfig_Datei_oeffnen((d / "a.cfg").c_str(), &h), 0);
    EXPECT_EQ(h.position, 0);
    EXPECT_EQ(kt::Objekttext(h), inhalt);
    KR_Konfig_Datei_schliessen(&h);

    // Backslashes in a path reach the system as slashes.
    std::string mit_backslash = d.pfad().string() + "\\a.cfg";
    ASSERT_EQ(KR_Konfig_Datei_oeffnen(mit_backslash.c_str(), &h), 0);
    EXPECT_EQ(h.laenge, inhalt.size());
    KR_Konfig_Datei_schliessen(&h);
}

TEST(Oeffnen, DateiUeber2GiBWirdAbgewiesen)
{
    kt::Tempordner d;
    std::string pfad = d / "gross.cfg";
    kt::Datei_schreiben(pfad, "x");
    std::error_code ec;
    fs::resize_file(pfad, 0x80000000ull, ec); // sparse: one byte past the limit
    if (ec)
        GTEST_SKIP() << "no sparse files here: " << ec.message();
    Zugriffshandle h{};
    EXPECT_EQ(KR_Konfig_Datei_oeffnen(pfad.c_str(), &h), QUIDEL_STATUS_ZU_GROSS);
    EXPECT_EQ(h.objekt, 0);
}

TEST(Klonen, SpeicherobjektGehoertDemBesitzer)
{
    Testhandle besitzer(Quelle::Objekt, "abc");
    KR_Zeichen_lesen(besitzer.get());
    Zugriffshandle klon;
    ASSERT_EQ(KR_Zugriffshandle_clonen(besitzer.get(), &klon), 1);
    EXPECT_EQ(klon.flags & KR_FLAG_CLON, KR_FLAG_CLON);
    EXPECT_EQ(klon.position, 1);
    EXPECT_EQ(KR_Zeichen_lesen(&klon), 'b');
    KR_Konfig_Datei_schliessen(&klon);
    EXPECT_EQ(klon.objekt, 0);
    EXPECT_EQ(KR_Zeichen_lesen(besitzer.get()), 'b'); // the object lives on

    Quidel_Handle objekt = besitzer->objekt;
    KR_Konfig_Datei_schliessen(besitzer.get());
    unsigned char c;
    EXPECT_EQ(Quidel_Lesen(objekt, 1, 0, &c, 0), QUIDEL_STATUS_HANDLE);
}

TEST(Schliessen, ZweimalUndPufferhandle)
{
    char text[] = "abc";
    Zugriffshandle h{};
    h.puffer = text;
    h.laenge = 3;
    for (int i = 0; i < 2; ++i)
        KR_Konfig_Datei_schliessen(&h);
    EXPECT_EQ(h.puffer, nullptr);
    EXPECT_STREQ(text, "abc"); // the caller's buffer is left alone
    KR_Konfig_Datei_schliessen(nullptr);
}

// --- the file source --------------------------------------------------------

// The file source delivers comment lines, counts as the memory sources do,
// and takes back one character only.
TEST(Dateiquelle, BisZumEndeUndEinZeichenZurueck)
{
    Testhandle h(Quelle::Datei, "a\n#x\nb");
    EXPECT_EQ(KR_Zeichen_ruecklesen(h.get()), 0); // nothing read yet
    EXPECT_EQ(h.rest(), "a\n#x\nb");
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), -1);
    EXPECT_EQ(h->position, 6);
    EXPECT_EQ(h->zeile, 2);
    EXPECT_EQ(KR_Zeichen_ruecklesen(h.get()), 1);
    EXPECT_EQ(KR_Zeichen_ruecklesen(h.get()), 0);
    EXPECT_EQ(h->position, 5);
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), 'b');
    EXPECT_EQ(h->spalte, 0);
}

TEST(Dateiquelle, Positionieren)
{
    Testhandle h(Quelle::Datei, "ab\ncd");
    h->symbolstatus = 2;
    h->elementanfang = 4;
    h.rest();
    EXPECT_EQ(KR_positionieren(h.get(), 3), 1);
    EXPECT_EQ(h->position, 3);
    EXPECT_EQ(h->zeile, 0);
    EXPECT_EQ(h->spalte, 0);
    EXPECT_EQ(h->symbolstatus, 2);
    EXPECT_EQ(h->elementanfang, 4);
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), 'c');
    EXPECT_EQ(KR_Zeichen_ruecklesen(h.get()), 1);
    EXPECT_EQ(KR_positionieren(h.get(), 0), 1);
    EXPECT_EQ(KR_Zeichen_ruecklesen(h.get()), 0); // positioning forgets the last character
    EXPECT_EQ(h.rest(), "ab\ncd");
}

TEST(Dateiquelle, KlonLiestAbDerselbenStelle)
{
    Testhandle h(Quelle::Datei, "0123456789");
    for (int i = 0; i < 4; ++i)
        KR_Zeichen_lesen(h.get());
    KR_Zeichen_ruecklesen(h.get()); // the pushed-back byte is the clone's too
    Zugriffshandle klon{};
    ASSERT_EQ(KR_Zugriffshandle_clonen(h.get(), &klon), 1);
    EXPECT_EQ(klon.position, 3);
    EXPECT_NE(klon.quelle, h->quelle);
    EXPECT_EQ(klon.flags & KR_FLAG_CLON, KR_FLAG_CLON);
    EXPECT_EQ(KR_Zeichen_lesen(&klon), '3');
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), '3');
    KR_Konfig_Datei_schliessen(&klon);
    std::string leer(sizeof klon, '\0');
    EXPECT_EQ(std::memcmp(&klon, leer.data(), sizeof klon), 0);
    EXPECT_EQ(h.rest(), "456789");
}

TEST(Dateiquelle, KlonDerVerschwundenenDateiScheitert)
{
    kt::Tempordner d;
    std::string pfad = d / "weg.cfg";
    kt::Datei_schreiben(pfad, "abc");
    Zugriffshandle h{}, klon;
    ASSERT_EQ(KR_Datei_oeffnen(pfad.c_str(), &h), 0);
    std::error_code ec;
    fs::remove(pfad, ec);
    if (ec) {
        KR_Konfig_Datei_schliessen(&h);
        GTEST_SKIP() << "this system keeps an open file from being removed: " << ec.message();
    }
    std::memset(&klon, 0x5A, sizeof klon);
    EXPECT_EQ(KR_Zugriffshandle_clonen(&h, &klon), 0);
    std::string leer(sizeof klon, '\0');
    EXPECT_EQ(std::memcmp(&klon, leer.data(), sizeof klon), 0);
    EXPECT_EQ(KR_Zeichen_lesen(&h), 'a'); // the open stream still reads
    KR_Konfig_Datei_schliessen(&h);
}

TEST(Dateiquelle, LangerPfadBleibtFuerKlone)
{
    kt::Tempordner d;
    std::string ordner = d.pfad().string();
    while (ordner.size() < 300)
        ordner += "/verzeichnis";
    fs::create_directories(ordner);
    std::string pfad = ordner + "/x.cfg";
    kt::Datei_schreiben(pfad, "xyz");
    Zugriffshandle h{}, klon{};
    ASSERT_EQ(KR_Datei_oeffnen(pfad.c_str(), &h), 0);
    ASSERT_EQ(KR_Zugriffshandle_clonen(&h, &klon), 1);
    EXPECT_EQ(KR_Zeichen_lesen(&klon), 'x');
    KR_Konfig_Datei_schliessen(&klon);
    KR_Konfig_Datei_schliessen(&h);
}

} // namespace
