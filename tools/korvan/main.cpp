// main.cpp - the korvan command: its table of subcommands, their help texts,
// and the finding of the subcommand that the arguments name.
#include "befehl.h"

#include "system/system.h"

#include <cstdio>
#include <cstring>

const Option Opt_json = {"json", nullptr, "print JSON"};
const Option Opt_backslash = {"backslash", nullptr, "print paths with the library's '\\' (always so on Windows)"};
const Option Opt_progress = {"progress", nullptr, "show progress also when standard error is no terminal"};

namespace {

// A subcommand is one entry here; `korvan help` and the manual page list
// them in this order.
const std::vector<Unterbefehl> Tabelle = {
    {"sections", "FILE", "the section and class headers of a file",
     "Prints one header a line, [name] for a section and {group.number} for a\n"
     "class, in the order of the file.  With --json an array of objects with the\n"
     "kind (\"section\" or \"class\"), the name and the line number.  FILE - reads\n"
     "standard input.\n",
     {Opt_json}, false, Befehl_sections},
    {"show", "FILE [SECTION]", "the entries of one block or of all blocks",
     "Prints the colon entries (name: value) and INI entries (name=value) as\n"
     "section.name=value lines, of the block SECTION (a section's name, or a\n"
     "class's group.number) or of every block.  A quoted value is shown decoded;\n"
     "one that holds a line end or a double quote is shown as a quoted string,\n"
     "*N standing for the line end and *\" for the quote.  With --json an array\n"
     "of blocks, each with its kind, name, line and entries.  FILE - reads\n"
     "standard input.  Exit status 1 when there is no block SECTION.\n",
     {Opt_json}, false, Befehl_show},
    {"list", "FILE", "every block and entry, for a shell",
     "Prints every block and entry of FILE, one a line, as a shell reads a\n"
     "command: section NAME or class NAME for a header, entry SECTION NAME VALUE\n"
     "for an entry, each word quoted where a shell needs it ($'...' for a value\n"
     "with a line end).  With --json the array of blocks that show prints.\n"
     "FILE - reads standard input.\n",
     {Opt_json}, false, Befehl_list},
    {"get", "FILE SECTION NAME", "one value of a colon or INI entry",
     "Prints the value of the first entry NAME in the block SECTION, a quoted\n"
     "value decoded.  FILE - reads standard input.  Exit status 1 when the\n"
     "block or the entry is missing and there is no default.\n",
     {{"default", "VALUE", "print VALUE when the block or the entry is missing"}}, false, Befehl_get},
    {"set", "FILE SECTION NAME VALUE", "set one value and save the file",
     "Gives the entry NAME of the block SECTION the value VALUE where it stands,\n"
     "or adds the entry after the block's last entry, in that entry's form and\n"
     "indentation, or adds the block at the end of the file (a class when SECTION\n"
     "reads group.number) with the entry in the form of the file's last entry, or\n"
     "creates the file; a file without entries gets a colon entry NAME: VALUE.\n"
     "Only that line changes; comments, blank lines, order and line ends stay.\n"
     "A value that needs it is written as a quoted string, *N standing for a\n"
     "line end and *\" for a quote.  The file is saved atomically.\n",
     {{"ini", nullptr, "make a new entry an INI entry NAME=VALUE"}}, false, Befehl_set},
    {"remove", "FILE SECTION", "remove a block and save the file",
     "Removes the block SECTION, from its header line to its last entry's line,\n"
     "and saves the file; the blank and comment lines after it stay, as does\n"
     "everything else.  Exit status 1 when there is no such block.\n",
     {}, false, Befehl_remove},
    {"unset", "FILE SECTION NAME", "remove one entry and save the file",
     "Removes the line of the first entry NAME in the block SECTION (all its\n"
     "lines, for a quoted value over several) and saves the file; everything\n"
     "else stays.  Exit status 1 when there is no such entry.\n",
     {}, false, Befehl_unset},
    {"check", "FILE", "the lines that the readers skip or read otherwise",
     "Prints one line FILE:LINE:COLUMN: what and why for every line that the\n"
     "readers skip or read otherwise than a reader of common INI files would:\n"
     "blanks before '=', name[locale], a byte-order mark, an unclosed quoted\n"
     "string or header, a name longer than the searches keep, a name twice in a\n"
     "block, an indented header, text before the first header.  FILE - reads\n"
     "standard input.  Exit status 1 when anything was found, 0 when the file is\n"
     "clean.\n",
     {}, false, Befehl_check},
    {"args", "TEMPLATE [LINE...]", "how a line is read against a template",
     "Reads LINE (the operands after TEMPLATE joined by blanks) against TEMPLATE\n"
     "as a program of the library would, and prints every item of the template\n"
     "with its kind and value.  Options stand before TEMPLATE; everything after\n"
     "it is the line.  Exit status 1 when the line does not fit the template, 2\n"
     "when the template itself is wrong.\n",
     {Opt_json}, true, Befehl_args},
    {"preprocess", "IN [OUT]", "expand include directives into one file",
     "Writes IN with its include directives expanded, and line markers, to OUT\n"
     "or to standard output.  Other lines that begin with '#' are dropped.\n"
     "Include files are looked up beside IN; an IN named without a folder is\n"
     "read by its full path, as the markers say.  When an include file cannot\n"
     "be opened, tells the file and line of the directive, the name and the\n"
     "line.  OUT is changed only when the whole run succeeds.\n",
     {Opt_backslash}, false, Befehl_preprocess},
    {"tree", "DIR [PATTERN]", "list a directory tree",
     "Prints the files below DIR whose names match PATTERN (default *.*; '*'\n"
     "and '?' as wildcards), one full path a line, the entries of a folder\n"
     "before the folder.  Only folders that match PATTERN are entered; names\n"
     "that begin with '.' are left out.  Links below DIR are listed as files\n"
     "and never entered; a DIR that is itself a symbolic link is refused (name\n"
     "the folder it points to).  A name may hold a line feed: --null ends each\n"
     "path with a zero byte instead.  DIR is listed in one walk; progress, on a\n"
     "terminal, tells the count of entries when the walk is done.  Exit status\n"
     "1 when DIR is no folder, 2 when it is a link.\n",
     {{"dirs", nullptr, "list folders too"},
      {"dirs-only", nullptr, "list only folders"},
      {"no-descend", nullptr, "stay in DIR"},
      {"null", nullptr, "end each path with a zero byte, not a line feed"},
      Opt_progress, Opt_backslash},
     false, Befehl_tree},
    {"deltree", "DIR", "delete a directory tree",
     "Deletes DIR with everything below it, read-only files included.  Names\n"
     "that begin with '.' are never deleted, so a folder that holds one stays,\n"
     "and so do the folders above it.  Links are deleted as links, never\n"
     "entered; a DIR that is itself a symbolic link is deleted as the link,\n"
     "what it points to is left alone.  DIR is deleted in one walk from it;\n"
     "progress, on a terminal, tells the count of entries before, and how many\n"
     "of them went when the walk is done, not while it runs.  Exit status 1\n"
     "when DIR is no folder, 2 when not everything could be deleted.\n",
     {Opt_progress}, false, Befehl_deltree},
    {"run", "COMMAND [ARGUMENT...]", "run a program and wait for it",
     "Runs the program with its arguments, found in PATH and never through a\n"
     "shell, and waits for it.  Exits with the program's exit status, or 2\n"
     "when it cannot be started.\n",
     {}, true, Befehl_run},
    {"start", "COMMAND [ARGUMENT...]", "start a program without waiting",
     "Starts the program with its arguments, found in PATH and never through a\n"
     "shell, and does not wait for it.  Exit status 2 when it cannot be started.\n",
     {}, true, Befehl_start},
    {"open", "FILE [TYPE]", "open a file with its registered tool",
     "Starts the tool registered for the file's type (its extension, or TYPE\n"
     "such as .txt) and does not wait for it.  The registry of file types is\n"
     "the .reg file named by KORVAN_REGISTRY, else classes.reg in the user's\n"
     "korvan configuration folder, then the desktop's associations.  Exit status\n"
     "1 when no tool is registered, 2 when it cannot be started.\n",
     {}, false, Befehl_open},
    {"path join", "BASE PART...", "join parts onto a path",
     "Joins each PART onto BASE in turn: a relative part is added behind a\n"
     "separator, an absolute one replaces the path.  The result has at most\n"
     "259 characters.\n",
     {Opt_backslash}, false, Befehl_path_join},
    {"path tail", "PATH BASE", "the tail of a path below a base folder",
     "Prints PATH relative to BASE when it lies below BASE, else PATH whole;\n"
     "both are made canonical ('.' and '..' resolved) and compared without\n"
     "regard to letter case.\n",
     {Opt_backslash}, false, Befehl_path_tail},
    {"path base", "PATH", "the base name of a path",
     "Prints the part of PATH after its last separator or drive colon.\n",
     {}, false, Befehl_path_base},
    {"path slashify", "PATH [SEPARATOR]", "unify the separators of a path",
     "Prints PATH with every '\\' and '/' turned into SEPARATOR (one\n"
     "character, default '\\').\n",
     {}, false, Befehl_path_slashify},
};

const char Nutzung[] = "Usage: korvan SUBCOMMAND [OPTION]... [OPERAND]...\n";

// The synopses of the subcommands whose name begins with `gruppe` ("" for
// all, "path " for the path group), each with its few words.
void Liste_ausgeben(std::string_view gruppe)
{
    for (const Unterbefehl &b : Tabelle) {
        if (std::string_view(b.name).substr(0, gruppe.size()) != gruppe)
            continue;
        std::string aufruf = Aufruf(b);
        if (aufruf.size() > 34) // a long synopsis has its few words on the next line
            std::printf("  %s\n  %-34s  %s\n", aufruf.c_str(), "", b.kurz);
        else
            std::printf("  %-34s  %s\n", aufruf.c_str(), b.kurz);
    }
}

void Gruppe_ausgeben()
{
    std::fputs("Usage: korvan path SUBCOMMAND [OPTION]... OPERAND...\n\n", stdout);
    Liste_ausgeben("path ");
}

void Uebersicht_ausgeben()
{
    std::printf("%s\n", Nutzung);
    Liste_ausgeben("");
    std::printf("  %-34s  %s\n", "help [SUBCOMMAND]", "this text, or all about a subcommand");
    std::fputs("\n"
               "Options may stand before or after the operands, except where a program's\n"
               "arguments or a template's line follow; '--' ends them, so that an operand\n"
               "may begin with '-'.  -h or --help after a subcommand tells all about it;\n"
               "--version alone prints the version.\n"
               "Paths are printed with '/' on POSIX systems; --backslash prints the\n"
               "library's own '\\'.  On Windows they are printed with '\\'.\n"
               "Exit status: 0 done, 1 the thing asked for is missing, 2 usage error or\n"
               "failure.\n",
               stdout);
}

// The subcommand that the first one or two words name, and how many words
// that took; null when none.
const Unterbefehl *Finden(int argc, char **argv, int ab, int *woerter)
{
    for (const Unterbefehl &b : Tabelle) {
        std::string_view name = b.name;
        size_t blank = name.find(' ');
        if (blank == std::string_view::npos) {
            if (ab < argc && argv[ab] == name) {
                *woerter = 1;
                return &b;
            }
        } else if (ab + 1 < argc && argv[ab] == name.substr(0, blank) && argv[ab + 1] == name.substr(blank + 1)) {
            *woerter = 2;
            return &b;
        }
    }
    return nullptr;
}

int Kein_Unterbefehl(const std::string &text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "korvan: %s\nTry 'korvan help'.\n", text.c_str());
    return Status_Fehler;
}

// korvan help [SUBCOMMAND]; "path" alone lists its group.
int Hilfe(int argc, char **argv)
{
    int woerter = 0;
    const Unterbefehl *b = Finden(argc, argv, 2, &woerter);
    if (argc == 2) {
        Uebersicht_ausgeben();
    } else if (argc == 3 && std::strcmp(argv[2], "path") == 0) {
        Gruppe_ausgeben();
    } else if (b && 2 + woerter == argc) {
        Hilfe_ausgeben(*b);
    } else {
        std::string name = argv[2];
        for (int i = 3; i < argc; ++i)
            name += std::string(" ") + argv[i];
        return Kein_Unterbefehl("help: no subcommand '" + name + "'");
    }
    return Status_ok;
}

} // namespace

void Hilfe_ausgeben(const Unterbefehl &b)
{
    std::printf("Usage: korvan %s\n\n%s\nOptions:\n", Aufruf(b).c_str(), b.hilfe);
    std::vector<Option> alle = b.optionen;
    alle.push_back({"help", nullptr, "this text"});
    for (const Option &o : alle) {
        std::string links = std::string(o.lang == std::string_view("help") ? "-h, " : "    ") + "--" + o.lang +
                            (o.wert ? std::string(" ") + o.wert : "");
        std::printf("  %-22s  %s\n", links.c_str(), o.hilfe);
    }
}

int main(int argc, char **argv)
{
    Stroeme_einrichten();
    if (argc < 2) {
        std::fprintf(stderr, "%sTry 'korvan help'.\n", Nutzung);
        return Status_Fehler;
    }
    std::string erstes = argv[1];
    if (erstes == "help" || erstes == "-h" || erstes == "--help")
        return erstes == "help" ? Hilfe(argc, argv) : (Uebersicht_ausgeben(), Status_ok);
    if (erstes == "--version") {
        std::printf("korvan %s\n", KORVAN_VERSION);
        return Status_ok;
    }
    if (erstes.size() > 1 && erstes[0] == '-')
        return Kein_Unterbefehl("unknown option '" + erstes.substr(0, erstes.find('=')) + "'");

    int woerter = 0;
    const Unterbefehl *b = Finden(argc, argv, 1, &woerter);
    bool hilfe = argc == 3 && (std::strcmp(argv[2], "-h") == 0 || std::strcmp(argv[2], "--help") == 0);
    if (!b && erstes == "path" && hilfe)
        return Gruppe_ausgeben(), Status_ok;
    if (!b && erstes == "path")
        return Kein_Unterbefehl(argc == 2 ? "path: give join, tail, base or slashify"
                                          : "path: no subcommand '" + std::string(argv[2]) + "'");
    if (!b)
        return Kein_Unterbefehl("no subcommand '" + erstes + "'");
    Werte w;
    int status = Argumente_lesen(*b, argc - woerter, argv + woerter, &w);
    return status >= 0 ? status : b->ausfuehren(*b, w);
}
