// werkzeug.cpp - opening a file with the tool that the registry of file
// types names for its extension, without waiting for the tool.
#include "korvan.h"

#include "../platform/plattform.h"

#include <cstring>

namespace {

constexpr size_t Namengroesse = 260;     // type name and key path
constexpr size_t Befehlsgroesse = 780;   // command text and command line
constexpr size_t Variablengroesse = 256; // name of an environment variable
constexpr char Oeffnen_Befehl[] = "\\shell\\open\\command";

// A text that does not fit its buffer refuses the call; the error word then
// holds the registry's code for a value too long for its buffer.
constexpr uint32_t Zu_lang = Register_zu_lang;

// A command line being built.  Every append checks the limit here.
struct Zeile {
    char text[Befehlsgroesse];
    size_t laenge;
    bool zu_lang;
};

void Anhaengen(Zeile &z, const char *s, size_t n)
{
    if (z.laenge + n >= sizeof z.text) {
        z.zu_lang = true;
        return;
    }
    std::memcpy(z.text + z.laenge, s, n);
    z.laenge += n;
    z.text[z.laenge] = '\0';
}

void Anhaengen(Zeile &z, const char *s)
{
    Anhaengen(z, s, std::strlen(s));
}

// The key of the type's open command.
int32_t Befehlsschluessel_oeffnen(const char *typ, Registerschluessel *schluessel)
{
    char pfad[Namengroesse];
    size_t n = std::strlen(typ);
    if (n + sizeof Oeffnen_Befehl > sizeof pfad)
        return Zu_lang;
    std::memcpy(pfad, typ, n);
    std::memcpy(pfad + n, Oeffnen_Befehl, sizeof Oeffnen_Befehl);
    return Register_Schluessel_oeffnen(pfad, schluessel);
}

// The first '%' must begin "%1", which the file name replaces as it stands;
// a text without '%' gets a blank and the file name.  A '%' after that "%1"
// stays in the text.  False when the first '%' begins anything else.
bool Datei_einsetzen(const char *befehl, const char *datei, Zeile &z)
{
    const char *prozent = std::strchr(befehl, '%');
    if (!prozent) {
        Anhaengen(z, befehl);
        Anhaengen(z, " ");
        Anhaengen(z, datei);
        return true;
    }
    if (prozent[1] != '1')
        return false;
    Anhaengen(z, befehl, static_cast<size_t>(prozent - befehl));
    Anhaengen(z, datei);
    Anhaengen(z, prozent + 2);
    return true;
}

// The scan of the explicit call: the text is cut at the first "%1" or "%2"
// and gets a blank and the file name; before that one environment variable
// between two '%' is expanded.  The text before a variable is kept, a
// variable that is not set and a '%' without a closing one stay as they
// stand.  False when a name or the line does not fit.
bool Befehl_erweitern(const char *befehl, const char *datei, Zeile &z)
{
    Anhaengen(z, befehl);
    size_t weiter = 0;
    bool erweitert = false;
    for (char *prozent; (prozent = std::strchr(z.text + weiter, '%'));) {
        size_t stelle = static_cast<size_t>(prozent - z.text);
        if (prozent[1] == '1' || prozent[1] == '2') {
            z.text[stelle] = '\0';
            z.laenge = stelle;
            break;
        }
        weiter = stelle + 1;
        const char *schluss = std::strchr(prozent + 1, '%');
        if (erweitert || !schluss)
            continue;
        size_t n = static_cast<size_t>(schluss - prozent - 1);
        if (n >= Variablengroesse)
            return false;
        char name[Variablengroesse];
        std::memcpy(name, prozent + 1, n);
        name[n] = '\0';
        erweitert = true;
        const char *wert = Umgebungsvariable(name);
        if (!wert)
            continue;
        Zeile neu{};
        Anhaengen(neu, z.text, stelle);
        Anhaengen(neu, wert);
        Anhaengen(neu, schluss + 1);
        if (neu.zu_lang)
            return false;
        z = neu;
    }
    Anhaengen(z, " ");
    Anhaengen(z, datei);
    return !z.zu_lang;
}

// No Windows file name holds '"'; on POSIX one could close the quotes
// around %1 and hand the tool arguments of its own.  So such a name is
// refused as the system refuses a name that no file can have.
bool Name_unmoeglich(const char *datei, unsigned int *fehler)
{
    if (!std::strchr(datei, '"'))
        return false;
    *fehler = Fehlercode_ungueltiger_Name();
    return true;
}

// Starts the tool; the result of the start, the error code in *fehler.
int Starten(const Zeile &z, unsigned int *fehler)
{
    if (z.zu_lang) {
        *fehler = Zu_lang;
        return 0;
    }
    uint32_t code = Prozess_loslassen(z.text, Startart::wie_aufrufer);
    if (code != 0) {
        *fehler = code;
        return 0;
    }
    return 1;
}

} // namespace

extern "C" {

int KR_CALL KR_Standardwerkzeug_aufrufen(const char *datei, unsigned int *fehler)
{
    unsigned int eigenes_wort;
    if (!fehler)
        fehler = &eigenes_wort;

    // Step 1
    *fehler = 0;
    if (!datei) {
        *fehler = 1;
        return 0;
    }
    if (Name_unmoeglich(datei, fehler))
        return 0;

    // Steps 2 and 3
    char endung[Variablengroesse];
    if (!Dateiendung(datei, endung, sizeof endung)) {
        *fehler = Zu_lang;
        return 0;
    }
    char typ[Namengroesse];
    *fehler = static_cast<uint32_t>(Register_Wert_lesen(endung, typ, sizeof typ));
    if (*fehler != 0)
        return 0;

    // Steps 4 and 5
    Registerschluessel schluessel;
    *fehler = static_cast<uint32_t>(Befehlsschluessel_oeffnen(typ, &schluessel));
    if (*fehler != 0)
        return 0;
    char befehl[Befehlsgroesse];
    *fehler = static_cast<uint32_t>(Register_Schluesselwert_lesen(&schluessel, befehl, sizeof befehl));

    // Steps 6 to 9
    int ergebnis = 0;
    Zeile z{};
    if (*fehler == 0 && Datei_einsetzen(befehl, datei, z))
        ergebnis = Starten(z, fehler);
    Register_Schluessel_schliessen(&schluessel);
    return ergebnis;
}

int KR_CALL KR_Standardwerkzeug_aufrufen_expl(const char *datei, const char *endung, unsigned int *fehler)
{
    unsigned int eigenes_wort;
    if (!fehler)
        fehler = &eigenes_wort;

    // Step 1; a null extension is refused as a null file name is.
    *fehler = 0;
    if (!datei || !endung) {
        *fehler = 1;
        return 0;
    }
    if (Name_unmoeglich(datei, fehler))
        return 0;

    // Steps 2 to 5
    char typ[Namengroesse];
    *fehler = static_cast<uint32_t>(Register_Wert_lesen(endung, typ, sizeof typ));
    if (*fehler != 0)
        return 0;
    char befehl[Befehlsgroesse];
    std::memset(befehl, 0, sizeof befehl);
    Registerschluessel schluessel;
    *fehler = static_cast<uint32_t>(Befehlsschluessel_oeffnen(typ, &schluessel));
    if (*fehler != 0)
        return 0;
    *fehler = static_cast<uint32_t>(Register_Schluesselwert_lesen_ex(&schluessel, befehl, sizeof befehl));

    // Steps 6 to 8
    int ergebnis = 0;
    Zeile z{};
    if (*fehler == 0) {
        if (Befehl_erweitern(befehl, datei, z))
            ergebnis = Starten(z, fehler);
        else
            *fehler = Zu_lang;
    }
    Register_Schluessel_schliessen(&schluessel);
    return ergebnis;
}

} // extern "C"
