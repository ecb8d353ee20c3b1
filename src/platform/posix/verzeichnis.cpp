// verzeichnis.cpp - POSIX: directory search with Windows' matching of long
// names, and the status, attribute and delete services of the file trees.
#include "../plattform.h"
#include "posix.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// ---------------------------------------------------------------------------
// Matching.  The pattern is first rewritten as Windows rewrites it for a
// search: '?' becomes a "dos question mark", a '*' before a '.' a "dos star",
// a '.' before a '?' or '*' or at the end a "dos dot".  Then the name is
// matched by a set of pattern positions, so the cost is pattern times name.
// ---------------------------------------------------------------------------

enum : unsigned char {
    Dos_Stern = 1,   // any run of characters that does not take the last '.'
    Dos_Frage = 2,   // one character; none at a '.' or at the end of the name
    Dos_Punkt = 3    // a '.', or nothing at the end of the name
};

constexpr size_t Mustergrenze = 260;

bool Muster_umschreiben(const char *muster, unsigned char *ziel, size_t *laenge)
{
    size_t n = std::strlen(muster);
    if (n >= Mustergrenze)
        return false;
    for (size_t i = 0; i < n; ++i) {
        char c = muster[i], weiter = muster[i + 1];
        if (c >= Dos_Stern && c <= Dos_Punkt)
            return false; // these bytes stand for the rewritten wildcards
        if (c == '?')
            ziel[i] = Dos_Frage;
        else if (c == '*' && weiter == '.')
            ziel[i] = Dos_Stern;
        else if (c == '.' && (weiter == '?' || weiter == '*' || weiter == '\0'))
            ziel[i] = Dos_Punkt;
        else
            ziel[i] = static_cast<unsigned char>(c);
    }
    *laenge = n;
    return true;
}

unsigned char Gross(unsigned char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Adds to `aktiv` every position reachable without taking a character when
// the name stands at `k` (epsilon steps only lead forward, so one pass does).
void Huelle(const unsigned char *m, size_t mn, const char *name, size_t k, size_t nn, bool *aktiv)
{
    bool am_ende = k == nn, am_punkt = !am_ende && name[k] == '.';
    for (size_t i = 0; i < mn; ++i) {
        if (!aktiv[i])
            continue;
        if (m[i] == '*' || m[i] == Dos_Stern || (m[i] == Dos_Punkt && am_ende)) {
            aktiv[i + 1] = true;
        } else if (m[i] == Dos_Frage && (am_ende || am_punkt)) {
            size_t j = i;
            while (j < mn && m[j] == Dos_Frage)
                ++j;
            aktiv[j] = true;
        }
    }
}

bool Name_passt(const unsigned char *m, size_t mn, const char *name)
{
    size_t nn = std::strlen(name);
    const char *letzter_punkt = std::strrchr(name, '.');
    size_t punkt = letzter_punkt ? static_cast<size_t>(letzter_punkt - name) : nn;
    bool jetzt[Mustergrenze + 1], danach[Mustergrenze + 1];
    std::memset(jetzt, 0, mn + 1);
    jetzt[0] = true;
    for (size_t k = 0;; ++k) {
        Huelle(m, mn, name, k, nn, jetzt);
        if (k == nn)
            return jetzt[mn];
        unsigned char c = static_cast<unsigned char>(name[k]);
        std::memset(danach, 0, mn + 1);
        bool irgendeins = false;
        for (size_t i = 0; i < mn; ++i) {
            if (!jetzt[i])
                continue;
            unsigned char p = m[i];
            bool bleibt = p == '*' || (p == Dos_Stern && k != punkt);
            bool weiter = p == Dos_Frage  ? c != '.'
                          : p == Dos_Punkt ? c == '.'
                          : p != '*' && p != Dos_Stern && Gross(p) == Gross(c);
            danach[i] = danach[i] || bleibt;
            danach[i + 1] = danach[i + 1] || weiter;
            irgendeins = irgendeins || bleibt || weiter;
        }
        if (!irgendeins)
            return false;
        std::memcpy(jetzt, danach, mn + 1);
    }
}

// "*" and "*.*" (rewritten: a dos star, a dos dot and a star) match every
// name; listings use them most, so they skip the matching.
bool Passt_immer(const unsigned char *m, size_t mn)
{
    return (mn == 1 && m[0] == '*') || (mn == 3 && m[0] == Dos_Stern && m[1] == Dos_Punkt && m[2] == '*');
}

} // namespace

// ---------------------------------------------------------------------------
// The search reads the whole directory at its start, keeps the matching
// names in one block and sorts them, so that listings come out the same on
// every file system.
// ---------------------------------------------------------------------------

struct Sucheintrag {
    size_t anfang;        // offset of the name in `namen`
    bool verzeichnis;
};

struct Verzeichnissuche {
    char *namen;          // the names, each with its terminator
    Sucheintrag *eintrag;
    size_t anzahl;
    size_t naechster;
};

namespace {

const char *Suchname(const Verzeichnissuche *s, size_t i)
{
    return s->namen + s->eintrag[i].anfang;
}

// By byte order; names within one directory differ, so the order is total.
// An introsort: no allocation, bounded depth, n log n.
void Sortieren(Verzeichnissuche *s)
{
    const char *namen = s->namen;
    std::sort(s->eintrag, s->eintrag + s->anzahl, [namen](const Sucheintrag &a, const Sucheintrag &b) {
        return std::strcmp(namen + a.anfang, namen + b.anfang) < 0;
    });
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
    std::free(s->namen);
    std::free(s->eintrag);
    std::free(s);
}

// A symbolic link is never a directory, so the tree walks never enter one.
bool Ist_Verzeichnis(int dfd, const dirent *e)
{
    if (e->d_type != DT_UNKNOWN)
        return e->d_type == DT_DIR;
    struct stat st;
    return ::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

bool Eintraege_sammeln(DIR *d, const unsigned char *m, size_t mn, Verzeichnissuche *s)
{
    size_t namen_kap = 0, eintrag_kap = 0, fuellstand = 0;
    bool alle = Passt_immer(m, mn);
    for (;;) {
        errno = 0;
        dirent *e = ::readdir(d);
        if (!e)
            return errno == 0;
        size_t n = std::strlen(e->d_name);
        if (n >= sizeof(Suchtreffer::name) || !(alle || Name_passt(m, mn, e->d_name)))
            continue;
        if (!Wachsen(reinterpret_cast<void **>(&s->namen), &namen_kap, fuellstand + n + 1, 1) ||
            !Wachsen(reinterpret_cast<void **>(&s->eintrag), &eintrag_kap, s->anzahl + 1, sizeof(Sucheintrag)))
            return false;
        std::memcpy(s->namen + fuellstand, e->d_name, n + 1);
        s->eintrag[s->anzahl].anfang = fuellstand;
        s->eintrag[s->anzahl].verzeichnis = Ist_Verzeichnis(::dirfd(d), e);
        ++s->anzahl;
        fuellstand += n + 1;
    }
}

// Splits "dir/part/pattern" into the directory ("dir/part", "." for none,
// "/" for the root) and the pattern.
bool Muster_teilen(const char *muster, Posix_Pfad &verzeichnis, const char **teil)
{
    Posix_Pfad sys(muster);
    if (!sys.gut)
        return false;
    char *trenner = std::strrchr(sys.text, '/');
    *teil = muster + (trenner ? trenner - sys.text + 1 : 0);
    if (!trenner) {
        std::memcpy(verzeichnis.text, ".", 2);
    } else {
        while (trenner > sys.text && trenner[-1] == '/')
            --trenner;
        size_t n = trenner == sys.text ? 1 : static_cast<size_t>(trenner - sys.text);
        std::memcpy(verzeichnis.text, sys.text, n);
        verzeichnis.text[n] = '\0';
    }
    verzeichnis.gut = true;
    return true;
}

void Treffer_geben(const Verzeichnissuche *s, size_t i, Suchtreffer *treffer)
{
    const char *name = Suchname(s, i);
    std::memcpy(treffer->name, name, std::strlen(name) + 1);
    treffer->verzeichnis = s->eintrag[i].verzeichnis;
}

} // namespace

Verzeichnissuche *Suche_beginnen(const char *muster, bool folgen, Suchtreffer *treffer)
{
    if (!muster || !treffer)
        return nullptr;
    Posix_Pfad verzeichnis(nullptr);
    const char *teil;
    unsigned char m[Mustergrenze];
    size_t mn;
    if (!Muster_teilen(muster, verzeichnis, &teil) || !Muster_umschreiben(teil, m, &mn))
        return nullptr;
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folgen ? 0 : O_NOFOLLOW);
    int fd = ::open(verzeichnis.c_str(), flags);
    if (fd < 0)
        return nullptr;
    DIR *d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return nullptr;
    }
    auto *s = static_cast<Verzeichnissuche *>(std::calloc(1, sizeof(Verzeichnissuche)));
    bool gut = s && Eintraege_sammeln(d, m, mn, s);
    ::closedir(d);
    if (!gut || s->anzahl == 0) {
        if (s)
            Suche_freigeben(s);
        return nullptr;
    }
    Sortieren(s);
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

struct Baumgang {
    int fd;          // the directory held open, or -1
    size_t laenge;   // the length of its path
    char verzeichnis[PATH_MAX];
};

namespace {

#ifdef O_PATH
constexpr int Ordnermodus = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int Ordnermodus = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Where an entry is reached: the directory held open and the entry's name,
// or the current directory and the whole path.  The directory is opened as
// the whole path would pass through it, so both reach the same entry.
int Ort(Baumgang *g, const Posix_Pfad &sys, const char **name)
{
    *name = sys.text;
    const char *letzter = g ? std::strrchr(sys.text, '/') : nullptr;
    if (!letzter || letzter == sys.text || letzter[1] == '\0')
        return AT_FDCWD;
    size_t n = static_cast<size_t>(letzter - sys.text);
    if (g->fd < 0 || g->laenge != n || std::memcmp(g->verzeichnis, sys.text, n) != 0) {
        if (g->fd >= 0)
            ::close(g->fd);
        std::memcpy(g->verzeichnis, sys.text, n);
        g->verzeichnis[n] = '\0';
        g->laenge = n;
        g->fd = ::open(g->verzeichnis, Ordnermodus);
    }
    if (g->fd < 0)
        return AT_FDCWD;
    *name = letzter + 1;
    return g->fd;
}

} // namespace

Baumgang *Baumgang_beginnen()
{
    auto *g = static_cast<Baumgang *>(std::malloc(sizeof(Baumgang)));
    if (g)
        g->fd = -1;
    return g;
}

void Baumgang_beenden(Baumgang *gang)
{
    if (!gang)
        return;
    if (gang->fd >= 0)
        ::close(gang->fd);
    std::free(gang);
}

bool Eintrag_Status(Baumgang *gang, const char *pfad, bool *verzeichnis)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return false;
    const char *name;
    int ort = Ort(gang, sys, &name);
    struct stat st;
    if (::fstatat(ort, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    *verzeichnis = S_ISDIR(st.st_mode);
    return true;
}

bool Eintrag_normal_setzen(Baumgang *gang, const char *pfad, bool *verzeichnis)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return false;
    const char *name;
    int ort = Ort(gang, sys, &name);
    struct stat st;
    if (::fstatat(ort, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (verzeichnis)
        *verzeichnis = S_ISDIR(st.st_mode);
    if (S_ISLNK(st.st_mode))
        return true;
    mode_t modus = (st.st_mode & 07777) | S_IWUSR;
    if (S_ISDIR(st.st_mode))
        modus |= S_IXUSR;
    if (modus != (st.st_mode & 07777))
        ::fchmodat(ort, name, modus, 0);
    return true;
}

int Datei_loeschen(Baumgang *gang, const char *pfad)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return -1;
    const char *name;
    int ort = Ort(gang, sys, &name);
    return ::unlinkat(ort, name, 0) == 0 ? 0 : -1;
}

int Verzeichnis_entfernen(Baumgang *gang, const char *pfad)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return -1;
    const char *name;
    int ort = Ort(gang, sys, &name);
    return ::unlinkat(ort, name, AT_REMOVEDIR) == 0 ? 0 : -1;
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
