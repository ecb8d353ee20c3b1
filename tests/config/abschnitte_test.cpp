// Finding header lines of sections and classes, over all three sources.
#include "testhilfe.h"

#include <climits>
#include <string>

namespace {

using kt::Testhandle;

class Abschnitte : public kt::Quellentest {};
KT_ALLE_QUELLEN(Abschnitte);

const std::string Name40(40, 'n');
const std::string Name41(41, 'n');

TEST_P(Abschnitte, AbschnittFinden)
{
    const struct {
        std::string text;
        const char *name;
        int ergebnis;
        int naechstes; // after a find: the character that ended the name
    } faelle[] = {
        {"[abc]", "ABC", '[', ']'}, {"x\n{abc}", "abc", '{', '}'},
        {"  [abc]", "abc", 0, -1},              // blanks before the first line's bracket
        {"x\n  [abc]", "abc", '[', ']'},        // later lines are stepped to past blanks
        {"[ abc]\n[abcd]", "abc", 0, -1}, {"[x", "x", '[', -1},
        {"[x\n[abc]", "abc", 0, -1},            // the line end after x is consumed
        {"[\"a]b\"]", "A]B", '[', ']'}, {"[\"a*\"b\"]", "a\"b", '[', ']'},
        {"[\"open", "open", '[', -1},           // quoted name without its closing quote
        {"[]\n[b]", "b", '[', ']'}, {"[a]\rx\r[b]", "b", '[', ']'}, {"[a]\n\r[b]", "b", '[', ']'},
        {"[a]\n; [b]\n[b]", "b", '[', ']'},
        {"[" + Name40 + "]", Name40.c_str(), '[', ']'},
        {"[" + Name41 + "]\n[b]", "b", 0, -1},  // a long name ends the search
        {"", "x", 0, -1},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), f.text);
        EXPECT_EQ(KR_Abschnitt_finden(f.name, h.get()), f.ergebnis) << f.text;
        if (f.ergebnis) {
            EXPECT_EQ(KR_Zeichen_lesen(h.get()), f.naechstes) << f.text;
        }
    }
}

TEST_P(Abschnitte, SucheBeginntAmAnfang)
{
    Testhandle h(GetParam(), "[a]\nk: v\n[b]\n");
    EXPECT_EQ(KR_Abschnitt_finden("b", h.get()), '[');
    EXPECT_EQ(h->elementanfang, 10); // just past the bracket
    EXPECT_EQ(KR_Abschnitt_finden("a", h.get()), '[');
    EXPECT_EQ(KR_Abschnitt_finden("c", h.get()), 0);
}

TEST_P(Abschnitte, KlasseFinden)
{
    const struct {
        std::string text;
        unsigned long gruppe, nummer;
        int ergebnis;
        int naechstes = '}';
    } faelle[] = {
        {"{12.3}", 12, 3, '{'},
        {"x\n[12.3]", 12, 3, '[', ']'}, {"{12.03}", 12, 3, 0},
        {"{ 12.3 } rest", 12, 3, '{', ' '},
        {"{\"12.3\"}", 12, 3, '{'},
        {"[]\n{12.3}", 12, 3, 0},               // a header without a name ends the search
        {"{" + Name41 + "}\n{1.2}", 1, 2, 0},
        {"{" + Name40 + "}\n{1.2}", 1, 2, '{'},
        {"{4294967295.0}", 4294967295ul, 0, '{'},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), f.text);
        EXPECT_EQ(KR_Klasse_finden(f.gruppe, f.nummer, h.get()), f.ergebnis) << f.text;
        if (f.ergebnis) {
            EXPECT_EQ(KR_Zeichen_lesen(h.get()), f.naechstes) << f.text;
        }
    }
}

TEST_P(Abschnitte, KlassennameUeber40Zeichen)
{
    if (sizeof(unsigned long) < 8)
        GTEST_SKIP() << "class names fit 40 characters here";
    // The 41-character name of (ULONG_MAX, ULONG_MAX) cut to 40 must not match.
    std::string name = std::to_string(ULONG_MAX) + "." + std::to_string(ULONG_MAX);
    Testhandle h(GetParam(), "{" + name.substr(0, 40) + "}");
    EXPECT_EQ(KR_Klasse_finden(ULONG_MAX, ULONG_MAX, h.get()), 0);
}

TEST_P(Abschnitte, WahreKlasseFinden)
{
    Testhandle h(GetParam(), "{120.1}\n[12.1]\n{12.7}\n{12.2}");
    EXPECT_EQ(KR_Wahre_Klasse_finden(12, h.get()), 1);
    char name[41];
    EXPECT_EQ(KR_naechster_Abschnitt(name, sizeof name, h.get()), '{');
    EXPECT_STREQ(name, "12.2"); // so the one found was 12.7
    EXPECT_EQ(KR_Wahre_Klasse_finden(120, h.get()), 1);
    EXPECT_EQ(KR_Wahre_Klasse_finden(1, h.get()), 0);

    Testhandle k(GetParam(), "{120.1}\n[12.1]");
    EXPECT_EQ(KR_Wahre_Klasse_finden(12, k.get()), 0);
}

TEST_P(Abschnitte, NaechsterAbschnitt)
{
    Testhandle h(GetParam(), "x: 1\n[a]\n k: v\n  {b} rest\n[\n[" + Name41 + "]\n");
    std::string folge;
    char name[41];
    for (int c; (c = KR_naechster_Abschnitt(name, sizeof name, h.get())) != 0;)
        folge += std::string(1, static_cast<char>(c)) + name + "|";
    EXPECT_EQ(folge, "[a|{b|[|[|"); // no name, and a name too long: empty strings
}

TEST_P(Abschnitte, NaechsterAbschnittKleinePuffer)
{
    // A name that does not fit leaves a zero byte in front; nothing is
    // written past the size.
    const struct {
        int groesse;
        std::string puffer; // all 8 bytes afterwards
        int naechstes;
    } faelle[] = {
        {0, std::string("#######\0", 8), 'a'}, // the name stays unread
        {1, std::string("\0######\0", 8), 'c'}, {4, std::string("\0bcd###\0", 8), -1},
        {5, std::string("abcd\0##\0", 8), ']'},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), "[abcd]");
        char puffer[8] = "#######";
        EXPECT_EQ(KR_naechster_Abschnitt(puffer, f.groesse, h.get()), '[');
        EXPECT_EQ(std::string(puffer, 8), f.puffer) << f.groesse;
        EXPECT_EQ(KR_Zeichen_lesen(h.get()), f.naechstes) << f.groesse;
    }
    Testhandle h(GetParam(), "[abcd]");
    EXPECT_EQ(KR_naechster_Abschnitt(nullptr, 41, h.get()), '[');
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), 'a');
}

} // namespace
