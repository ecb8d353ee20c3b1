// verzeichnis.cpp - Win32: the system's directory search, its entries sorted
// by name, and the status, attribute and delete services of the file trees.
#include "../plattform.h"

#include <windows.h>

#include <direct.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

// The search reads the whole directory at its start, keeps the matching
// entries in one block and sorts them: the system reports them in the file
// system's order, which differs between file systems, and listings must come
// out the same everywhere.  Each entry in the block is a flag byte (1 for a
// directory) followed by the name and its terminator.
struct Verzeichnissuche {
    char *eintraege;
    size_t *anfang; // offset of each entry in `eintraege`
    size_t anzahl;
    size_t naechster;
};

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

const char *Name(const Verzeichnissuche *s, size_t i)
{
    return s->eintraege + s->anfang[i] + 1;
}

bool Wachsen(void **block, size_t *kapazitaet, size_t benoetigt, size_t elementgroesse)
{
    if (benoetigt <= *kapazitaet)
        return true;
    size_t neu = *kapazitaet ? *kapazitaet * 2 : 64;
    while (neu < benoetigt)
        neu *= 2;
    void *p = std::realloc(*block, neu * elementgroesse);
    if (!p)
        return false;
    *block = p;
    *kapazitaet = neu;
    return true;
}

void Suche_freigeben(Verzeichnissuche *s)
{
    std::free(s->eintraege);
    std::free(s->anfang);
    std::free(s);
}

// Takes the first entry and every further one that the system reports.
bool Eintraege_sammeln(HANDLE h, WIN32_FIND_DATAA *daten, Verzeichnissuche *s)
{
    size_t block_kap = 0, anfang_kap = 0, fuellstand = 0;
    do {
        size_t n = std::strlen(daten->cFileName);
        if (!Wachsen(reinterpret_cast<void **>(&s->eintraege), &block_kap, fuellstand + n + 2, 1) ||
            !Wachsen(reinterpret_cast<void **>(&s->anfang), &anfang_kap, s->anzahl + 1, sizeof(size_t)))
            return false;
        s->eintraege[fuellstand] = Ist_Verzeichnis(*daten) ? 1 : 0;
        std::memcpy(s->eintraege + fuellstand + 1, daten->cFileName, n + 1);
        s->anfang[s->anzahl++] = fuellstand;
        fuellstand += n + 2;
    } while (FindNextFileA(h, daten));
    return GetLastError() == ERROR_NO_MORE_FILES;
}

void Treffer_geben(const Verzeichnissuche *s, size_t i, Suchtreffer *treffer)
{
    const char *name = Name(s, i);
    std::memcpy(treffer->name, name, std::strlen(name) + 1);
    treffer->verzeichnis = s->eintraege[s->anfang[i]] != 0;
}

} // namespace

// The system matches the names, its short 8.3 names included.
Verzeichnissuche *Suche_beginnen(const char *muster, bool folgen, Suchtreffer *treffer)
{
    if (!muster || !treffer || (!folgen && Verzeichnis_ist_Verweis(muster)))
        return nullptr;
    WIN32_FIND_DATAA daten;
    HANDLE h = FindFirstFileA(muster, &daten);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    auto *s = static_cast<Verzeichnissuche *>(std::calloc(1, sizeof(Verzeichnissuche)));
    bool gut = s && Eintraege_sammeln(h, &daten, s);
    FindClose(h);
    if (!gut || s->anzahl == 0) {
        if (s)
            Suche_freigeben(s);
        return nullptr;
    }
    std::sort(s->anfang, s->anfang + s->anzahl,
              [s](size_t a, size_t b) { return std::strcmp(s->eintraege + a + 1, s->eintraege + b + 1) < 0; });
    Treffer_geben(s, 0, treffer);
    s->naechster = 1;
    return s;
}

bool Suche_weiter(Verzeichnissuche *suche, Suchtreffer *treffer)
{
    if (!suche || suche->naechster >= suche->anzahl)
        return false;
    Treffer_geben(suche, suche->naechster++, treffer);
    return true;
}

void Suche_beenden(Verzeichnissuche *suche)
{
    if (suche)
        Suche_freigeben(suche);
}

// Windows reaches every entry by its whole path, so a walk holds nothing:
// there is none, and each call below acts as its plain form.
Baumgang *Baumgang_beginnen()
{
    return nullptr;
}

void Baumgang_beenden(Baumgang *)
{
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

bool Eintrag_Status(const char *pfad, bool *verzeichnis)
{
    return Eintrag_Status(nullptr, pfad, verzeichnis);
}

bool Eintrag_normal_setzen(const char *pfad, bool *verzeichnis)
{
    return Eintrag_normal_setzen(nullptr, pfad, verzeichnis);
}

int Datei_loeschen(const char *pfad)
{
    return Datei_loeschen(nullptr, pfad);
}

int Verzeichnis_entfernen(const char *pfad)
{
    return Verzeichnis_entfernen(nullptr, pfad);
}
