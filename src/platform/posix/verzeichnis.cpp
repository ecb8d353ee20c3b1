// verzeichnis.cpp - POSIX: the entries of a directory for the search above,
// and the status, attribute and delete services of the file trees.
#include "../system.h"
#include "posix.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A symbolic link is never a directory, so the tree walks never enter one.
bool Ist_Verzeichnis(int dfd, const dirent *e)
{
    if (e->d_type != DT_UNKNOWN)
        return e->d_type == DT_DIR;
    struct stat st;
    return ::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
}

bool Eintraege_geben(DIR *d, const Eintragsnehmer &n)
{
    for (;;) {
        errno = 0;
        dirent *e = ::readdir(d);
        if (!e)
            return errno == 0;
        if (n.passt(n.ziel, e->d_name) && !n.nehmen(n.ziel, e->d_name, Ist_Verzeichnis(::dirfd(d), e)))
            return false;
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

} // namespace

namespace {

// Hands the entries of the directory open as fd (which is closed after).
bool Ordner_geben(int fd, const Eintragsnehmer &n)
{
    if (fd < 0)
        return false;
    DIR *d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return false;
    }
    bool gut = Eintraege_geben(d, n);
    ::closedir(d);
    return gut;
}

} // namespace

// The system gives every name; the search above matches them.
bool Ordner_auflisten(const char *muster, bool folgen, const Eintragsnehmer &nehmer)
{
    Posix_Pfad verzeichnis(nullptr);
    const char *teil;
    if (!muster || !Muster_teilen(muster, verzeichnis, &teil))
        return false;
    int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (folgen ? 0 : O_NOFOLLOW);
    return Ordner_geben(::open(verzeichnis.c_str(), flags), nehmer);
}

namespace {

// A path of at most 259 bytes below the root has at most this many folders.
constexpr int Tiefe_max = 130;

} // namespace

// The root is held open, and below it the chain of folders that leads to
// the last entry reached: ordner[i] is the folder named by the first ende[i]
// bytes of `kette`, relative to the root.  Entries beside the last one are
// reached by their names alone, and a move to another folder reopens only
// the part of the chain that differs.
struct Baumgang {
    int wurzel;                // the root, or -1 when it did not open
    int eltern;                // the folder holding the root, or -1: see Wurzel_oeffnen
    char wurzelname[NAME_MAX + 1];
    size_t wurzellaenge;       // its path's length, trailing '/' left out
    char wurzelpfad[PATH_MAX]; // its path in the system's form
    int tiefe;
    int ordner[Tiefe_max];
    size_t ende[Tiefe_max];
    char kette[PATH_MAX];
};

namespace {

#ifdef O_PATH
constexpr int Ordnermodus = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
#else
constexpr int Ordnermodus = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
#endif

void Kette_kuerzen(Baumgang *g, int tiefe)
{
    while (g->tiefe > tiefe)
        ::close(g->ordner[--g->tiefe]);
}

// The folder `rel` (n bytes, relative to the root, its names separated by
// '/') opened through the chain: the fd, or -1 when it cannot be reached
// without following a link.
int Ordner_erreichen(Baumgang *g, const char *rel, size_t n)
{
    if (g->wurzel < 0)
        return -1;
    int gleich = 0;
    while (gleich < g->tiefe && g->ende[gleich] <= n && std::memcmp(g->kette, rel, g->ende[gleich]) == 0 &&
           (g->ende[gleich] == n || rel[g->ende[gleich]] == '/'))
        ++gleich;
    Kette_kuerzen(g, gleich);
    size_t p = gleich ? g->ende[gleich - 1] : 0;
    std::memcpy(g->kette + p, rel + p, n - p);
    while (p < n) {
        while (p < n && rel[p] == '/')
            ++p;
        size_t anfang = p;
        while (p < n && rel[p] != '/')
            ++p;
        if (p == anfang)
            break;
        if (g->tiefe == Tiefe_max)
            return -1;
        int oben = g->tiefe ? g->ordner[g->tiefe - 1] : g->wurzel;
        char name[NAME_MAX + 1];
        if (p - anfang > NAME_MAX)
            return -1;
        std::memcpy(name, rel + anfang, p - anfang);
        name[p - anfang] = '\0';
        int fd = ::openat(oben, name, Ordnermodus);
        if (fd < 0)
            return -1;
        g->ordner[g->tiefe] = fd;
        g->ende[g->tiefe++] = p;
    }
    return g->tiefe ? g->ordner[g->tiefe - 1] : g->wurzel;
}

// The part of a path below the root: null when the path does not begin with
// the root's path and a separator.
const char *Unter_Wurzel(const Baumgang *g, const char *sys)
{
    size_t n = g->wurzellaenge;
    if (std::strncmp(sys, g->wurzelpfad, n) != 0 || (sys[n] != '/' && (n == 0 || sys[n - 1] != '/')))
        return nullptr;
    while (sys[n] == '/')
        ++n;
    return sys + n;
}

// Where an entry is reached: its folder and its name.  Without a walk, the
// current directory and the whole path; with one, the folder through the
// chain, or -1.
int Ort(Baumgang *g, const Posix_Pfad &sys, const char **name)
{
    *name = sys.text;
    if (!g)
        return AT_FDCWD;
    const char *rel = Unter_Wurzel(g, sys.text);
    if (!rel || !*rel)
        return -1;
    const char *letzter = std::strrchr(rel, '/');
    size_t n = letzter ? static_cast<size_t>(letzter - rel) : 0;
    *name = letzter ? letzter + 1 : rel;
    if (!**name)
        return -1;
    return Ordner_erreichen(g, rel, n);
}

// A root that is not followed is opened from the folder holding it, which
// stays open, so that its attributes and its removal after the walk reach
// the folder that was walked, whatever happens to the path above it.  "/",
// and a path ending in "." or "..", are opened by their path.
void Wurzel_oeffnen(Baumgang *g)
{
    const char *schnitt = std::strrchr(g->wurzelpfad, '/');
    const char *name = schnitt ? schnitt + 1 : g->wurzelpfad;
    size_t n = std::strlen(name);
    if (n == 0 || n > NAME_MAX || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
        g->wurzel = ::open(g->wurzelpfad, Ordnermodus);
        return;
    }
    std::memcpy(g->wurzelname, name, n + 1);
    if (!schnitt) {
        g->eltern = ::open(".", Ordnermodus & ~O_NOFOLLOW);
    } else {
        char oben[PATH_MAX];
        size_t m = schnitt == g->wurzelpfad ? 1 : static_cast<size_t>(schnitt - g->wurzelpfad);
        std::memcpy(oben, g->wurzelpfad, m);
        oben[m] = '\0';
        g->eltern = ::open(oben, Ordnermodus & ~O_NOFOLLOW);
    }
    if (g->eltern >= 0)
        g->wurzel = ::openat(g->eltern, g->wurzelname, Ordnermodus);
}

// Whether the root's name in its folder still names the folder walked.
bool Wurzel_unveraendert(const Baumgang *g, struct stat *st)
{
    struct stat offen;
    return g->wurzel >= 0 && ::fstat(g->wurzel, &offen) == 0 &&
           ::fstatat(g->eltern, g->wurzelname, st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st->st_mode) &&
           st->st_dev == offen.st_dev && st->st_ino == offen.st_ino;
}

} // namespace

Baumgang *Baumgang_beginnen(const char *wurzel, bool folgen)
{
    auto *g = static_cast<Baumgang *>(heapaufrufe.belegen(sizeof(Baumgang)));
    if (!g)
        return nullptr;
    g->wurzel = -1;
    g->eltern = -1;
    g->wurzelname[0] = '\0';
    g->tiefe = 0;
    Posix_Pfad sys(wurzel);
    size_t n = std::strlen(sys.text);
    while (n > 1 && sys.text[n - 1] == '/')
        --n;
    // "/" stays itself: its entries are "/name".
    std::memcpy(g->wurzelpfad, sys.text, n);
    g->wurzelpfad[n] = '\0';
    g->wurzellaenge = n == 1 && sys.text[0] == '/' ? 0 : n;
    if (sys.gut && n > 0 && folgen)
        g->wurzel = ::open(g->wurzelpfad, Ordnermodus & ~O_NOFOLLOW);
    else if (sys.gut && n > 0)
        Wurzel_oeffnen(g);
    return g;
}

void Baumgang_beenden(Baumgang *gang)
{
    if (!gang)
        return;
    Kette_kuerzen(gang, 0);
    if (gang->wurzel >= 0)
        ::close(gang->wurzel);
    if (gang->eltern >= 0)
        ::close(gang->eltern);
    std::free(gang);
}

bool Wurzel_normal_setzen(Baumgang *gang, const char *pfad)
{
    if (!gang || gang->eltern < 0)
        return Eintrag_normal_setzen(pfad);
    struct stat st;
    if (!Wurzel_unveraendert(gang, &st))
        return false;
    mode_t modus = (st.st_mode & 07777) | S_IWUSR | S_IXUSR;
    return modus == (st.st_mode & 07777) ||
           ::fchmodat(gang->eltern, gang->wurzelname, modus, AT_SYMLINK_NOFOLLOW) == 0;
}

int Wurzel_entfernen(Baumgang *gang, const char *pfad)
{
    if (!gang || gang->eltern < 0)
        return Verzeichnis_entfernen(pfad);
    struct stat st;
    bool weg = Wurzel_unveraendert(gang, &st) && ::unlinkat(gang->eltern, gang->wurzelname, AT_REMOVEDIR) == 0;
    return weg ? 0 : -1;
}

bool Ordner_auflisten(Baumgang *gang, const char *muster, const Eintragsnehmer &nehmer)
{
    if (!gang)
        return Ordner_auflisten(muster, false, nehmer);
    if (!muster)
        return false;
    Posix_Pfad sys(muster);
    char *trenner = std::strrchr(sys.text, '/');
    if (!sys.gut || !trenner)
        return false;
    // The root's own search: its path, then the separator of the pattern.
    const char *rel = Unter_Wurzel(gang, sys.text);
    if (!rel)
        return false;
    size_t n = rel > trenner ? 0 : static_cast<size_t>(trenner - rel);
    int ordner = Ordner_erreichen(gang, rel, n);
    return Ordner_geben(ordner < 0 ? -1 : ::openat(ordner, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC), nehmer);
}

bool Eintrag_Status(Baumgang *gang, const char *pfad, bool *verzeichnis)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return false;
    const char *name;
    int ort = Ort(gang, sys, &name);
    struct stat st;
    if (ort == -1 || ::fstatat(ort, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    *verzeichnis = S_ISDIR(st.st_mode);
    return true;
}

// The mode is changed without following a link, so one swapped in after the
// status was taken is left alone too.
bool Eintrag_normal_setzen(Baumgang *gang, const char *pfad, bool *verzeichnis)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return false;
    const char *name;
    int ort = Ort(gang, sys, &name);
    struct stat st;
    if (ort == -1 || ::fstatat(ort, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (verzeichnis)
        *verzeichnis = S_ISDIR(st.st_mode);
    if (S_ISLNK(st.st_mode))
        return true;
    mode_t modus = (st.st_mode & 07777) | S_IWUSR;
    if (S_ISDIR(st.st_mode))
        modus |= S_IXUSR;
    if (modus != (st.st_mode & 07777))
        ::fchmodat(ort, name, modus, AT_SYMLINK_NOFOLLOW);
    return true;
}

int Datei_loeschen(Baumgang *gang, const char *pfad)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return -1;
    const char *name;
    int ort = Ort(gang, sys, &name);
    return ort != -1 && ::unlinkat(ort, name, 0) == 0 ? 0 : -1;
}

int Verzeichnis_entfernen(Baumgang *gang, const char *pfad)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return -1;
    const char *name;
    int ort = Ort(gang, sys, &name);
    return ort != -1 && ::unlinkat(ort, name, AT_REMOVEDIR) == 0 ? 0 : -1;
}

int Datei_normal_loeschen(Baumgang *gang, const char *pfad)
{
    if (Datei_loeschen(gang, pfad) == 0)
        return 0;
    bool verzeichnis;
    if (!Eintrag_normal_setzen(gang, pfad, &verzeichnis) || verzeichnis)
        return 1;
    return Datei_loeschen(gang, pfad);
}
