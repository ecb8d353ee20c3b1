// Reading, taking back and positioning characters over memory sources, and
// the counting that the file source shares with them.
#include "testhilfe.h"

#include <string>
#include <vector>

namespace {

using kt::Quelle;
using kt::Testhandle;

class Speicherquellen : public kt::Quellentest {};
INSTANTIATE_TEST_SUITE_P(Quellen, Speicherquellen, ::testing::Values(Quelle::Puffer, Quelle::Objekt),
                         kt::Quellen_Testname);
class AlleQuellen : public kt::Quellentest {};
KT_ALLE_QUELLEN(AlleQuellen);

TEST_P(Speicherquellen, KommentarzeilenVerschwinden)
{
    // Each row: the text, and what the reader delivers to its end.
    const std::pair<std::string, const char *> faelle[] = {
        {"a\n#x\nb", "a\nb"}, {"a\n##x\nb", "a\nb"}, {"a\n#1\n#2\nb", "a\nb"}, {"a#b", "a#b"},
        {"#x", "#x"},           // the first byte has column 1: no comment
        {"a\n#x", "a\n#"},      // text ends inside the comment line
        {"a\n#\n#\n", "a\n"}, {"a\r\n#x\r\nb", "a\r\nb"},
        {"a\n#x\r#y\nb", "a\nb"}, // a CR does not end a comment line
        {"", ""},
    };
    for (const auto &[text, geliefert] : faelle) {
        Testhandle h(GetParam(), text);
        EXPECT_EQ(h.rest(), geliefert) << "text: " << text;
        EXPECT_EQ(h->position, static_cast<int32_t>(text.size())) << text;
    }
}

// Each case: a text, the steps in turn ('r' read, 'b' take back), what each
// gave (the character read, '$' for the end, 1 or 0 for a take-back), and
// zeile, spalte and position afterwards.
TEST_P(Speicherquellen, ZaehlenUndZuruecknehmen)
{
    const struct {
        const char *text, *schritte, *ergebnisse;
        int32_t zeile, spalte, position;
    } faelle[] = {
        {"a\n#x\nb", "r", "a", 0, 1, 1}, {"\t\x01", "rr", "\t\x01", 0, 2, 2}, // bytes below CR move the column too
        {"a\n#x\nb", "rrr", "a\nb", 2, 0, 6}, // the comment line counts as one line
        {"a\n#x\nb", "rrrr", "a\nb$", 2, 0, 6},
        {"ab\r\ncd", "rrrr", "ab\r\n", 0, 2, 4}, // a CR does not move the column
        {"ab\r\ncd", "rrrrr", "ab\r\nc", 1, 0, 5},
        {"ab", "b", "0", 0, 0, 0},
        {"ab", "rrbbb", "ab110", 0, 0, 0},    // each further take-back steps back a byte
        {"a\nb", "rrrb", "a\nb1", 1, -1, 2}, // the first character of a line taken back
        {"a\nb", "rrrbr", "a\nb1b", 1, 0, 3},
    };
    for (const auto &f : faelle) {
        Testhandle h(GetParam(), f.text);
        std::string ergebnisse;
        for (const char *s = f.schritte; *s; ++s) {
            int r = *s == 'r' ? KR_Zeichen_lesen(h.get()) : '0' + KR_Zeichen_ruecklesen(h.get());
            ergebnisse.push_back(r == -1 ? '$' : static_cast<char>(r));
        }
        EXPECT_EQ(ergebnisse, f.ergebnisse) << f.text << " " << f.schritte;
        EXPECT_EQ(h->zeile, f.zeile) << f.text << " " << f.schritte;
        EXPECT_EQ(h->spalte, f.spalte) << f.text << " " << f.schritte;
        EXPECT_EQ(h->position, f.position) << f.text << " " << f.schritte;
    }
}

// Every source, the file source too: after each prefix the counters are those
// of a memory buffer, and a take-back and a second read leave them as the
// read did.
TEST_P(AlleQuellen, RuecklesenUndWiederLesenGleichtEinemLesen)
{
    for (const char *text : {"xy", "a\nxy", "a\n\nb", "a\r\nb", "ab\r\ncd\n\nx"}) {
        std::string t(text);
        for (size_t n = 1; n <= t.size(); ++n) {
            Testhandle h(GetParam(), t), p(Quelle::Puffer, t);
            for (size_t i = 0; i < n; ++i) {
                KR_Zeichen_lesen(p.get());
                EXPECT_EQ(KR_Zeichen_lesen(h.get()), static_cast<unsigned char>(t[i]));
            }
            for (int zweimal = 0; zweimal < 2; ++zweimal) {
                EXPECT_EQ(h->zeile, p->zeile) << text << " " << n;
                EXPECT_EQ(h->spalte, p->spalte) << text << " " << n;
                EXPECT_EQ(h->position, static_cast<int32_t>(n));
                EXPECT_EQ(KR_Zeichen_ruecklesen(h.get()), 1);
                EXPECT_EQ(h->position, static_cast<int32_t>(n - 1));
                EXPECT_EQ(KR_Zeichen_lesen(h.get()), static_cast<unsigned char>(t[n - 1]));
            }
        }
    }
}

TEST_P(Speicherquellen, Positionieren)
{
    Testhandle h(GetParam(), "ab\ncd");
    h->symbolstatus = 2;
    h->elementanfang = 3;
    EXPECT_EQ(KR_positionieren(h.get(), 5), 1); // the end itself is allowed
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), -1);
    EXPECT_EQ(KR_positionieren(h.get(), 6), -1);
    EXPECT_EQ(KR_positionieren(h.get(), 0xFFFFFFFFu), -1);
    Testhandle leer(GetParam(), "");
    EXPECT_EQ(KR_positionieren(leer.get(), 0), 1);
    EXPECT_EQ(KR_positionieren(leer.get(), 1), -1);
    EXPECT_EQ(h->position, 5);
    EXPECT_EQ(h->symbolstatus, 0);

    KR_positionieren(h.get(), 3);
    EXPECT_EQ(h->elementanfang, 3); // kept unless positioned to 0
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), 'c');
    KR_positionieren(h.get(), 0);
    EXPECT_EQ(h->zeile, 0);
    EXPECT_EQ(h->spalte, 0);
    EXPECT_EQ(h->elementanfang, 0);
}

TEST_P(Speicherquellen, NachPositionierenAuf0NachZeilenvorschub)
{
    // The last character read was a line feed, so the first byte counts as
    // the start of a new line: a '#' there opens a comment line.
    Testhandle h(GetParam(), "#x\ny\n");
    EXPECT_EQ(h.rest(), "#x\ny\n");
    KR_positionieren(h.get(), 0);
    EXPECT_EQ(KR_Zeichen_lesen(h.get()), 'y');
    EXPECT_EQ(h->zeile, 2);
}

TEST_P(Speicherquellen, VieleKommentarzeilenHintereinander)
{
    std::string text = "a\n";
    for (int i = 0; i < 200000; ++i)
        text += "# comment\n";
    text += "b";
    Testhandle h(GetParam(), text);
    EXPECT_EQ(h.rest(), "a\nb");
    EXPECT_EQ(h->zeile, 200001);
}

TEST(Zeichen, OhneQuelleOderHandle)
{
    EXPECT_EQ(KR_Zeichen_lesen(nullptr), -1);
    EXPECT_EQ(KR_Zeichen_ruecklesen(nullptr), 0);
    EXPECT_EQ(KR_positionieren(nullptr, 0), -1);
    Zugriffshandle h{};
    h.laenge = 10;
    EXPECT_EQ(KR_Zeichen_lesen(&h), -1);
    EXPECT_EQ(KR_positionieren(&h, 0), 0);
    EXPECT_EQ(KR_Zeichen_ruecklesen(&h), 0);
    // A take-back does not look at the source.
    h.position = 2;
    EXPECT_EQ(KR_Zeichen_ruecklesen(&h), 1);
    EXPECT_EQ(h.position, 1);
}

// A callback source of the caller's own: all three operations go to it, and
// '#' lines arrive as they stand.
int KR_CALL Eigenes_Lesen(Zugriffshandle *h)
{
    const char *t = static_cast<const char *>(h->quelle);
    return t[h->position] ? static_cast<unsigned char>(t[h->position++]) : -1;
}
int KR_CALL Eigenes_Zurueck(Zugriffshandle *h)
{
    return h->position > 0 ? (--h->position, 1) : 0;
}
int KR_CALL Eigenes_Positionieren(Zugriffshandle *h, unsigned int p)
{
    h->position = static_cast<int32_t>(p);
    return 1;
}

TEST(Zeichen, RueckrufeGewinnen)
{
    static const char text[] = "a\n#b";
    char anderer[] = "zzzz";
    Zugriffshandle h{};
    h.quelle = const_cast<char *>(text);
    h.puffer = anderer;
    h.laenge = 4;
    h.lesefunktion = Eigenes_Lesen;
    h.ruecklesefunktion = Eigenes_Zurueck;
    h.positionierfunktion = Eigenes_Positionieren;
    std::string s;
    for (int c; (c = KR_Zeichen_lesen(&h)) != -1;)
        s.push_back(static_cast<char>(c));
    EXPECT_EQ(s, "a\n#b");
    EXPECT_EQ(KR_Zeichen_ruecklesen(&h), 1);
    EXPECT_EQ(KR_positionieren(&h, 77), 1);
    EXPECT_EQ(h.position, 77);
    EXPECT_EQ(h.zeile, 0); // counting is the callback's business
}

} // namespace
