// main.cpp - the korvan command: its subcommands, their usage texts, and the
// reading of each subcommand's arguments against its template.
#include "befehl.h"

#include "platform/plattform.h"

#include <cstdio>
#include <cstring>

namespace {

// On POSIX a path can be printed with '/' throughout; on Windows the
// library's '\' is the system's own separator.
#if defined(_WIN32)
#  define KR_SLASH_VORLAGE ""
#  define KR_SLASH_AUFRUF ""
#  define KR_SLASH_HILFE ""
#else
#  define KR_SLASH_VORLAGE ",SLASH/S"
#  define KR_SLASH_AUFRUF " [SLASH]"
#  define KR_SLASH_HILFE "SLASH prints the paths with '/' in place of the library's '\\'.\n"
#endif

// Keywords that begin with the name of another item stand before it, as the
// reader takes the first item whose name begins a keyword (DIRSONLY before
// DIRS before DIR).
const std::vector<Unterbefehl> Tabelle = {
    {"sections", "FILE/A,JSON/S", "sections FILE [JSON]",
     "the section and class headers of a file",
     "Prints one header a line, [name] for a section and {group.number} for a\n"
     "class, in the order of the file.  JSON prints an array of objects with the\n"
     "kind (\"section\" or \"class\"), the name and the line number.  FILE - reads\n"
     "standard input.\n",
     false, Befehl_sections},
    {"show", "FILE/A,SECTION,JSON/S", "show FILE [SECTION] [JSON]",
     "the entries of one block or of all blocks",
     "Prints the colon entries (name: value) and INI entries (name=value) as\n"
     "section.name=value lines, of the block SECTION (a section's name, or a\n"
     "class's group.number) or of every block.  A quoted value is shown decoded;\n"
     "one that holds a line end or a double quote is shown as a quoted string,\n"
     "*N standing for the line end and *\" for the quote.  JSON prints an array\n"
     "of blocks, each with its kind, name, line and entries.  FILE - reads\n"
     "standard input.  Exit status 1 when there is no block SECTION.\n",
     false, Befehl_show},
    {"list", "FILE/A,JSON/S", "list FILE [JSON]",
     "every block and entry, for a shell",
     "Prints every block and entry of FILE, one a line, as a shell reads a\n"
     "command: section NAME or class NAME for a header, entry SECTION NAME VALUE\n"
     "for an entry, each word quoted where a shell needs it ($'...' for a value\n"
     "with a line end).  JSON prints the array of blocks that show prints.  FILE -\n"
     "reads standard input.\n",
     false, Befehl_list},
    {"get", "FILE/A,SECTION/A,NAME/A,DEFAULT/K", "get FILE SECTION NAME [DEFAULT=VALUE]",
     "one value of a colon or INI entry",
     "Prints the value of the first entry NAME in the block SECTION, a quoted\n"
     "value decoded, or VALUE when the block or the entry is missing and\n"
     "DEFAULT=VALUE is given.  FILE - reads standard input.  Exit status 1 when\n"
     "the block or the entry is missing and there is no default.\n",
     false, Befehl_get},
    {"set", "FILE/A,SECTION/A,NAME/A,VALUE/A,INI/S", "set FILE SECTION NAME VALUE [INI]",
     "set one value and save the file",
     "Gives the entry NAME of the block SECTION the value VALUE where it stands,\n"
     "or adds the entry after the block's last entry, in that entry's form and\n"
     "indentation, or adds the block at the end of the file (a class when SECTION\n"
     "reads group.number) with the entry in the form of the file's last entry, or\n"
     "creates the file.  INI makes a new entry an INI entry NAME=VALUE; a file\n"
     "without entries gets a colon entry NAME: VALUE.  Only that line changes;\n"
     "comments, blank lines, order and line ends stay.  A value that needs it is\n"
     "written as a quoted string, *N standing for a line end and *\" for a quote.\n"
     "The file is saved atomically.\n",
     false, Befehl_set},
    {"remove", "FILE/A,SECTION/A", "remove FILE SECTION",
     "remove a block and save the file",
     "Removes the block SECTION, from its header line to its last entry's line,\n"
     "and saves the file; the blank and comment lines after it stay, as does\n"
     "everything else.  Exit status 1 when there is no such block.\n",
     false, Befehl_remove},
    {"unset", "FILE/A,SECTION/A,NAME/A", "unset FILE SECTION NAME",
     "remove one entry and save the file",
     "Removes the line of the first entry NAME in the block SECTION (all its\n"
     "lines, for a quoted value over several) and saves the file; everything\n"
     "else stays.  Exit status 1 when there is no such entry.\n",
     false, Befehl_unset},
    {"args", "TEMPLATE/A,JSON/S,LINE/F", "args [JSON] TEMPLATE LINE...",
     "how a line is read against a template",
     "Reads LINE (the remaining arguments joined by blanks) against TEMPLATE as\n"
     "a program of the library would, and prints every item of the template\n"
     "with its kind and value.  Exit status 1 when the line does not fit the\n"
     "template, 2 when the template itself is wrong.  JSON, when given, must\n"
     "come before LINE, which takes everything after it.\n",
     false, Befehl_args},
    {"preprocess", "IN/A,OUT" KR_SLASH_VORLAGE, "preprocess IN [OUT]" KR_SLASH_AUFRUF,
     "expand include directives into one file",
     "Writes IN with its include directives expanded, and line markers, to OUT\n"
     "or to standard output.  Other lines that begin with '#' are dropped.\n"
     "Include files are looked up beside IN.  When an include file cannot be\n"
     "opened, tells the file and line of the directive, the name and the line.\n"
     KR_SLASH_HILFE,
     false, Befehl_preprocess},
    {"tree", "DIRSONLY/S,DIRS/S,NODESCEND/S,PROGRESS/S,DIR/A,PATTERN" KR_SLASH_VORLAGE,
     "tree DIR [PATTERN] [DIRS] [NODESCEND] [DIRSONLY]" KR_SLASH_AUFRUF " [PROGRESS]",
     "list a directory tree",
     "Prints the files below DIR whose names match PATTERN (default *.*; '*'\n"
     "and '?' as wildcards), one full path a line, the entries of a folder\n"
     "before the folder.  DIRS lists folders too, DIRSONLY only folders,\n"
     "NODESCEND stays in DIR.  Only folders that match PATTERN are entered;\n"
     "names that begin with '.' are left out.  Links below DIR are listed\n"
     "as files and never entered; a DIR that is itself a symbolic link is\n"
     "refused (name the folder it points to).  Progress is shown on a\n"
     "terminal, or with PROGRESS.  Exit status 1 when DIR is no folder, 2 when\n"
     "it is a link.\n"
     KR_SLASH_HILFE,
     false, Befehl_tree},
    {"deltree", "PROGRESS/S,DIR/A", "deltree DIR [PROGRESS]",
     "delete a directory tree",
     "Deletes DIR with everything below it, read-only files included.  Names\n"
     "that begin with '.' are never deleted, so a folder that holds one stays,\n"
     "and so do the folders above it.  Links are deleted as links, never\n"
     "entered; a DIR that is itself a symbolic link is deleted as the link,\n"
     "what it points to is left alone.  Progress is shown on a terminal, or with\n"
     "PROGRESS.  Exit status 1 when DIR is no folder, 2 when not everything\n"
     "could be deleted.\n",
     false, Befehl_deltree},
    {"run", "COMMAND/A/F", "run COMMAND [ARGUMENT...]",
     "run a program and wait for it",
     "Runs the program with its arguments, found in PATH and never through a\n"
     "shell, and waits for it.  Exits with the program's exit status, or 2\n"
     "when it cannot be started.\n",
     true, Befehl_run},
    {"start", "COMMAND/A/F", "start COMMAND [ARGUMENT...]",
     "start a program without waiting",
     "Starts the program with its arguments, found in PATH and never through a\n"
     "shell, and does not wait for it.  Exit status 2 when it cannot be started.\n",
     true, Befehl_start},
    {"open", "FILE/A,TYPE", "open FILE [TYPE]",
     "open a file with its registered tool",
     "Starts the tool registered for the file's type (its extension, or TYPE\n"
     "such as .txt) and does not wait for it.  The registry of file types is\n"
     "the .reg file named by KORVAN_REGISTRY, else classes.reg in the user's\n"
     "korvan configuration folder, then the desktop's associations.  Exit status\n"
     "1 when no tool is registered, 2 when it cannot be started.\n",
     false, Befehl_open},
    {"path join", "BASE/A,PART/A/M" KR_SLASH_VORLAGE, "path join BASE PART..." KR_SLASH_AUFRUF,
     "join parts onto a path",
     "Joins each PART onto BASE in turn: a relative part is added behind a\n"
     "separator, an absolute one replaces the path.  The result has at most\n"
     "259 characters.\n"
     KR_SLASH_HILFE,
     false, Befehl_path_join},
    {"path tail", "PATH/A,BASE/A" KR_SLASH_VORLAGE, "path tail PATH BASE" KR_SLASH_AUFRUF,
     "the tail of a path below a base folder",
     "Prints PATH relative to BASE when it lies below BASE, else PATH whole;\n"
     "both are made canonical ('.' and '..' resolved) and compared without\n"
     "regard to letter case.\n"
     KR_SLASH_HILFE,
     false, Befehl_path_tail},
    {"path base", "PATH/A", "path base PATH",
     "the base name of a path",
     "Prints the part of PATH after its last separator or drive colon.\n",
     false, Befehl_path_base},
    {"path slashify", "PATH/A,SEPARATOR", "path slashify PATH [SEPARATOR]",
     "unify the separators of a path",
     "Prints PATH with every '\\' and '/' turned into SEPARATOR (one\n"
     "character, default '\\').\n",
     false, Befehl_path_slashify},
};

void Uebersicht_ausgeben()
{
    std::fputs("Usage: korvan SUBCOMMAND [ARGUMENT...]\n\n", stdout);
    // A long synopsis has its few words on the next line.
    auto posten = [](const char *aufruf, const char *kurz) {
        if (std::strlen(aufruf) > 34)
            std::printf("  %s\n  %-34s  %s\n", aufruf, "", kurz);
        else
            std::printf("  %-34s  %s\n", aufruf, kurz);
    };
    for (const Unterbefehl &b : Tabelle)
        posten(b.aufruf, b.kurz);
    posten("help [SUBCOMMAND]", "this text, or all about a subcommand");
    std::fputs("\n"
               "Switches such as JSON may stand anywhere, in any letter case.  Any item may\n"
               "be given as NAME=value, which is how a value spelled like a switch is passed\n"
               "(tree DIR=dirs).  Paths are printed as the library gives them.\n"
               "Exit status: 0 done, 1 the thing asked for is missing, 2 usage error or\n"
               "failure.\n",
               stdout);
}

void Hilfe_ausgeben(const Unterbefehl &b)
{
    std::printf("Usage: korvan %s\n\n%s\nTemplate: %s\n", b.aufruf, b.hilfe, b.vorlage);
}

// The subcommand that the first one or two arguments name, and how many
// arguments that took.
const Unterbefehl *Finden(const std::vector<std::string> &a, size_t ab, size_t *woerter)
{
    for (const Unterbefehl &b : Tabelle) {
        std::string_view name = b.name;
        size_t blank = name.find(' ');
        if (blank == std::string_view::npos) {
            if (ab < a.size() && a[ab] == name) {
                *woerter = 1;
                return &b;
            }
        } else if (ab + 1 < a.size() && a[ab] == name.substr(0, blank) && a[ab + 1] == name.substr(blank + 1)) {
            *woerter = 2;
            return &b;
        }
    }
    return nullptr;
}

int Hilfe(const std::vector<std::string> &a)
{
    if (a.size() == 1) {
        Uebersicht_ausgeben();
        return Status_ok;
    }
    size_t woerter = 0;
    const Unterbefehl *b = Finden(a, 1, &woerter);
    if (!b || 1 + woerter != a.size()) {
        std::string name = a[1];
        for (size_t i = 2; i < a.size(); ++i)
            name += " " + a[i];
        return Fehler(Status_Fehler, "help: no subcommand '" + name + "'; 'korvan help' lists them");
    }
    Hilfe_ausgeben(*b);
    return Status_ok;
}

} // namespace

int main(int argc, char **argv)
{
    Standardstroeme_unveraendert();
    std::vector<std::string> a(argv + 1, argv + argc);
    if (a.empty()) {
        Uebersicht_ausgeben();
        return Status_Fehler;
    }
    if (a[0] == "help" || a[0] == "-h" || a[0] == "--help")
        return Hilfe(a);

    size_t woerter = 0;
    const Unterbefehl *b = Finden(a, 0, &woerter);
    if (!b) {
        if (a[0] == "path")
            return Fehler(Status_Fehler, "path: give join, tail, base or slashify; 'korvan help' lists them");
        return Fehler(Status_Fehler, "no subcommand '" + a[0] + "'; 'korvan help' lists them");
    }

    // The arguments become one argument line, read against the template.
    std::vector<std::string> rest(a.begin() + static_cast<std::ptrdiff_t>(woerter), a.end());
    std::string zeile, fehler;
    Werte werte;
    if (!Zeile_bauen(*b, rest, &zeile, &fehler) || !Zeile_lesen(*b, zeile, &werte, &fehler))
        return Fehler(*b, Status_Fehler, fehler + "; usage: korvan " + b->aufruf);
    return b->ausfuehren(*b, werte);
}
