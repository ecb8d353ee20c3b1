// datei.cpp - POSIX: the files under the streams, their identities, and
// whether a file exists or may be written.
#include "../system.h"
#include "posix.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

intptr_t Systemdatei_oeffnen(const char *pfad, Strommodus modus, Dateikennung *kennung, bool *bekannt)
{
    *bekannt = false;
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return -1;
    // Include files and the preprocessor's input must end: a device or a pipe
    // (/dev/zero, a FIFO) would keep it reading, or waiting in the open
    // itself, for ever.  The open never waits (O_NONBLOCK), and fstat looks
    // at the file opened, so nothing swapped in after a check gets through.
    // A regular file's reads never wait, so the flag changes nothing after.
    // An output that is a pipe without a reader fails the open at once
    // instead of waiting in it; the writes to one with a reader wait again.
    bool schreiben = modus == Strommodus::schreiben_binaer;
    bool nur_datei = modus == Strommodus::lesen_text || modus == Strommodus::lesen_datei;
    int fd = schreiben ? ::open(sys.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666)
                       : ::open(sys.c_str(), O_RDONLY | O_CLOEXEC | (nur_datei ? O_NONBLOCK | O_NOCTTY : 0));
    if (fd < 0)
        return -1;
    if (schreiben && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    // A folder opens for reading here but not on Windows; refuse it alike.
    struct stat st;
    if (!schreiben && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || (nur_datei && !S_ISREG(st.st_mode)))) {
        ::close(fd);
        return -1;
    }
    if (!schreiben) {
        *kennung = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
        *bekannt = true;
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
    return Posix_lesen(static_cast<int>(datei), ziel, n);
}

bool Systemdatei_schreiben(intptr_t datei, const void *quelle, size_t n)
{
    return Posix_schreiben(static_cast<int>(datei), quelle, n);
}

int64_t Systemdatei_Position(intptr_t datei)
{
    return ::lseek(static_cast<int>(datei), 0, SEEK_CUR);
}

bool Systemdatei_setzen(intptr_t datei, int64_t position)
{
    return ::lseek(static_cast<int>(datei), static_cast<off_t>(position), SEEK_SET) >= 0;
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
