// befehl.cpp - POSIX: what the korvan command needs beyond the library:
// directory tests, the texts of error codes and the lock
// of an edit.
#include "../system.h"
#include "posix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

bool Verzeichnis_vorhanden(const char *pfad)
{
    Posix_Pfad p(pfad);
    struct stat st;
    return p.gut && p.text[0] && stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Ist_Verweis(const char *pfad)
{
    Posix_Pfad p(pfad);
    struct stat st;
    return p.gut && p.text[0] && lstat(p.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool Ist_Geraet_oder_Pipe(const char *pfad)
{
    Posix_Pfad p(pfad);
    struct stat st;
    return p.gut && p.text[0] && stat(p.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

void Fehlercode_Text(uint32_t code, char *ziel, size_t groesse)
{
    if (!ziel || groesse == 0)
        return;
    // strerror_r comes in two flavours; strerror's text is copied at once.
    const char *text = std::strerror(static_cast<int>(code));
    size_t n = std::strlen(text);
    if (n >= groesse)
        n = groesse - 1;
    std::memcpy(ziel, text, n);
    ziel[n] = '\0';
}

// The lock is flock on a lock file, so that it goes with a killed holder;
// the file is removed while still locked, so a waiter that then gets the
// lock of the removed file tries again with the new one.
struct Dateisperre {
    int fd;            // -1: nothing to lock (the file's folder is missing)
    bool eigene_datei; // a lock file of its own, removed when freed
    char pfad[PATH_MAX];
};

namespace {

// "NAME.lock" beside the file, or ".<hash>.kr~lock" where that name would
// be too long.
bool Sperrname(const char *ziel, char *sperre, size_t groesse)
{
    const char *schnitt = std::strrchr(ziel, '/');
    const char *name = schnitt ? schnitt + 1 : ziel;
    int n = std::strlen(name) + 5 <= NAME_MAX
                ? std::snprintf(sperre, groesse, "%s.lock", ziel)
                : std::snprintf(sperre, groesse, "%.*s.%08x.kr~lock", static_cast<int>(name - ziel), ziel,
                                static_cast<unsigned>(Namenshash(name)));
    return n > 0 && static_cast<size_t>(n) < groesse;
}

int64_t Millisekunden()
{
    timespec t;
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000 + t.tv_nsec / 1000000;
}

// Opens what holds the lock; a folder that forbids the lock file (where a
// save writes in place, too) has the file itself locked.
int Sperrdatei_oeffnen(Dateisperre *s, const char *ziel)
{
    int flags = O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC;
    int fd = ::open(s->pfad, flags | O_CREAT, 0644);
    s->eigene_datei = fd >= 0;
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        fd = ::open(ziel, flags);
    struct stat st;
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

// True while the lock file at the path is the one locked.
bool Noch_dieselbe(const Dateisperre *s)
{
    struct stat offen, da;
    return !s->eigene_datei ||
           (::fstat(s->fd, &offen) == 0 && ::lstat(s->pfad, &da) == 0 && offen.st_dev == da.st_dev &&
            offen.st_ino == da.st_ino);
}

} // namespace

Dateisperre *Sperre_nehmen(const char *pfad, int millisekunden, bool *belegt)
{
    *belegt = false;
    Posix_Pfad ziel(pfad);
    char echt[PATH_MAX];
    if (!ziel.gut)
        return nullptr;
    // Through a link the lock goes beside the file it names, as the save does.
    if (::realpath(ziel.text, echt))
        std::memcpy(ziel.text, echt, std::strlen(echt) + 1);
    auto *s = static_cast<Dateisperre *>(heapaufrufe.belegen(sizeof(Dateisperre)));
    if (!s || !Sperrname(ziel.text, s->pfad, sizeof s->pfad)) {
        std::free(s);
        return nullptr;
    }
    int64_t ende = Millisekunden() + millisekunden;
    for (;;) {
        s->fd = Sperrdatei_oeffnen(s, ziel.text);
        if (s->fd < 0) {
            bool ohne_ordner = errno == ENOENT || errno == ENOTDIR;
            if (ohne_ordner)
                return s;
            std::free(s);
            return nullptr;
        }
        bool gesperrt;
        while (!(gesperrt = ::flock(s->fd, LOCK_EX | LOCK_NB) == 0) && Millisekunden() < ende)
            ::usleep(5000);
        if (gesperrt && Noch_dieselbe(s))
            return s;
        ::close(s->fd);
        if (Millisekunden() >= ende) {
            *belegt = true;
            std::free(s);
            return nullptr;
        }
    }
}

void Sperre_freigeben(Dateisperre *sperre)
{
    if (!sperre)
        return;
    if (sperre->fd >= 0) {
        if (sperre->eigene_datei)
            ::unlink(sperre->pfad);
        ::close(sperre->fd);
    }
    std::free(sperre);
}
