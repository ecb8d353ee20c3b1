// Saving: exact bytes, owner and bits kept, read-only files refused, the old file whole after any failure.
#include "testhilfe.h"

#include "platform/ganzdatei.h"

#include <cerrno>
#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;

extern "C" int fork(), kill(int pid, int signal), waitpid(int pid, int *status, int optionen),
    chown(const char *pfad, unsigned uid, unsigned gid), mkfifo(const char *pfad, unsigned modus), setuid(unsigned uid);
extern "C" unsigned geteuid(), umask(unsigned maske);
extern "C" void _exit(int status);

namespace {
enum Aufruf { Schreiben, Sichern, Umbenennen, Rechte, Besitzer, Schliessen, Aufrufe };
int bis_fehler[Aufrufe] = {-1, -1, -1, -1, -1, -1}; // calls let through before one fails; -1: never
// The bits of the file at each write (or'ed), and whether a child holds at the fsync of a file.
unsigned rechte_beim_schreiben = 0;
bool beim_fsync_haengen = false;

bool Faellig(Aufruf a, int fehler) { return bis_fehler[a] >= 0 && bis_fehler[a]-- == 0 && (errno = fehler, true); }

// Only files count: the flush and the closing of a folder may fail unharmed.
bool Ist_Datei(int fd) { std::error_code f; return fs::is_regular_file("/proc/self/fd/" + std::to_string(fd), f); }

const Dateiaufrufe echt = dateiaufrufe; // taken before the table is changed

std::ptrdiff_t Test_schreiben(int fd, const void *p, size_t n)
{
    rechte_beim_schreiben |= static_cast<unsigned>(fs::status("/proc/self/fd/" + std::to_string(fd)).permissions());
    n = std::min<size_t>(n, 4000); // short writes, as a pipe or a full disk gives them
    return Faellig(Schreiben, ENOSPC) ? (echt.schreiben(fd, p, n / 2), -1) : echt.schreiben(fd, p, n); // half, failed
}
int Test_sichern(int fd)
{
    while (beim_fsync_haengen && Ist_Datei(fd))
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return Ist_Datei(fd) && Faellig(Sichern, EIO) ? -1 : echt.sichern(fd);
}
int Test_schliessen(int fd) // closed all the same, as after a deferred write error
{
    bool datei = Ist_Datei(fd);
    return echt.schliessen(fd) != 0 || (datei && Faellig(Schliessen, EIO)) ? -1 : 0;
}
const bool eingesetzt = (dateiaufrufe = {
    Test_schreiben, Test_sichern,
    [](int da, const char *a, int db, const char *b) {
        return Faellig(Umbenennen, EXDEV) ? -1 : echt.umbenennen(da, a, db, b); },
    [](int fd, unsigned m) { return Faellig(Rechte, EPERM) ? -1 : echt.rechte_setzen(fd, m); },
    [](int fd, unsigned u, unsigned g) { return Faellig(Besitzer, EPERM) ? -1 : echt.besitzer_setzen(fd, u, g); },
    Test_schliessen}, true);

constexpr auto Objekt = kt::Quelle::Objekt; // a memory object that holds the text

long Dateien_im_Ordner(const fs::path &p) { return std::distance(fs::directory_iterator(p), {}); }

// A save through a link replaces the file it names; wrong arguments and read-only files change nothing.
TEST(Speichern, BytesRechteVerweiseUndAblehnungen)
{
    kt::Tempordner d;
    const std::string bytes("\x1A\0\r\nx\0y\r\n", 9), ziel = d / "neu.cfg";
    kt::Testhandle o(Objekt, bytes), p(Objekt, "neu");
    ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0);
    EXPECT_EQ(kt::Datei_lesen(ziel), bytes);
    fs::create_symlink(ziel, d / "link.cfg");
    ASSERT_EQ(KR_Konfig_Datei_schreiben((d / "link.cfg").c_str(), p.get()), 0);
    EXPECT_TRUE(fs::is_symlink(d / "link.cfg"));
    fs::permissions(ziel, fs::perms::owner_read | fs::perms::group_read);
    Zugriffshandle ohne{};
    EXPECT_EQ(KR_Konfig_Datei_schreiben(nullptr, o.get()), QUIDEL_STATUS_ARGUMENT);
    EXPECT_EQ(KR_Konfig_Datei_schreiben("", o.get()), QUIDEL_STATUS_ARGUMENT);
    EXPECT_EQ(KR_Konfig_Datei_schreiben((d / "a").c_str(), nullptr), QUIDEL_STATUS_ARGUMENT);
    EXPECT_EQ(KR_Konfig_Datei_schreiben((d / "a").c_str(), &ohne), QUIDEL_STATUS_HANDLE);
    EXPECT_EQ(KR_Konfig_Datei_schreiben((d / "fehlt/a.cfg").c_str(), o.get()), QUIDEL_STATUS_NICHT_ANLEGBAR);
    EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 7213);
    EXPECT_EQ(kt::Datei_lesen(ziel), "neu");
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 2);

    // A chain of links to a file not there yet creates it, each link read against its own folder.
    fs::create_directory(d / "daten");
    fs::create_symlink("daten/weiter", d / "spaeter.cfg");
    fs::create_symlink("spaeter.cfg", d / "daten/weiter");
    ASSERT_EQ(KR_Konfig_Datei_schreiben((d / "spaeter.cfg").c_str(), p.get()), 0);
    EXPECT_TRUE(fs::is_symlink(d / "spaeter.cfg") && fs::is_symlink(d / "daten/weiter"));
    EXPECT_EQ(kt::Datei_lesen(d / "daten/spaeter.cfg"), "neu");
    // No FIFO, device or folder becomes a file, not through a link either; a loop of links fails.
    ASSERT_EQ(mkfifo((d / "fifo").c_str(), 0600), 0);
    fs::create_symlink("fifo", d / "zur_fifo");
    fs::create_symlink("schleife", d / "schleife");
    for (const char *name : {"fifo", "zur_fifo", "daten", "schleife"})
        EXPECT_EQ(KR_Konfig_Datei_schreiben((d / name).c_str(), p.get()), QUIDEL_STATUS_NICHT_ANLEGBAR) << name;
    EXPECT_TRUE(fs::is_fifo(d / "fifo") && fs::is_directory(d / "daten"));
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 7);
}

// A save into a folder that forbids a new file; as root in a child that runs as nobody.
int An_Ort_speichern(const kt::Tempordner &d, const std::string &ziel, Zugriffshandle *h)
{
    int status = -1;
    if (geteuid() != 0) {
        fs::permissions(d.pfad(), fs::perms::owner_read | fs::perms::owner_exec);
        status = KR_Konfig_Datei_schreiben(ziel.c_str(), h);
        fs::permissions(d.pfad(), fs::perms::owner_all);
        return status;
    }
    int kind = fork();
    if (kind == 0)
        _exit(setuid(65534) == 0 ? KR_Konfig_Datei_schreiben(ziel.c_str(), h) & 0xFF : 0xFF);
    waitpid(kind, &status, 0);
    return status >> 8 & 0xFF;
}

// In place, the bytes beyond the old length are written first: a write that fails there leaves the
// old file whole; shorter text is cut to its length.  A second link to the file sees the change.
TEST(Speichern, AnOrtErstDasNeueEnde)
{
    kt::Tempordner d;
    const std::string ziel = d / "fest.cfg", lang(100000, 'n');
    kt::Testhandle o(Objekt, lang), kurz(Objekt, "neu");
    kt::Datei_schreiben(ziel, "alt");
    fs::create_hard_link(ziel, d / "zweiter");
    fs::permissions(d.pfad(), static_cast<fs::perms>(0755));
    ASSERT_TRUE(geteuid() != 0 || chown(ziel.c_str(), 65534, 65534) == 0);
    for (int n = 0; n < 25; ++n) { // 25 short writes take the new end
        bis_fehler[Schreiben] = n;
        EXPECT_EQ(An_Ort_speichern(d, ziel, o.get()), QUIDEL_STATUS_SCHREIBFEHLER) << n;
        EXPECT_EQ(kt::Datei_lesen(ziel), "alt") << n;
    }
    bis_fehler[Schreiben] = -1;
    EXPECT_EQ(An_Ort_speichern(d, ziel, o.get()), 0);
    EXPECT_EQ(kt::Datei_lesen(d / "zweiter"), lang);
    EXPECT_EQ(An_Ort_speichern(d, ziel, kurz.get()), 0);
    EXPECT_EQ(kt::Datei_lesen(d / "zweiter"), "neu");
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 2);
}

// Each call of each kind fails in turn: the old file keeps every byte, no temporary file is left.
TEST(Speichern, JederFehlschlagLaesstDieAlteDateiStehen)
{
    kt::Tempordner d;
    const std::string ziel = d / "wichtig.cfg";
    const std::string neu(100000, 'n');
    kt::Testhandle o(Objekt, neu);
    for (Aufruf a : {Schreiben, Sichern, Umbenennen, Rechte, Schliessen}) {
        for (int n = 0;; ++n) {
            kt::Datei_schreiben(ziel, "alt");
            bis_fehler[a] = n;
            int status = KR_Konfig_Datei_schreiben(ziel.c_str(), o.get());
            if (bis_fehler[a] != -1) {
                bis_fehler[a] = -1;
                EXPECT_EQ(status, 0);
                EXPECT_EQ(kt::Datei_lesen(ziel), neu);
                EXPECT_GT(n, a == Schreiben ? 20 : 0) << a; // the short writes took many calls
                break;
            }
            EXPECT_EQ(status, QUIDEL_STATUS_SCHREIBFEHLER) << a << " " << n;
            EXPECT_EQ(kt::Datei_lesen(ziel), "alt") << a << " " << n;
            EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 1) << a << " " << n;
        }
    }
}

// A new inode, private until it has the target's bits; as root owner, group, setuid/setgid stay if they can.
TEST(Speichern, NeueDateiMitDenRechtenUndDemBesitzerDerAlten)
{
    kt::Tempordner d;
    kt::Testhandle o(Objekt, "neu");
    unsigned maske = umask(022); // a create of 0666 would let others read
    const struct {
        std::string name, format; // with the owner: as root only
        unsigned rechte;
        int fchown_fehler;
        const char *stat;
    } faelle[] = {{std::string(250, 'n'), "%a", 0600, -1, "600\n"}, {"kurz.cfg", "%a", 0644, -1, "644\n"},
                  {"s.cfg", "%u %g %a", 06750, -1, "4242 4343 6750\n"},
                  {"s.cfg", "%u %g %a", 06750, 0, "0 4343 750\n"}};
    for (const auto &f : faelle) {
        const std::string ziel = d / f.name;
        kt::Datei_schreiben(ziel, "alt");
        if (f.format.size() > 2 && (geteuid() != 0 || chown(ziel.c_str(), 4242, 4343) != 0))
            continue;
        fs::permissions(ziel, static_cast<fs::perms>(f.rechte));
        fs::create_hard_link(ziel, d / "zweiter"); // keeps the old inode
        rechte_beim_schreiben = 0;
        bis_fehler[Besitzer] = f.fchown_fehler;
        ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0) << f.name.size();
        EXPECT_EQ(rechte_beim_schreiben, 0600u) << f.name.size();
        EXPECT_EQ(fs::hard_link_count(ziel), 1u);
        std::system(("stat -c '" + f.format + "' '" + ziel + "' >" + d / "zweiter").c_str());
        EXPECT_EQ(kt::Datei_lesen(d / "zweiter"), f.stat);
        EXPECT_EQ(kt::Datei_lesen(ziel), "neu");
        fs::remove(d / "zweiter");
    }
    umask(maske);
}

// A killed save leaves its temporary file; the next save removes it, never that of a save still running.
TEST(Speichern, ResteGetoeteterSpeichervorgaenge)
{
    kt::Tempordner d;
    const std::string ziel = d / "r.cfg";
    kt::Datei_schreiben(ziel, "alt");
    kt::Testhandle o(Objekt, "neu");
    int laeuft = fork(), status;
    if (laeuft == 0) {
        beim_fsync_haengen = true;
        _exit(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()));
    }
    for (int i = 0; i < 250 && Dateien_im_Ordner(d.pfad()) < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0);
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 2);
    kill(laeuft, 9), waitpid(laeuft, &status, 0);
    EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0);
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 1);
    EXPECT_EQ(kt::Datei_lesen(ziel), "neu");
}

} // namespace
