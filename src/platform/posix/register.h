// register.h - what the two POSIX files of the registry of file types share:
// text files read line by line, and the desktop's own associations that
// stand behind the .reg file.
#ifndef KORVAN_PLATTFORM_POSIX_REGISTER_H
#define KORVAN_PLATTFORM_POSIX_REGISTER_H

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

// The default value of a key that the desktop's associations stand for:
// ".ext" gives the MIME type of the extension, "<MIME type>\shell\open\command"
// the Exec line of the type's default application, its file field code
// turned into %1.  With ziel null only whether the key exists.  0,
// Register_fehlt or Register_zu_lang.
int32_t Desktop_Wert(const char *pfad, char *ziel, uint32_t groesse);

#endif // KORVAN_PLATTFORM_POSIX_REGISTER_H
