// datei.cpp - POSIX: the files under the streams, and whole-file load and
// atomic replace.
#include "../gemeinsam.h"
#include "posix.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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

Dateistatus An_Ort_schreiben(const char *ziel, const void *daten, size_t laenge)
{
    int fd = ::open(ziel, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return Dateistatus::nicht_anlegbar;
    bool gut = Alles_schreiben(fd, static_cast<const unsigned char *>(daten), laenge) && ::fsync(fd) == 0;
    if (::close(fd) != 0)
        gut = false;
    return gut ? Dateistatus::ok : Dateistatus::schreibfehler;
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
    int fd = ::open(sys.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Dateistatus::nicht_lesbar;
    // Files that are not regular (pipes, character devices) tell no size.
    struct stat st;
    Dateistatus status;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))
        status = Dateistatus::nicht_lesbar;
    else if (!S_ISREG(st.st_mode))
        status = Bis_zum_Ende_laden(Systemdatei_lesen, fd, daten, laenge);
    else
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
    struct stat alt;
    bool vorhanden = ::stat(ziel.text, &alt) == 0;

    // The temporary file is created with 0666, so the umask applies to a new
    // target as it would to a plain create; an existing target's bits are
    // copied onto it.
    char temp[PATH_MAX];
    int fd = -1;
    for (int versuch = 0; versuch < 100 && fd < 0; ++versuch) {
        int n = std::snprintf(temp, sizeof temp, "%s.kr~%ld.%d", ziel.text, static_cast<long>(::getpid()), versuch);
        if (n < 0 || static_cast<size_t>(n) >= sizeof temp) {
            errno = ENAMETOOLONG;
            break;
        }
        fd = ::open(temp, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENAMETOOLONG)
            return An_Ort_schreiben(ziel.text, daten, laenge);
        return Dateistatus::nicht_anlegbar;
    }
    bool gut = Alles_schreiben(fd, static_cast<const unsigned char *>(daten), laenge);
    if (gut && vorhanden)
        gut = ::fchmod(fd, alt.st_mode & 07777) == 0;
    if (gut)
        gut = ::fsync(fd) == 0;
    if (::close(fd) != 0)
        gut = false;
    if (gut)
        gut = ::rename(temp, ziel.text) == 0;
    if (!gut) {
        ::unlink(temp);
        return Dateistatus::schreibfehler;
    }
    return Dateistatus::ok;
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
