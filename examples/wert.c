/* wert.c - prints one value of a configuration file with Korvan's C
 * interface:  korvan-wert FILE SECTION NAME */
#include <korvan.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    Zugriffshandle h;
    char wert[256];
    int gefunden;
    if (argc != 4) {
        fprintf(stderr, "usage: korvan-wert FILE SECTION NAME\n");
        return 2;
    }
    memset(&h, 0, sizeof h);
    if (KR_Konfig_Datei_oeffnen(argv[1], &h) != 0) {
        fprintf(stderr, "korvan-wert: cannot open %s\n", argv[1]);
        return 2;
    }
    /* The search leaves the reader behind the entry's ':', where the value's
     * first element (a word, or a quoted string decoded) is read. */
    gefunden = KR_Abschnitt_finden(argv[2], &h) != 0 && KR_Eintrag_finden(argv[3], &h) != 0 &&
               KR_Element_lesen_2(wert, sizeof wert, &h) > 0;
    if (gefunden)
        printf("%s\n", wert);
    KR_Konfig_Datei_schliessen(&h);
    return gefunden ? 0 : 1;
}
