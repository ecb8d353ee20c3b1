// system.h - what the korvan command asks of the operating system itself,
// beyond the library: whether standard error is a terminal, standard
// streams that carry their bytes unchanged, a private temporary file, and
// the options of the shell's arguments read as the C library reads them.
// posix.cpp and win32.cpp implement it, optionen.cpp on both; nothing else
// in the command includes a system header.
#ifndef KORVAN_BEFEHL_SYSTEM_H
#define KORVAN_BEFEHL_SYSTEM_H

#include <vector>

// Once at the start: standard output and error carry the bytes as written
// (the Windows runtime would write each line feed as CR LF, and
// preprocess's output would no longer equal the file it writes).
void Stroeme_einrichten();
// True when standard error is a terminal: progress is shown only there.
bool Fehlerausgabe_ist_Terminal();
// Makes a new, empty file by that name that only this user may read or
// write, never through a link; false when the name exists or no file can be
// made.
bool Datei_neu_privat(const char *pfad);

// A long option of a scan: its name, and whether it takes a value.
struct Langoption {
    const char *name;
    bool wert;
};

// One step of an option scan.  `art` is 256 + the index of a long option,
// 'h' for -h or --help, '?' for an unknown option or a value given to one
// that takes none, ':' for a missing value, and -1 when the options end;
// `welche` the option an error is about (256 + index for a long one, the
// letter for a short one, 0 when unknown); `wert` the option's value or
// null; `weiter` the index in argv of the argument after the step.
struct Optionsschritt {
    int art;
    int welche;
    const char *wert;
    int weiter;
};

// Reads the options of argv[1..argc) in the GNU manner (options anywhere,
// or with `vorn` only before the first operand; "--" ends them), arguments
// being moved so that the operands come last.  The scan stops at its first
// step that is not a long option (the end, -h or an error): that step is
// the vector's last.
std::vector<Optionsschritt> Optionen_lesen(int argc, char **argv, const std::vector<Langoption> &lang, bool vorn);

#endif // KORVAN_BEFEHL_SYSTEM_H
