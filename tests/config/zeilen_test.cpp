// Stepping over lines and reading them, over all three sources.
#include "testhilfe.h"

#include <cstring>
#include <string>
#include <tuple>

namespace {

using kt::Testhandle;

class Zeilen : public kt::Quellentest {};
KT_ALLE_QUELLEN(Zeilen);

constexpr char Frei = '\x7F'; // bytes the reader must not touch

// One line reader on one text: its result, what it stored, what comes next.
struct Fall {
    const char *text;
    unsigned groesse;
    int ergebnis;
    const char *gespeichert; // null: the buffer stays untouched
    int naechstes;
};

template <typename Leser>
void Pruefen(kt::Quelle q, const Fall &f, Leser leser)
{
    Testhandle h(q, f.text);
    char puffer[16];
    std::fill(std::begin(puffer), std::end(puffer), Frei);
    EXPECT_EQ(static_cast<int>(leser(h.get(), puffer, f.groesse)), f.ergebnis) << f.text;
    // Exactly the stored text and its zero byte; every other byte untouched.
    std::string erwartet = f.gespeichert ? std::string(f.gespeichert) + '\0' : "";
    erwartet.append(sizeof puffer - erwartet.size(), Frei);
    EXPECT_EQ(std::string(puffer, sizeof puffer), erwartet) << f.text;
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), f.naechstes) << f.text;
}

TEST_P(Zeilen, NaechsteZeile)
{
    // Each row: text, result, the character read next.
    const std::tuple<const char *, int, int> faelle[] = {
        {"a\n  ; remark\n  x=1", 1, 'x'}, {"last line", 0, -1}, {"", 0, -1}, {"a\r\n\r\n\tb", 1, 'b'},
        {"a\rb", 1, 'b'}, {"a\n\rb", 1, 'b'}, // CR alone, LF CR
        {"a\n;c", 0, -1},                      // only a comment follows
        {"a\n;1\r;2\n b", 1, 'b'},
    };
    for (const auto &[text, ergebnis, naechstes] : faelle) {
        Testhandle h(GetParam(), text);
        EXPECT_EQ(KR_naechste_Zeile(h.get()), ergebnis) << text;
        EXPECT_EQ(KR_Zeichen_lesen(h.get()), naechstes) << text;
    }
}

TEST_P(Zeilen, ZeileLesen)
{
    const Fall faelle[] = {
        {"ab\r\n\r\nc", 16, 6, "ab\r\n\r\n", 'c'}, {"abc\n", 3, 4, "ab", -1}, {"abc", 16, 3, "abc", -1},
        {"ab\n\rc", 16, 4, "ab\n\r", 'c'}, {"a\rb", 16, 2, "a\r", 'b'},
        {"a\n\n\nb", 3, 4, "a\n", 'b'},  // line ends beyond the buffer are counted
        {"abc\n", 1, 4, "", -1}, {"abc\n", 0, 4, nullptr, -1}, {"", 16, 0, nullptr, -1},
    };
    for (const auto &f : faelle)
        Pruefen(GetParam(), f, KR_Zeile_lesen);
}

TEST_P(Zeilen, AbschnittszeileLesen)
{
    const Fall faelle[] = {
        {"[x]\na", 16, 0, nullptr, '['}, {"{x}", 16, 0, nullptr, '{'},
        {"ab\r\rc", 16, 3, "ab", '\r'}, // a second CR is the next (empty) line
        {"abc\nd", 2, 2, "a", 'd'}, {"abc\nd", 1, 1, "", 'd'}, {"abc\nd", 0, 1, nullptr, 'd'},
        {"", 16, 0, nullptr, -1},
    };
    for (const auto &f : faelle)
        Pruefen(GetParam(), f, KR_Abschnittszeile_lesen);
}

TEST_P(Zeilen, AbschnittZeileFuerZeile)
{
    Testhandle h(GetParam(), "a\nbb\r\nc\n\rd\re\n\n[f]");
    std::string zeilen;
    char puffer[8];
    for (unsigned n; (n = KR_Abschnittszeile_lesen(h.get(), puffer, sizeof puffer)) != 0;) {
        EXPECT_EQ(n, std::strlen(puffer) + 1);
        zeilen += std::string(puffer) + "|";
    }
    EXPECT_EQ(zeilen, "a|bb|c|d|e||");
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), '[');

    // The final line end is consumed with its line; then the text has ended.
    Testhandle k(GetParam(), "ab\n");
    EXPECT_EQ(KR_Abschnittszeile_lesen(k.get(), puffer, sizeof puffer), 3u);
    EXPECT_EQ(KR_Abschnittszeile_lesen(k.get(), puffer, sizeof puffer), 0u);
}

TEST(OhneHandle, NichtsGefundenNichtsGeschrieben)
{
    char p[41] = "x";
    int status = 7;
    EXPECT_EQ(KR_naechste_Zeile(nullptr) + KR_Zeile_lesen(nullptr, p, 41) +
                  static_cast<int>(KR_Abschnittszeile_lesen(nullptr, p, 41)) + KR_Abschnitt_finden("a", nullptr) +
                  KR_Klasse_finden(1, 2, nullptr) + KR_Wahre_Klasse_finden(1, nullptr) +
                  KR_naechster_Abschnitt(p, 41, nullptr) + KR_Eintrag_finden("a", nullptr) +
                  KR_INI_Eintrag_finden("a", nullptr) + KR_naechster_Eintrag(p, 41, nullptr) +
                  KR_naechster_INI_Eintrag(p, 41, nullptr) + KR_Abschnitt_loeschen("a", nullptr) +
                  KR_Klasse_loeschen(1, 2, nullptr) + KR_Block_hinzufuegen("x", 1, nullptr),
              0);
    EXPECT_EQ(KR_Element_lesen_2(p, 41, nullptr) + KR_Element_lesen(p, 41, nullptr), 0);
    EXPECT_STREQ(p, "x");
    EXPECT_EQ(KR_naechstes_Symbol(nullptr), -1);
    EXPECT_EQ(KR_Symbol_holen(nullptr, &status), nullptr);
    EXPECT_EQ(status, -1);
}

TEST_P(Zeilen, OhnePufferWirdGezaehlt)
{
    Testhandle h(GetParam(), "abc\r\nde");
    EXPECT_EQ(KR_Zeile_lesen(h.get(), nullptr, 8), 5);
    EXPECT_EQ(KR_Abschnittszeile_lesen(h.get(), nullptr, 8), 1u);
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), -1);
}

} // namespace
