// Reading text as symbols, over all three sources.
#include "testhilfe.h"

#include <string>

namespace {

using kt::Testhandle;

class Symbole : public kt::Quellentest {};
KT_ALLE_QUELLEN(Symbole);

// The whole symbol sequence of a text: words as w(...), quoted strings as
// q(...), line breaks as |, a symbol too long as !; up to the end or -1.
std::string Folge(Testhandle &h, char *puffer, int groesse)
{
    h->symbolpuffer = puffer;
    h->symbolgroesse = groesse;
    std::string folge;
    for (int n = 0; n < 20; ++n) {
        int r = KR_naechstes_Symbol(h.get());
        EXPECT_EQ(h->symbolstatus, r);
        switch (r) {
        case -1: return folge + "!";
        case 0: return folge;
        case 1: folge += "|"; break;
        case 2: folge += "w(" + std::string(puffer) + ")"; break;
        case 3: folge += "q(" + std::string(puffer) + ")"; break;
        default: return folge + "?";
        }
    }
    return folge + "...";
}

TEST_P(Symbole, Folgen)
{
    // Each row: text, its symbols.
    const std::pair<const char *, const char *> faelle[] = {
        {"a b\nc", "w(a)w(b)|w(c)"},
        {"x=1,y\n", "w(x=1,y)"},                     // no line break before the end
        {"a ; remark\nb", "w(a)|w(b)"}, {"a\n;1\n;2\nb", "w(a)||w(b)"}, {"a\r\rb", "w(a)|w(b)"},
        {"a\n\rb\r\nc", "w(a)|w(b)|w(c)"}, {"(abc", "w((abc)"}, {"( x", "w(()w(x)"}, {"(* c *) abc", "|w(abc)"},
        {"(* a **) b *) c", "|w(c)"},             // "**)" does not close the comment
        {"(* one\ntwo *)\nx", "|w(x)"},
        {"(*x*)abc d", "|w(d)"},                   // the word right after a comment is dropped
        {"a (* open", "w(a)"},                     // the text ends inside the comment
        {"a (* open *", "w(a)"}, {"\"q r\" \"x*\"y\"", "q(q r)q(x\"y)"},
        {"k: [v] {w}", "w(k:)w([v])w({w})"},
        {"#x\nb", "w(#x)|w(b)"},                   // '#' in the first byte is no comment
        {"a\n#c\nb", "w(a)|w(b)"},                 // removed by the reader, or skipped here
        {"a\n #c", "w(a)|w(#c)"},                  // an indented '#' is no comment
        {"a ;", "w(a)"}, {"", ""},
    };
    for (const auto &[text, folge] : faelle) {
        Testhandle h(GetParam(), text);
        char puffer[16];
        EXPECT_EQ(Folge(h, puffer, sizeof puffer), folge) << text;
    }
}

TEST_P(Symbole, Grenzen)
{
    const struct {
        const char *text;
        int groesse;
        const char *folge;
    } faelle[] = {
        {"abc", 4, "w(abc)"}, {"abcd", 4, "!"}, {"\"abc\"", 4, "q(abc)"}, {"\"abcd\"", 4, "!"},
        {"(*c*) abcd", 4, "|!"}, {"(", 0, "!"}, {"(", 1, "!"}, {"(", 2, "w(()"}, {"a", 0, "!"},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), f.text);
        char puffer[8] = "#######";
        EXPECT_EQ(Folge(h, puffer, f.groesse), f.folge) << f.text;
        EXPECT_EQ(std::string(puffer + f.groesse, 8 - f.groesse), std::string("#######\0", 8).substr(f.groesse))
            << "written past the buffer: " << f.text;
    }
}

TEST_P(Symbole, SymbolHolen)
{
    Testhandle h(GetParam(), "abcdef");
    int status = 7;
    EXPECT_EQ(KR_Symbol_holen(h.get(), &status), nullptr); // no buffer yet
    EXPECT_EQ(status, -1);
    EXPECT_EQ(KR_naechstes_Symbol(h.get()), -1);

    char puffer[4];
    h->symbolpuffer = puffer;
    h->symbolgroesse = sizeof puffer;
    EXPECT_EQ(KR_Symbol_holen(h.get(), &status), nullptr); // before any symbol
    EXPECT_EQ(status, 0);
    EXPECT_EQ(KR_naechstes_Symbol(h.get()), -1);
    EXPECT_EQ(KR_Symbol_holen(h.get(), &status), puffer);
    EXPECT_EQ(status, -1);
    EXPECT_EQ(KR_Symbol_holen(h.get(), nullptr), puffer);
}

} // namespace
