// ganzdatei.cpp - POSIX: whole-file load and atomic replace, the system
// side of the whole-file piece (it needs nothing else of Korvan).
#include "../ganzdatei.h"
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

ptrdiff_t System_schreiben(int fd, const void *quelle, size_t n)
{
    return ::write(fd, quelle, n);
}
int System_sichern(int fd)
{
    return ::fsync(fd);
}
int System_umbenennen(int ordner, const char *alt, int zielordner, const char *neu)
{
    return ::renameat(ordner, alt, zielordner, neu);
}
int System_rechte_setzen(int fd, unsigned modus)
{
    return ::fchmod(fd, static_cast<mode_t>(modus));
}
int System_besitzer_setzen(int fd, unsigned besitzer, unsigned gruppe)
{
    return ::fchown(fd, static_cast<uid_t>(besitzer), static_cast<gid_t>(gruppe));
}
int System_schliessen(int fd)
{
    return ::close(fd);
}

} // namespace

Dateiaufrufe dateiaufrufe = {System_schreiben,       System_sichern,         System_umbenennen,
                             System_rechte_setzen, System_besitzer_setzen, System_schliessen};

namespace {

// All n bytes through the table, or false; a write that a signal
// interrupted is tried again.
bool Alles_schreiben(int fd, const void *quelle, size_t n)
{
    auto *p = static_cast<const unsigned char *>(quelle);
    while (n > 0) {
        ptrdiff_t r = dateiaufrufe.schreiben(fd, p, n);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

ptrdiff_t Lesen(intptr_t datei, void *ziel, size_t n)
{
    return Posix_lesen(static_cast<int>(datei), ziel, n);
}

// Where the target is a symbolic link, the file it names is replaced, so the
// link survives the save; a link to a file not there yet creates that file.
// A relative link is read against the link's folder.  False for a chain of
// too many links (errno ELOOP) or one whose path does not fit.
bool Ziel_aufloesen(char (&ziel)[PATH_MAX])
{
    for (int sprung = 0; sprung < 40; ++sprung) {
        char verweis[PATH_MAX];
        ssize_t n = ::readlink(ziel, verweis, sizeof verweis);
        if (n < 0)
            return true; // no link (or nothing there): the path is the target
        if (n == 0 || static_cast<size_t>(n) >= sizeof verweis)
            return false;
        const char *schnitt = std::strrchr(ziel, '/');
        size_t ordner = verweis[0] == '/' || !schnitt ? 0 : static_cast<size_t>(schnitt - ziel) + 1;
        if (ordner + static_cast<size_t>(n) >= sizeof ziel)
            return false;
        std::memcpy(ziel + ordner, verweis, static_cast<size_t>(n));
        ziel[ordner + static_cast<size_t>(n)] = '\0';
    }
    errno = ELOOP;
    return false;
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
        dateiaufrufe.schliessen(fd);
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
        return dateiaufrufe.rechte_setzen(fd, Neue_Rechte()) == 0;
    mode_t modus = alt.st_mode & 07777;
    if (dateiaufrufe.besitzer_setzen(fd, alt.st_uid, alt.st_gid) != 0) {
        (void)dateiaufrufe.besitzer_setzen(fd, static_cast<unsigned>(-1), alt.st_gid); // the group alone, where it may be kept
        modus &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    }
    return dateiaufrufe.rechte_setzen(fd, modus) == 0;
}

// Writes the new bytes over the old ones.  Those beyond the old length go
// first and are cut off again when they fail: a full disk then leaves the
// old text whole, as no old byte is written before all space is had.
bool Ueberschreiben(int fd, off_t alt, const void *daten, size_t laenge)
{
    auto *p = static_cast<const unsigned char *>(daten);
    size_t vorne = alt < static_cast<off_t>(laenge) ? static_cast<size_t>(alt) : laenge;
    if (vorne < laenge && (::lseek(fd, alt, SEEK_SET) != alt || !Alles_schreiben(fd, p + vorne, laenge - vorne))) {
        (void)::ftruncate(fd, alt);
        return false;
    }
    return ::lseek(fd, 0, SEEK_SET) == 0 && Alles_schreiben(fd, p, vorne) &&
           (alt <= static_cast<off_t>(laenge) || ::ftruncate(fd, static_cast<off_t>(laenge)) == 0) &&
           dateiaufrufe.sichern(fd) == 0;
}

// The target itself, where the folder takes no new file; only a regular
// file, and never through a link put there meanwhile.
Dateistatus An_Ort_schreiben(int ordner, const char *name, const void *daten, size_t laenge)
{
    int fd = ::openat(ordner, name, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return Dateistatus::nicht_anlegbar;
    struct stat st;
    Dateistatus status = Dateistatus::nicht_anlegbar;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        status = Ueberschreiben(fd, st.st_size, daten, laenge) ? Dateistatus::ok : Dateistatus::schreibfehler;
    if (dateiaufrufe.schliessen(fd) != 0 && status == Dateistatus::ok)
        status = Dateistatus::schreibfehler;
    return status;
}

// Creates the temporary file for the target `name` in the folder, 0600 from
// the start: nobody else reads the new bytes before the target's own bits
// are on them.  Temporary names are ".<hash of the name>.kr~<pid>.<n>":
// short whatever the target's name, and telling which process made them.
// -1 with errno as the create left it.
int Temp_anlegen(int ordner, const char *name, char (&temp)[64])
{
    char praefix[32];
    std::snprintf(praefix, sizeof praefix, ".%08x.kr~", static_cast<unsigned>(Namenshash(name)));
    Reste_entfernen(ordner, praefix);
    int fd = -1;
    for (int versuch = 0; versuch < 100 && fd < 0; ++versuch) {
        std::snprintf(temp, sizeof temp, "%s%ld.%d", praefix, static_cast<long>(::getpid()), versuch);
        fd = ::openat(ordner, temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    return fd;
}

// The written temporary file takes the target's place, or goes when `gut`
// is false or a step fails; false then.  With `sichern` it is flushed before
// the rename and the folder after it.
bool Uebernehmen(int ordner, int fd, const char *temp, const char *name, bool gut, bool vorhanden,
                 const struct stat &alt, bool sichern)
{
    gut = gut && Rechte_uebertragen(fd, vorhanden, alt) && (!sichern || dateiaufrufe.sichern(fd) == 0);
    if (dateiaufrufe.schliessen(fd) != 0)
        gut = false;
    if (gut)
        gut = dateiaufrufe.umbenennen(ordner, temp, ordner, name) == 0;
    if (!gut) {
        ::unlinkat(ordner, temp, 0);
        return false;
    }
    // The rename is done; a folder that cannot be flushed (some file
    // systems refuse it) changes nothing of the result.
    if (sichern)
        (void)dateiaufrufe.sichern(ordner);
    return true;
}

Dateistatus Ersetzen_in(int ordner, const char *name, const void *daten, size_t laenge)
{
    struct stat alt;
    bool vorhanden = ::fstatat(ordner, name, &alt, 0) == 0;
    // A device, a FIFO or a folder stays what it is; only files are replaced.
    if (vorhanden && !S_ISREG(alt.st_mode))
        return Dateistatus::nicht_anlegbar;
    char temp[64];
    int fd = Temp_anlegen(ordner, name, temp);
    if (fd < 0) {
        if (errno == EACCES || errno == EPERM || errno == EROFS)
            return An_Ort_schreiben(ordner, name, daten, laenge);
        return Dateistatus::nicht_anlegbar;
    }
    bool gut = Alles_schreiben(fd, daten, laenge);
    bool ersetzt = Uebernehmen(ordner, fd, temp, name, gut, vorhanden, alt, true);
    return ersetzt ? Dateistatus::ok : Dateistatus::schreibfehler;
}

// The folder and name of a target, its link resolved; -1 when the folder
// does not open or the path names no file in it.
int Ziel_oeffnen(char (&ziel)[PATH_MAX], const char **name)
{
    if (!Ziel_aufloesen(ziel))
        return -1;
    int ordner = Ordner_oeffnen(ziel, name);
    if (ordner >= 0 && !**name) {
        dateiaufrufe.schliessen(ordner);
        return -1;
    }
    return ordner;
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

Dateistatus Datei_laden(const char *pfad, unsigned char **daten, uint32_t *laenge, int64_t grenze)
{
    Posix_Pfad sys(pfad);
    if (!sys.gut)
        return Dateistatus::nicht_lesbar;
    // Only a regular file ends and tells its size; O_NONBLOCK keeps a FIFO
    // from waiting in the open for a writer.
    int fd = ::open(sys.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Dateistatus::nicht_lesbar;
    struct stat st;
    Dateistatus status = Dateistatus::nicht_lesbar;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        if (st.st_size > grenze)
            status = Dateistatus::zu_gross;
        else if (::fcntl(fd, F_SETFL, 0) == 0)
            status = Ganz_laden(Lesen, fd, st.st_size, daten, laenge);
    }
    dateiaufrufe.schliessen(fd);
    return status;
}

Dateistatus Datei_ersetzen(const char *pfad, const void *daten, size_t laenge)
{
    Posix_Pfad ziel(pfad);
    const char *name;
    int ordner = ziel.gut ? Ziel_oeffnen(ziel.text, &name) : -1;
    if (ordner < 0)
        return Dateistatus::nicht_anlegbar;
    Dateistatus status = Ersetzen_in(ordner, name, daten, laenge);
    dateiaufrufe.schliessen(ordner);
    return status;
}

struct Ersetzung {
    int ordner;
    int datei;
    bool vorhanden;
    struct stat alt;
    const char *name; // in ziel
    char temp[64];
    char ziel[PATH_MAX];
};

Ersetzung *Ersetzung_beginnen(const char *pfad, bool *selbst)
{
    *selbst = false;
    Posix_Pfad ziel(pfad);
    auto *e = ziel.gut ? static_cast<Ersetzung *>(heapaufrufe.belegen(sizeof(Ersetzung))) : nullptr;
    if (!e)
        return nullptr;
    std::memcpy(e->ziel, ziel.text, sizeof e->ziel);
    e->datei = -1;
    e->ordner = Ziel_oeffnen(e->ziel, &e->name);
    if (e->ordner >= 0) {
        e->vorhanden = ::fstatat(e->ordner, e->name, &e->alt, 0) == 0;
        *selbst = e->vorhanden && !S_ISREG(e->alt.st_mode);
        if (!*selbst)
            e->datei = Temp_anlegen(e->ordner, e->name, e->temp);
        if (e->datei >= 0)
            return e;
        *selbst = *selbst || errno == EACCES || errno == EPERM || errno == EROFS;
        dateiaufrufe.schliessen(e->ordner);
    }
    std::free(e);
    return nullptr;
}

intptr_t Ersetzung_Datei(const Ersetzung *e)
{
    return e->datei;
}

bool Ersetzung_Ziel(const Ersetzung *e, uint64_t *geraet, uint64_t *knoten)
{
    if (!e->vorhanden)
        return false;
    *geraet = static_cast<uint64_t>(e->alt.st_dev);
    *knoten = static_cast<uint64_t>(e->alt.st_ino);
    return true;
}

bool Ersetzung_beenden(Ersetzung *e, bool uebernehmen)
{
    bool gut = Uebernehmen(e->ordner, e->datei, e->temp, e->name, uebernehmen, e->vorhanden, e->alt, false);
    dateiaufrufe.schliessen(e->ordner);
    std::free(e);
    return gut;
}
