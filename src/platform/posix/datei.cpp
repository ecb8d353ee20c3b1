// datei.cpp - POSIX: the files under the streams, and whole-file load and
// atomic replace.
#include "../gemeinsam.h"
#include "posix.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Alles_schreiben(int fd, const unsigned char *quelle, size_t n)
{
    while (n > 0) {
        ssize_t r = ::write(fd, quelle, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        quelle += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

} // namespace

intptr_t Systemdatei_oeffnen(const char *pfad, Strommodus modus)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return -1;
    // Include files and the preprocessor's input must end: a device or a pipe
    // (/dev/zero, a FIFO) would keep it reading, or waiting in the open
    // itself, for ever.  The open never waits (O_NONBLOCK), and fstat looks
    // at the file opened, so nothing swapped in after a check gets through.
    // A regular file's reads never wait, so the flag changes nothing after.
    bool schreiben = modus == Strommodus::schreiben_binaer;
    bool nur_datei = modus == Strommodus::lesen_text || modus == Strommodus::lesen_datei;
    int fd = schreiben ? ::open(sys.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)
                       : ::open(sys.c_str(), O_RDONLY | O_CLOEXEC | (nur_datei ? O_NONBLOCK | O_NOCTTY : 0));
    if (fd < 0)
        return -1;
    // A folder opens for reading here but not on Windows; refuse it alike.
    struct stat st;
    if (!schreiben && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || (nur_datei && !S_ISREG(st.st_mode)))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool Systemdatei_Kennung(intptr_t datei, Dateikennung *kennung)
{
    struct stat st;
    if (::fstat(static_cast<int>(datei), &st) != 0)
        return false;
    *kennung = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

bool Datei_Kennung(const char *pfad, Dateikennung *kennung)
{
    Posix_Pfad sys(pfad);
    struct stat st;
    if (!sys.gut || ::stat(sys.c_str(), &st) != 0)
        return false;
    *kennung = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
    return true;
}

// A close interrupted by a signal has closed the descriptor all the same.
int Systemdatei_schliessen(intptr_t datei)
{
    return ::close(static_cast<int>(datei)) == 0 || errno == EINTR ? 0 : -1;
}

ptrdiff_t Systemdatei_lesen(intptr_t datei, void *ziel, size_t n)
{
    ssize_t r;
    do
        r = ::read(static_cast<int>(datei), ziel, n);
    while (r < 0 && errno == EINTR);
    return r;
}

bool Systemdatei_schreiben(intptr_t datei, const void *quelle, size_t n)
{
    return Alles_schreiben(static_cast<int>(datei), static_cast<const unsigned char *>(quelle), n);
}

int64_t Systemdatei_Position(intptr_t datei)
{
    return ::lseek(static_cast<int>(datei), 0, SEEK_CUR);
}

bool Systemdatei_setzen(intptr_t datei, int64_t position)
{
    return ::lseek(static_cast<int>(datei), static_cast<off_t>(position), SEEK_SET) >= 0;
}

namespace {

// Where the target is a symbolic link, the file it names is replaced, so the
// link survives the save.
void Ziel_aufloesen(Posix_Pfad &ziel)
{
    struct stat st;
    char echt[PATH_MAX];
    if (::lstat(ziel.text, &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(ziel.text, echt))
        std::memcpy(ziel.text, echt, std::strlen(echt) + 1);
}

// The target's folder, opened for the calls relative to it; the name is
// what follows its last '/'.  Without read permission on the folder it is
// opened for the path alone (no flush of it, no search for leftovers).
int Ordner_oeffnen(char *pfad, const char **name)
{
    char *schnitt = std::strrchr(pfad, '/');
    if (!schnitt) {
        *name = pfad;
        return ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    *name = schnitt + 1;
    char alt = schnitt[1];
    schnitt[schnitt == pfad ? 1 : 0] = '\0';
    int fd = ::open(pfad, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
    if (fd < 0 && errno == EACCES)
        fd = ::open(pfad, O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
    schnitt[0] = '/';
    schnitt[1] = alt;
    return fd;
}

// Removes the temporary files of this target's earlier saves whose process
// has ended (killed in the middle); those of running saves stay.
void Reste_entfernen(int ordner, const char *praefix)
{
    int fd = ::openat(ordner, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    DIR *d = ::fdopendir(fd);
    if (!d) {
        ::close(fd);
        return;
    }
    size_t n = std::strlen(praefix);
    while (const dirent *e = ::readdir(d)) {
        if (std::strncmp(e->d_name, praefix, n) != 0)
            continue;
        char *ende;
        long pid = std::strtol(e->d_name + n, &ende, 10);
        if (ende == e->d_name + n || *ende != '.' || pid <= 0 || pid > INT_MAX || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            ::unlinkat(ordner, e->d_name, 0);
    }
    ::closedir(d);
}

// The permission bits that a plain create would give a new file.
mode_t Neue_Rechte()
{
    // Read by setting it; 077 meanwhile only narrows what another thread creates.
    mode_t maske = ::umask(077);
    ::umask(maske);
    return 0666 & ~maske;
}

// Gives the temporary file the target's owner, group and bits; where the
// owner or group cannot be kept, setuid and setgid are dropped.
bool Rechte_uebertragen(int fd, bool vorhanden, const struct stat &alt)
{
    if (!vorhanden)
        return ::fchmod(fd, Neue_Rechte()) == 0;
    mode_t modus = alt.st_mode & 07777;
    if (::fchown(fd, alt.st_uid, alt.st_gid) != 0) {
        (void)::fchown(fd, static_cast<uid_t>(-1), alt.st_gid); // the group alone, where it may be kept
        modus &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    }
    return ::fchmod(fd, modus) == 0;
}

Dateistatus An_Ort_schreiben(int ordner, const char *name, const void *daten, size_t laenge)
{
    int fd = ::openat(ordner, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return Dateistatus::nicht_anlegbar;
    bool gut = Alles_schreiben(fd, static_cast<const unsigned char *>(daten), laenge) && ::fsync(fd) == 0;
    if (::close(fd) != 0)
        gut = false;
    return gut ? Dateistatus::ok : Dateistatus::schreibfehler;
}

Dateistatus Ersetzen_in(int ordner, const char *name, const void *daten, size_t laenge)
{
    struct stat alt;
    bool vorhanden = ::fstatat(ordner, name, &alt, 0) == 0;
    // Temporary names are ".<hash of the name>.kr~<pid>.<n>": short whatever
    // the target's name, and telling which process made them.
    char praefix[32], temp[64];
    std::snprintf(praefix, sizeof praefix, ".%08x.kr~", static_cast<unsigned>(Namenshash(name)));
    Reste_entfernen(ordner, praefix);

    // 0600 from the start: nobody else reads the new bytes before the
    // target's own bits are on them.
    int fd = -1;
    for (int versuch = 0; versuch < 100 && fd < 0; ++versuch) {
        std::snprintf(temp, sizeof temp, "%s%ld.%d", praefix, static_cast<long>(::getpid()), versuch);
        fd = ::openat(ordner, temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            return An_Ort_schreiben(ordner, name, daten, laenge);
        return Dateistatus::nicht_anlegbar;
    }
    bool gut = Alles_schreiben(fd, static_cast<const unsigned char *>(daten), laenge) &&
               Rechte_uebertragen(fd, vorhanden, alt) && ::fsync(fd) == 0;
    if (::close(fd) != 0)
        gut = false;
    if (gut)
        gut = ::renameat(ordner, temp, ordner, name) == 0;
    if (!gut) {
        ::unlinkat(ordner, temp, 0);
        return Dateistatus::schreibfehler;
    }
    // The rename is done; a folder that cannot be flushed (some file
    // systems refuse it) changes nothing of the result.
    (void)::fsync(ordner);
    return Dateistatus::ok;
}

} // namespace

void Block_vorbereiten(void *block, size_t groesse)
{
#ifdef MADV_HUGEPAGE
    // Only the whole pages inside the block, and only where large pages can
    // matter; a refusal changes nothing.
    constexpr size_t Grosse_Seite = size_t{2} << 20;
    if (groesse < Grosse_Seite)
        return;
    auto seite = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    uintptr_t anfang = (reinterpret_cast<uintptr_t>(block) + seite - 1) & ~(seite - 1);
    uintptr_t ende = (reinterpret_cast<uintptr_t>(block) + groesse) & ~(seite - 1);
    if (ende > anfang)
        ::madvise(reinterpret_cast<void *>(anfang), ende - anfang, MADV_HUGEPAGE);
#else
    (void)block;
    (void)groesse;
#endif
}

Dateistatus Datei_laden(const char *pfad, unsigned char **daten, uint32_t *laenge)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return Dateistatus::nicht_lesbar;
    // Only a regular file ends and tells its size; O_NONBLOCK keeps a FIFO
    // from waiting in the open for a writer.
    int fd = ::open(sys.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Dateistatus::nicht_lesbar;
    struct stat st;
    Dateistatus status = Dateistatus::nicht_lesbar;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::fcntl(fd, F_SETFL, 0) == 0)
        status = Ganz_laden(Systemdatei_lesen, fd, st.st_size, daten, laenge);
    ::close(fd);
    return status;
}

Dateistatus Datei_ersetzen(const char *pfad, const void *daten, size_t laenge)
{
    Posix_Pfad ziel(pfad);
    if (!ziel.gut)
        return Dateistatus::nicht_anlegbar;
    Ziel_aufloesen(ziel);
    const char *name;
    int ordner = Ordner_oeffnen(ziel.text, &name);
    if (ordner < 0 || !*name) {
        if (ordner >= 0)
            ::close(ordner);
        return Dateistatus::nicht_anlegbar;
    }
    Dateistatus status = Ersetzen_in(ordner, name, daten, laenge);
    ::close(ordner);
    return status;
}

bool Datei_existiert(const char *pfad)
{
    struct stat st;
    Posix_Pfad sys(pfad);
    return sys.gut && ::stat(sys.c_str(), &st) == 0;
}

// A file counts as writable when this process may write it and it carries at
// least one write bit: a file without any write bit is read-only even for the
// superuser, as a read-only attribute is on Windows.
bool Datei_beschreibbar(const char *pfad)
{
    Posix_Pfad sys(pfad);
    struct stat st;
    if (!sys.gut || ::stat(sys.c_str(), &st) != 0)
        return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return false;
    return ::access(sys.c_str(), W_OK) == 0;
}
