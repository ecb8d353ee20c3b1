// system.h - what the korvan command asks of the operating system itself,
// beyond the library: whether standard error is a terminal, standard
// streams that carry their bytes unchanged, and an interruption noticed.
// posix.cpp and win32.cpp implement it; nothing else in the command
// includes a system header.
#ifndef KORVAN_BEFEHL_SYSTEM_H
#define KORVAN_BEFEHL_SYSTEM_H

// Once at the start: standard output and error carry the bytes as written
// (the Windows runtime would write each line feed as CR LF, and
// preprocess's output would no longer equal the file it writes).
void Stroeme_einrichten();
// True when standard error is a terminal: progress is shown only there.
bool Fehlerausgabe_ist_Terminal();
// From here on an interruption (Ctrl-C, a termination request) sets a flag
// instead of ending the process, so that long work can stop cleanly and
// leave its progress line finished.
void Unterbrechung_abfangen();
// True once an interruption has come.
bool Unterbrochen();

#endif // KORVAN_BEFEHL_SYSTEM_H
