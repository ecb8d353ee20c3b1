// Saving memory objects: exact bytes, permission bits kept, read-only files
// refused, and a save that fails part-way leaves the old file as it was.
// This program is linked with the system's write, fsync, rename, fchmod and
// close wrapped (see tests/CMakeLists.txt), so a test can make them fail on
// demand.
#include "testhilfe.h"

#include "quidel32.h"

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {
// Number of calls to let through before the wrapped call fails; -1: never.
int schreiben_bis_fehler = -1;
int fsync_bis_fehler = -1;
int rename_bis_fehler = -1;
int fchmod_bis_fehler = -1;
int close_bis_fehler = -1;
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
} // namespace

extern "C" {
std::ptrdiff_t __real_write(int fd, const void *p, size_t n);
int __real_fsync(int fd);
int __real_rename(const char *a, const char *b);

int __real_fchmod(int fd, unsigned mode);
int __real_close(int fd);

std::ptrdiff_t __wrap_write(int fd, const void *p, size_t n)
{
    ++schreibaufrufe;
    if (schreiben_hoechstens > 0 && n > schreiben_hoechstens)
        n = schreiben_hoechstens; // a short write, as a pipe or a full disk may give
    if (Faellig(schreiben_bis_fehler)) {
        // A short write first, then the failure: the file is half written.
        if (n > 1)
            __real_write(fd, p, n / 2);
        errno = ENOSPC;
        return -1;
    }
    return __real_write(fd, p, n);
}
int __wrap_fsync(int fd)
{
    if (Faellig(fsync_bis_fehler)) {
        errno = EIO;
        return -1;
    }
    return __real_fsync(fd);
}
int __wrap_rename(const char *a, const char *b)
{
    if (Faellig(rename_bis_fehler)) {
        errno = EXDEV;
        return -1;
    }
    return __real_rename(a, b);
}
int __wrap_fchmod(int fd, unsigned mode)
{
    if (Faellig(fchmod_bis_fehler)) {
        errno = EPERM;
        return -1;
    }
    return __real_fchmod(fd, mode);
}
int __wrap_close(int fd)
{
    // The descriptor is closed all the same, as after a deferred write error.
    int r = __real_close(fd);
    if (Faellig(close_bis_fehler)) {
        errno = EIO;
        return -1;
    }
    return r;
}
}

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

} // namespace
