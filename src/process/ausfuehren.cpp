// ausfuehren.cpp - starting a command line hidden, waiting for its exit code
// or not waiting at all.
#include "korvan.h"

#include "../platform/plattform.h"

extern "C" {

int KR_CALL KR_Ausfuehren(const char *befehlszeile, unsigned int *exitcode)
{
    unsigned int eigenes_wort;
    if (!exitcode)
        exitcode = &eigenes_wort;

    // Steps 1 and 2: a failed start passes no error code on.
    *exitcode = 0;
    Prozess prozess;
    if (Prozess_starten(befehlszeile, Startart::verborgen, &prozess) != 0)
        return 0;

    // Steps 3 to 5
    int ergebnis = 1;
    if (!Prozess_warten(&prozess))
        ergebnis = 0;
    uint32_t code;
    if (Prozess_Exitcode(&prozess, &code)) {
        *exitcode = code;
        if (code != 0)
            ergebnis = 0;
    }

    // Steps 6 and 7
    Prozess_schliessen(&prozess);
    return ergebnis;
}

int KR_CALL KR_Ausfuehren_async(const char *befehlszeile, unsigned int *fehler)
{
    unsigned int eigenes_wort;
    if (!fehler)
        fehler = &eigenes_wort;
    *fehler = 0;
    uint32_t code = Prozess_loslassen(befehlszeile, Startart::verborgen);
    if (code != 0) {
        *fehler = code;
        return 0;
    }
    return 1;
}

} // extern "C"
