// Argument lines through the C++ layer: typed values by item name, and the
// errors that say why a line or template does not fit.
#include "korvan.hpp"
#include "testhilfe.h"

#include <string>
#include <vector>

namespace {

using Texte = std::vector<std::string>;
using Zahlen = std::vector<int32_t>;

TEST(Argumente, JedeArtVonWert)
{
    auto w = kr::Argumente_lesen("FROM/M,TO/A,QUIET/S,LOUD/S", "a \"b c\" d quiet\n");
    ASSERT_TRUE(w) << w.fehler();
    EXPECT_EQ(*w->liste("from"), (Texte{"a", "b c"}));
    EXPECT_EQ(*w->text("TO"), "d");
    EXPECT_TRUE(*w->schalter("Quiet"));
    EXPECT_FALSE(*w->schalter("LOUD"));
    EXPECT_FALSE(w->gegeben("LOUD"));

    w = kr::Argumente_lesen("NAME=N/K,COUNT/N,V/M/N,X", "n=x -7 1 +2 3");
    ASSERT_TRUE(w) << w.fehler();
    EXPECT_EQ(*w->text("name"), "x");
    EXPECT_EQ(*w->text("N"), "x"); // an alias names the same item
    EXPECT_EQ(*w->zahl("COUNT"), -7);
    EXPECT_EQ(*w->zahlen("V"), (Zahlen{1, 2, 3}));
    EXPECT_FALSE(w->gegeben("X"));
    EXPECT_EQ(w->text("X").fehler(), "X has no value");
    EXPECT_EQ(w->text("X").wert_oder("none"), "none");

    w = kr::Argumente_lesen("CMD/F", "CMD= x ; y");
    ASSERT_TRUE(w);
    EXPECT_EQ(*w->text("CMD"), " x ; y");

    // Nothing given: a list is empty, a switch false.
    w = kr::Argumente_lesen("L/M,S/S,T", "\r\n");
    ASSERT_TRUE(w);
    EXPECT_EQ(*w->liste("L"), Texte{});
    EXPECT_FALSE(*w->schalter("S"));
    EXPECT_EQ(w->posten().size(), 3u);
}

TEST(Argumente, FalscheFrage)
{
    auto w = kr::Argumente_lesen("COUNT/N,S/S,L/M", "1");
    ASSERT_TRUE(w);
    EXPECT_EQ(w->text("COUNT").fehler(), "COUNT is a number item");
    EXPECT_EQ(w->zahl("S").fehler(), "S is a switch item");
    EXPECT_EQ(w->zahlen("L").fehler(), "L is a list item");
    EXPECT_EQ(w->liste("COUNT").fehler(), "COUNT is a number item");
    EXPECT_EQ(w->schalter("COUNT").fehler(), "COUNT is a number item");
    EXPECT_EQ(w->schalter("CO").fehler(), "the template has no item CO"); // names are matched whole
    EXPECT_FALSE(w->gegeben("nothing"));
}

TEST(Argumente, FalscheVorlage)
{
    std::string hundert;
    for (int i = 0; i < 101; ++i)
        hundert += "I" + std::to_string(i) + ",";
    const struct {
        std::string vorlage;
        std::string fehler;
    } faelle[] = {
        {"A,B/X", "template item 2 (B): unknown option letter 'X'"},
        {"A/", "template item 1 (A): '/' without an option letter"},
        {"A/M,B/M", "template item 2 (B): a second item with M and without K (the first is A)"},
        {"NAME/K=ALIAS", "template item 1 (NAME): '=' after an option letter (names and aliases come before the options)"},
        {"A/K ", "template item 1 (A): ' ' after an option letter (names and aliases come before the options)"},
        {"A/M/S", "template item 1 (A): M cannot go with S or F"},
        {hundert, "the template has more than 100 items"},
        {std::string("A\0", 2), "the template holds a zero byte"},
    };
    for (const auto &f : faelle)
        EXPECT_EQ(kr::Argumente_lesen(f.vorlage, "x").fehler(), f.fehler) << f.vorlage;
    EXPECT_TRUE(kr::Argumente_lesen(hundert.substr(0, hundert.size() - 5), "x"));
    EXPECT_TRUE(kr::Argumente_lesen("A/M/K,B/M", "x"));
    EXPECT_TRUE(kr::Argumente_lesen(",X", "y"));
}

TEST(Argumente, ZeileDieNichtPasst)
{
    const std::string x255(255, 'x');
    const struct {
        std::string vorlage;
        std::string zeile;
        std::string fehler;
    } faelle[] = {
        {"FROM/M,TO/A", "", "required item without a value: TO"},
        {"FROM/M/A,TO/A", "a", "required item without a value: FROM"},
        {"A/A,B/K,C/A", "b=1", "required item without a value: A, C"},
        {"COUNT/N", "4x", "COUNT: \"4x\" is not a whole number from -2147483648 to 2147483647"},
        {"COUNT/N/A", "2147483648", "COUNT: \"2147483648\" is not a whole number from -2147483648 to 2147483647"},
        {"NAME/K,Y", "q name", "the keyword NAME has no value"},
        {"NAME/K", "NAME= ;", "the keyword NAME has no value"},
        {"A", x255 + "x", "an element of 256 characters; the reader takes at most 255"},
        {"CMD/F", "cmd " + x255, "the rest of the line for CMD is longer than 254 characters"},
        {"CMD/F", std::string(127, 'x') + " " + std::string(127, 'y'),
         "the rest of the line for CMD may be longer than 254 characters"},
        {"A", "a b\nc", "the argument text holds more than one line"},
        {"A", std::string("a\0", 2), "the argument line holds a zero byte"},
        {"A", x255 + x255 + "xxx", "the argument line is longer than 512 characters"},
    };
    for (const auto &f : faelle)
        EXPECT_EQ(kr::Argumente_lesen(f.vorlage, f.zeile).fehler(), f.fehler) << f.vorlage << " " << f.zeile;

    std::string viele;
    for (int i = 0; i < 129; ++i)
        viele += "v ";
    EXPECT_EQ(kr::Argumente_lesen("L/M", viele).fehler(), "more than 128 values");
    EXPECT_TRUE(kr::Argumente_lesen("L/M", viele.substr(2)));

    // The bounds themselves fit.
    EXPECT_TRUE(kr::Argumente_lesen("A,B", x255 + " " + x255 + " "));
    EXPECT_TRUE(kr::Argumente_lesen("CMD/F", "cmd " + x255.substr(1)));
    EXPECT_TRUE(kr::Argumente_lesen("NAME/K", "name " + x255 + "x")); // a keyword's value may be longer
}

TEST(Argumente, BesitzerDesSatzes)
{
    kr::Argumente a;
    auto w = a.lesen("A,B/N", "x 5");
    ASSERT_TRUE(w);
    // The record keeps the values of the last line until the next one.
    EXPECT_STREQ(static_cast<const char *>(a.werte()[0]), "x");
    EXPECT_NE(a.satz()->speicher, nullptr);

    kr::Argumente b = std::move(a);
    EXPECT_EQ(a.satz()->speicher, nullptr);
    EXPECT_STREQ(static_cast<const char *>(b.werte()[0]), "x");
    EXPECT_FALSE(b.lesen("A,B/N", "x y"));
    EXPECT_EQ(b.satz()->speicher, nullptr); // a failed line leaves nothing behind
    w = b.lesen("A,B/N", "y 6");
    ASSERT_TRUE(w);
    EXPECT_EQ(*w->zahl("B"), 6);
    a = std::move(b);
    EXPECT_EQ(*reinterpret_cast<int32_t *>(a.werte()[1]), 6);
}

} // namespace
