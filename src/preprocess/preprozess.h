// preprozess.h - internal operations of the preprocessor, for its tests.
#ifndef KORVAN_PREPROZESS_H
#define KORVAN_PREPROZESS_H

#include <cstddef>

enum class Zeilenart {
    gewoehnlich, // copied to the output
    verworfen,   // a directive other than "include": dropped
    einbindung   // an include directive; the name may be empty
};

struct Einordnung {
    Zeilenart art;
    const char *name;   // include name inside the chunk (einbindung only)
    size_t namenlaenge; // its length; 0 for a directive without a name
};

// Classifies one chunk (a zero-terminated text) by itself.
Einordnung Zeile_einordnen(const char *stueck);

// Deepest nesting of include files; one more level fails the directive.
constexpr int Groesste_Tiefe = 200;

#endif // KORVAN_PREPROZESS_H
