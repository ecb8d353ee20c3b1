// Saving memory objects: exact bytes, permission bits kept, read-only files
// refused, and a save that fails part-way leaves the old file as it was.
// The system's write, fsync, renameat, fchmod, fchown and close of a save
// are replaced in the table of the whole-file piece, so a test can make them
// fail on demand.
#include "testhilfe.h"

#include "platform/ganzdatei.h"
#include "quidel32.h"

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {
// Number of calls to let through before the wrapped call fails; -1: never.
int schreiben_bis_fehler = -1;
int fsync_bis_fehler = -1;
int rename_bis_fehler = -1;
int fchmod_bis_fehler = -1;
int fchown_bis_fehler = -1;
int close_bis_fehler = -1;
// The permission bits of the file at each write (the bits of every one
// or'ed), and what the first fsync of a file does in a child process: end
// it (as if killed there), or hold it until it is killed.
unsigned rechte_beim_schreiben = 0;
enum class Beim_fsync { weiter, enden, haengen } beim_fsync = Beim_fsync::weiter;
// Writes of at most this many bytes per call (0: no limit), and their count.
size_t schreiben_hoechstens = 0;
int schreibaufrufe = 0;

bool Faellig(int &zaehler)
{
    if (zaehler < 0)
        return false;
    if (zaehler == 0) {
        zaehler = -1;
        return true;
    }
    --zaehler;
    return false;
}

// Only files count: the flush of a folder and the closing of one may fail
// without harm.
bool Ist_Datei(int fd)
{
    std::error_code f;
    return fs::is_regular_file("/proc/self/fd/" + std::to_string(fd), f);
}
} // namespace

extern "C" {
int fork();
int kill(int pid, int signal);
int waitpid(int pid, int *status, int optionen);
int getpid();
unsigned geteuid();
int chown(const char *pfad, unsigned uid, unsigned gid);
unsigned umask(unsigned maske);
void _exit(int status);
}

namespace {

// The system's own calls, taken before the table is changed.
const Dateiaufrufe echt = dateiaufrufe;

std::ptrdiff_t Test_schreiben(int fd, const void *p, size_t n)
{
    ++schreibaufrufe;
    if (fd > 2)
        rechte_beim_schreiben |= static_cast<unsigned>(fs::status("/proc/self/fd/" + std::to_string(fd)).permissions());
    if (schreiben_hoechstens > 0 && n > schreiben_hoechstens)
        n = schreiben_hoechstens; // a short write, as a pipe or a full disk may give
    if (Faellig(schreiben_bis_fehler)) {
        // A short write first, then the failure: the file is half written.
        if (n > 1)
            echt.schreiben(fd, p, n / 2);
        errno = ENOSPC;
        return -1;
    }
    return echt.schreiben(fd, p, n);
}
int Test_sichern(int fd)
{
    while (beim_fsync != Beim_fsync::weiter && Ist_Datei(fd)) {
        if (beim_fsync == Beim_fsync::enden)
            _exit(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (Ist_Datei(fd) && Faellig(fsync_bis_fehler)) {
        errno = EIO;
        return -1;
    }
    return echt.sichern(fd);
}
int Test_umbenennen(int da, const char *a, int db, const char *b)
{
    if (Faellig(rename_bis_fehler)) {
        errno = EXDEV;
        return -1;
    }
    return echt.umbenennen(da, a, db, b);
}
int Test_rechte_setzen(int fd, unsigned mode)
{
    if (Faellig(fchmod_bis_fehler)) {
        errno = EPERM;
        return -1;
    }
    return echt.rechte_setzen(fd, mode);
}
int Test_besitzer_setzen(int fd, unsigned uid, unsigned gid)
{
    if (Faellig(fchown_bis_fehler)) {
        errno = EPERM;
        return -1;
    }
    return echt.besitzer_setzen(fd, uid, gid);
}
int Test_schliessen(int fd)
{
    // The descriptor is closed all the same, as after a deferred write error.
    bool datei = Ist_Datei(fd);
    int r = echt.schliessen(fd);
    if (datei && Faellig(close_bis_fehler)) {
        errno = EIO;
        return -1;
    }
    return r;
}

const bool eingesetzt = (dateiaufrufe = {Test_schreiben, Test_sichern, Test_umbenennen, Test_rechte_setzen,
                                         Test_besitzer_setzen, Test_schliessen},
                         true);

} // namespace

namespace {

std::string Neuer_Inhalt()
{
    std::string s = "[neu]\r\n";
    for (int i = 0; i < 5000; ++i)
        s += "eintrag" + std::to_string(i) + ": wert\r\n";
    return s;
}

constexpr auto Objekt = kt::Quelle::Objekt; // a memory object that holds the text

long Dateien_im_Ordner(const fs::path &p)
{
    return std::distance(fs::directory_iterator(p), fs::directory_iterator());
}

// A new file gets exactly the object's bytes; an existing one keeps its
// permission bits, and a symbolic link stays a link to the file it names.
TEST(Speichern, BytesRechteUndVerweise)
{
    kt::Tempordner d;
    const std::string bytes("\x1A\0\r\nx\0y\r\n", 9);
    kt::Testhandle o(Objekt, bytes);
    ASSERT_EQ(KR_Konfig_Datei_schreiben((d / "neu.cfg").c_str(), o.get()), 0);
    EXPECT_EQ(kt::Datei_lesen(d / "neu.cfg"), bytes);
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 1); // no temporary file left

    const auto rechte = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(d / "neu.cfg", rechte);
    fs::create_symlink(d / "neu.cfg", d / "link.cfg");
    kt::Testhandle p(Objekt, "neu");
    ASSERT_EQ(KR_Konfig_Datei_schreiben((d / "link.cfg").c_str(), p.get()), 0);
    EXPECT_TRUE(fs::is_symlink(d / "link.cfg"));
    EXPECT_EQ(fs::status(d / "neu.cfg").permissions(), rechte);
    EXPECT_EQ(kt::Datei_lesen(d / "neu.cfg"), "neu");
}

TEST(Speichern, FalscheArgumenteUndSchreibschutz)
{
    kt::Tempordner d;
    kt::Testhandle o(Objekt, "x");
    EXPECT_EQ(KR_Konfig_Datei_schreiben(nullptr, o.get()), QUIDEL_STATUS_ARGUMENT);
    EXPECT_EQ(KR_Konfig_Datei_schreiben((d / "a").c_str(), nullptr), QUIDEL_STATUS_ARGUMENT);
    EXPECT_EQ(KR_Konfig_Datei_schreiben("", o.get()), QUIDEL_STATUS_ARGUMENT);
    Zugriffshandle ohne{};
    EXPECT_EQ(KR_Konfig_Datei_schreiben((d / "a").c_str(), &ohne), QUIDEL_STATUS_HANDLE);
    EXPECT_EQ(KR_Konfig_Datei_schreiben((d / "fehlt/a.cfg").c_str(), o.get()), QUIDEL_STATUS_NICHT_ANLEGBAR);
    EXPECT_FALSE(fs::exists(d / "a"));

    const std::string ziel = d / "nurlesen.cfg";
    kt::Datei_schreiben(ziel, "bleibt");
    fs::permissions(ziel, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 7213);
    EXPECT_EQ(kt::Datei_lesen(ziel), "bleibt");
}

// Each kind of failure, at each point where it can strike: the old file
// keeps every byte, and no temporary file is left beside it.
TEST(Speichern, FehlschlagLaesstDieAlteDateiStehen)
{
    kt::Tempordner d;
    std::string ziel = d / "wichtig.cfg";
    const std::string alt = "[alt]\r\nwert: 1\r\n";
    kt::Testhandle o(Objekt, Neuer_Inhalt());
    int *schalter[] = {&schreiben_bis_fehler, &fsync_bis_fehler, &rename_bis_fehler, &fchmod_bis_fehler,
                       &close_bis_fehler};
    for (int *s : schalter) {
        for (int n = 0; n < 3; ++n) {
            kt::Datei_schreiben(ziel, alt);
            *s = n;
            int status = KR_Konfig_Datei_schreiben(ziel.c_str(), o.get());
            bool ausgeloest = *s == -1;
            *s = -1;
            if (!ausgeloest) {
                EXPECT_EQ(status, 0);
                continue;
            }
            EXPECT_EQ(status, QUIDEL_STATUS_SCHREIBFEHLER);
            EXPECT_EQ(kt::Datei_lesen(ziel), alt);
            EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 1);
        }
    }
}

// Writes that come back short make the save write in many calls; failing
// each of them in turn leaves the old file as it was, and a save that meets
// no failure writes every byte.
TEST(Speichern, KurzeSchreibvorgaengeUndJederFehlschlag)
{
    kt::Tempordner d;
    std::string ziel = d / "kurz.cfg";
    const std::string alt = "[alt]\r\nwert: 1\r\n";
    const std::string neu = Neuer_Inhalt();
    kt::Testhandle o(Objekt, neu);
    schreiben_hoechstens = 4000;
    kt::Datei_schreiben(ziel, alt);
    schreibaufrufe = 0;
    ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0);
    const int aufrufe = schreibaufrufe;
    EXPECT_GT(aufrufe, 20);
    EXPECT_EQ(kt::Datei_lesen(ziel), neu);
    for (int n = 0; n < aufrufe; ++n) {
        kt::Datei_schreiben(ziel, alt);
        schreiben_bis_fehler = n;
        EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), QUIDEL_STATUS_SCHREIBFEHLER) << n;
        EXPECT_EQ(schreiben_bis_fehler, -1);
        EXPECT_EQ(kt::Datei_lesen(ziel), alt) << n;
        EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 1) << n;
    }
    schreiben_bis_fehler = -1;
    schreiben_hoechstens = 0;
}

// The owner, group and bits of a file as "uid gid octal-mode".
std::string Besitz(const std::string &pfad)
{
    kt::Tempordner t;
    std::system(("stat -c '%u %g %a' '" + pfad + "' >" + t / "aus").c_str());
    return kt::Datei_lesen(t / "aus");
}

// A name of 250 bytes still gets a temporary file (the target's inode is
// new), which only this process may read until the target's bits are on it.
TEST(Speichern, LangerNameUndRechteWaehrendDesSchreibens)
{
    kt::Tempordner d;
    kt::Testhandle o(Objekt, Neuer_Inhalt());
    unsigned maske = umask(022); // a create of 0666 would let others read
    struct Fall {
        std::string name;
        fs::perms rechte;
    } faelle[] = {{std::string(250, 'n'), fs::perms::owner_read | fs::perms::owner_write},
                  {"kurz.cfg", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                   fs::perms::others_read}};
    for (const Fall &f : faelle) {
        const std::string ziel = d / f.name;
        kt::Datei_schreiben(ziel, "alt");
        fs::permissions(ziel, f.rechte);
        fs::create_hard_link(ziel, d / "zweiter");
        rechte_beim_schreiben = 0;
        ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0) << f.name.size();
        EXPECT_EQ(rechte_beim_schreiben, 0600u) << f.name.size();
        EXPECT_EQ(fs::status(ziel).permissions(), f.rechte);
        EXPECT_EQ(kt::Datei_lesen(d / "zweiter"), "alt"); // replaced, not written in place
        EXPECT_EQ(fs::hard_link_count(ziel), 1u);
        EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 2);
        fs::remove(d / "zweiter");
        fs::remove(ziel);
    }
    umask(maske);
}

// As root a file keeps its owner, group and setuid/setgid bits; where the
// owner cannot be given back, those bits go.
TEST(Speichern, BesitzerUndSetuid)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root";
    kt::Tempordner d;
    const std::string ziel = d / "s.cfg";
    kt::Testhandle o(Objekt, "neu");
    struct Fall {
        int fchown_fehler;
        const char *besitz;
    } faelle[] = {{-1, "4242 4343 6750\n"}, {0, "0 4343 750\n"}};
    for (const Fall &f : faelle) {
        kt::Datei_schreiben(ziel, "alt");
        ASSERT_EQ(chown(ziel.c_str(), 4242, 4343), 0);
        fs::permissions(ziel, fs::perms::set_uid | fs::perms::set_gid | fs::perms::owner_all |
                                  fs::perms::group_read | fs::perms::group_exec);
        fchown_bis_fehler = f.fchown_fehler;
        EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0);
        fchown_bis_fehler = -1;
        EXPECT_EQ(Besitz(ziel), f.besitz);
        EXPECT_EQ(kt::Datei_lesen(ziel), "neu");
    }
}

// A save killed after its temporary file was written leaves it behind; the
// next save removes it, but never the file of a save still running.
TEST(Speichern, ResteGetoeteterSpeichervorgaenge)
{
    kt::Tempordner d;
    const std::string ziel = d / "r.cfg";
    kt::Datei_schreiben(ziel, "alt");
    kt::Testhandle o(Objekt, "neu");
    auto kind = [&](Beim_fsync art) {
        int pid = fork();
        if (pid == 0) {
            beim_fsync = art;
            KR_Konfig_Datei_schreiben(ziel.c_str(), o.get());
            _exit(1);
        }
        return pid;
    };
    int status;
    waitpid(kind(Beim_fsync::enden), &status, 0);
    ASSERT_EQ(Dateien_im_Ordner(d.pfad()), 2);
    fs::path rest;
    for (const auto &e : fs::directory_iterator(d.pfad()))
        rest = e.path().filename() == "r.cfg" ? rest : e.path();
    // The running save removes the dead one's file and makes its own.
    int laeuft = kind(Beim_fsync::haengen);
    for (int i = 0; i < 250 && (fs::exists(rest) || Dateien_im_Ordner(d.pfad()) < 2); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0);
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 2); // the running save's file stays
    kill(laeuft, 9);
    waitpid(laeuft, &status, 0);
    EXPECT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), o.get()), 0);
    EXPECT_EQ(Dateien_im_Ordner(d.pfad()), 1);
    EXPECT_EQ(kt::Datei_lesen(ziel), "neu");
}

// A process saving a large file in a loop, killed at random moments: the
// file always holds the old or the new bytes whole, and the next save
// leaves no temporary file behind.
TEST(Speichern, AbsturzMittenImSpeichern)
{
    kt::Tempordner d;
    const std::string ziel = d / "gross.cfg";
    const std::string a(2 << 20, 'a'), b((3 << 19) + 7, 'b');
    kt::Testhandle ha(Objekt, a), hb(Objekt, b);
    ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), ha.get()), 0);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), ha.get()), 0);
    auto dauer = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    std::mt19937 zufall(std::random_device{}());
    std::uniform_int_distribution<long> moment(0, std::min<long>(3 * dauer.count(), 30000));
    for (int runde = 0; runde < 24; ++runde) {
        int pid = fork();
        if (pid == 0) {
            for (;;) {
                KR_Konfig_Datei_schreiben(ziel.c_str(), hb.get());
                KR_Konfig_Datei_schreiben(ziel.c_str(), ha.get());
            }
        }
        std::this_thread::sleep_for(std::chrono::microseconds(moment(zufall)));
        int status;
        kill(pid, 9);
        waitpid(pid, &status, 0);
        std::string jetzt = kt::Datei_lesen(ziel);
        ASSERT_TRUE(jetzt == a || jetzt == b) << "round " << runde << ": " << jetzt.size() << " bytes";
        ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), ha.get()), 0);
        ASSERT_EQ(Dateien_im_Ordner(d.pfad()), 1) << "round " << runde;
    }
}

} // namespace
