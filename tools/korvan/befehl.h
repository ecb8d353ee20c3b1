// befehl.h - what the subcommands of the korvan command share: their table,
// the values of their arguments, exit statuses, error lines and output.
#ifndef KORVAN_BEFEHL_H
#define KORVAN_BEFEHL_H

#include "korvan.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Exit statuses: success, the asked-for thing is missing, usage error or
// failure.
constexpr int Status_ok = 0;
constexpr int Status_fehlt = 1;
constexpr int Status_Fehler = 2;

// The values that one argument line gave the items of a subcommand's
// template, by item name.
class Werte {
public:
    Werte() = default;
    explicit Werte(kr::Argumentwerte w) : w_(std::move(w)) {}
    // A text or rest-of-line item; "" when it has no value.
    std::string text(std::string_view name) const { return w_.text(name).wert_oder(""); }
    // Whether the item has a value (a switch: whether it was given).
    bool gegeben(std::string_view name) const { return w_.gegeben(name); }
    // A list item's values.
    std::vector<std::string> liste(std::string_view name) const { return w_.liste(name).wert_oder({}); }

private:
    kr::Argumentwerte w_;
};

struct Unterbefehl {
    const char *name;     // "show", or two words: "path join"
    const char *vorlage;  // the argument template of its arguments
    const char *aufruf;   // the synopsis after "korvan "
    const char *kurz;     // what it does, in a few words
    const char *hilfe;    // what it does, with its items, one or more lines
    // The rest-of-line item takes the remaining arguments as a command line
    // (quoted as programs split it) rather than joined by blanks.
    bool befehlszeile;
    int (*ausfuehren)(const Unterbefehl &, const Werte &);
};

// --- argumente.cpp -----------------------------------------------------------

// Writes the shell's arguments of a subcommand as one argument line for its
// template: a word that names an item (or NAME=value) stays a keyword, every
// other argument becomes a value that the reader cannot take for one.  False
// with the reason in *fehler when an argument cannot be written so.
bool Zeile_bauen(const Unterbefehl &b, const std::vector<std::string> &argumente, std::string *zeile,
                 std::string *fehler);
// Reads the line against the subcommand's template; false with the reason.
bool Zeile_lesen(const Unterbefehl &b, const std::string &zeile, Werte *werte, std::string *fehler);
// Appends one argument to a command line so that programs get it back
// whole: quoted where it holds blanks or quotes, as the C runtime splits.
void Befehlszeile_anhaengen(std::string &zeile, const std::string &argument);

// --- ausgabe.cpp -----------------------------------------------------------

// "korvan: <subcommand>: <text>" on standard error; returns the status.
int Fehler(const Unterbefehl &b, int status, const std::string &text);
int Fehler(int status, const std::string &text);
// A path as the library gave it, or with '/' throughout when `schraeg`.
std::string Pfadform(std::string pfad, bool schraeg);
// A text as a JSON string: valid UTF-8 stays, any other byte is read as
// code page 1252; control characters are escaped.
std::string Json_Text(std::string_view text);
// A text between double quotes with C escapes, for showing argument values.
std::string Zitiert(std::string_view text);
// Writes text and a line end on standard output.
void Zeile_ausgeben(const std::string &text);

// Progress on standard error, written over itself on one line; shown only
// when standard error is a terminal or it was asked for.
class Fortschritt {
public:
    explicit Fortschritt(bool erzwungen);
    ~Fortschritt();
    void melden(const std::string &text);
    void beenden();

private:
    bool an_;
    size_t breite_ = 0;
};

// --- the subcommands ---------------------------------------------------------

int Befehl_sections(const Unterbefehl &, const Werte &);
int Befehl_show(const Unterbefehl &, const Werte &);
int Befehl_get(const Unterbefehl &, const Werte &);
int Befehl_set(const Unterbefehl &, const Werte &);
int Befehl_remove(const Unterbefehl &, const Werte &);
int Befehl_unset(const Unterbefehl &, const Werte &);
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
