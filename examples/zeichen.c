/* zeichen.c - opens a configuration file and prints it character by
 * character with its line and column, as Korvan's readers see it. */
#include <korvan.h>

#include <stdio.h>
#include <string.h>

int main(int argc, char **argv)
{
    Zugriffshandle h;
    int status, c;
    if (argc != 2) {
        fprintf(stderr, "usage: korvan-zeichen FILE\n");
        return 2;
    }
    memset(&h, 0, sizeof h);
    status = KR_Konfig_Datei_oeffnen(argv[1], &h);
    if (status != 0) {
        fprintf(stderr, "korvan-zeichen: cannot open %s (status %d)\n", argv[1], status);
        return 2;
    }
    while ((c = KR_Zeichen_lesen(&h)) != -1) {
        if (c >= 32 && c < 127)
            printf("%d:%d '%c'\n", (int)h.zeile, (int)h.spalte, c);
        else
            printf("%d:%d 0x%02X\n", (int)h.zeile, (int)h.spalte, c);
    }
    KR_Konfig_Datei_schliessen(&h);
    return 0;
}
