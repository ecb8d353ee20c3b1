// textdatei.h - small text files read whole and line by line: the .reg
// reader and the desktop-association reader share it.
#ifndef KORVAN_NACHBILDUNG_TEXTDATEI_H
#define KORVAN_NACHBILDUNG_TEXTDATEI_H

#include <cstddef>
#include <cstdint>

// A whole text file in memory, read line by line.
struct Textdatei {
    char *text; // malloc block
    size_t laenge;
    size_t position;
};

// False when the file cannot be read, is no regular file or is over 4 MiB.
bool Textdatei_laden(const char *pfad, Textdatei *datei);
void Textdatei_freigeben(Textdatei *datei);
// The next line without its line end (LF or CR LF) and without the blanks
// and tabs at both of its ends; false after the last line.
bool Naechste_Zeile(Textdatei *datei, const char **zeile, size_t *laenge);
// Compares two texts of given lengths, ASCII case ignored.
bool Gleich_ohne_Fall(const char *a, size_t an, const char *b, size_t bn);

#endif // KORVAN_NACHBILDUNG_TEXTDATEI_H
