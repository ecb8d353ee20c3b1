// Handles: creating, opening, cloning, closing; reading, taking back and positioning over every source.
#include "testhilfe.h"

#include <cstring>

namespace {

using kt::Quelle;
namespace fs = std::filesystem;

const Zugriffshandle Leer{}; // the records are packed: every byte zero

class Zeichen : public kt::Quellentest {};
KT_ALLE_QUELLEN(Zeichen);

// Rows: a text; steps (r read, b back, R to the end, C clone, P<digit>/X (0xFFFFFFFF) position, e set
// elementanfang,symbolstatus to 3,2); results ($ end; 1 0 -), zeile,spalte,position; the file source's or -.
TEST_P(Zeichen, Schritte)
{
    const struct {
        std::string text, schritte, erwartet, datei = "";
    } faelle[] = {
        // comment lines: a '#' first on a line up to its LF; the file source delivers them
        {"a\n#x\nb", "R", "a\nb 2,0,6", "a\n#x\nb 2,0,6"}, {"a\n##x\nb", "R", "a\nb 2,0,7", "a\n##x\nb 2,0,7"},
        {"a\n#1\n#2\nb", "R", "a\nb 3,0,9", "a\n#1\n#2\nb 3,0,9"}, {"a#b", "R", "a#b 0,3,3"}, {"", "R", " 0,0,0"},
        {"#x", "R", "#x 0,2,2"}, {"a\n#x", "R", "a\n# 1,1,4", "a\n#x 1,1,4"}, // the first byte is no line start
        {"a\n#\n#\n", "R", "a\n 2,0,6", "a\n#\n#\n 2,0,6"}, {"a\r\n#x\r\nb", "R", "a\r\nb 2,0,8", "a\r\n#x\r\nb 2,0,8"},
        {"a\n#x\r#y\nb", "R", "a\nb 2,0,9", "a\n#x\r#y\nb 2,0,9"}, // a CR does not end a comment line
        // counting (bytes below CR move the column, a CR does not), taking back: the file source 1 byte only
        {"\t\x01", "rr", "\t\x01 0,2,2"}, {"ab\r\ncd", "rrrr", "ab\r\n 0,2,4"}, {"ab\r\ncd", "rrrrr", "ab\r\nc 1,0,5"},
        {"a\n#x\nb", "rrrr", "a\nb$ 2,0,6", "a\n#x 1,1,4"}, {"a\n#x\nb", "bRbbr", "0a\nb11\n 2,-2,5", "0a\n#x\nb10b 2,0,6"},
        {"ab", "b", "0 0,0,0"}, {"ab", "rrbbb", "ab110 0,0,0", "ab100 0,1,1"}, {"a\nb", "rrrb", "a\nb1 1,-1,2"},
        {"a\nb", "rrrbr", "a\nb1b 1,0,3"}, {"a\nxy", "rrbrbr", "a\n1\n1\n 0,1,2"}, {"a\n\nb", "rrrbrbr", "a\n\n1\n1\n 1,0,3"},
        {"a\r\nb", "rrrbrbr", "a\r\n1\n1\n 0,1,3"}, {"a\r\nb", "rrbrbr", "a\r1\r1\r 0,1,2"},
        {"ab\r\ncd\n\nx", "rrrrrrrbr", "ab\r\ncd\n1\n 1,1,7"},
        // positioning: the end itself is allowed; memory forgets the symbol, the file source the last byte
        {"ab\ncd", "P5rP6XP5e", "1$--1<3,0> 0,0,5", "-"}, {"", "P0P1", "1- 0,0,0", "-"},
        {"ab\ncd", "rrrrP3erbP0eb", "ab\nc1<3,0>c11<0,0>0 0,0,0", "ab\nc1<3,2>c11<3,2>0 0,0,0"},
        {"0123456789", "rrrrbCR", "01231<33>3456789 0,10,10"}, // the byte taken back is the clone's too
        {"#x\ny\n", "RP0r", "#x\ny\n1y 2,0,4", "#x\ny\n1# 0,1,1"}, // after a LF the first byte starts a line
    };
    for (const auto &f : faelle) {
        if (GetParam() == Quelle::Datei && f.datei == "-")
            continue;
        kt::Testhandle h(GetParam(), f.text);
        h->elementanfang = 3;
        h->symbolstatus = 2;
        std::string r;
        for (size_t i = 0; i < f.schritte.size(); ++i) {
            char s = f.schritte[i];
            int c = s == 'r' ? KR_Zeichen_lesen(h.get())
                    : s == 'b' ? '0' + KR_Zeichen_ruecklesen(h.get())
                    : s == 'P' || s == 'X' ? KR_positionieren(h.get(), s == 'X' ? 0xFFFFFFFFu : f.schritte[++i] - '0')
                    : 0;
            if (s == 'R')
                r += h.rest();
            else if (s == 'C') { // a clone: its position, the byte it reads; then it goes without the owner's source
                Zugriffshandle k;
                EXPECT_EQ(KR_Zugriffshandle_clonen(h.get(), &k), 1);
                EXPECT_EQ(k.flags, KR_FLAG_CLON);
                EXPECT_EQ(k.quelle != h->quelle, GetParam() == Quelle::Datei);
                r += "<" + std::to_string(k.position);
                r += static_cast<char>(KR_Zeichen_lesen(&k)) + std::string(">");
                KR_Konfig_Datei_schliessen(&k);
                EXPECT_EQ(std::memcmp(&k, &Leer, sizeof k), 0);
            }
            else if (s == 'e')
                r += "<" + std::to_string(h->elementanfang) + "," + std::to_string(h->symbolstatus) + ">";
            else
                r += s == 'P' || s == 'X' ? "-01"[c + 1] : c == -1 ? '$' : static_cast<char>(c);
        }
        r += " " + std::to_string(h->zeile) + "," + std::to_string(h->spalte) + "," + std::to_string(h->position);
        EXPECT_EQ(r, GetParam() == Quelle::Datei && !f.datei.empty() ? f.datei : f.erwartet)
            << f.text.substr(0, 20) << " / " << f.schritte;
    }
}

TEST(Handle, AnlegenUndSchliessen)
{
    Zugriffshandle h, e{};
    std::memset(&h, 0x5A, sizeof h);
    ASSERT_EQ(KR_Konfig_Datei_anlegen(&h), 0);
    e.objekt = h.objekt;
    e.laenge = 4;
    e.position = 4;
    EXPECT_EQ(std::memcmp(&h, &e, sizeof h), 0);
    EXPECT_EQ(kt::Objekttext(h), std::string("\x1A\0\r\n", 4));
    KR_Konfig_Datei_schliessen(&h);
    unsigned char c;
    EXPECT_EQ(Quidel_Lesen(e.objekt, 1, 0, &c, 0), QUIDEL_STATUS_HANDLE); // the owner frees the object
    char text[] = "abc";
    h.puffer = text; // a buffer handle, closed twice
    for (int i = 0; i < 2; ++i)
        KR_Konfig_Datei_schliessen(&h);
    KR_Konfig_Datei_schliessen(nullptr);
    EXPECT_EQ(std::memcmp(&h, &Leer, sizeof h), 0);
    EXPECT_STREQ(text, "abc"); // the caller's buffer is left alone
}

TEST(Handle, OeffnenHaeltDieBytesOderScheitert)
{
    kt::Tempordner d;
    std::string inhalt("[a]\r\nx: 1\0\xFF\x1A\r\rend", 17), gross = d / "gross.cfg";
    kt::Datei_schreiben(d / "a.cfg", inhalt);
    Zugriffshandle h, vorher;
    std::memset(&h, 0x5A, sizeof h);
    vorher = h;
    for (const char *p : {"", static_cast<const char *>(nullptr)})
        EXPECT_EQ(KR_Konfig_Datei_oeffnen(p, &h) + KR_Datei_oeffnen(p, &h), 2);
    EXPECT_EQ(KR_Datei_oeffnen((d / "fehlt").c_str(), &h), 1);
    EXPECT_EQ(std::memcmp(&h, &vorher, sizeof h), 0);
    EXPECT_EQ(KR_Konfig_Datei_oeffnen("x", nullptr) + KR_Datei_oeffnen("x", nullptr), 2);
    EXPECT_EQ(KR_Zugriffshandle_clonen(nullptr, &h) + KR_Zugriffshandle_clonen(&h, nullptr), 0);
    EXPECT_EQ(KR_Konfig_Datei_oeffnen((d / "fehlt").c_str(), &h), QUIDEL_STATUS_NICHT_LESBAR);
    EXPECT_EQ(std::memcmp(&h, &Leer, sizeof h), 0);
    EXPECT_EQ(KR_Konfig_Datei_oeffnen(d.pfad().string().c_str(), &h), QUIDEL_STATUS_NICHT_LESBAR); // a folder
    // backslashes in a path reach the system as slashes
    ASSERT_EQ(KR_Konfig_Datei_oeffnen((d.pfad().string() + "\\a.cfg").c_str(), &h), 0);
    EXPECT_EQ(h.position, 0);
    EXPECT_EQ(kt::Objekttext(h), inhalt);
    KR_Konfig_Datei_schliessen(&h);

    kt::Datei_schreiben(gross, "x");
    std::error_code ec;
    fs::resize_file(gross, 0x80000000ull, ec); // sparse: one byte past the limit
    if (!ec) {
        EXPECT_EQ(KR_Konfig_Datei_oeffnen(gross.c_str(), &h), QUIDEL_STATUS_ZU_GROSS);
        EXPECT_EQ(h.objekt, 0);
    }
}

// A file source whose file went, or whose path is long.
TEST(Handle, KlonDerDateiquelle)
{
    kt::Tempordner d;
    std::string ordner = d.pfad().string();
    while (ordner.size() < 300)
        ordner += "/verzeichnis";
    fs::create_directories(ordner);
    Zugriffshandle h{}, klon;
    for (const std::string &pfad : {ordner + "/x.cfg", d / "weg.cfg"}) {
        kt::Datei_schreiben(pfad, "xyz");
        ASSERT_EQ(KR_Datei_oeffnen(pfad.c_str(), &h), 0);
        std::error_code ec;
        bool weg = pfad == d / "weg.cfg" && fs::remove(pfad, ec); // not while open on some systems
        std::memset(&klon, 0x5A, sizeof klon);
        EXPECT_EQ(KR_Zugriffshandle_clonen(&h, &klon), weg ? 0 : 1);
        EXPECT_EQ(KR_Zeichen_lesen(weg ? &h : &klon), 'x'); // the open stream still reads
        KR_Konfig_Datei_schliessen(&klon);
        EXPECT_EQ(std::memcmp(&klon, &Leer, sizeof klon), 0);
        KR_Konfig_Datei_schliessen(&h);
    }
}

// No source: nothing read, a take-back blind to it; a callback source gets all three calls, '#' lines raw.
TEST(Handle, OhneQuelleOderMitRueckrufen)
{
    Zugriffshandle h{};
    h.laenge = 10;
    EXPECT_EQ(KR_Zeichen_lesen(nullptr) + KR_positionieren(nullptr, 0) - KR_Zeichen_ruecklesen(nullptr), -2);
    EXPECT_EQ(KR_Zeichen_lesen(&h) - KR_positionieren(&h, 0) - KR_Zeichen_ruecklesen(&h), -1);
    h.position = 2;
    EXPECT_EQ(KR_Zeichen_ruecklesen(&h), 1);
    EXPECT_EQ(h.position, 1);
    char anderer[] = "zzzz";
    h = {};
    h.quelle = const_cast<char *>("a\n#b");
    h.puffer = anderer;
    h.laenge = 4;
    h.lesefunktion = [](Zugriffshandle *z) {
        const char *t = static_cast<const char *>(z->quelle);
        return t[z->position] ? static_cast<unsigned char>(t[z->position++]) : -1;
    };
    h.ruecklesefunktion = [](Zugriffshandle *z) { return z->position > 0 ? (--z->position, 1) : 0; };
    h.positionierfunktion = [](Zugriffshandle *z, unsigned int p) { return z->position = static_cast<int32_t>(p), 1; };
    std::string s;
    for (int c; (c = KR_Zeichen_lesen(&h)) != -1;)
        s += static_cast<char>(c);
    EXPECT_EQ(s + std::to_string(KR_Zeichen_ruecklesen(&h) + KR_positionieren(&h, 77)), "a\n#b2");
    EXPECT_EQ(h.position + h.zeile, 77);
}

} // namespace
