// verzeichnis.cpp - POSIX: directory search with Windows' matching of long
// names, and the status, attribute and delete services of the file trees.
#include "../gemeinsam.h"
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

bool Eintraege_sammeln(DIR *d, const Namensmuster &m, Verzeichnissuche *s)
{
    for (;;) {
        errno = 0;
        dirent *e = ::readdir(d);
        if (!e)
            return errno == 0;
        if (Name_passt(m, e->d_name) && !Suche_eintragen(s, e->d_name, Ist_Verzeichnis(::dirfd(d), e)))
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

// The system gives every name; Windows' matching picks those of the pattern.
Verzeichnissuche *Suche_beginnen(const char *muster, bool folgen, Suchtreffer *treffer)
{
    if (!muster || !treffer)
        return nullptr;
    Posix_Pfad verzeichnis(nullptr);
    const char *teil;
    Namensmuster m;
    if (!Muster_teilen(muster, verzeichnis, &teil) || !Namensmuster_lesen(teil, &m))
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
    Verzeichnissuche *s = Suche_anlegen();
    bool gut = s && Eintraege_sammeln(d, m, s);
    ::closedir(d);
    if (!gut) {
        Suche_beenden(s);
        return nullptr;
    }
    return Suche_abschliessen(s, treffer);
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

int Datei_normal_loeschen(Baumgang *gang, const char *pfad)
{
    if (Datei_loeschen(gang, pfad) == 0)
        return 0;
    bool verzeichnis;
    if (!Eintrag_normal_setzen(gang, pfad, &verzeichnis) || verzeichnis)
        return 1;
    return Datei_loeschen(gang, pfad);
}
