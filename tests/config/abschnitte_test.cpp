// Finding header lines of sections and classes, over all three sources.
#include "testhilfe.h"

#include <climits>
#include <string>
#include <tuple>

namespace {

using kt::Testhandle;

class Abschnitte : public kt::Quellentest {};
KT_ALLE_QUELLEN(Abschnitte);

const std::string Name40(40, 'n');
const std::string Name41(41, 'n');

// A search on a fresh handle: its result, and after a find the character
// that ended the name.
template <typename Suche> void Pruefen(kt::Quelle q, const std::string &text, Suche suche, int ergebnis, int naechstes)
{
    Testhandle h(q, text);
    EXPECT_EQ(suche(h.get()), ergebnis) << text;
    if (ergebnis) {
        EXPECT_EQ(KR_Zeichen_lesen(h.get()), naechstes) << text;
    }
}

TEST_P(Abschnitte, AbschnittFinden)
{
    // Each row: text, name, result, the character after the name.
    const std::tuple<std::string, const char *, int, int> faelle[] = {
        {"[abc]", "ABC", '[', ']'}, {"x\n{abc}", "abc", '{', '}'},
        {"  [abc]", "abc", 0, 0},        // blanks before the first line's bracket
        {"x\n  [abc]", "abc", '[', ']'}, // later lines are stepped to past blanks
        {"[ abc]\n[abcd]", "abc", 0, 0}, {"[x", "x", '[', -1},
        {"[x\n[abc]", "abc", 0, 0},      // the line end after x is consumed
        {"[\"a]b\"]", "A]B", '[', ']'}, {"[\"a*\"b\"]", "a\"b", '[', ']'},
        {"[\"open", "open", '[', -1},    // quoted name without its closing quote
        {"[]\n[b]", "b", '[', ']'}, {"[a]\n; [b]\n[b]", "b", '[', ']'}, {"[" + Name40 + "]", Name40.c_str(), '[', ']'},
        {"[" + Name41 + "]\n[b]", "b", 0, 0}, // a long name ends the search
        {"", "x", 0, 0},
    };
    for (const auto &[text, name, ergebnis, naechstes] : faelle)
        Pruefen(GetParam(), text, [n = name](Zugriffshandle *h) { return KR_Abschnitt_finden(n, h); }, ergebnis,
                naechstes);

    // Each search starts from the beginning and marks where the name starts.
    Testhandle h(GetParam(), "[a]\nk: v\n[b]\n");
    EXPECT_EQ(KR_Abschnitt_finden("b", h.get()), '[');
    EXPECT_EQ(h->elementanfang, 10); // just past the bracket
    EXPECT_EQ(KR_Abschnitt_finden("a", h.get()), '[');
}

TEST_P(Abschnitte, KlasseFinden)
{
    // Each row: text, group, number, result, the character after the name.
    const std::tuple<std::string, unsigned long, unsigned long, int, int> faelle[] = {
        {"{12.3}", 12, 3, '{', '}'}, {"x\n[12.3]", 12, 3, '[', ']'}, {"{12.03}", 12, 3, 0, 0},
        {"{ 12.3 } rest", 12, 3, '{', ' '}, {"{\"12.3\"}", 12, 3, '{', '}'},
        {"[]\n{12.3}", 12, 3, 0, 0}, // a header without a name ends the search
        {"{" + Name41 + "}\n{1.2}", 1, 2, 0, 0}, {"{" + Name40 + "}\n{1.2}", 1, 2, '{', '}'},
        {"{4294967295.0}", 4294967295ul, 0, '{', '}'},
    };
    for (const auto &[text, g, n, ergebnis, naechstes] : faelle)
        Pruefen(GetParam(), text, [g = g, n = n](Zugriffshandle *h) { return KR_Klasse_finden(g, n, h); }, ergebnis,
                naechstes);
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
    Testhandle k(GetParam(), "{120.1}\n[12.1]"); // '[' opens no class
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

    // A name that does not fit leaves a zero byte in front; nothing is
    // written past the size.  Each row: size, all 8 bytes afterwards, the
    // character read next.
    const std::tuple<int, std::string, int> faelle[] = {
        {0, std::string("#######\0", 8), 'a'}, // the name stays unread
        {1, std::string("\0######\0", 8), 'c'}, {4, std::string("\0bcd###\0", 8), -1},
        {5, std::string("abcd\0##\0", 8), ']'},
    };
    for (const auto &[groesse, danach, naechstes] : faelle) {
        Testhandle k(GetParam(), "[abcd]");
        char puffer[8] = "#######";
        EXPECT_EQ(KR_naechster_Abschnitt(puffer, groesse, k.get()), '[');
        EXPECT_EQ(std::string(puffer, 8), danach) << groesse;
        EXPECT_EQ(KR_Zeichen_lesen(k.get()), naechstes) << groesse;
    }
    Testhandle k(GetParam(), "[abcd]");
    EXPECT_EQ(KR_naechster_Abschnitt(nullptr, 41, k.get()), '[');
    EXPECT_EQ(KR_Zeichen_lesen(k.get()), 'a');
}

} // namespace
