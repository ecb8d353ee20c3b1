// abschnitte.cpp - header lines of sections and classes: finding a header by
// name, a class by its numbers or its group, and the next header.
#include "config/konfig.h"

#include <cstdio>
#include <cstring>

namespace {

using namespace konfig;

// The name of a section line after its bracket, at most 40 characters: a
// quoted string, or everything up to ']', '}', a line end or the end of the
// text.  *danach is the character read after the name.  False when the name
// is longer than 40 characters.
bool Kopfname_lesen(Leser &l, char (&name)[Namenspuffer], int *danach)
{
    Ablage a(name, Namenspuffer - 1); // the last byte is kept for the zero
    int c = Lesen(l);
    if (c == '"') {
        if (!Zeichenkette_lesen(l, a, danach))
            return false;
    } else {
        while (c != Ende && c != ']' && c != '}' && !Ist_Zeilenende(c)) {
            if (!a.speichern(c))
                return false;
            c = Lesen(l);
        }
        *danach = c;
    }
    name[a.benutzt] = '\0';
    return true;
}

// How a class search compares the element of a header with the wanted text.
enum class Vergleich { ganzer_Name, Gruppenpraefix };

// The loop of the class searches from the start of the text.  '{' always
// opens a candidate, '[' only when nur_klassen is false.  A gesucht of null
// matches nothing.
int Klassenkopf_suchen(Zugriffshandle *h, const char *gesucht, Vergleich vergleich, bool nur_klassen,
                       int32_t *anfang)
{
    // 2. From the start of the text.
    KR_positionieren(h, 0);
    Leser l(h);
    int c = Lesen(l);
    for (;;) {
        if (c == '{' || (c == '[' && !nur_klassen)) {
            // 3. The element after the bracket; a line without one, or with
            // one too long for the buffer, ends the search.
            int32_t klammer = h->position - 1;
            char element[Namenspuffer];
            if (Element_lesen_Konfiguration(l, element, Namenspuffer) <= Element_keins)
                return 0;
            bool passt = gesucht && (vergleich == Vergleich::ganzer_Name
                                         ? Namen_gleich(element, gesucht)
                                         : std::strncmp(element, gesucht, std::strlen(gesucht)) == 0);
            if (passt) {
                *anfang = klammer;
                return c;
            }
        } else {
            // 4. Any other line.
            if (c == Ende)
                return 0;
            Zuruecklesen(l);
        }
        // 5. The next line.
        if (!Naechste_Zeile(l))
            return 0;
        c = Lesen(l);
    }
}

} // namespace

namespace konfig {

int Abschnitt_suchen(const char *name, Zugriffshandle *h, int32_t *anfang)
{
    if (!h || !name)
        return 0;
    // 1. From the start of the text.
    KR_positionieren(h, 0);
    Leser l(h);
    for (;;) {
        // 2.
        int c = Lesen(l);
        if (Ist_Klammer(c)) {
            // 3. A header: its name, compared without regard to case.
            int32_t klammer = h->position - 1;
            h->elementanfang = h->position;
            char gelesen[Namenspuffer];
            int danach;
            if (!Kopfname_lesen(l, gelesen, &danach))
                return 0;
            if (Namen_gleich(gelesen, name)) {
                Zuruecklegen(l, danach);
                *anfang = klammer;
                return c;
            }
            // 5. The character after the name is not taken back: a line end
            // there is consumed, and the step below skips the line after it.
            if (danach == Ende)
                return 0;
        } else {
            // 4. Any other line.
            if (c == Ende)
                return 0;
            Zuruecklesen(l);
        }
        // 5. The next line.
        if (!Naechste_Zeile(l))
            return 0;
    }
}

int Klasse_suchen(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h, int32_t *anfang)
{
    if (!h)
        return 0;
    // 1. Class names are formatted with std::snprintf: for "%lu.%lu" and
    // "%lu." it gives the same text as the Windows user library's formatter,
    // so no platform call is needed.  Where unsigned long has 64 bits the name
    // can run to 41 characters; such a name is longer than any header name and
    // so matches none.
    char gesucht[Namenspuffer];
    int n = std::snprintf(gesucht, sizeof gesucht, "%lu.%lu", gruppe, nummer);
    bool passend = n > 0 && n < Namenspuffer;
    return Klassenkopf_suchen(h, passend ? gesucht : nullptr, Vergleich::ganzer_Name, false, anfang);
}

} // namespace konfig

extern "C" {

int KR_CALL KR_Abschnitt_finden(const char *name, Zugriffshandle *h)
{
    int32_t anfang;
    return Abschnitt_suchen(name, h, &anfang);
}

int KR_CALL KR_Klasse_finden(unsigned long gruppe, unsigned long nummer, Zugriffshandle *h)
{
    int32_t anfang;
    return Klasse_suchen(gruppe, nummer, h, &anfang);
}

int KR_CALL KR_Wahre_Klasse_finden(unsigned long gruppe, Zugriffshandle *h)
{
    if (!h)
        return 0;
    // The group's prefix, compared byte for byte over its length.
    char praefix[Namenspuffer];
    std::snprintf(praefix, sizeof praefix, "%lu.", gruppe); // at most 21 characters
    int32_t anfang;
    return Klassenkopf_suchen(h, praefix, Vergleich::Gruppenpraefix, true, &anfang) != 0;
}

int KR_CALL KR_naechster_Abschnitt(char *puffer, int groesse, Zugriffshandle *h)
{
    if (!h)
        return 0;
    Leser l(h);
    for (;;) {
        // 1. A header: its name into the caller's buffer.
        int c = Lesen(l);
        if (Ist_Klammer(c)) {
            if (!puffer || groesse == 0)
                return c;
            // A name that does not fit, or a header without one, leaves the
            // empty string, so the caller never reads an unterminated buffer.
            if (Element_lesen_Konfiguration(l, puffer, groesse) <= Element_keins && groesse > 0)
                puffer[0] = '\0';
            return c;
        }
        // 2.
        if (c == Ende)
            return 0;
        // 3. The next line.
        Zuruecklesen(l);
        if (!Naechste_Zeile(l))
            return 0;
    }
}

} // extern "C"
