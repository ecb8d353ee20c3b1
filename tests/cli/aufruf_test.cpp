// The command line of korvan: usage texts, subcommands, the shell's
// arguments written as one argument line for a subcommand's template, and
// the path subcommands with their 259-character limit.
#include "befehlshilfe.h"

namespace {

using kb::Korvan;

const std::string Join_Nutzung = "; usage: korvan path join BASE PART..." + kb::Slashnutzung + "\n";
const std::string Kein_Unterbefehl = "'; 'korvan help' lists them\n";

TEST(Aufruf, UebersichtUndHilfe)
{
    kb::Lauf allein = Korvan({});
    kb::Lauf hilfe = Korvan({"help"});
    EXPECT_EQ(allein.status, 2);
    EXPECT_EQ(hilfe.status, 0);
    EXPECT_EQ(allein.aus, hilfe.aus);
    EXPECT_EQ(allein.fehler, "");
    EXPECT_EQ(hilfe.aus.rfind("Usage: korvan SUBCOMMAND [ARGUMENT...]\n\n  sections FILE [JSON]  ", 0), 0u);
    const std::string teile[] = {"\n  show FILE [SECTION] [JSON]  ", "\n  path slashify PATH [SEPARATOR]  ",
                                 "\n  tree DIR [PATTERN] [DIRS] [NODESCEND] [DIRSONLY]" + kb::Slashnutzung +
                                     " [PROGRESS]\n      "};
    for (const std::string &s : teile)
        EXPECT_NE(hilfe.aus.find(s), std::string::npos) << s;
#ifdef _WIN32
    const std::string slashhilfe = "", slashvorlage = "";
#else
    const std::string slashhilfe = "SLASH prints the paths with '/' in place of the library's '\\'.\n",
                      slashvorlage = ",SLASH/S";
#endif
    kb::Pruefen({
        {{"help", "path", "join"}, 0,
         "Usage: korvan path join BASE PART..." + kb::Slashnutzung + "\n\n"
         "Joins each PART onto BASE in turn: a relative part is added behind a\n"
         "separator, an absolute one replaces the path.  The result has at most\n"
         "259 characters.\n" + slashhilfe + "\nTemplate: BASE/A,PART/A/M" + slashvorlage + "\n", ""},
        {{"help", "frob"}, 2, "", "korvan: help: no subcommand 'frob" + Kein_Unterbefehl},
        {{"help", "path", "join", "x"}, 2, "", "korvan: help: no subcommand 'path join x" + Kein_Unterbefehl},
        {{"frob"}, 2, "", "korvan: no subcommand 'frob" + Kein_Unterbefehl},
        {{"SHOW"}, 2, "", "korvan: no subcommand 'SHOW" + Kein_Unterbefehl},
        {{"path", "split"}, 2, "", "korvan: path: give join, tail, base or slashify; 'korvan help' lists them\n"},
    });
}

// path join echoes its values: every one must arrive as it was given.
TEST(Aufruf, ArgumenteWerdenEineZeile)
{
    std::vector<kb::Fall> faelle = {
        {kb::Mit_Slash({"path", "join", "b", "a b", "x\"y", "star*", "*", "k=v", "a;b", "a,b", "#x", ""}), 0,
         kb::Slash("b/a b/x\"y/star*/*/k=v/a;b/a,b/#x/\n"), ""},
        // Values that begin with an item's name never become keywords;
        // NAME=value does.
        {{"path", "join", "partial", "basement", "slashes"}, 0, "partial\\basement\\slashes\n", ""},
        {{"path", "join", "PART=x", "base=y"}, 0, "y\\x\n", ""},
        {{"path", "join", "a", "b c*"}, 2, "",
         "korvan: path join: the argument \"b c*\" needs quotes, and in quotes a '*' before a quote, E, N or "
         "the end cannot be written" + Join_Nutzung},
        {{"path", "join", "a", "b\rc"}, 2, "",
         "korvan: path join: the argument \"b\\rc\" holds a carriage return, which ends an argument line" +
             Join_Nutzung},
        // Positional values up to 255 characters, a keyword's value up to
        // 511, the whole line up to 512.
        {{"path", "join", "a", std::string(256, 'x')}, 2, "",
         "korvan: path join: an argument of 256 characters; at most 255 fit there" + Join_Nutzung},
        {{"path", "join", "BASE=" + std::string(512, 'x'), "a"}, 2, "",
         "korvan: path join: an argument of 512 characters; at most 511 fit there" + Join_Nutzung},
        {{"path", "join", std::string(255, 'x'), std::string(255, 'y'), "z"}, 2, "",
         "korvan: path join: the arguments make a line of 513 characters; at most 512 fit" + Join_Nutzung},
    };
#ifndef _WIN32
    // Only a switch stands alone: other items' names are values, and a value
    // spelled like a switch is given with its item's name.
    faelle.push_back({{"path", "join", "Base", "slash", "part"}, 0, "Base/part\n", ""});
    faelle.push_back({{"path", "join", "BASE=slash", "PART=part", "slash"}, 0, "slash/part\n", ""});
#endif
    kb::Pruefen(faelle);
}

TEST(Pfade, JoinTailBaseSlashify)
{
    kb::Pruefen({
        {{"path", "join", "C:\\dir", "sub/file.c"}, 0, "C:\\dir\\sub\\file.c\n", ""},
        {{"path", "join", std::string(255, 'x'), "abc"}, 0, std::string(255, 'x') + "\\abc\n", ""},
        {{"path", "join", std::string(255, 'x'), "abcd"}, 2, "",
         "korvan: path join: joining 'abcd' gives a path longer than 259 characters\n"},
        {{"path", "join", "BASE=" + std::string(260, 'x'), "a"}, 2, "",
         "korvan: path join: BASE is longer than 259 characters\n"},
        {{"path", "tail", "C:\\Proj\\src\\a.c", "c:\\proj"}, 0, "src\\a.c\n", ""},
        {kb::Mit_Slash({"path", "tail", "\\home\\me\\..\\you\\a.c", "\\home"}), 0, kb::Slash("you/a.c\n"), ""},
        {{"path", "tail", "PATH=/" + std::string(259, 'x'), "/"}, 2, "",
         "korvan: path tail: PATH or BASE is longer than 259 characters once made canonical\n"},
        {{"path", "tail", "x"}, 2, "",
         "korvan: path tail: required item without a value: BASE; usage: korvan path tail PATH BASE" +
             kb::Slashnutzung + "\n"},
        {{"path", "base", "C:\\dir\\file.txt"}, 0, "file.txt\n", ""},
        {{"path", "slashify", "a/b\\c"}, 0, "a\\b\\c\n", ""},
        {{"path", "slashify", "a/b\\c", "/"}, 0, "a/b/c\n", ""},
        {{"path", "slashify", "a/b", "SEPARATOR=::"}, 2, "",
         "korvan: path slashify: SEPARATOR must be one character, not '::'\n"},
    });
}

} // namespace
