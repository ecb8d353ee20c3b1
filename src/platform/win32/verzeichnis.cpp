// verzeichnis.cpp - Win32: the system's directory search for the search
// above, and the status, attribute and delete services of the file trees.
#include "../system.h"

#include <windows.h>

#include <direct.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

namespace {

// Junctions and symbolic links carry the directory attribute when they
// point to a directory, but are never entered.  Other reparse points (files
// kept by a cloud service, for example) are ordinary entries.
bool Ist_Verweis(DWORD attribute, DWORD kennzeichen)
{
    return (attribute & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (kennzeichen == IO_REPARSE_TAG_SYMLINK || kennzeichen == IO_REPARSE_TAG_MOUNT_POINT);
}

bool Ist_Verzeichnis(const WIN32_FIND_DATAA &daten)
{
    return (daten.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !Ist_Verweis(daten.dwFileAttributes, daten.dwReserved0);
}

// True when the directory named by everything before the pattern's last
// separator is a link.  A drive root, the current directory and paths the
// system cannot find are no links.
bool Verzeichnis_ist_Verweis(const char *muster)
{
    const char *trenner = nullptr;
    for (const char *p = muster; *p; ++p) {
        if (*p == '\\' || *p == '/')
            trenner = p;
    }
    if (!trenner)
        return false;
    char verzeichnis[MAX_PATH];
    size_t n = static_cast<size_t>(trenner - muster);
    if (n == 0 || n >= sizeof verzeichnis)
        return false;
    std::memcpy(verzeichnis, muster, n);
    verzeichnis[n] = '\0';
    WIN32_FIND_DATAA daten;
    HANDLE h = FindFirstFileA(verzeichnis, &daten);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return Ist_Verweis(daten.dwFileAttributes, daten.dwReserved0);
}

// Hands the first entry and every further one that the system reports.
bool Eintraege_geben(HANDLE h, WIN32_FIND_DATAA *daten, const Eintragsnehmer &n)
{
    do {
        if (n.passt(n.ziel, daten->cFileName) && !n.nehmen(n.ziel, daten->cFileName, Ist_Verzeichnis(*daten)))
            return false;
    } while (FindNextFileA(h, daten));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

} // namespace

// The system matches the names, its short 8.3 names included.
bool Ordner_auflisten(const char *muster, bool folgen, const Eintragsnehmer &nehmer)
{
    if (!muster || (!folgen && Verzeichnis_ist_Verweis(muster)))
        return false;
    WIN32_FIND_DATAA daten;
    HANDLE h = FindFirstFileA(muster, &daten);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool gut = Eintraege_geben(h, &daten, nehmer);
    FindClose(h);
    return gut;
}

// Windows reaches every entry by its whole path.  A walk knows its root, so
// that only the root's own search may pass through a link (with `folgen`);
// every folder below it is searched only when it is no link, and a link is
// never entered (Ist_Verzeichnis), so no path of the walk leads through one.
struct Baumgang {
    bool folgen;
    size_t wurzellaenge; // the root's path, trailing separators left out
};

namespace {

bool Ist_Trenner(char c)
{
    return c == '\\' || c == '/';
}

size_t Ohne_Trenner(const char *pfad, size_t n)
{
    while (n > 1 && Ist_Trenner(pfad[n - 1]))
        --n;
    return n;
}

} // namespace

Baumgang *Baumgang_beginnen(const char *wurzel, bool folgen)
{
    auto *g = static_cast<Baumgang *>(heapaufrufe.belegen(sizeof(Baumgang)));
    if (g) {
        g->folgen = folgen;
        g->wurzellaenge = wurzel ? Ohne_Trenner(wurzel, std::strlen(wurzel)) : 0;
    }
    return g;
}

void Baumgang_beenden(Baumgang *gang)
{
    std::free(gang);
}

bool Ordner_auflisten(Baumgang *gang, const char *muster, const Eintragsnehmer &nehmer)
{
    if (!gang || !muster)
        return Ordner_auflisten(muster, false, nehmer);
    size_t trenner = 0;
    for (size_t i = 0; muster[i]; ++i) {
        if (Ist_Trenner(muster[i]))
            trenner = i;
    }
    bool wurzel = Ohne_Trenner(muster, trenner) == gang->wurzellaenge;
    return Ordner_auflisten(muster, gang->folgen && wurzel, nehmer);
}

// The runtime reads the entry's own attributes, so a link to a directory
// counts as a directory here and is removed as one, never entered.
bool Eintrag_Status(Baumgang *, const char *pfad, bool *verzeichnis)
{
    struct _stat64i32 st;
    if (!pfad || _stat64i32(pfad, &st) != 0)
        return false;
    *verzeichnis = (st.st_mode & _S_IFDIR) != 0;
    return true;
}

// Acts on a link itself, never on what it points to.
bool Eintrag_normal_setzen(Baumgang *gang, const char *pfad, bool *verzeichnis)
{
    if (!pfad)
        return false;
    SetFileAttributesA(pfad, FILE_ATTRIBUTE_NORMAL);
    bool ist_verzeichnis;
    if (!Eintrag_Status(gang, pfad, &ist_verzeichnis))
        return false;
    if (verzeichnis)
        *verzeichnis = ist_verzeichnis;
    return true;
}

int Datei_loeschen(Baumgang *, const char *pfad)
{
    return pfad && _unlink(pfad) == 0 ? 0 : -1;
}

int Verzeichnis_entfernen(Baumgang *, const char *pfad)
{
    return pfad && _rmdir(pfad) == 0 ? 0 : -1;
}

bool Wurzel_normal_setzen(Baumgang *, const char *pfad)
{
    return Eintrag_normal_setzen(pfad);
}

int Wurzel_entfernen(Baumgang *, const char *pfad)
{
    return Verzeichnis_entfernen(pfad);
}

// A read-only file cannot be deleted here: the attributes go first.
int Datei_normal_loeschen(Baumgang *gang, const char *pfad)
{
    bool verzeichnis;
    if (!Eintrag_normal_setzen(gang, pfad, &verzeichnis) || verzeichnis)
        return 1;
    return Datei_loeschen(gang, pfad);
}
