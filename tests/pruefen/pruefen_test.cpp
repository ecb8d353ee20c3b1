// korvan check: each kind of line the readers skip or read otherwise, with the lines Pruefen_ausgeben writes.
#include "pruefen.h"
#include "testhilfe.h"

#include <utility>

namespace {

TEST(Pruefen, JedeArtVonZeile)
{
    // Each row: a text, and the lines written for it as the file "f".
    const std::pair<std::string, std::string> faelle[] = {
        {"[s]\na=1\nb: \"x y\"\n; c\n# c\n  ; c\n\n{1.2}\nk: v\nk2= v\n", ""},
        {"\xEF\xBB\xBF" "[s]\na=1\n",
         "f:1:1: UTF-8 byte-order mark: the readers take it as text, so the first line holds no header\n"},
        {"x=1\ny=2\n[s]\n",
         "f:1:1: text before the first header: the readers take entries only after a '[name]' line\n"},
        {"  [s]\na=1\n",
         "f:1:3: header not in the first byte: the readers take a header on the first line only there\n"},
        {"[s]\r\nkey = v\r\nk\t:v\r\nName[de]=x\r\n",
         "f:2:4: blank before '=': the readers end the name 'key' at the blank and skip the line\n"
         "f:3:2: blank before ':': the readers end the name 'k' at the blank and skip the line\n"
         "f:4:5: 'name[locale]': the readers end the name 'Name[de' at ']' and skip the line\n"},
        {"[s]\na=\"x\nb=2\n[t]\nc=\"y\nd=\"\ne=1\n",
         "f:2:3: quoted string not closed on its line: korvan get reads on into the next lines, the library does not\n"
         "f:5:3: quoted string not closed on its line: korvan get reads on into the next lines, the library does not\n"},
        {"[s]\n\"q\"=1\n\"q\" x=2\n\"open=\nz=1\n",
         "f:2:1: quoted name: korvan get takes it, the library's entry searches only a plain word\n"
         "f:3:1: quoted name without ':' or '=' right after it: the readers skip the line\n"
         "f:4:1: quoted name not closed on its line: the readers read the next lines into it\n"},
        {"[s]\n" + std::string(40, 'a') + "=1\n" + std::string(41, 'a') + "=1\n[" + std::string(41, 'a') + "]\n",
         "f:3:1: name of 41 characters: the library's entry searches take at most 40 and never find it\n"
         "f:4:2: header name of 41 characters: the library's header searches take at most 40 and stop here\n"},
        {"[s]\na=1\na:2\nA=3\n[S]\n",
         "f:3:1: 'a:' after 'a=' at line 2 in block 's': korvan get takes the first, KR_Eintrag_finden this one\n"
         "f:4:1: name 'A' again in block 's' (first at line 2): the readers take the first\n"
         "f:5:1: block 'S' again (first at line 1): the readers take the first\n"},
        {"[x\n{\n  [y]\n[]\n",
         "f:1:1: no closing ']': the name 'x' runs to the line end, and KR_Abschnitt_finden skips the next line\n"
         "f:2:1: '{' opens the line: the readers take it as the class header '{', which ends the block 'x'\n"
         "f:3:3: indented header: removing the block before it (KR_Abschnitt_loeschen) removes it too\n"
         "f:4:2: header without a name: the library's class searches stop here\n"},
        {"[s]\n  # c\n  #a=1\nhello\n=5\n:a=6\n}\nfoo bar=1\na;b=2\n",
         "f:2:3: '#' not in the first column: the readers take it as text, not a comment\n"
         "f:3:3: '#' not in the first column: the readers take it as text, not a comment, here as the entry '#a'\n"
         "f:4:1: neither ':' nor '=': the readers skip the line\n"
         "f:5:1: empty name: the readers skip the leading '=' as a separator and read no entry\n"
         "f:6:1: empty name: the readers skip the leading ':' as a separator and read the entry 'a'\n"
         "f:7:1: the readers skip the leading '}' as a separator and read no entry\n"
         "f:8:1: the readers end the name 'foo' at a blank and skip the line\n"
         "f:9:1: the readers end the name 'a' at ';' and skip the line\n"},
        // Only a line feed starts a line for the comment rule; CR LF does, a lone CR does not.
        {"[s]\na=1\r#b=2\r\n#c=3\n\r#\n",
         "f:3:1: '#' after a lone CR: the readers take it as text, not a comment, here as the entry '#b'\n"
         "f:6:1: '#' after a lone CR: the readers take it as text, not a comment\n"},
    };
    for (const auto &[text, erwartet] : faelle) {
        testing::internal::CaptureStdout();
        int status = Pruefen_ausgeben("f", text);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), erwartet) << text;
        EXPECT_EQ(status, erwartet.empty() ? 0 : 1) << text;
    }
}

} // namespace
