// befehl.h - what the subcommands of the korvan command share: their table,
// the values of their arguments, exit statuses, error lines and output.
#ifndef KORVAN_BEFEHL_H
#define KORVAN_BEFEHL_H

#include "korvan.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Exit statuses: success, the asked-for thing is missing, usage error or
// failure.
constexpr int Status_ok = 0;
constexpr int Status_fehlt = 1;
constexpr int Status_Fehler = 2;

// An option of a subcommand, --lang; `wert` names its value in the help,
// null for a switch.
struct Option {
    const char *lang;
    const char *wert;
    const char *hilfe;
};

// What the command line gave a subcommand: its operands in order, and the
// options given, by long name, with their values ("" for a switch).
struct Werte {
    std::vector<std::string> operanden;
    std::vector<std::pair<std::string, std::string>> optionen;

    bool gegeben(std::string_view option) const;
    // The option's value; "" when it was not given.
    std::string text(std::string_view option) const;
    // The operand at `i`; "" when there are fewer.
    std::string operand(size_t i) const { return i < operanden.size() ? operanden[i] : std::string(); }
};

struct Unterbefehl {
    const char *name;      // "show", or two words: "path join"
    const char *operanden; // "FILE [SECTION]", "BASE PART...": how many, and their names
    const char *kurz;      // what it does, in a few words
    const char *hilfe;     // what it does, with its operands, one or more lines
    std::vector<Option> optionen;
    // Options only before the first operand: the rest belongs to another
    // program or is the user's own line.
    bool optionen_vorn;
    int (*ausfuehren)(const Unterbefehl &, const Werte &);
};

// The options that several subcommands share.
extern const Option Opt_json, Opt_backslash, Opt_progress;

// --- argumente.cpp -----------------------------------------------------------

// Reads a subcommand's options and operands with getopt_long; argv[0] is
// the subcommand's name.  -1 when the subcommand is to run; else the exit
// status, after its help (-h, --help) or a usage error.
int Argumente_lesen(const Unterbefehl &b, int argc, char **argv, Werte *w);
// A usage error: one line, and where to read more; returns Status_Fehler.
int Nutzungsfehler(const Unterbefehl *b, const std::string &text);
// "show [OPTION]... FILE [SECTION]".
std::string Aufruf(const Unterbefehl &b);

// --- main.cpp ----------------------------------------------------------------

// All about a subcommand, on standard output.
void Hilfe_ausgeben(const Unterbefehl &b);

// --- ausgabe.cpp -----------------------------------------------------------

// "korvan: <subcommand>: <text>" on standard error; returns the status.
int Fehler(const Unterbefehl &b, int status, const std::string &text);
int Fehler(int status, const std::string &text);
// A path as the system writes it: with '/' on POSIX, unless --backslash
// asks for the library's own '\\'; on Windows as the library gives it.
bool Schraeg(const Werte &w);
std::string Pfadform(std::string pfad, bool schraeg);
// A text as a JSON string: valid UTF-8 stays, any other byte is read as
// code page 1252; control characters are escaped.
std::string Json_Text(std::string_view text);
// A text between double quotes with C escapes, for showing argument values.
std::string Zitiert(std::string_view text);
// Writes text and a line end on standard output.
void Zeile_ausgeben(const std::string &text);

// Progress on standard error, written over itself on one line at most ten
// times a second and finished with a last line; shown only when standard
// error is a terminal or --progress asks for it.
class Fortschritt {
public:
    explicit Fortschritt(const Werte &w);
    bool an() const { return an_; }
    // Reports the text when the last report is 100 ms old.
    void melden(const std::string &text);
    // Reports the text at once, before work that reports nothing itself.
    void jetzt(const std::string &text);
    // Writes the last line.
    void beenden(const std::string &text);

private:
    void zeigen(const std::string &text, const char *ende);
    bool an_;
    size_t breite_ = 0;
    int64_t zuletzt_ = 0;
};

// --- the subcommands ---------------------------------------------------------

int Befehl_sections(const Unterbefehl &, const Werte &);
int Befehl_show(const Unterbefehl &, const Werte &);
int Befehl_get(const Unterbefehl &, const Werte &);
int Befehl_set(const Unterbefehl &, const Werte &);
int Befehl_remove(const Unterbefehl &, const Werte &);
int Befehl_unset(const Unterbefehl &, const Werte &);
int Befehl_check(const Unterbefehl &, const Werte &);
int Befehl_list(const Unterbefehl &, const Werte &);
int Befehl_args(const Unterbefehl &, const Werte &);
int Befehl_preprocess(const Unterbefehl &, const Werte &);
int Befehl_tree(const Unterbefehl &, const Werte &);
int Befehl_deltree(const Unterbefehl &, const Werte &);
int Befehl_run(const Unterbefehl &, const Werte &);
int Befehl_start(const Unterbefehl &, const Werte &);
int Befehl_open(const Unterbefehl &, const Werte &);
int Befehl_path_join(const Unterbefehl &, const Werte &);
int Befehl_path_tail(const Unterbefehl &, const Werte &);
int Befehl_path_base(const Unterbefehl &, const Werte &);
int Befehl_path_slashify(const Unterbefehl &, const Werte &);

#endif // KORVAN_BEFEHL_H
