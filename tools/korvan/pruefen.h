// pruefen.h - korvan check: the lines of a configuration text that Korvan's
// readers skip or read otherwise than a reader of common INI files would.
#ifndef KORVAN_PRUEFEN_H
#define KORVAN_PRUEFEN_H

#include <string>
#include <string_view>
#include <vector>

// One finding: where it is (line and column counted from 1; a line ends at
// LF, CR LF or CR) and what the readers do there, and why.
struct Befund {
    long zeile, spalte;
    std::string was;
};

// Every finding of the text, in the order of its lines.
std::vector<Befund> Pruefen(std::string_view text);

// Writes each finding as "anzeige:LINE:COLUMN: what and why" on standard
// output; 1 when there was any, 0 when the text is clean.
int Pruefen_ausgeben(const std::string &anzeige, std::string_view text);

#endif // KORVAN_PRUEFEN_H
