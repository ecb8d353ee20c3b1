// The path subcommands: the library's joins, tails, base names and
// separators, and their 259-character limit.
#include "befehlshilfe.h"

namespace {

using kb::Korvan;

TEST(Pfade, Verbinden)
{
    KB_ERWARTET(Korvan({"path", "join", "C:\\dir", "sub/file.c"}), 0, "C:\\dir\\sub\\file.c\n", "");
    KB_ERWARTET(Korvan({"path", "join", "C:", "x", "y"}), 0, "C:x\\y\n", "");
    // An absolute part replaces what was joined so far.
    KB_ERWARTET(Korvan(kb::Mit_Slash({"path", "join", "/home/me", "src", "\\etc\\x", "y"})), 0,
                kb::Slash("/etc/x/y\n"), "");
    KB_ERWARTET(Korvan({"path", "join", std::string(255, 'x'), "abc"}), 0, std::string(255, 'x') + "\\abc\n", "");
    KB_ERWARTET(Korvan({"path", "join", std::string(255, 'x'), "abcd"}), 2, "",
                "korvan: path join: joining 'abcd' gives a path longer than 259 characters\n");
    KB_ERWARTET(Korvan({"path", "join", "BASE=" + std::string(260, 'x'), "a"}), 2, "",
                "korvan: path join: BASE is longer than 259 characters\n");
}

TEST(Pfade, Rest)
{
    KB_ERWARTET(Korvan({"path", "tail", "C:\\Proj\\src\\a.c", "c:\\proj"}), 0, "src\\a.c\n", "");
    KB_ERWARTET(Korvan({"path", "tail", "/srv/korvan/logs/today.log", "/srv/korvan"}), 0, "logs\\today.log\n", "");
    KB_ERWARTET(Korvan(kb::Mit_Slash({"path", "tail", "\\home\\me\\..\\you\\a.c", "\\home"})), 0,
                kb::Slash("you/a.c\n"), "");
    KB_ERWARTET(Korvan({"path", "tail", "C:\\Other\\a.c", "C:\\proj\\"}), 0, "C:\\Other\\a.c\n", "");
    KB_ERWARTET(Korvan({"path", "tail", "PATH=/" + std::string(259, 'x'), "/"}), 2, "",
                "korvan: path tail: PATH or BASE is longer than 259 characters once made canonical\n");
    KB_ERWARTET(Korvan({"path", "tail", "x"}), 2, "",
                "korvan: path tail: required item without a value: BASE; usage: korvan path tail PATH BASE" +
                    kb::Slashnutzung + "\n");
}

TEST(Pfade, BasisnameUndTrenner)
{
    KB_ERWARTET(Korvan({"path", "base", "C:\\dir\\file.txt"}), 0, "file.txt\n", "");
    KB_ERWARTET(Korvan({"path", "base", "dir/"}), 0, "\n", "");
    KB_ERWARTET(Korvan({"path", "base", "C:file"}), 0, "file\n", "");
    KB_ERWARTET(Korvan({"path", "slashify", "a/b\\c"}), 0, "a\\b\\c\n", "");
    KB_ERWARTET(Korvan({"path", "slashify", "a/b\\c", "/"}), 0, "a/b/c\n", "");
    KB_ERWARTET(Korvan({"path", "slashify", "a/b", "SEPARATOR=::"}), 2, "",
                "korvan: path slashify: SEPARATOR must be one character, not '::'\n");
}

} // namespace
