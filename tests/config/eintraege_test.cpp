// Finding and walking the entries of a block, over all three sources.
#include "testhilfe.h"

#include <string>
#include <tuple>

namespace {

using kt::Testhandle;

class Eintraege : public kt::Quellentest {};
KT_ALLE_QUELLEN(Eintraege);

std::string Element(Zugriffshandle *h)
{
    char puffer[64];
    return KR_Element_lesen_2(puffer, sizeof puffer, h) > 0 ? puffer : "<none>";
}

TEST_P(Eintraege, EintragFinden)
{
    const std::string lang(41, 'k'), t = "[a]\nx: 1\ny: 2\n[b]\nz: 3";
    const auto C = KR_Eintrag_finden, I = KR_INI_Eintrag_finden;
    // Each row: text, name, search, the value found (null: not found).
    const std::tuple<std::string, const char *, int (*)(const char *, Zugriffshandle *), const char *> faelle[] = {
        {t, "y", C, "2"}, {t, "Y", C, "2"}, {t, "z", C, nullptr},
        {"[a]\nkey: colon\nkey=ini", "KEY", I, "ini"}, {"[a]\nkey=ini\nkey: colon", "key", C, "colon"},
        {"[a]\nkey: colon", "key", I, nullptr}, {"[a]\n  x: 1\n ; y: 0\n\n\ty: 2", "y", C, "2"},
        {"[a]\n\"y\": 2", "y", C, nullptr}, // a quoted name never matches
        {"[a]\n" + lang + ": 1\ny: 2", lang.c_str(), C, nullptr}, {"[a]\n" + lang + ": 1\ny: 2", "y", C, "2"},
        {"[a]\n" + lang.substr(1) + ": 1", lang.c_str() + 1, C, "1"}, {"[a]", "y", C, nullptr},
    };
    for (const auto &[text, name, suche, wert] : faelle) {
        Testhandle h(GetParam(), text);
        ASSERT_EQ(KR_Abschnitt_finden("a", h.get()), '[') << text;
        EXPECT_EQ(suche(name, h.get()), wert ? 1 : 0) << text;
        if (wert) {
            EXPECT_EQ(Element(h.get()), wert) << text;
        }
    }
    // The search ends before the next header, indented or not.
    Testhandle h(GetParam(), "[a]\nx: 1\n  [b]\nz: 3");
    ASSERT_EQ(KR_Abschnitt_finden("a", h.get()), '[');
    EXPECT_EQ(KR_Eintrag_finden("z", h.get()), 0);
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), '[');
}

// Each walk: the names delivered, each followed by '|'.
template <typename Walker>
std::string Gehen(Zugriffshandle *h, Walker naechster, unsigned short groesse = 41)
{
    std::string namen;
    char puffer[64];
    while (naechster(puffer, groesse, h))
        namen += std::string(puffer) + "|";
    return namen;
}

TEST_P(Eintraege, NaechsterEintrag)
{
    const std::string lang(41, 'k');
    // Each row: text, the names walked.
    const std::pair<std::string, std::string> faelle[] = {
        {"[a]\nx: 1\ny: 2\n[b]\nz: 3", "x|y|"}, {"[a]\n  x: 1\n ; c\n\n word\n\"q r\" s\ny: 2", "x|word|q r|y|"},
        {"[a]\nx: 1\nname=value\ny: 2", "x|"}, // an INI entry ends the walk
        {"[a]\n" + lang.substr(1) + ": 1\n" + lang + ": 2\ny", lang.substr(1) + "|"}, {"[a]", ""},
    };
    for (const auto &[text, namen] : faelle) {
        Testhandle h(GetParam(), text);
        ASSERT_EQ(KR_Abschnitt_finden("a", h.get()), '[');
        EXPECT_EQ(Gehen(h.get(), KR_naechster_Eintrag), namen) << text;
    }

    // Behind a colon entry the value is next; behind a word its terminator.
    Testhandle h(GetParam(), "[a]\nx: 1\nw rest");
    ASSERT_EQ(KR_Abschnitt_finden("a", h.get()), '[');
    char puffer[41];
    EXPECT_EQ(KR_naechster_Eintrag(puffer, sizeof puffer, h.get()), 1);
    EXPECT_EQ(Element(h.get()), "1");
    EXPECT_EQ(KR_naechster_Eintrag(puffer, sizeof puffer, h.get()), 1);
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), ' ');
}

TEST_P(Eintraege, NaechsterINIEintrag)
{
    Testhandle h(GetParam(), "[a]\nx=1\n ; c\n\n y=2\nz: 3\nw=4");
    ASSERT_EQ(KR_Abschnitt_finden("a", h.get()), '[');
    EXPECT_EQ(Gehen(h.get(), KR_naechster_INI_Eintrag), "x|y|"); // a colon entry ends the walk
    Testhandle k(GetParam(), "[a]\nx=1\n[b]\ny=2");
    ASSERT_EQ(KR_Abschnitt_finden("a", k.get()), '[');
    EXPECT_EQ(Gehen(k.get(), KR_naechster_INI_Eintrag), "x|");
    EXPECT_EQ(KR_Zeichen_lesen(k.get()), ']'); // the walk stopped behind the header's name
}

TEST_P(Eintraege, KleinePuffer)
{
    const std::pair<unsigned short, std::string> faelle[] = {
        {0, std::string("###\0", 4)}, {1, std::string("x##\0", 4)}, {2, std::string("x\0#\0", 4)}};
    for (const auto &[groesse, danach] : faelle) {
        Testhandle h(GetParam(), "[a]\nx: 1\n");
        ASSERT_EQ(KR_Abschnitt_finden("a", h.get()), '[');
        char puffer[4] = "###";
        EXPECT_EQ(KR_naechster_Eintrag(puffer, groesse, h.get()), groesse == 2 ? 1 : 0);
        EXPECT_EQ(std::string(puffer, 4), danach);
    }
}

} // namespace
