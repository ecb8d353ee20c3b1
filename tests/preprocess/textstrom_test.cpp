// The platform's streams as the preprocessor reads them: chunks like fgets,
// text mode, byte positions that a reopened stream resumes from.
#include "platform/plattform.h"
#include "testhilfe.h"

#include <string>

namespace {

struct Strom {
    Plattform_Strom *s;
    Strom(const std::string &pfad, Strommodus modus) : s(Strom_oeffnen(pfad.c_str(), modus)) {}
    ~Strom()
    {
        if (s)
            Strom_schliessen(s);
    }
    std::string zeile(size_t n = 520)
    {
        std::string puffer(n, '\x7F');
        size_t r = Strom_Zeile(s, puffer.data(), n);
        EXPECT_EQ(puffer[r], '\0');
        return puffer.substr(0, r);
    }
};

TEST(Textstrom, ZeilenendenUndSteuerZ)
{
    kt::Tempordner d;
    kt::Datei_schreiben(d / "t", "a\r\nb\rc\r\r\nd\x1A" "e\n");
    Strom t(d / "t", Strommodus::lesen_text);
    ASSERT_NE(t.s, nullptr);
    EXPECT_EQ(t.zeile(), "a\n");
    EXPECT_EQ(Strom_Position(t.s), 3);
    EXPECT_EQ(t.zeile(), "b\rc\r\n");
    EXPECT_EQ(Strom_Position(t.s), 9);
    EXPECT_FALSE(Strom_Ende(t.s));
    EXPECT_EQ(t.zeile(), "d");
    EXPECT_TRUE(Strom_Ende(t.s));
    EXPECT_EQ(t.zeile(), "");
    EXPECT_FALSE(Strom_Fehler(t.s));

    Strom b(d / "t", Strommodus::lesen_binaer);
    EXPECT_EQ(b.zeile(), "a\r\n");
    EXPECT_EQ(b.zeile(), std::string("b\rc\r\r\n", 6));
    EXPECT_EQ(b.zeile(), std::string("d\x1A" "e\n", 4));
}

TEST(Textstrom, WiederoeffnenAnDerGemerktenStelle)
{
    kt::Tempordner d;
    kt::Datei_schreiben(d / "t", "eins\r\nzwei\r\ndrei\n");
    int64_t position;
    {
        Strom b(d / "t", Strommodus::lesen_binaer);
        EXPECT_EQ(b.zeile(), "eins\r\n");
        position = Strom_Position(b.s);
    }
    Strom t(d / "t", Strommodus::lesen_text);
    ASSERT_EQ(Strom_setzen(t.s, position), 0);
    EXPECT_EQ(t.zeile(), "zwei\n");
    position = Strom_Position(t.s);
    EXPECT_EQ(position, 12);
    Strom t2(d / "t", Strommodus::lesen_text);
    ASSERT_EQ(Strom_setzen(t2.s, position), 0);
    EXPECT_EQ(t2.zeile(), "drei\n");
}

TEST(Textstrom, StueckgrenzeMitZeilenende)
{
    kt::Tempordner d;
    kt::Datei_schreiben(d / "t", "abcdef\nab\r\nx");
    Strom t(d / "t", Strommodus::lesen_text);
    EXPECT_EQ(t.zeile(4), "abc");
    EXPECT_EQ(Strom_Position(t.s), 3);
    EXPECT_EQ(t.zeile(4), "def");
    EXPECT_EQ(t.zeile(4), "\n");
    // CR LF at the limit arrives as one LF.
    EXPECT_EQ(t.zeile(4), "ab\n");
    EXPECT_EQ(Strom_Position(t.s), 11);
    EXPECT_EQ(t.zeile(4), "x");
    EXPECT_TRUE(Strom_Ende(t.s));
}

TEST(Textstrom, OrdnerOeffnetNicht)
{
    kt::Tempordner d;
    EXPECT_EQ(Strom_oeffnen(d.pfad().c_str(), Strommodus::lesen_binaer), nullptr);
    EXPECT_EQ(Strom_oeffnen(d.pfad().c_str(), Strommodus::lesen_text), nullptr);
    EXPECT_EQ(Strom_oeffnen(d.pfad().c_str(), Strommodus::schreiben_binaer), nullptr);
}

} // namespace
