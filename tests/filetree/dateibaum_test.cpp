// Listing and deleting directory trees, and the directory search beneath.
#include "haken.h"
#include "testhilfe.h"

#include "platform/plattform.h"
#include "tamsel.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

// The test program counts the list's growths through the fault hook
// (failing allocations: tests/fehlerprobe).
namespace {
int resize_aufrufe = 0;
uint32_t letzte_groesse = 0;
[[maybe_unused]] const bool gezaehlt = (fehlerhaken = [](const char *was, size_t groesse) {
    if (std::strcmp(was, "Tamsel_Resize") == 0) {
        ++resize_aufrufe;
        letzte_groesse = static_cast<uint32_t>(groesse);
    }
    return false;
}, true);
} // namespace

namespace {

using Liste = std::vector<std::string>;

void Datei(const fs::path &p, const std::string &inhalt = "x")
{
    fs::create_directories(p.parent_path());
    kt::Datei_schreiben(p.string(), inhalt);
}

// A listing as a list of paths; the block is freed.
struct Ergebnis {
    int anzahl;
    Liste pfade;
};

Ergebnis Listen(const std::string &dir, const char *muster, unsigned flags)
{
    char *block = nullptr;
    Ergebnis e{KR_FileTree(dir.c_str(), muster, &block, flags), {}};
    for (const char *p = block; p && static_cast<int>(e.pfade.size()) < e.anzahl; p += std::strlen(p) + 1)
        e.pfade.emplace_back(p);
    KR_FileTreefree(block);
    return e;
}

Liste Suchen(const std::string &muster)
{
    Liste namen;
    Suchtreffer t;
    Verzeichnissuche *s = Suche_beginnen(muster.c_str(), true, &t);
    for (bool weiter = s != nullptr; weiter; weiter = Suche_weiter(s, &t))
        namen.push_back(std::string(t.name) + (t.verzeichnis ? "/" : ""));
    Suche_beenden(s);
    return namen;
}

fs::perms Rechte(const fs::path &p)
{
    return fs::symlink_status(p).permissions();
}

// --- the directory search -------------------------------------------------

// On POSIX the search matches names itself, as Windows does for long names;
// on Windows the system matches, so only the cases on which every version of
// it agrees are asked there (wine, for one, takes "*." and a trailing '?'
// otherwise, and "*.htm" finds long names ending ".html").  Names arrive
// sorted by bytes, whatever order the file system keeps.
TEST(Suche, MusterSortiertNachBytes)
{
    kt::Tempordner t;
    for (const char *n : {"a", "ab", "a.txt", "ab.txt", "B.TXT", "readme", "x.tar.gz", "page.html", "Zy", "_u"})
        Datei(t.pfad() / n);
    fs::create_directory(t.pfad() / "sub.d");
#ifndef _WIN32
    fs::create_directory_symlink(t.pfad() / "sub.d", t.pfad() / "verweis");
    const std::string d = t.pfad().string() + "/";
    const Liste alle = {"./", "../", "B.TXT", "Zy", "_u", "a", "a.txt", "ab", "ab.txt", "page.html", "readme",
                        "sub.d/", "verweis", "x.tar.gz"};
#else
    const std::string d = t.pfad().string() + "\\";
    const Liste alle = {"./", "../", "B.TXT", "Zy", "_u", "a", "a.txt", "ab", "ab.txt", "page.html", "readme",
                        "sub.d/", "x.tar.gz"};
#endif
    struct Fall {
        const char *muster;
        Liste namen;
    } faelle[] = {
        {"*.*", alle}, {"*", alle}, {"*.txt", {"B.TXT", "a.txt", "ab.txt"}}, {"A*", {"a", "a.txt", "ab", "ab.txt"}},
        {"x.*", {"x.tar.gz"}}, {"*.gz", {"x.tar.gz"}}, {"*.D", {"sub.d/"}}, {"*.tar", {}},
#ifndef _WIN32
        {"*.", {"./", "../", "Zy", "_u", "a", "ab", "readme", "verweis"}},
        {"A?", {"a", "ab"}}, {"?", {"a"}}, {"a?.txt", {"a.txt", "ab.txt"}}, {"*.htm", {}},
#endif
    };
    for (const Fall &f : faelle)
        EXPECT_EQ(Suchen(d + f.muster), f.namen) << f.muster;
    EXPECT_EQ(Suchen(t.pfad().string() + "/*.gz"), Liste{"x.tar.gz"});
    EXPECT_EQ(Suchen(d + "fehlt" + d.back() + "*.*"), Liste{});
    EXPECT_EQ(Suchen(d + "a.txt" + d.back() + "*.*"), Liste{});
}

// --- listing ----------------------------------------------------------------

class Baum : public ::testing::Test {
protected:
    void SetUp() override
    {
        Datei(t.pfad() / "a.txt");
        Datei(t.pfad() / "sub" / "b.txt");
        Datei(t.pfad() / ".hidden");
        Datei(t.pfad() / ".git" / "c.txt");
        Datei(t.pfad() / "sub" / ".d" / "e.txt");
        d = t.pfad().string();
    }
    std::string P(const std::string &rest) const { return d + "\\" + rest; }

    kt::Tempordner t;
    std::string d;
};

// The flags choose what is listed, and the prefix is the caller's directory
// as given.
TEST_F(Baum, FlagsUndPraefix)
{
    const Liste alle = {P("a.txt"), P("sub\\b.txt"), P("sub")};
    // Each row: the directory, flags, the paths listed.
    const std::tuple<std::string, unsigned, Liste> faelle[] = {
        {d, 0x10, alle}, {d, 0x00, {P("a.txt"), P("sub\\b.txt")}}, {d, 0x200, {P("sub")}}, {d, 0x210, {P("sub")}},
        {d, 0x110, {P("a.txt"), P("sub")}}, {d, 0x100, {P("a.txt")}}, {d, 0x300, {P("sub")}},
        {d, 0xFFFFFCFF, alle}, // other bits do nothing
        {d + "\\", 0, {P("a.txt"), P("sub\\b.txt")}}, {d + "/", 0, {d + "/\\a.txt", d + "/\\sub\\b.txt"}},
    };
    for (const auto &[dir, flags, pfade] : faelle) {
        Ergebnis e = Listen(dir, "*.*", flags);
        EXPECT_EQ(e.anzahl, static_cast<int>(pfade.size())) << dir << " " << std::hex << flags;
        EXPECT_EQ(e.pfade, pfade) << dir << " " << std::hex << flags;
    }
}

TEST_F(Baum, MusterGiltAufJederEbene)
{
    Datei(t.pfad() / "x.c");
    Datei(t.pfad() / "src.c" / "z.c");
    Datei(t.pfad() / "src.c" / "w.h");
    Datei(t.pfad() / "lib" / "q.c");
    EXPECT_EQ(Listen(d, "*.c", 0x10).pfade, (Liste{P("src.c\\z.c"), P("src.c"), P("x.c")}));
}

TEST_F(Baum, FolgeaufrufHaengtAnDieListeAn)
{
    char *block = nullptr;
    ASSERT_EQ(KR_FileTree(d.c_str(), "*.*", &block, 0), 2);
    ASSERT_EQ(KR_FileTree((d + "\\sub").c_str(), "*.*", &block, 0x200), 0);
    ASSERT_EQ(KR_FileTree(d.c_str(), "*.txt", &block, 0x100), 1);
    Liste pfade;
    for (const char *p = block; pfade.size() < 3; p += std::strlen(p) + 1)
        pfade.emplace_back(p);
    EXPECT_EQ(pfade, (Liste{P("a.txt"), P("sub\\b.txt"), P("a.txt")}));
    char *vorher = block;
    EXPECT_EQ(KR_FileTree("", "*.*", &block, 0), 0);
    EXPECT_EQ(KR_FileTree(nullptr, "*.*", &block, 0), 0);
    EXPECT_EQ(block, vorher);
    KR_FileTreefree(block);
    KR_FileTreefree(nullptr);
}

TEST(Listen, FehlendesVerzeichnisGibtNull)
{
    kt::Tempordner t;
    char *block = nullptr;
    EXPECT_EQ(KR_FileTree((t / "fehlt").c_str(), "*.*", &block, 0x10), 0);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(KR_FileTree(t.pfad().string().c_str(), "*.*", nullptr, 0x10), -1);
}

// --- growth of the list -----------------------------------------------------

// Four paths of 200 characters fill 804 bytes; a fifth of `laenge` makes
// the list grow exactly when 804 + laenge + 1 reaches 1024.
int Resizes_fuer_fuenften_Pfad(size_t laenge)
{
    kt::Tempordner t;
    std::string d = t.pfad().string();
    size_t name = 200 - d.size() - 1;
    for (char c : {'a', 'b', 'c', 'd'})
        Datei(t.pfad() / std::string(name, c));
    Datei(t.pfad() / std::string(laenge - d.size() - 1, 'e'));
    resize_aufrufe = 0;
    Ergebnis e = Listen(d, "*.*", 0);
    EXPECT_EQ(e.anzahl, 5);
    EXPECT_EQ(e.pfade.back().size(), laenge);
    return resize_aufrufe;
}

TEST(Wachstum, In1024ByteSchrittenSobaldDieKapazitaetErreichtIst)
{
    EXPECT_EQ(Resizes_fuer_fuenften_Pfad(218), 0);
    EXPECT_EQ(Resizes_fuer_fuenften_Pfad(219), 1);
    EXPECT_EQ(letzte_groesse, 2048u);
}

// --- the 260-byte limit -----------------------------------------------------

// The tree is made with paths beyond the limit, which POSIX systems and wine
// allow (Windows itself only to programs marked for long paths).

TEST(Pfadgrenze, LaengereVollePfadeWerdenUebersprungen)
{
    kt::Tempordner t;
    std::string d = t.pfad().string();
    auto name = [&](size_t volle_laenge, char c) { return std::string(volle_laenge - d.size() - 1, c); };
    Datei(t.pfad() / name(259, 'a'));
    Datei(t.pfad() / name(260, 'b'));
    // Below a directory of 255 characters "\*.*" still fits; below 256 not.
    Datei(t.pfad() / name(255, 'c') / "x");
    Datei(t.pfad() / name(256, 'd') / "y");
    Ergebnis e = Listen(d, "*.*", 0x10);
    Liste erwartet = {d + "\\" + name(259, 'a'), d + "\\" + name(255, 'c') + "\\x", d + "\\" + name(255, 'c'),
                      d + "\\" + name(256, 'd')};
    EXPECT_EQ(e.pfade, erwartet);
    EXPECT_EQ(e.anzahl, 4);

    EXPECT_EQ(KR_DelTree(d.c_str()), 0);
    EXPECT_TRUE(fs::exists(t.pfad() / name(260, 'b')));
    EXPECT_TRUE(fs::exists(t.pfad() / name(256, 'd') / "y"));
    EXPECT_FALSE(fs::exists(t.pfad() / name(259, 'a')));
    EXPECT_FALSE(fs::exists(t.pfad() / name(255, 'c')));
}

// --- deleting ---------------------------------------------------------------

TEST(Loeschen, SchreibgeschuetzterBaumVerschwindetGanz)
{
    kt::Tempordner t;
    fs::path w = t.pfad() / "w";
    Datei(w / "a.txt");
    Datei(w / "sub" / "tief" / "b.txt");
    for (const fs::path &p : {w / "a.txt", w / "sub" / "tief" / "b.txt"})
        fs::permissions(p, fs::perms::owner_read | fs::perms::group_read);
    for (const fs::path &p : {w / "sub" / "tief", w / "sub", w})
        fs::permissions(p, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(KR_DelTree(w.string().c_str()), 1);
    EXPECT_FALSE(fs::exists(w));
}

TEST(Loeschen, PunktdateiHaeltIhreVerzeichnisseFest)
{
    kt::Tempordner t;
    fs::path w = t.pfad() / "w";
    Datei(w / "a.txt");
    Datei(w / "sub" / ".bleibt", "geheim");
    Datei(w / "sub" / "b.txt");
    Datei(w / "anderes" / "c.txt");
    fs::permissions(w / "sub", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(KR_DelTree(w.string().c_str()), 0);
    EXPECT_EQ(kt::Datei_lesen((w / "sub" / ".bleibt").string()), "geheim");
    EXPECT_TRUE(fs::is_directory(w));
    EXPECT_FALSE(fs::exists(w / "a.txt"));
    EXPECT_FALSE(fs::exists(w / "sub" / "b.txt"));
    EXPECT_FALSE(fs::exists(w / "anderes"));
    // The normal attribute stays set: writable by the owner, searchable
    // (on Windows: the read-only attribute is gone).
#ifdef _WIN32
    EXPECT_EQ(Rechte(w / "sub"), fs::perms::all);
#else
    EXPECT_EQ(Rechte(w / "sub"), fs::perms::owner_all);
#endif
}

#ifndef _WIN32
// Links are made here only on POSIX systems: Windows allows them to few
// users, and wine not at all.
TEST(Loeschen, VerweiseWerdenAlsVerweiseGeloescht)
{
    kt::Tempordner t;
    fs::path aussen = t.pfad() / "aussen", w = t.pfad() / "w";
    Datei(aussen / "wichtig.txt", "bleibt");
    Datei(aussen / "innen" / "tief.txt", "auch");
    fs::permissions(aussen / "wichtig.txt", fs::perms::owner_read);
    fs::permissions(aussen / "innen", fs::perms::owner_read | fs::perms::owner_exec);
    auto rechte_vorher = Rechte(aussen / "wichtig.txt");
    Datei(w / "eigen.txt");
    fs::create_directory_symlink(aussen, w / "zu_aussen");
    fs::create_symlink(aussen / "wichtig.txt", w / "zur_datei");
    fs::create_symlink(t.pfad() / "nirgends", w / "ins_leere");
    // A second name of an outside file: deleting it leaves the file's
    // read-only mode alone.
    fs::create_hard_link(aussen / "wichtig.txt", w / "hart.txt");

    std::string d = w.string();
    EXPECT_EQ(Listen(d, "*.*", 0x10).pfade, (Liste{d + "\\eigen.txt", d + "\\hart.txt", d + "\\ins_leere",
                                                   d + "\\zu_aussen", d + "\\zur_datei"}));
    EXPECT_EQ(KR_DelTree(d.c_str()), 1);
    EXPECT_FALSE(fs::exists(fs::symlink_status(w)));
    EXPECT_EQ(kt::Datei_lesen((aussen / "wichtig.txt").string()), "bleibt");
    EXPECT_EQ(kt::Datei_lesen((aussen / "innen" / "tief.txt").string()), "auch");
    EXPECT_EQ(Rechte(aussen / "wichtig.txt"), rechte_vorher);
    EXPECT_EQ(Rechte(aussen / "innen"), fs::perms::owner_read | fs::perms::owner_exec);

    // A link given as the tree itself is not entered and stays.
    fs::create_directory_symlink(aussen, t.pfad() / "verweis");
    EXPECT_EQ(KR_DelTree((t / "verweis").c_str()), 1);
    EXPECT_TRUE(fs::is_symlink(t.pfad() / "verweis"));
    EXPECT_TRUE(fs::exists(aussen / "innen" / "tief.txt"));
}

// Another process keeps swapping the folder d of the tree for a link to a
// folder outside while the tree is deleted, and the folder's subfolder for
// one too.  Whatever the timing, nothing outside is touched.
TEST(Loeschen, OrdnerDerGegenEinenVerweisGetauschtWirdBleibtDraussen)
{
    kt::Tempordner t;
    const fs::path aussen = t.pfad() / "aussen", w = t.pfad() / "w";
    for (int i = 0; i < 40; ++i)
        Datei(aussen / "sub" / ("f" + std::to_string(i)), "bleibt");
    const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int runden = 0;
    for (; runden < 300 && std::chrono::steady_clock::now() < ende; ++runden) {
        for (int i = 0; i < 20; ++i)
            Datei(w / "d" / "sub" / ("f" + std::to_string(i)));
        std::atomic<bool> halt{false};
        std::thread tauscher([&] {
            std::error_code ec;
            for (int n = 0; !halt; ++n) {
                const fs::path ordner = n % 2 ? w / "d" : w / "d" / "sub", ziel = n % 2 ? aussen : aussen / "sub";
                fs::rename(ordner, t.pfad() / ("weg" + std::to_string(n)), ec);
                fs::create_directory_symlink(ziel, ordner, ec);
                std::this_thread::yield();
                fs::remove(ordner, ec);
            }
        });
        KR_DelTree(w.string().c_str());
        halt = true;
        tauscher.join();
        fs::remove_all(w);
        for (int i = 0; i < 40; ++i)
            ASSERT_EQ(kt::Datei_lesen((aussen / "sub" / ("f" + std::to_string(i))).string()), "bleibt")
                << "round " << runden;
    }
    EXPECT_GE(runden, 10);
}
#endif

TEST(Loeschen, NichtsZuLoeschen)
{
    kt::Tempordner t;
    fs::create_directory(t.pfad() / "leer");
    Datei(t.pfad() / "datei");
    EXPECT_EQ(KR_DelTree((t / "leer").c_str()), 1);
    EXPECT_TRUE(fs::exists(t.pfad() / "leer"));
    EXPECT_EQ(KR_DelTree((t / "fehlt").c_str()), 1);
    EXPECT_EQ(KR_DelTree((t / "datei").c_str()), 1);
    EXPECT_TRUE(fs::exists(t.pfad() / "datei"));
    EXPECT_EQ(KR_DelTree(""), 0);
    EXPECT_EQ(KR_DelTree(nullptr), 0);
}

#ifndef _WIN32
// The normal attribute by itself, read from the mode bits (the superuser
// deletes read-only entries anyway).
TEST(Attribut, SchreibbarFuerDenEigentuemer)
{
    kt::Tempordner t;
    Datei(t.pfad() / "f");
    fs::create_directory(t.pfad() / "v");
    fs::permissions(t.pfad() / "f", fs::perms::owner_read | fs::perms::others_read);
    fs::permissions(t.pfad() / "v", fs::perms::owner_read);
    fs::create_symlink(t.pfad() / "f", t.pfad() / "l");
    Eintrag_normal_setzen((t / "l").c_str());
    EXPECT_EQ(Rechte(t.pfad() / "f"), fs::perms::owner_read | fs::perms::others_read);
    Eintrag_normal_setzen((t / "f").c_str());
    Eintrag_normal_setzen((t / "v").c_str()); // a directory becomes searchable too
    EXPECT_EQ(Rechte(t.pfad() / "f"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    EXPECT_EQ(Rechte(t.pfad() / "v"), fs::perms::owner_all);
    bool verzeichnis = true;
    EXPECT_TRUE(Eintrag_Status((t / "l").c_str(), &verzeichnis));
    EXPECT_FALSE(verzeichnis);
}

#else
// The normal attribute clears read-only, as the runtime reports it in the
// mode bits; the status tells files from directories, and each is removed
// only by its own service.
TEST(Attribut, NormalHebtDenSchreibschutzAuf)
{
    kt::Tempordner t;
    Datei(t.pfad() / "f");
    fs::create_directory(t.pfad() / "v");
    fs::permissions(t.pfad() / "f", fs::perms::owner_read);
    ASSERT_EQ(Rechte(t.pfad() / "f"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Eintrag_normal_setzen((t / "f").c_str());
    EXPECT_EQ(Rechte(t.pfad() / "f"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                          fs::perms::group_write | fs::perms::others_read | fs::perms::others_write);
    bool verzeichnis = true;
    EXPECT_TRUE(Eintrag_Status((t / "f").c_str(), &verzeichnis));
    EXPECT_FALSE(verzeichnis);
    EXPECT_TRUE(Eintrag_Status((t / "v").c_str(), &verzeichnis));
    EXPECT_TRUE(verzeichnis);
    EXPECT_FALSE(Eintrag_Status((t / "fehlt").c_str(), &verzeichnis));
    EXPECT_EQ(Datei_loeschen((t / "v").c_str()), -1);
    EXPECT_EQ(Verzeichnis_entfernen((t / "f").c_str()), -1);
    EXPECT_EQ(Datei_loeschen((t / "f").c_str()), 0);
    EXPECT_EQ(Verzeichnis_entfernen((t / "v").c_str()), 0);
    EXPECT_FALSE(fs::exists(t.pfad() / "f"));
    EXPECT_FALSE(fs::exists(t.pfad() / "v"));
}
#endif

} // namespace
