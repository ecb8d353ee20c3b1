// The command line of korvan: usage texts, subcommands, and the shell's
// arguments written as one argument line for a subcommand's template.
#include "befehlshilfe.h"

namespace {

using kb::Korvan;

const std::string Join_Nutzung = "; usage: korvan path join BASE PART..." + kb::Slashnutzung + "\n";

TEST(Aufruf, OhneUnterbefehlDieUebersicht)
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
}

TEST(Aufruf, HilfeZuEinemUnterbefehl)
{
#ifdef _WIN32
    const std::string slashhilfe = "", slashvorlage = "";
#else
    const std::string slashhilfe = "SLASH prints the paths with '/' in place of the library's '\\'.\n",
                      slashvorlage = ",SLASH/S";
#endif
    KB_ERWARTET(Korvan({"help", "path", "join"}), 0,
                "Usage: korvan path join BASE PART..." + kb::Slashnutzung + "\n\n"
                "Joins each PART onto BASE in turn: a relative part is added behind a\n"
                "separator, an absolute one replaces the path.  The result has at most\n"
                "259 characters.\n" + slashhilfe + "\nTemplate: BASE/A,PART/A/M" + slashvorlage + "\n",
                "");
    KB_ERWARTET(Korvan({"help", "frob"}), 2, "", "korvan: help: no subcommand 'frob'; 'korvan help' lists them\n");
    KB_ERWARTET(Korvan({"help", "path", "join", "x"}), 2, "",
                "korvan: help: no subcommand 'path join x'; 'korvan help' lists them\n");
}

TEST(Aufruf, UnbekannteUnterbefehle)
{
    KB_ERWARTET(Korvan({"frob"}), 2, "", "korvan: no subcommand 'frob'; 'korvan help' lists them\n");
    KB_ERWARTET(Korvan({"SHOW"}), 2, "", "korvan: no subcommand 'SHOW'; 'korvan help' lists them\n");
    KB_ERWARTET(Korvan({"path", "split"}), 2, "",
                "korvan: path: give join, tail, base or slashify; 'korvan help' lists them\n");
}

// path join echoes its values: every one must arrive as it was given.
TEST(Aufruf, WerteKommenUnveraendertAn)
{
    KB_ERWARTET(Korvan(kb::Mit_Slash(
                    {"path", "join", "b", "a b", "x\"y", "star*", "*", "k=v", "a;b", "a,b", "#x", ""})),
                0, kb::Slash("b/a b/x\"y/star*/*/k=v/a;b/a,b/#x/\n"), "");
    // Values that begin with an item's name never become keywords.
    KB_ERWARTET(Korvan({"path", "join", "partial", "basement", "slashes"}), 0, "partial\\basement\\slashes\n", "");
}

TEST(Aufruf, SchalterUndNameGleichWert)
{
    KB_ERWARTET(Korvan({"path", "join", "PART=x", "base=y"}), 0, "y\\x\n", "");
    KB_ERWARTET(Korvan({"path", "join", "PART=a", "PART=b", "BASE=c"}), 0, "c\\a\\b\n", "");
    // The reader takes the first item whose name begins a keyword; the
    // tree's template puts DIRSONLY before DIRS before DIR.
    KB_ERWARTET(Korvan(kb::Mit_Slash({"tree", "examples\\einbinden", "dirsonly"})), 0,
                kb::Slash("examples/einbinden/teile\n"), "");
#ifndef _WIN32
    // Only a switch stands alone: other items' names are values.
    KB_ERWARTET(Korvan({"path", "join", "Base", "slash", "part"}), 0, "Base/part\n", "");
    // A value spelled like a switch is given with its item's name.
    KB_ERWARTET(Korvan({"path", "join", "BASE=slash", "PART=part", "slash"}), 0, "slash/part\n", "");
#endif
}

TEST(Aufruf, ArgumenteDieKeineZeileWerden)
{
    KB_ERWARTET(Korvan({"path", "join", "a", "b c*"}), 2, "",
                "korvan: path join: the argument \"b c*\" needs quotes, and in quotes a '*' before a quote, E, N or "
                "the end cannot be written" + Join_Nutzung);
    KB_ERWARTET(Korvan({"path", "join", "a", "b\rc"}), 2, "",
                "korvan: path join: the argument \"b\\rc\" holds a carriage return, which ends an argument line" +
                    Join_Nutzung);
    // Positional values up to 255 characters, a keyword's value up to 511,
    // the whole line up to 512.
    KB_ERWARTET(Korvan({"path", "join", "a", std::string(256, 'x')}), 2, "",
                "korvan: path join: an argument of 256 characters; at most 255 fit there" + Join_Nutzung);
    KB_ERWARTET(Korvan({"path", "join", "BASE=" + std::string(512, 'x'), "a"}), 2, "",
                "korvan: path join: an argument of 512 characters; at most 511 fit there" + Join_Nutzung);
    KB_ERWARTET(Korvan({"path", "join", std::string(255, 'x'), std::string(255, 'y'), "z"}), 2, "",
                "korvan: path join: the arguments make a line of 513 characters; at most 512 fit" + Join_Nutzung);
}

} // namespace
