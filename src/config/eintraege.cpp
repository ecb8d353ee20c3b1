// eintraege.cpp - the entries of a block: colon entries (name: value) and
// INI entries (name=value), found by name or walked one line at a time.
#include "config/konfig.h"

namespace {

using namespace konfig;

// The search of both entry kinds, from the line after the current one to the
// end of the block; art is the element result of the wanted name.
int Eintrag_suchen(const char *name, Zugriffshandle *h, Elementergebnis art)
{
    if (!h || !name)
        return 0;
    Leser l(h);
    // 1.
    if (!Naechste_Zeile(l))
        return 0;
    // 2.
    int c = Lesen(l);
    if (c == Ende)
        return 0;
    for (;;) {
        // 3. A header ends the block; the reader stands before it.
        Zuruecklesen(l);
        if (Ist_Klammer(c))
            return 0;
        // 4. The line's name, and behind it the ':' or '='.
        char element[Namenspuffer];
        if (Element_lesen_Konfiguration(l, element, Namenspuffer) == art && Namen_gleich(element, name)) {
            Lesen(l);
            return 1;
        }
        // 5. The next line.
        if (!Naechste_Zeile(l))
            return 0;
        c = Lesen(l);
        if (c == Ende)
            return 0;
    }
}

} // namespace

extern "C" {

int KR_CALL KR_Eintrag_finden(const char *name, Zugriffshandle *h)
{
    return Eintrag_suchen(name, h, Element_Doppelpunkt);
}

int KR_CALL KR_INI_Eintrag_finden(const char *name, Zugriffshandle *h)
{
    return Eintrag_suchen(name, h, Element_Gleich);
}

int KR_CALL KR_naechster_Eintrag(char *puffer, unsigned short groesse, Zugriffshandle *h)
{
    if (!h)
        return 0;
    Leser l(h);
    // 1.
    if (!Naechste_Zeile(l))
        return 0;
    // 2. A header ends the block; the reader stands before it.
    int c = Lesen(l);
    Zuruecklegen(l, c);
    if (Ist_Klammer(c))
        return 0;
    // 3., 4. A name with its ':' read, or a plain word or quoted string.
    switch (Element_lesen_Konfiguration(l, puffer, groesse)) {
    case Element_Doppelpunkt:
        Lesen(l);
        return 1;
    case Element_Wort:
    case Element_Zeichenkette:
        return 1;
    default:
        return 0;
    }
}

int KR_CALL KR_naechster_INI_Eintrag(char *puffer, unsigned short groesse, Zugriffshandle *h)
{
    if (!h)
        return 0;
    Leser l(h);
    // 1.
    if (!Naechste_Zeile(l))
        return 0;
    // 2. A header line gives a name ended by a bracket, and so ends the walk.
    if (Element_lesen_Konfiguration(l, puffer, groesse) != Element_Gleich)
        return 0;
    // 3. The '='.
    Lesen(l);
    return 1;
}

} // extern "C"
