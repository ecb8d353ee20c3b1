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

// A stream reads its file in blocks of its own, so that a line is found with
// one search of the block instead of one call per byte, and writes through
// a block of its own.  One byte can be pushed back beyond the block.
constexpr size_t Blockgroesse = 65536;

struct Plattform_Strom {
    int fd;
    bool schreiben;
    bool text;
    bool ende;            // a read met the end of the file (or 0x1A in text mode)
    bool fehler;          // a read or write failed
    int zurueck;          // a byte pushed back, or -1
    int64_t blockanfang;  // file offset of block[0] (reading)
    size_t naechstes;     // reading: the next byte; writing: the bytes held
    size_t fuellung;      // reading: the bytes in the block
    size_t besonders;     // no zero byte (nor CR or 0x1A in text mode) in the block before this
    unsigned char block[Blockgroesse];
};

namespace {

int Ohne_Unterbrechung_schliessen(int fd)
{
    return ::close(fd) == 0 || errno == EINTR ? 0 : -1;
}

bool Alles_schreiben(int fd, const unsigned char *quelle, size_t n);

// Writes the bytes held; false when the system refuses some.
bool Block_leeren(Plattform_Strom *s)
{
    if (s->naechstes == 0)
        return true;
    bool gut = Alles_schreiben(s->fd, s->block, s->naechstes);
    s->naechstes = 0;
    if (!gut)
        s->fehler = true;
    return gut;
}

// Where the next zero byte, or in text mode the next CR or 0x1A, stands from
// `ab` on (fuellung when there is none): up to there a line is the bytes as
// they are, and a C string.
size_t Besonderes_suchen(const Plattform_Strom *s, size_t ab)
{
    const unsigned char *p = s->block + ab;
    size_t n = s->fuellung - ab;
    static const int zeichen[] = {0, '\r', 0x1A};
    for (int i = 0; i < (s->text ? 3 : 1); ++i) {
        if (auto *t = static_cast<const unsigned char *>(std::memchr(p, zeichen[i], n)))
            n = static_cast<size_t>(t - p);
    }
    return ab + n;
}

// The next block; false at the end of the file (a failure sets fehler).
bool Nachfuellen(Plattform_Strom *s)
{
    s->blockanfang += static_cast<int64_t>(s->fuellung);
    s->naechstes = s->fuellung = 0;
    ssize_t r;
    do
        r = ::read(s->fd, s->block, Blockgroesse);
    while (r < 0 && errno == EINTR);
    if (r < 0)
        s->fehler = true;
    if (r <= 0)
        return false;
    s->fuellung = static_cast<size_t>(r);
    s->besonders = Besonderes_suchen(s, 0);
    return true;
}

// The next byte as stored, or -1.
int Roh_Byte(Plattform_Strom *s)
{
    if (s->zurueck >= 0) {
        int c = s->zurueck;
        s->zurueck = -1;
        return c;
    }
    if (s->naechstes == s->fuellung && !Nachfuellen(s))
        return -1;
    return s->block[s->naechstes++];
}

} // namespace

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
    bool schreiben = modus == Strommodus::schreiben_binaer;
    bool text = modus == Strommodus::lesen_text;
    struct stat st;
    if (text && (::stat(sys.c_str(), &st) != 0 || !S_ISREG(st.st_mode)))
        return nullptr;
    int fd = schreiben ? ::open(sys.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)
                       : ::open(sys.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // A folder opens for reading here but not on Windows; refuse it alike.
    if (!schreiben && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || (text && !S_ISREG(st.st_mode)))) {
        ::close(fd);
        return nullptr;
    }
    auto *s = static_cast<Plattform_Strom *>(std::malloc(sizeof(Plattform_Strom)));
    if (!s) {
        ::close(fd);
        return nullptr;
    }
    s->fd = fd;
    s->schreiben = schreiben;
    s->text = text;
    s->ende = s->fehler = false;
    s->zurueck = -1;
    s->blockanfang = 0;
    s->naechstes = s->fuellung = s->besonders = 0;
    return s;
}

int Strom_schliessen(Plattform_Strom *strom)
{
    if (!strom)
        return 0;
    bool gut = !strom->schreiben || Block_leeren(strom);
    if (Ohne_Unterbrechung_schliessen(strom->fd) != 0)
        gut = false;
    std::free(strom);
    return gut ? 0 : -1;
}

// Text mode as the Windows runtime reads it: CR LF gives LF, a lone CR stays,
// 0x1A ends the file for good.
int Strom_Zeichen(Plattform_Strom *strom)
{
    if (strom->ende)
        return -1;
    bool fehler_vorher = strom->fehler;
    int c = Roh_Byte(strom);
    if (c < 0) {
        strom->ende = strom->fehler == fehler_vorher; // the end, not a failure
        return -1;
    }
    if (!strom->text)
        return c;
    if (c == 0x1A) {
        strom->ende = true;
        return -1;
    }
    if (c == '\r') {
        int n = Roh_Byte(strom);
        if (n == '\n')
            return '\n';
        if (n >= 0)
            Strom_zurueck(strom, n);
    }
    return c;
}

// The byte just read steps back inside the block; any other byte waits in
// the one place beyond it.
int Strom_zurueck(Plattform_Strom *strom, int zeichen)
{
    if (zeichen < 0 || strom->schreiben)
        return 0;
    if (strom->zurueck < 0 && strom->naechstes > 0 && strom->block[strom->naechstes - 1] == zeichen)
        --strom->naechstes;
    else if (strom->zurueck < 0)
        strom->zurueck = zeichen;
    else
        return 0;
    strom->ende = false;
    return 1;
}

size_t Strom_lesen(Plattform_Strom *strom, void *ziel, size_t n)
{
    auto *p = static_cast<unsigned char *>(ziel);
    size_t i = 0;
    for (; i < n; ++i) {
        int c = Strom_Zeichen(strom);
        if (c < 0)
            break;
        p[i] = static_cast<unsigned char>(c);
    }
    return i;
}

// Runs of ordinary bytes are copied straight from the block up to the line
// feed; a pushed-back byte, a CR or 0x1A in text mode and the block's end
// take the way of Strom_Zeichen, one byte at a time.
size_t Strom_Zeile(Plattform_Strom *strom, char *ziel, size_t n)
{
    size_t i = 0;
    while (i + 1 < n) {
        if (!strom->ende && strom->zurueck < 0 && strom->naechstes < strom->fuellung) {
            // Nothing special stands between the next byte and `besonders`;
            // a byte taken back before it needs a new search.
            if (strom->besonders < strom->naechstes)
                strom->besonders = Besonderes_suchen(strom, strom->naechstes);
            size_t grenze = strom->text ? strom->besonders : strom->fuellung;
            if (strom->naechstes < grenze) {
                size_t platz = n - 1 - i, vorrat = grenze - strom->naechstes;
                size_t k = platz < vorrat ? platz : vorrat;
                const unsigned char *anfang = strom->block + strom->naechstes;
                auto *lf = static_cast<const unsigned char *>(std::memchr(anfang, '\n', k));
                if (lf)
                    k = static_cast<size_t>(lf - anfang) + 1;
                std::memcpy(ziel + i, anfang, k);
                i += k;
                strom->naechstes += k;
                if (lf)
                    break;
                continue;
            }
        }
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

const char *Strom_Zeile_ansehen(Plattform_Strom *strom, size_t n, size_t *laenge)
{
    if (strom->schreiben || strom->ende || strom->zurueck >= 0 || strom->naechstes >= strom->fuellung || n < 2)
        return nullptr;
    if (strom->besonders < strom->naechstes)
        strom->besonders = Besonderes_suchen(strom, strom->naechstes);
    size_t vorrat = strom->besonders - strom->naechstes;
    size_t k = n - 1 < vorrat ? n - 1 : vorrat;
    const unsigned char *anfang = strom->block + strom->naechstes;
    auto *lf = static_cast<const unsigned char *>(std::memchr(anfang, '\n', k));
    if (!lf)
        return nullptr;
    *laenge = static_cast<size_t>(lf - anfang) + 1;
    strom->naechstes += *laenge;
    return reinterpret_cast<const char *>(anfang);
}

size_t Strom_schreiben(Plattform_Strom *strom, const void *quelle, size_t n)
{
    if (!strom->schreiben || strom->fehler)
        return 0;
    if (strom->naechstes + n > Blockgroesse) {
        if (!Block_leeren(strom))
            return 0;
        if (n >= Blockgroesse) {
            if (Alles_schreiben(strom->fd, static_cast<const unsigned char *>(quelle), n))
                return n;
            strom->fehler = true;
            return 0;
        }
    }
    std::memcpy(strom->block + strom->naechstes, quelle, n);
    strom->naechstes += n;
    return n;
}

int64_t Strom_Position(Plattform_Strom *strom)
{
    if (strom->schreiben) {
        off_t p = ::lseek(strom->fd, 0, SEEK_CUR);
        return p < 0 ? -1 : static_cast<int64_t>(p) + static_cast<int64_t>(strom->naechstes);
    }
    return strom->blockanfang + static_cast<int64_t>(strom->naechstes) - (strom->zurueck >= 0 ? 1 : 0);
}

// A position inside the block needs no system call.
int Strom_setzen(Plattform_Strom *strom, int64_t position)
{
    if (position < 0)
        return -1;
    if (strom->schreiben) {
        if (!Block_leeren(strom) || ::lseek(strom->fd, static_cast<off_t>(position), SEEK_SET) < 0)
            return -1;
    } else if (position >= strom->blockanfang &&
               position <= strom->blockanfang + static_cast<int64_t>(strom->fuellung)) {
        strom->naechstes = static_cast<size_t>(position - strom->blockanfang);
        strom->besonders = Besonderes_suchen(strom, strom->naechstes);
    } else {
        if (::lseek(strom->fd, static_cast<off_t>(position), SEEK_SET) < 0)
            return -1;
        strom->blockanfang = position;
        strom->naechstes = strom->fuellung = strom->besonders = 0;
    }
    strom->zurueck = -1;
    strom->ende = false;
    return 0;
}

bool Strom_Ende(Plattform_Strom *strom)
{
    return strom->ende;
}

bool Strom_Fehler(Plattform_Strom *strom)
{
    return strom->fehler;
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
