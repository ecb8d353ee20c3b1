// The element readers over all three sources.
#include "testhilfe.h"

#include <string>

namespace {

using kt::Testhandle;

class Element : public kt::Quellentest {};
KT_ALLE_QUELLEN(Element);

struct Fall {
    const char *text;
    int groesse;
    int ergebnis;
    const char *element; // stored text (checked when the result is not -1 or 0)
    int naechstes;       // the next character read afterwards
};

void Pruefen(kt::Quelle q, const Fall &f, int (*leser)(char *, int, Zugriffshandle *))
{
    Testhandle h(q, f.text);
    char puffer[64];
    std::fill(std::begin(puffer), std::end(puffer), '\x7F');
    int r = leser(puffer, f.groesse, h.get());
    EXPECT_EQ(r, f.ergebnis) << f.text;
    if (r > 0) {
        EXPECT_STREQ(puffer, f.element) << f.text;
    }
    if (f.groesse >= 0 && f.groesse < 64) {
        EXPECT_EQ(puffer[f.groesse], '\x7F') << "written past the buffer: " << f.text;
    }
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), f.naechstes) << f.text;
}

TEST_P(Element, Konfiguration)
{
    const Fall faelle[] = {
        {"  name: value", 64, 1, "name", ':'}, {"key=v", 64, 2, "key", '='},
        {"]value}", 64, 6, "value", '}'},
        {"[sec]", 64, 5, "[sec", ']'}, {"word rest", 64, 3, "word", ' '}, {"a;b", 64, 3, "a", ';'},
        {"a\"b\"", 64, 3, "a\"b\"", -1}, {"\"a*\"b*Nc\" x", 64, 4, "a\"b\nc", ' '},
        {"\"x*Ey*ez\"", 64, 4, "x\x1By\x1Bz", -1}, {"\"**\"", 64, 4, "**", -1}, {"\"*q\"", 64, 4, "*q", -1},
        {"\"ab*", 64, 4, "ab*", -1},      // '*' as the last byte
        {"\"open\nline", 64, 4, "open\nline", -1}, {"\"a\"\"b\"", 64, 4, "a", '"'},
        {"; remark", 64, 0, "", ';'}, {"  \r\nx", 64, 0, "", '\r'}, {"\nx", 64, 0, "", '\n'},
        {"", 64, 0, "", -1},
        {", : = ] } x", 64, 3, "x", -1},
        {"abcd ", 4, -1, "", -1},    // the terminator was read
        {"abc ", 4, 3, "abc", ' '}, {"\"abc\" ", 3, -1, "", -1}, {"\"ab\" ", 3, 4, "ab", ' '},
        {"x", 0, -1, "", -1}, {"x", 1, -1, "", -1}, {"x", 2, 3, "x", -1},
    };
    for (const auto &f : faelle)
        Pruefen(GetParam(), f, KR_Element_lesen_2);
}

TEST_P(Element, Argumente)
{
    const Fall faelle[] = {
        {"  name: value", 64, 3, "name:", ' '}, {"key=v", 64, 2, "key", '='},
        {"a]b}c[d{ x", 64, 3, "a]b}c[d{", ' '}, {"= , x", 64, 3, "x", -1}, {": x", 64, 3, ":", ' '},
        {"a;b", 64, 3, "a", ';'}, {";b", 64, 0, "", ';'}, {"\"q r\"", 64, 4, "q r", -1},
    };
    for (const auto &f : faelle)
        Pruefen(GetParam(), f, KR_Element_lesen);
}

TEST_P(Element, AnfangWirdVermerkt)
{
    Testhandle h(GetParam(), "  abc \"de\"");
    char puffer[16];
    EXPECT_EQ(KR_Element_lesen_2(puffer, sizeof puffer, h.get()), 3);
    EXPECT_EQ(h->elementanfang, 3);
    EXPECT_EQ(KR_Element_lesen_2(puffer, sizeof puffer, h.get()), 4);
    EXPECT_EQ(h->elementanfang, 7); // past the opening quote: the text's first byte
}

} // namespace
