// korvan check: each kind of line that the readers skip or read otherwise,
// with the exact lines that Pruefen_ausgeben writes for it.
#include "pruefen.h"
#include "testhilfe.h"

#include <string>
#include <vector>

namespace {

// The text of an open quoted value, which two rows share.
const std::string Offen = "quoted string not closed on its line: korvan's block reader runs the value on over the "
                          "lines after it (to its closing quote or the next header), the library's entry searches "
                          "take those lines as lines of their own";

struct Fall {
    std::string text;
    std::vector<std::string> befunde; // LINE:COLUMN: what and why
};

TEST(Pruefen, JedeArtVonZeile)
{
    const Fall faelle[] = {
        {"[s]\na=1\nb: \"x y\"\n; c\n# c\n  ; c\n\n{1.2}\nk: v\nk2= v\n", {}},
        {"\xEF\xBB\xBF[s]\na=1\n",
         {"1:1: UTF-8 byte-order mark: the readers take its three bytes as text of the first line, where a header "
          "must start in the first byte; the lines up to the next header belong to no block"}},
        {"x=1\ny=2\n[s]\n",
         {"1:1: text before the first header: the readers take entries only in a block after a '[name]' line"}},
        {"  [s]\na=1\n",
         {"1:3: header not in the first byte of the text: on the first line the readers take a header only there, so "
          "the lines up to the next header belong to no block"}},
        {"[s]\r\nkey = v\r\nk\t:v\r\nName[de]=x\r\n",
         {"2:4: blank before '=': the readers end the name 'key' at the blank and skip the line as no entry",
          "3:2: blank before ':': the readers end the name 'k' at the blank and skip the line as no entry",
          "4:5: 'name[locale]': the readers read the name 'Name[de' ended by ']' and skip the line as no entry"}},
        {"[s]\na=\"x\nb=2\n[t]\nc=\"y\nd=\"\ne=1\n",
         {"2:3: " + Offen,
          "5:3: " + Offen}},
        {"[s]\n\"q\"=1\n\"q\" x=2\n\"open=\nz=1\n",
         {"2:1: quoted name: korvan's block reader takes it, but the library's searches (KR_Eintrag_finden, "
          "KR_INI_Eintrag_finden) only take a plain word",
          "3:1: the readers read a quoted string not followed directly by ':' or '=' and skip the line as no entry",
          "4:1: quoted name not closed on its line: the readers skip the line as no entry and read the lines after "
          "it into the string"}},
        {"[s]\n" + std::string(40, 'a') + "=1\n" + std::string(41, 'a') + "=1\n[" + std::string(41, 'a') + "]\n",
         {"3:1: name of 41 characters: the library's entry searches take at most 40 and never find it",
          "4:2: header name of 41 characters: the library's header searches take at most 40 and give up at this "
          "line, so no block from here on is found by name"}},
        {"[s]\na=1\na:2\nA=3\n[S]\n",
         {"3:1: 'a:' after 'a=' at line 2 in block 's': korvan get takes the first of the two, only "
          "KR_Eintrag_finden this one",
          "4:1: name 'A' again in block 's' (first at line 2): the readers take the first and never reach this one",
          "5:1: block 'S' again (first at line 1): the readers take the first block of a name and never reach this "
          "one"}},
        {"[x\n{\n  [y]\n[]\n",
         {"1:1: header without closing ']': the readers take 'x' up to the line end as its name, and the library's "
          "header search (KR_Abschnitt_finden) then steps over the line after it",
          "2:1: '{' at the start of a line: the readers take it as the header of a class named '', which ends the "
          "block 'x' (a class header is '{group.number}')",
          "3:3: indented header: the searches find it, but the library's removal of a block (KR_Abschnitt_loeschen) "
          "ends only at a bracket in the first column, so removing the block before it removes this one too",
          "4:2: header without a name: the library's class searches (KR_Klasse_finden) give up at this line, so no "
          "class from here on is found"}},
        {"[s]\n  # c\n  #a=1\nhello\n=5\n:a=6\n}\nfoo bar=1\na;b=2\n",
         {"2:3: '#' not in the first column: the readers take the line as text, not as a comment",
          "3:3: '#' not in the first column: the readers take the line as text, not as a comment, and read it as the "
          "entry '#a'",
          "4:1: neither ':' nor '=': the readers skip the line as no entry",
          "5:1: empty name: the readers skip the leading '=' as they skip blanks before a name, and read no entry",
          "6:1: empty name: the readers skip the leading ':' as they skip blanks before a name, and read the entry "
          "'a'",
          "7:1: the line starts with '}': the readers skip it as they skip blanks before a name, and read no entry",
          "8:1: the readers read the name 'foo' ended by a blank and skip the line as no entry",
          "9:1: the readers read the name 'a' ended by ';' and skip the line as no entry"}},
    };
    for (const Fall &f : faelle) {
        std::string erwartet;
        for (const std::string &b : f.befunde)
            erwartet += "f.ini:" + b + "\n";
        testing::internal::CaptureStdout();
        int status = Pruefen_ausgeben("f.ini", f.text);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), erwartet) << f.text;
        EXPECT_EQ(status, f.befunde.empty() ? 0 : 1) << f.text;
    }
}

} // namespace
