// Reading with the C++ layer: argument lines as typed values by name, blocks and entries over all sources.
#include "korvan.hpp"
#include "testhilfe.h"

namespace {

std::string Txt(const std::string &s) { return s; }
std::string Txt(bool b) { return b ? "1" : "0"; }
std::string Txt(int32_t z) { return std::to_string(z); }
template <typename T> std::string Txt(const std::vector<T> &l)
{
    std::string s;
    for (const T &x : l)
        s += (s.empty() ? "" : "|") + Txt(x);
    return "[" + s + "]";
}
// A value as text, or "!" and the error.
template <typename T> std::string S(const kr::Ergebnis<T> &e) { return e ? Txt(*e) : "!" + e.fehler(); }

TEST(Argumente, WerteNachNamen)
{
    auto w = kr::Argumente_lesen("FROM/M,TO/A,QUIET/S,LOUD/S", "a \"b c\" d quiet\n");
    ASSERT_TRUE(w) << w.fehler();
    EXPECT_EQ(S(w->liste("from")) + S(w->text("TO")) + S(w->schalter("Quiet")) + S(w->schalter("LOUD")), "[a|b c]d10");
    EXPECT_FALSE(w->gegeben("LOUD"));
    w = kr::Argumente_lesen("NAME=N/K,COUNT/N,V/M/N,X", "n=x -7 1 +2 3");
    ASSERT_TRUE(w) << w.fehler();
    EXPECT_EQ(S(w->text("name")) + S(w->text("N")) + S(w->zahl("COUNT")) + S(w->zahlen("V")), "xx-7[1|2|3]");
    EXPECT_FALSE(w->gegeben("X"));
    EXPECT_EQ(S(w->text("X")), "!X has no value");
    EXPECT_EQ(w->text("X").wert_oder("none"), "none");
    EXPECT_EQ(S(kr::Argumente_lesen("CMD/F", "CMD= x ; y")->text("CMD")), " x ; y");
    w = kr::Argumente_lesen("L/M,S/S,T", "\r\n"); // nothing given: a list is empty, a switch false
    ASSERT_TRUE(w);
    EXPECT_EQ(S(w->liste("L")) + S(w->schalter("S")) + std::to_string(w->posten().size()), "[]03");
    // The question must fit the item; names are matched whole.
    w = kr::Argumente_lesen("COUNT/N,S/S,L/M", "1");
    EXPECT_EQ(S(w->text("COUNT")) + S(w->zahl("S")) + S(w->zahlen("L")) + S(w->liste("COUNT")) + S(w->schalter("CO")),
              "!COUNT is a number item!S is a switch item!L is a list item!COUNT is a number item"
              "!the template has no item CO");
    EXPECT_FALSE(w->gegeben("nothing"));
}

TEST(Argumente, FehlerDerVorlageUndZeile)
{
    std::string hundert, viele, x255(255, 'x');
    for (int i = 0; i < 101; ++i)
        hundert += "I" + std::to_string(i) + ",";
    for (int i = 0; i < 129; ++i)
        viele += "v ";
    const std::string zahl = "is not a whole number from -2147483648 to 2147483647", vor = "template item 1 (A): ";
    const std::string rest = "the rest of the line for CMD ";
    const struct { std::string vorlage, zeile, fehler; } faelle[] = {
        {"A,B/X", "x", "template item 2 (B): unknown option letter 'X'"},
        {"A/", "x", vor + "'/' without an option letter"},
        {"A/M,B/M", "x", "template item 2 (B): a second item with M and without K (the first is A)"},
        {"NAME/K=ALIAS", "x",
         "template item 1 (NAME): '=' after an option letter (names and aliases come before the options)"},
        {"A/M/S", "x", vor + "M cannot go with S or F"}, {hundert, "x", "the template has more than 100 items"},
        {"V/M,R/F/N/A", "1 -1", "template item 2 (R): F cannot go with N"},
        {std::string("A\0", 2), "x", "the template holds a zero byte"},
        {"FROM/M/A,TO/A", "a", "required item without a value: FROM"},
        {"A/A,B/K,C/A", "b=1", "required item without a value: A, C"}, {"COUNT/N", "4x", "COUNT: \"4x\" " + zahl},
        {"COUNT/N/A", "2147483648", "COUNT: \"2147483648\" " + zahl}, {"NAME/K,Y", "q name", "the keyword NAME has no value"},
        {"A", x255 + "x", "an element of 256 characters; the reader takes at most 255"},
        {"CMD/F", "cmd " + x255, rest + "is longer than 254 characters"},
        {"CMD/F", std::string(127, 'x') + " " + std::string(127, 'y'), rest + "may be longer than 254 characters"},
        {"A", "a b\nc", "the argument text holds more than one line"},
        {"A", std::string("a\0", 2), "the argument line holds a zero byte"},
        {"A", x255 + x255 + "xxx", "the argument line is longer than 512 characters"}, {"L/M", viele, "more than 128 values"},
        // The bounds themselves fit; a keyword's value may be longer.
        {hundert.substr(0, hundert.size() - 5), "x", ""}, {"A/M/K,B/M", "x", ""}, {",X", "y", ""},
        {"L/M", viele.substr(2), ""}, {"A,B", x255 + " " + x255 + " ", ""}, {"CMD/F", "cmd " + x255.substr(1), ""},
        {"NAME/K", "name " + x255 + "x", ""},
    };
    for (const auto &f : faelle) {
        auto w = kr::Argumente_lesen(f.vorlage, f.zeile);
        EXPECT_EQ(w ? "" : w.fehler(), f.fehler) << f.vorlage << " " << f.zeile;
    }
}

TEST(Argumente, BesitzerDesSatzes)
{
    kr::Argumente a;
    ASSERT_TRUE(a.lesen("A,B/N", "x 5"));
    // The record keeps the values of the last line until the next one.
    EXPECT_STREQ(static_cast<const char *>(a.werte()[0]), "x");
    EXPECT_NE(a.satz()->speicher, nullptr);
    kr::Argumente b = std::move(a);
    EXPECT_EQ(a.satz()->speicher, nullptr);
    EXPECT_STREQ(static_cast<const char *>(b.werte()[0]), "x");
    EXPECT_FALSE(b.lesen("A,B/N", "x y"));
    EXPECT_EQ(b.satz()->speicher, nullptr); // a failed line leaves nothing behind
    EXPECT_EQ(S(b.lesen("A,B/N", "y 6")->zahl("B")), "6");
    a = std::move(b);
    EXPECT_EQ(*reinterpret_cast<int32_t *>(a.werte()[1]), 6);
}

// Blocks "[name] @line", entries "  line name: text" or "  line name=text"; `alles`: "|element|value|kind".
std::string Gliederung(Zugriffshandle *h, bool alles = false)
{
    kr::Blockleser leser(h);
    std::string s;
    while (auto b = leser.naechster()) {
        s += b->klammer + b->name + (b->klammer == '[' ? "]" : "}") + " @" + std::to_string(b->zeile) + "\n";
        for (const kr::Eintrag &e : b->eintraege)
            s += "  " + std::to_string(e.zeile) + " " + e.name + (e.art == kr::Eintragsart::INI ? "=" : ": ") + e.text +
                 (alles ? "|" + e.element + "|" + e.wert + "|" + std::to_string(static_cast<int>(e.elementart)) : "") + "\n";
    }
    EXPECT_EQ(leser.fehler(), "");
    return s;
}

class Bloecke : public kt::Quellentest {};
KT_ALLE_QUELLEN(Bloecke);

TEST_P(Bloecke, KeineZeileUndKeinKopfGehtVerloren)
{
    const std::string lang(1000, 'v'), name(1000, 'n');
    const std::pair<std::string, std::string> faelle[] = {
        // A value right before the next header; INI entries before a header.
        {"[a]\nx: 1\n[b]\ny: 2\n", "[a] @1\n  2 x: 1\n[b] @3\n  4 y: 2\n"},
        {"[a]\nk=v\n  [b]\n\tk2=v2\n", "[a] @1\n  2 k=v\n[b] @3\n  4 k2=v2\n"},
        // Non-entries do not end the block; blanks before ':' or '=' make none; quoted names before ':', '='.
        {"[a]\nk=1\njust words\n\"q\" w\n\"d\" : 3\n; c\n\nk2: 2\n,\n]x: 3\n", "[a] @1\n  2 k=1\n  8 k2: 2\n  10 x: 3\n"},
        {"[a]\nk = 1\nk : 2\nk=3", "[a] @1\n  4 k=3\n"}, {"[a]\n\"a b\": 1\n\"c\"=2\n", "[a] @1\n  2 a b: 1\n  3 c=2\n"},
        // Line ends of every kind, and empty lines counted.
        {"[a]\rx: 1\ry=2\r\r[b]\rz: 3", "[a] @1\n  2 x: 1\n  3 y=2\n[b] @5\n  6 z: 3\n"},
        {"[a]\n\rx: 1\n\r\n\ry: 2\n\r[b]", "[a] @1\n  2 x: 1\n  4 y: 2\n[b] @5\n"},
        // Text before the first header belongs to no block; a class header.
        {"k: 0\n[a]\nk: 1", "[a] @2\n  3 k: 1\n"}, {"  [a]\nk: 0\n {12.3}\nk: 1", "{12.3} @3\n  4 k: 1\n"},
        // Header names: blanks kept, the rest of the line ignored, quoted names decoded, no closing bracket.
        {"[ server one ] ; x\n[\"a]*\"b\"] rest\n[x\n{y", "[ server one ] @1\n[a]\"b] @2\n[x] @3\n{y} @4\n"},
        // Comment lines count as lines; '#' after a CR alone or after LF CR is ordinary.
        {"[a]\n#k: hidden\nx: 1\n#[b]\ny: 2\n", "[a] @1\n  3 x: 1\n  5 y: 2\n"}, {"[a]\r#k: 1", "[a] @1\n  2 #k: 1\n"},
        {"[a]\n\r#k: 1", "[a] @1\n  2 #k: 1\n"},
        // Text, first element, value; a quoted string takes in lines to its closing quote, never a header.
        {"[a]\nk: \"a b\"  \t\nk:\t a b \nk: \"a\" b\nk: \"x*Ny*Ez\"\nk: ; nothing\nk:\nk: \"open\n",
         "[a] @1\n  2 k: \"a b\"|a b|a b|2\n  3 k: a b|a|a b|1\n  4 k: \"a\" b|a|\"a\" b|2\n"
         "  5 k: \"x*Ny*Ez\"|x\ny\x1bz|x\ny\x1bz|2\n  6 k: ; nothing||; nothing|0\n  7 k: |||0\n  8 k: \"open|open|open|2\n"},
        {"[a]\nk: \"x\n; y\n\nz\" rest\nn: 1\nm: \"open\n[b]\nq: 2\n",
         "[a] @1\n  2 k: \"x\n; y\n\nz\" rest|x\n; y\n\nz|\"x\n; y\n\nz\" rest|2\n  6 n: 1|1|1|1\n"
         "  7 m: \"open|open|open|2\n[b] @8\n  9 q: 2|2|2|1\n"},
        // Names and values of any length; the next header is found behind them.
        {"[" + name + "]\n" + name + ": " + lang + "\nq: \"" + lang + "*\"\"\nw=" + lang + " x\n{k}\n",
         "[" + name + "] @1\n  2 " + name + ": " + lang + "|" + lang + "|" + lang + "|1\n  3 q: \"" + lang + "*\"\"|" + lang +
             "\"|" + lang + "\"|2\n  4 w=" + lang + " x|" + lang + "|" + lang + " x|1\n{k} @5\n"},
    };
    for (const auto &[text, gliederung] : faelle) {
        kt::Testhandle h(GetParam(), text);
        EXPECT_EQ(Gliederung(h.get(), gliederung.find('|') != std::string::npos), gliederung) << text;
    }
    // Raw reading in between does not disturb the next walk.
    kt::Testhandle h(GetParam(), "[a]\nx: 1\n\n#c\n[b]\ny: 2\n");
    const std::string erwartet = "[a] @1\n  2 x: 1\n[b] @5\n  6 y: 2\n";
    EXPECT_EQ(Gliederung(h.get()), erwartet);
    EXPECT_EQ(KR_Abschnitt_finden("b", h.get()), '[');
    EXPECT_EQ(Gliederung(h.get()), erwartet);
}

TEST(Bloecke, OhneText)
{
    Zugriffshandle h{};
    kr::Blockleser leser(&h);
    EXPECT_FALSE(leser.naechster());
    EXPECT_EQ(leser.fehler(), "the handle has no text to read");
    EXPECT_FALSE(kr::Blockleser(nullptr).naechster());
}

} // namespace
