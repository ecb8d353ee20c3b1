/* aufrufer.c - a C program that calls one Korvan operation, as a caller's
 * program would: the whole-process side of the benchmarks times it against
 * find, rm -rf, cat and cpp, which are C programs too.  (bench_werkzeug, a
 * C++ program, loads the C++ runtime and takes half a millisecond longer to
 * start.)
 *
 *   bench_aufrufer liste DIR           KR_FileTree, the paths to stdout
 *   bench_aufrufer loeschen DIR        KR_DelTree
 *   bench_aufrufer preprozess IN OUT   KR_Preprozess
 */
#include "korvan.h"

#include <stdio.h>
#include <string.h>

/* The listing as find prints it: one path a line, then the count on stderr. */
static int liste(const char *verzeichnis)
{
    char *block = NULL;
    int anzahl = KR_FileTree(verzeichnis, "*.*", &block, KR_BAUM_VERZEICHNISSE);
    if (anzahl < 0)
        return 1;
    const char *p = block;
    for (int i = 0; i < anzahl; ++i) {
        size_t n = strlen(p);
        fwrite(p, 1, n, stdout);
        putc('\n', stdout);
        p += n + 1;
    }
    KR_FileTreefree(block);
    fflush(stdout);
    fprintf(stderr, "%d\n", anzahl);
    return 0;
}

static int preprozess(const char *ein, const char *aus)
{
    Preprozess_Fehler f;
    memset(&f, 0, sizeof f);
    if (KR_Preprozess(ein, aus, &f))
        return 0;
    fprintf(stderr, "bench_aufrufer: KR_Preprozess: code %d in %s line %d (%s)\n", f.code, f.datei, f.zeile,
            f.fehlername);
    return 1;
}

int main(int argc, char **argv)
{
    const char *befehl = argc > 1 ? argv[1] : "";
    if (strcmp(befehl, "liste") == 0 && argc == 3)
        return liste(argv[2]);
    if (strcmp(befehl, "loeschen") == 0 && argc == 3)
        return KR_DelTree(argv[2]) == 1 ? 0 : 1;
    if (strcmp(befehl, "preprozess") == 0 && argc == 4)
        return preprozess(argv[2], argv[3]);
    fprintf(stderr, "usage: bench_aufrufer liste|loeschen|preprozess ...\n");
    return 2;
}
