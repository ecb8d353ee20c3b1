// The configuration readers and editors as scripts: a text, the calls made on one handle in turn, what they
// gave; every row runs over every source.
#include "testhilfe.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

using kt::Quelle;

// A result that can be a character: "$" for the end, a printable character as itself, else its number.
std::string Zeichen(int c)
{
    return c == -1 ? "$" : c > ' ' && c < 127 ? std::string(1, static_cast<char>(c)) : std::to_string(c);
}

// What a call wrote into groesse bytes of '#', up to its last byte, zero as '~'; nothing past groesse.
std::string Gespeichert(const char *p, int groesse)
{
    int n = std::clamp(groesse, 0, 64);
    for (int i = n; i < 64; ++i)
        EXPECT_EQ(p[i], '#') << "written past the buffer at " << i;
    std::string s(p, n);
    s.erase(s.find_last_not_of('#') + 1);
    std::replace(s.begin(), s.end(), '\0', '~');
    return s;
}

// Runs the calls, separated by blanks, each a letter and its argument:
//   A name, K g.n, W g, E name, I name: find a section, class, true class, entry, INI entry
//   D name, X, B text: remove section name, remove class 1.2, append a block
//   n N M e a l s + size: next section, entry, INI entry, element, argument element, line or
//     section line into size bytes ("*size": no buffer), as result:bytes
//   U G J: walk the sections, entries, INI entries; Z size: the section lines
//   Y size, y, H [size]: the symbols into size bytes, one symbol, the symbol fetched ("*": no status)
//   z c P n @ p T R: next line, a character, position, elementanfang, position, text held, rest read
std::string Ablauf(Zugriffshandle *h, kt::Testhandle *t, const std::string &schritte)
{
    std::string ergebnis;
    char symbol[64];
    std::fill(std::begin(symbol), std::end(symbol), '#');
    for (size_t von = 0; von < schritte.size();) {
        size_t bis = std::min(schritte.find(' ', von), schritte.size());
        std::string s = schritte.substr(von, bis - von);
        von = bis + 1;
        char op = s[0];
        std::string arg = s.substr(1);
        bool ohne = !arg.empty() && arg[0] == '*';
        int groesse = std::atoi(arg.c_str() + ohne);
        char b[64];
        std::fill(std::begin(b), std::end(b), '#');
        char *p = ohne ? nullptr : b;
        char name[41];
        auto puffer = [&](int r) { return std::to_string(r) + ":" + Gespeichert(b, groesse); };
        auto gehen = [&](auto naechster) {
            std::string namen;
            for (int c; (c = naechster()) != 0;)
                namen += (c > 1 ? std::string(1, static_cast<char>(c)) : "") + name + "|";
            return namen;
        };
        unsigned long g = std::strtoul(arg.c_str(), nullptr, 10), k = 0;
        if (auto punkt = arg.find('.'); punkt != std::string::npos)
            k = std::strtoul(arg.c_str() + punkt + 1, nullptr, 10);
        std::string r;
        switch (op) {
        case 'A': r = Zeichen(KR_Abschnitt_finden(arg.c_str(), h)); break;
        case 'K': r = Zeichen(KR_Klasse_finden(g, k, h)); break;
        case 'W': r = std::to_string(KR_Wahre_Klasse_finden(g, h)); break;
        case 'E': r = std::to_string(KR_Eintrag_finden(arg.c_str(), h)); break;
        case 'I': r = std::to_string(KR_INI_Eintrag_finden(arg.c_str(), h)); break;
        case 'D': r = std::to_string(KR_Abschnitt_loeschen(arg.c_str(), h)); break;
        case 'X': r = std::to_string(KR_Klasse_loeschen(1, 2, h)); break;
        case 'B': r = std::to_string(KR_Block_hinzufuegen(arg.c_str(), static_cast<int>(arg.size()), h)); break;
        case 'n': r = Zeichen(KR_naechster_Abschnitt(p, groesse, h)), r += ":" + Gespeichert(b, groesse); break;
        case 'N': r = puffer(KR_naechster_Eintrag(p, static_cast<unsigned short>(groesse), h)); break;
        case 'M': r = puffer(KR_naechster_INI_Eintrag(p, static_cast<unsigned short>(groesse), h)); break;
        case 'e': r = puffer(KR_Element_lesen_2(p, groesse, h)); break;
        case 'a': r = puffer(KR_Element_lesen(p, groesse, h)); break;
        case 'l': r = puffer(KR_Zeile_lesen(h, p, static_cast<unsigned>(groesse))); break;
        case 's': r = puffer(static_cast<int>(KR_Abschnittszeile_lesen(h, p, static_cast<unsigned>(groesse)))); break;
        case 'U': r = gehen([&] { return KR_naechster_Abschnitt(name, sizeof name, h); }); break;
        case 'G': r = gehen([&] { return KR_naechster_Eintrag(name, sizeof name, h); }); break;
        case 'J': r = gehen([&] { return KR_naechster_INI_Eintrag(name, sizeof name, h); }); break;
        case 'Z':
            for (unsigned n; (n = KR_Abschnittszeile_lesen(h, b, static_cast<unsigned>(groesse))) != 0;) {
                EXPECT_EQ(n, std::strlen(b) + 1);
                r += std::string(b) + "|";
            }
            break;
        case 'H': {
            if (!arg.empty() && !ohne) {
                h->symbolpuffer = symbol;
                h->symbolgroesse = groesse;
            }
            int status = 7;
            char *q = KR_Symbol_holen(h, ohne ? nullptr : &status);
            r = std::string(q == symbol ? "p" : q ? "?" : "n") + (ohne ? "" : std::to_string(status));
            break;
        }
        case 'Y':
            h->symbolpuffer = symbol;
            h->symbolgroesse = groesse;
            for (int i = 0; i < 20; ++i) {
                int c = KR_naechstes_Symbol(h);
                EXPECT_EQ(h->symbolstatus, c);
                if (c <= 0) {
                    r += c ? "!" : "";
                    break;
                }
                r += c == 1 ? "|" : (c == 2 ? "w(" : "q(") + std::string(symbol) + ")";
            }
            Gespeichert(symbol, groesse);
            break;
        case 'y': r = std::to_string(KR_naechstes_Symbol(h)); break;
        case 'z': r = std::to_string(KR_naechste_Zeile(h)); break;
        case 'c': r = Zeichen(KR_Zeichen_lesen(h)); break;
        case 'P': r = std::to_string(KR_positionieren(h, static_cast<unsigned>(groesse))); break;
        case '@': r = std::to_string(h->elementanfang); break;
        case 'p': r = std::to_string(h->position); break;
        case 'T': r = t->text(); break;
        case 'R': r = t->rest(); break;
        default: ADD_FAILURE() << "no such call: " << s;
        }
        ergebnis += (ergebnis.empty() ? "" : " ") + r;
    }
    return ergebnis;
}

struct Fall {
    std::string text, schritte, erwartet;
    std::string objekt = "", datei = ""; // where these sources give otherwise
};

const std::string N40(40, 'n'), N41(41, 'n'), T = "[a]\nx: 1\ny: 2\n[b]\nz: 3";
const std::string Ulong = std::to_string(ULONG_MAX) + "." + std::to_string(ULONG_MAX);

const Fall Lesen[] = {
    // headers: sections, classes, their names, and the walk over them
    {"[abc]", "AABC c", "[ ]"}, {"x\n{abc}", "Aabc c", "{ }"}, {"  [abc]", "Aabc", "0"}, // blanks before line 1's '['
    {"x\n  [abc]", "Aabc c", "[ ]"}, {"[ abc]\n[abcd]", "Aabc", "0"}, {"[x", "Ax c", "[ $"},
    {"[x\n[abc]", "Aabc", "0"}, // the line end after x is consumed
    {"[\"a]b\"]", "AA]B c", "[ ]"}, {"[\"a*\"b\"]", "Aa\"b c", "[ ]"}, {"[\"open", "Aopen c", "[ $"},
    {"[]\n[b]", "Ab c", "[ ]"}, {"[a]\n; [b]\n[b]", "Ab c", "[ ]"}, {"[" + N40 + "]", "A" + N40 + " c", "[ ]"},
    {"[" + N41 + "]\n[b]", "Ab", "0"}, {"", "Ax", "0"},               // a long name ends the search
    {"[a]\nk: v\n[b]\n", "Ab @ Aa", "[ 10 ["},                       // each search starts anew
    {"{12.3}", "K12.3 c", "{ }"}, {"x\n[12.3]", "K12.3 c", "[ ]"}, {"{12.03}", "K12.3", "0"},
    {"{ 12.3 } rest", "K12.3 c", "{ 32"}, {"{\"12.3\"}", "K12.3 c", "{ }"}, {"[]\n{12.3}", "K12.3", "0"},
    {"{" + N41 + "}\n{1.2}", "K1.2", "0"}, {"{" + N40 + "}\n{1.2}", "K1.2 c", "{ }"},
    {"{4294967295.0}", "K4294967295.0 c", "{ }"},
    {"{" + Ulong.substr(0, 40) + "}", "K" + Ulong, sizeof(unsigned long) < 8 ? "{" : "0"}, // cut to 40: no match
    {"{120.1}\n[12.1]\n{12.7}\n{12.2}", "W12 n41 W120 W1", "1 {:12.2~ 1 0"}, {"{120.1}\n[12.1]", "W12", "0"},
    {"x: 1\n[a]\n k: v\n  {b} rest\n[\n[" + N41 + "]\n", "U", "[a|{b|[|[|"},
    {"[abcd]", "n0 c", "[: a"}, {"[abcd]", "n1 c", "[:~ c"}, {"[abcd]", "n4 c", "[:~bcd $"},
    {"[abcd]", "n5 c", "[:abcd~ ]"}, {"[abcd]", "n*41 c", "[: a"},
    {T, "Aa Ey e64", "[ 1 3:2~"}, {T, "Aa EY e64", "[ 1 3:2~"}, {T, "Aa Ez", "[ 0"},
    {"[a]\nkey: colon\nkey=ini", "Aa IKEY e64", "[ 1 3:ini~"}, {"[a]\nkey=ini\nkey: colon", "Aa Ekey e64", "[ 1 3:colon~"},
    {"[a]\nkey: colon", "Aa Ikey", "[ 0"}, {"[a]\n  x: 1\n ; y: 0\n\n\ty: 2", "Aa Ey e64", "[ 1 3:2~"},
    {"[a]\n\"y\": 2", "Aa Ey", "[ 0"}, // a quoted name never matches
    {"[a]\n" + N41 + ": 1\ny: 2", "Aa E" + N41 + " Aa Ey e64", "[ 0 [ 1 3:2~"},
    {"[a]\n" + N40 + ": 1", "Aa E" + N40 + " e64", "[ 1 3:1~"}, {"[a]", "Aa Ey", "[ 0"},
    {"[a]\nx: 1\n  [b]\nz: 3", "Aa Ez c", "[ 0 ["}, // the search ends before an indented header too
    {T, "Aa G", "[ x|y|"}, {"[a]\n  x: 1\n ; c\n\n word\n\"q r\" s\ny: 2", "Aa G", "[ x|word|q r|y|"},
    {"[a]\nx: 1\nname=value\ny: 2", "Aa G", "[ x|"}, {"[a]", "Aa G", "[ "},
    {"[a]\n" + N40 + ": 1\n" + N41 + ": 2\ny", "Aa G", "[ " + N40 + "|"},
    {"[a]\nx: 1\nw rest", "Aa N41 e64 N41 c", "[ 1:x~ 3:1~ 1:w~ 32"}, // after a word: its terminator
    {"[a]\nx=1\n ; c\n\n y=2\nz: 3\nw=4", "Aa J", "[ x|y|"}, {"[a]\nx=1\n[b]\ny=2", "Aa J c", "[ x| ]"},
    {"[a]\nx: 1\n", "Aa N0 Aa N1 Aa N2", "[ 0: [ 0:x [ 1:x~"},
    {"  name: value", "e64 c", "1:name~ :"}, {"key=v", "e64 c", "2:key~ ="}, {"]value}", "e64 c", "6:value~ }"},
    {"[sec]", "e64 c", "5:[sec~ ]"}, {"word rest", "e64 c", "3:word~ 32"}, {"a;b", "e64 c", "3:a~ ;"},
    {"a\"b\"", "e64 c", "3:a\"b\"~ $"}, {"\"a*\"b*Nc\" x", "e64 c", "4:a\"b\nc~ 32"},
    {"\"x*Ey*ez\"", "e64 c", "4:x\x1By\x1Bz~ $"}, {"\"**\"", "e64 c", "4:**~ $"}, {"\"*q\"", "e64 c", "4:*q~ $"},
    {"\"ab*", "e64 c", "4:ab*~ $"}, {"\"open\nline", "e64 c", "4:open\nline~ $"}, {"\"a\"\"b\"", "e64 c", "4:a~ \""},
    {"; remark", "e64 c", "0: ;"}, {"  \r\nx", "e64 c", "0: 13"}, {"\nx", "e64 c", "0: 10"}, {"", "e64 c", "0: $"},
    {", : = ] } x", "e64 c", "3:x~ $"}, {"abcd ", "e4 c", "-1:abcd $"}, {"abc ", "e4 c", "3:abc~ 32"},
    {"\"abc\" ", "e3 c", "-1:abc $"}, {"\"ab\" ", "e3 c", "4:ab~ 32"}, {"x", "e0 c", "-1: $"}, {"x", "e1 c", "-1:x $"},
    {"x", "e2 c", "3:x~ $"}, {"  abc \"de\"", "e16 @ e16 @", "3:abc~ 3 4:de~ 7"}, // past the opening quote
    {"  name: value", "a64 c", "3:name:~ 32"}, {"key=v", "a64 c", "2:key~ ="}, {"a]b}c[d{ x", "a64 c", "3:a]b}c[d{~ 32"},
    {"= , x", "a64 c", "3:x~ $"}, {": x", "a64 c", "3::~ 32"}, {";b", "a64 c", "0: ;"}, {"\"q r\"", "a64 c", "4:q r~ $"},
    {"a\n  ; remark\n  x=1", "z c", "1 x"}, {"last line", "z c", "0 $"}, {"a\r\n\r\n\tb", "z c", "1 b"},
    {"a\rb", "z c", "1 b"}, {"a\n\rb", "z c", "1 b"}, {"a\n;c", "z c", "0 $"}, {"a\n;1\r;2\n b", "z c", "1 b"},
    {"ab\r\n\r\nc", "l16 c", "6:ab\r\n\r\n~ c"}, {"abc\n", "l3 c", "4:ab~ $"}, {"abc", "l16 c", "3:abc~ $"},
    {"ab\n\rc", "l16 c", "4:ab\n\r~ c"}, {"a\rb", "l16 c", "2:a\r~ b"},
    {"a\n\n\nb", "l3 c", "4:a\n~ b"}, // line ends beyond the buffer are counted
    {"abc\n", "l1 c", "4:~ $"}, {"abc\n", "l0 c", "4: $"}, {"", "l16 z c", "0: 0 $"},
    {"[x]\na", "s16 c", "0: ["}, {"{x}", "s16 c", "0: {"}, {"ab\r\rc", "s16 c", "3:ab~ 13"},
    {"abc\nd", "s2 c", "2:a~ d"}, {"abc\nd", "s1 c", "1:~ d"}, {"abc\nd", "s0 c", "1: d"}, {"", "s16", "0:"},
    {"a\nbb\r\nc\n\rd\re\n\n[f]", "Z8 c", "a|bb|c|d|e|| ["}, {"ab\n", "s8 s8", "3:ab~ 0:"},
    {"abc\r\nde", "l*8 s*8 c", "5: 1: $"},
    {"a b\nc", "Y16", "w(a)w(b)|w(c)"}, {"x=1,y\n", "Y16", "w(x=1,y)"}, {"a ; remark\nb", "Y16", "w(a)|w(b)"},
    {"a\n;1\n;2\nb", "Y16", "w(a)||w(b)"}, {"a\r\rb", "Y16", "w(a)|w(b)"}, {"a\n\rb\r\nc", "Y16", "w(a)|w(b)|w(c)"},
    {"(abc", "Y16", "w((abc)"}, {"( x", "Y16", "w(()w(x)"}, {"(* c *) abc", "Y16", "|w(abc)"},
    {"(* a **) b *) c", "Y16", "|w(c)"}, {"(* one\ntwo *)\nx", "Y16", "|w(x)"},
    {"(*x*)abc d", "Y16", "|w(d)"}, // the word right after a comment is dropped
    {"a (* open", "Y16", "w(a)"}, {"a (* open *", "Y16", "w(a)"}, {"\"q r\" \"x*\"y\"", "Y16", "q(q r)q(x\"y)"},
    {"k: [v] {w}", "Y16", "w(k:)w([v])w({w})"}, {"#x\nb", "Y16", "w(#x)|w(b)"}, {"a\n#c\nb", "Y16", "w(a)|w(b)"},
    {"a\n #c", "Y16", "w(a)|w(#c)"}, {"a ;", "Y16", "w(a)"}, {"", "Y16", ""},
    {"abc", "Y4", "w(abc)"}, {"abcd", "Y4", "!"}, {"\"abc\"", "Y4", "q(abc)"}, {"\"abcd\"", "Y4", "!"},
    {"(*c*) abcd", "Y4", "|!"}, {"(", "Y0", "!"}, {"(", "Y1", "!"}, {"(", "Y2", "w(()"}, {"a", "Y0", "!"},
    {"abcdef", "H y H4 y H H*", "n-1 -1 n0 -1 p-1 p"}, // no buffer; before any symbol; too long
    // edits: only memory objects grow, file handles are read-only ("-": not asked of them)
    {"[a]\n", "B[b]\n Ab", "0 0", "1 ["}, {"[a]\nx: 1", "Da P0 R", "1 1 ", "", "0 1 [a]\nx: 1"},
    {"[a]\nx: 1\n[b]\ny: 2", "Da T p R", "1 [b]\ny: 2 0 [b]\ny: 2", "", "-"},
    {"[a]\nx: 1", "Db T", "0 [a]\nx: 1", "", "-"}, {"[a]\n[b]\ny", "Db T p R", "1 [a]\n 4 ", "", "-"},
    {"{1.2}\nk: v\n{1.3}", "X T p R", "1 {1.3} 0 {1.3}", "", "-"},
    {"[a]\n#c\n[b]\n", "Da T p R", "1 [b]\n 0 [b]\n", "", "-"}, {"x\n{1.2}", "X T p R", "1 x\n 2 ", "", "-"},
    {"k\n [a] x [b]\n[c]", "Da T p R", "1 k\n [c] 3 [c]", "", "-"}, {"[a]\n\r[b]", "Da T", "1 [b]", "", "-"},
    {"[a]\n  [b]\nc\n[d]", "Da T", "1 [d]", "", "-"}, // an indented header belongs to it
    {"[a]\nx: 1", "Da T p", "1  0", "", "-"}, {"[a]\rx\r[b]", "Da T", "1 [b]", "", "-"},
};

class Konfig : public kt::Quellentest {};
KT_ALLE_QUELLEN(Konfig);

TEST_P(Konfig, Lesen)
{
    for (const Fall &f : Lesen) {
        const std::string &anders = GetParam() == Quelle::Objekt ? f.objekt : GetParam() == Quelle::Datei ? f.datei : "";
        if (anders == "-")
            continue;
        kt::Testhandle t(GetParam(), f.text);
        EXPECT_EQ(Ablauf(t.get(), &t, f.schritte), anders.empty() ? f.erwartet : anders) << f.text << " / " << f.schritte;
    }
}

// A line longer than a memory object's window (1 KB), a '#' inside it, read whole by each line reader:
// what it gives, and the counts as reading it byte by byte gives them, at the end of the text and
// after the character that follows the line (the readers take back the one they read past it).
TEST_P(Konfig, LangeZeileWieZeichenweise)
{
    const std::string zeile = std::string(1500, 'x') + "#" + std::string(1500, 'y');
    for (const std::string &text : {zeile, zeile + "\n#c\nz"}) {
        bool ende = text == zeile;
        for (char op : {'l', 's', 'z'}) {
            SCOPED_TRACE(std::string(1, op) + (ende ? " at the end" : " before z"));
            kt::Testhandle t(GetParam(), text), r(GetParam(), text);
            char b[64] = "";
            unsigned n = op == 'l'   ? KR_Zeile_lesen(t.get(), b, sizeof b)
                         : op == 's' ? KR_Abschnittszeile_lesen(t.get(), b, sizeof b)
                                     : static_cast<unsigned>(KR_naechste_Zeile(t.get()));
            EXPECT_EQ(n, op == 'l' ? 3001u + !ende : op == 's' ? 64u : !ende);
            EXPECT_EQ(std::string(b), op == 'z' ? "" : std::string(63, 'x'));
            for (int i = 0; i < 3001 + !ende; ++i)
                KR_Zeichen_lesen(r.get());
            // A file source hands on the comment line that the memory sources drop.
            if (!ende) {
                EXPECT_EQ(KR_Zeichen_lesen(t.get()), GetParam() == Quelle::Datei ? '#' : 'z');
                EXPECT_EQ(KR_Zeichen_lesen(r.get()), GetParam() == Quelle::Datei ? '#' : 'z');
            }
            EXPECT_EQ(t.get()->zeile, r.get()->zeile);
            EXPECT_EQ(t.get()->spalte, r.get()->spalte);
            EXPECT_EQ(t.get()->position, r.get()->position);
            EXPECT_EQ(t.get()->letztes_zeichen, r.get()->letztes_zeichen);
        }
    }
}

TEST(Bearbeiten, AnNeuesObjekt)
{
    Zugriffshandle h{};
    ASSERT_EQ(KR_Konfig_Datei_anlegen(&h), 0);
    EXPECT_EQ(Ablauf(&h, nullptr, "B[c]\r\n p B Ac"), "1 4 1 ["); // the 4-byte first line is stepped over
    EXPECT_EQ(KR_Block_hinzufuegen("x", -1, &h) + KR_Block_hinzufuegen(nullptr, 1, &h), 0);
    EXPECT_EQ(kt::Objekttext(h), std::string("\x1A\0\r\n[c]\r\n", 9));
    KR_Konfig_Datei_schliessen(&h);
}

TEST(OhneHandle, NichtsGefundenNichtsGeschrieben)
{
    EXPECT_EQ(Ablauf(nullptr, nullptr, "Aa K1.2 W1 Ea Ia Da X Bx n41 N41 M41 e41 a41 z l41 s41 U G J y H"),
              "0 0 0 0 0 0 0 0 0: 0: 0: 0: 0: 0 0: 0:    -1 n-1");
}

} // namespace
