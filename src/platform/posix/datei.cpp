// datei.cpp - POSIX: buffered streams (binary and text mode) and whole-file
// load and atomic replace.
#include "../plattform.h"
#include "posix.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct Plattform_Strom {
    FILE *datei;
    bool text;
    bool ende;
};

Plattform_Strom *Strom_oeffnen(const char *pfad, Strommodus modus)
{
    if (!pfad)
        return nullptr;
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return nullptr;
    // Text mode reads include files, which must end: a device or a pipe
    // (/dev/zero, a FIFO) would keep the preprocessor reading, or waiting in
    // the open itself, for ever.  So only a regular file opens in text mode.
    struct stat st;
    if (modus == Strommodus::lesen_text && (::stat(sys.c_str(), &st) != 0 || !S_ISREG(st.st_mode)))
        return nullptr;
    const char *art = modus == Strommodus::schreiben_binaer ? "wb" : "rb";
    FILE *f = std::fopen(sys.c_str(), art);
    if (!f)
        return nullptr;
    // A folder opens for reading here but not on Windows; refuse it alike.
    bool lesen = modus != Strommodus::schreiben_binaer;
    if (lesen && (::fstat(::fileno(f), &st) != 0 || S_ISDIR(st.st_mode) ||
                  (modus == Strommodus::lesen_text && !S_ISREG(st.st_mode)))) {
        std::fclose(f);
        return nullptr;
    }
    auto *s = static_cast<Plattform_Strom *>(std::malloc(sizeof(Plattform_Strom)));
    if (!s) {
        std::fclose(f);
        return nullptr;
    }
    s->datei = f;
    s->text = modus == Strommodus::lesen_text;
    s->ende = false;
    return s;
}

int Strom_schliessen(Plattform_Strom *strom)
{
    if (!strom)
        return 0;
    int r = std::fclose(strom->datei);
    std::free(strom);
    return r == 0 ? 0 : -1;
}

// Text mode as the Windows runtime reads it: CR LF gives LF, a lone CR stays,
// 0x1A ends the file for good.
int Strom_Zeichen(Plattform_Strom *strom)
{
    if (strom->ende)
        return -1;
    int c = getc_unlocked(strom->datei);
    if (c == EOF) {
        strom->ende = std::feof(strom->datei) != 0;
        return -1;
    }
    if (!strom->text)
        return c;
    if (c == 0x1A) {
        strom->ende = true;
        return -1;
    }
    if (c == '\r') {
        int n = getc_unlocked(strom->datei);
        if (n == '\n')
            return '\n';
        if (n != EOF)
            std::ungetc(n, strom->datei);
    }
    return c;
}

int Strom_zurueck(Plattform_Strom *strom, int zeichen)
{
    if (zeichen < 0 || std::ungetc(zeichen, strom->datei) == EOF)
        return 0;
    strom->ende = false;
    return 1;
}

size_t Strom_lesen(Plattform_Strom *strom, void *ziel, size_t n)
{
    auto *p = static_cast<unsigned char *>(ziel);
    if (!strom->text) {
        size_t r = std::fread(p, 1, n, strom->datei);
        if (r < n && std::feof(strom->datei))
            strom->ende = true;
        return r;
    }
    size_t i = 0;
    for (; i < n; ++i) {
        int c = Strom_Zeichen(strom);
        if (c < 0)
            break;
        p[i] = static_cast<unsigned char>(c);
    }
    return i;
}

size_t Strom_Zeile(Plattform_Strom *strom, char *ziel, size_t n)
{
    size_t i = 0;
    while (i + 1 < n) {
        int c = Strom_Zeichen(strom);
        if (c < 0)
            break;
        ziel[i++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    ziel[i] = '\0';
    return i;
}

size_t Strom_schreiben(Plattform_Strom *strom, const void *quelle, size_t n)
{
    return std::fwrite(quelle, 1, n, strom->datei);
}

int64_t Strom_Position(Plattform_Strom *strom)
{
    return static_cast<int64_t>(ftello(strom->datei));
}

int Strom_setzen(Plattform_Strom *strom, int64_t position)
{
    if (position < 0 || fseeko(strom->datei, static_cast<off_t>(position), SEEK_SET) != 0)
        return -1;
    strom->ende = false;
    return 0;
}

bool Strom_Ende(Plattform_Strom *strom)
{
    return strom->ende;
}

bool Strom_Fehler(Plattform_Strom *strom)
{
    return std::ferror(strom->datei) != 0;
}

// ---------------------------------------------------------------------------

namespace {

bool Alles_lesen(int fd, unsigned char *ziel, size_t n)
{
    while (n > 0) {
        ssize_t r = ::read(fd, ziel, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        ziel += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

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

// Files that are not regular (pipes, character devices) are read until their
// end, growing the block as they go.
Dateistatus Strom_laden(int fd, unsigned char **daten, uint32_t *laenge)
{
    size_t kap = 4096, n = 0;
    auto *p = static_cast<unsigned char *>(std::malloc(kap));
    if (!p)
        return Dateistatus::kein_speicher;
    for (;;) {
        if (n == kap) {
            if (kap > static_cast<size_t>(INT32_MAX)) {
                std::free(p);
                return Dateistatus::zu_gross;
            }
            auto *q = static_cast<unsigned char *>(std::realloc(p, kap * 2));
            if (!q) {
                std::free(p);
                return Dateistatus::kein_speicher;
            }
            p = q;
            kap *= 2;
        }
        ssize_t r = ::read(fd, p + n, kap - n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            std::free(p);
            return Dateistatus::nicht_lesbar;
        }
        if (r == 0)
            break;
        n += static_cast<size_t>(r);
    }
    if (n > static_cast<size_t>(INT32_MAX)) {
        std::free(p);
        return Dateistatus::zu_gross;
    }
    *daten = p;
    *laenge = static_cast<uint32_t>(n);
    return Dateistatus::ok;
}

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

Dateistatus Datei_laden(const char *pfad, unsigned char **daten, uint32_t *laenge)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return Dateistatus::nicht_lesbar;
    int fd = ::open(sys.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Dateistatus::nicht_lesbar;
    struct stat st;
    Dateistatus status;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        status = Dateistatus::nicht_lesbar;
    } else if (!S_ISREG(st.st_mode)) {
        status = Strom_laden(fd, daten, laenge);
    } else if (st.st_size > INT32_MAX) {
        status = Dateistatus::zu_gross;
    } else {
        size_t n = static_cast<size_t>(st.st_size);
        auto *p = static_cast<unsigned char *>(std::malloc(n ? n : 1));
        if (!p) {
            status = Dateistatus::kein_speicher;
        } else if (!Alles_lesen(fd, p, n)) {
            std::free(p);
            status = Dateistatus::nicht_lesbar;
        } else {
            *daten = p;
            *laenge = static_cast<uint32_t>(n);
            status = Dateistatus::ok;
        }
    }
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
