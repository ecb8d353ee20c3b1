// Listing and deleting directory trees, and the directory search beneath.
#include "haken.h"
#include "testhilfe.h"

#include "platform/plattform.h"
#include "tamsel.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <tuple>

namespace fs = std::filesystem;
using Liste = std::vector<std::string>;

namespace {

// The list's growths, counted through the fault hook.
int resize_aufrufe = 0;
uint32_t letzte_groesse = 0;
[[maybe_unused]] const bool gezaehlt = (fehlerhaken = [](const char *was, size_t groesse) {
    if (std::strcmp(was, "Tamsel_Resize") == 0)
        ++resize_aufrufe, letzte_groesse = static_cast<uint32_t>(groesse);
    return false;
}, true);

const bool posix = fs::path::preferred_separator == '/';

// Files; a folder for "name/", a symbolic link for "name>target", a second name for "name=file".
void Baum(const fs::path &in, const Liste &namen)
{
    for (const std::string &n : namen) {
        const size_t zu = n.find_first_of(">="), ende = zu == std::string::npos ? n.size() : zu;
        const fs::path p = in / n.substr(0, ende);
        fs::create_directories(p.parent_path());
        if (ende < n.size())
            n[ende] == '>' ? fs::create_symlink(in / n.substr(ende + 1), p) : fs::create_hard_link(in / n.substr(ende + 1), p);
        else if (n.back() != '/')
            kt::Datei_schreiben(p.string(), "x");
    }
}

Liste Pfade(const char *p, int n)
{
    Liste pfade;
    for (; static_cast<int>(pfade.size()) < n; p += pfade.back().size() + 1)
        pfade.emplace_back(p);
    return pfade;
}

Liste Listen(const std::string &dir, const char *muster, unsigned flags)
{
    char *block = nullptr;
    int n = KR_FileTree(dir.c_str(), muster, &block, flags);
    Liste pfade = Pfade(block, n);
    KR_FileTreefree(block);
    return pfade;
}

fs::perms Rechte(const fs::path &p) { return fs::symlink_status(p).permissions(); }

// Matching as Windows' for long names (there, only what all its versions agree on); names sorted by bytes.
TEST(Suche, MusterSortiertNachBytes)
{
    kt::Tempordner t;
    Baum(t.pfad(), {"a", "ab", "a.txt", "ab.txt", "B.TXT", "readme", "readme_lang2", "readme_lang10", "x.tar.gz",
                    "page.html", "Zy", "_u", "sub.d/"});
    Liste alle = {"./", "../", "B.TXT", "Zy", "_u", "a", "a.txt", "ab", "ab.txt", "page.html", "readme",
                  "readme_lang10", "readme_lang2", "sub.d/"};
#ifndef _WIN32
    fs::create_directory_symlink(t.pfad() / "sub.d", t.pfad() / "verweis");
    alle.push_back("verweis");
#endif
    alle.push_back("x.tar.gz");
    const std::pair<const char *, Liste> faelle[] = {
        {"*.*", alle}, {"*", alle}, {"*.txt", {"B.TXT", "a.txt", "ab.txt"}}, {"A*", {"a", "a.txt", "ab", "ab.txt"}},
        {"x.*", {"x.tar.gz"}}, {"*.gz", {"x.tar.gz"}}, {"/*.gz", {"x.tar.gz"}}, {"*.D", {"sub.d/"}}, {"*.tar", {}},
        {"fehlt/*.*", {}}, {"a.txt/*.*", {}},
#ifndef _WIN32
        {"*.", {"./", "../", "Zy", "_u", "a", "ab", "readme", "readme_lang10", "readme_lang2", "verweis"}}, {"A?", {"a", "ab"}}, {"?", {"a"}},
        {"a?.txt", {"a.txt", "ab.txt"}}, {"*.htm", {}},
#endif
    };
    for (const auto &[muster, namen] : faelle) {
        Liste gefunden;
        Suchtreffer s;
        const std::string pfad = t.pfad().string() + (*muster == '/' ? "" : posix ? "/" : "\\") + muster;
        Verzeichnissuche *v = Suche_beginnen(pfad.c_str(), true, &s);
        for (bool weiter = v != nullptr; weiter; weiter = Suche_weiter(v, &s))
            gefunden.push_back(std::string(s.name, s.laenge) + (s.verzeichnis ? "/" : ""));
        Suche_beenden(v);
        EXPECT_EQ(gefunden, namen) << muster;
    }
}

// Flags, the pattern at every level, no dot names, the directory as given; a list is appended to.
TEST(Listen, FlagsMusterPraefixUndFolgeaufruf)
{
    kt::Tempordner t;
    Baum(t.pfad(), {"a.txt", "sub/b.txt", ".hidden", ".git/c.txt", "sub/.d/e.txt"});
    const std::string d = t.pfad().string(), a = d + "\\a.txt", b = d + "\\sub\\b.txt", sub = d + "\\sub";
    const std::tuple<std::string, const char *, unsigned, Liste> faelle[] = {
        {d, "*.*", 0x10, {a, b, sub}}, {d, "*.*", 0x00, {a, b}}, {d, "*.*", 0x200, {sub}}, {d, "*.*", 0x210, {sub}},
        {d, "*.*", 0x110, {a, sub}}, {d, "*.*", 0x100, {a}}, {d, "*.*", 0x300, {sub}},
        {d, "*.*", 0xFFFFFCFF, {a, b, sub}}, {d, "*b*", 0x10, {b, sub}}, {d, "*.txt", 0x10, {a}}, {d + "\\", "*.*", 0, {a, b}},
        {d + "/", "*.*", 0, {d + "/\\a.txt", d + "/\\sub\\b.txt"}},
    };
    for (const auto &[dir, muster, flags, pfade] : faelle)
        EXPECT_EQ(Listen(dir, muster, flags), pfade) << dir << " " << muster << " " << std::hex << flags;

    char *block = nullptr;
    EXPECT_EQ(KR_FileTree((d + "\\fehlt").c_str(), "*.*", &block, 0x10), 0);
    EXPECT_EQ(block, nullptr);
    const int n[] = {KR_FileTree(d.c_str(), "*.*", &block, 0), KR_FileTree(sub.c_str(), "*.*", &block, 0x200),
                     KR_FileTree(d.c_str(), "*.txt", &block, 0x100)};
    EXPECT_EQ(std::vector<int>(n, n + 3), (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(Pfade(block, 3), (Liste{a, b, a}));
    char *vorher = block;
    EXPECT_EQ(KR_FileTree("", "*.*", &block, 0) + KR_FileTree(nullptr, "*.*", &block, 0), 0);
    EXPECT_EQ(KR_FileTree(d.c_str(), "*.*", nullptr, 0x10), -1);
    EXPECT_EQ(block, vorher);
    KR_FileTreefree(block);
    KR_FileTreefree(nullptr);
}

std::string Name(const kt::Tempordner &t, size_t laenge, char c) { return std::string(laenge - t.pfad().string().size() - 1, c); }

// Four paths of 200 bytes fill 804; a fifth grows the list by 1024 when 804 + its length + 1 reaches 1024.
// Full paths beyond 260 bytes are neither listed nor deleted; below a directory of 255 bytes "\*.*" fits.
TEST(Listen, WachstumUndPfadgrenze)
{
    for (auto [laenge, resizes] : {std::pair{218, 0}, {219, 1}}) {
        kt::Tempordner t;
        Baum(t.pfad(), {Name(t, 200, 'a'), Name(t, 200, 'b'), Name(t, 200, 'c'), Name(t, 200, 'd'), Name(t, laenge, 'e')});
        resize_aufrufe = 0;
        EXPECT_EQ(Listen(t.pfad().string(), "*.*", 0).back().size(), static_cast<size_t>(laenge));
        EXPECT_EQ(resize_aufrufe, resizes);
    }
    EXPECT_EQ(letzte_groesse, 2048u);
    kt::Tempordner t;
    const std::string d = t.pfad().string() + "\\", a = Name(t, 259, 'a'), c = Name(t, 255, 'c'), e = Name(t, 256, 'e');
    Baum(t.pfad(), {a, Name(t, 260, 'b'), c + "/x", e + "/y"});
    EXPECT_EQ(Listen(t.pfad().string(), "*.*", 0x10), (Liste{d + a, d + c + "\\x", d + c, d + e}));
    EXPECT_EQ(KR_DelTree(t.pfad().string().c_str()), 0);
    EXPECT_EQ(Listen(t.pfad().string(), "*.*", 0x10), (Liste{d + e}));
    EXPECT_TRUE(fs::exists(t.pfad() / Name(t, 260, 'b')) && fs::exists(t.pfad() / e / "y"));
}

// What a deletion leaves (" r": not writable): read-only entries go, a dot file holds its directories, which turn
// normal; links are deleted as links, an outside file's second name leaves its mode, a link given as the tree stays.
TEST(Loeschen, WasBleibt)
{
    const struct { Liste baum, schreibgeschuetzt; const char *ziel; int ergebnis; Liste bleibt; } faelle[] = {
        {{"w/a.txt", "w/sub/tief/b.txt"}, {"w/a.txt", "w/sub/tief/b.txt", "w/sub/tief", "w/sub", "w"}, "w", 1, {}},
        {{"w/a.txt", "w/sub/.bleibt", "w/sub/b.txt", "w/anderes/c.txt"}, {"w/sub"}, "w", 0,
         {"w", "w/sub", "w/sub/.bleibt"}},
        {{"w/", "datei"}, {}, "w", 1, {"datei", "w"}}, {{"datei"}, {}, "datei", 1, {"datei"}}, {{}, {}, "fehlt", 1, {}},
        {{"datei"}, {}, "", 0, {"datei"}},
#ifndef _WIN32
        {{"aussen/wichtig.txt", "aussen/innen/tief.txt", "w/eigen.txt", "w/zu_aussen>aussen", "w/ins_leere>nirgends",
          "w/zur_datei>aussen/wichtig.txt", "w/hart.txt=aussen/wichtig.txt"}, {"aussen/wichtig.txt", "aussen/innen"}, "w", 1,
         {"aussen", "aussen/innen r", "aussen/innen/tief.txt", "aussen/wichtig.txt r"}},
        {{"aussen/innen/tief.txt", "verweis>aussen"}, {"aussen/innen"}, "verweis", 1,
         {"aussen", "aussen/innen r", "aussen/innen/tief.txt", "verweis"}},
#endif
    };
    for (const auto &f : faelle) {
        kt::Tempordner t;
        Baum(t.pfad(), f.baum);
        for (const std::string &n : f.schreibgeschuetzt)
            fs::permissions(t.pfad() / n, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(KR_DelTree(*f.ziel ? (t / f.ziel).c_str() : ""), f.ergebnis) << f.ziel;
        Liste bleibt;
        for (const auto &e : fs::recursive_directory_iterator(t.pfad()))
            bleibt.push_back(e.path().lexically_relative(t.pfad()).generic_string() +
                             ((Rechte(e.path()) & fs::perms::owner_write) == fs::perms::none ? " r" : ""));
        std::sort(bleibt.begin(), bleibt.end());
        EXPECT_EQ(bleibt, f.bleibt) << f.baum.size();
    }
    EXPECT_EQ(KR_DelTree(nullptr), 0);
}

// The normal attribute clears read-only; each kind of entry is removed only by its own service.
TEST(Attribut, NormalStatusUndEntfernen)
{
    kt::Tempordner t;
    Baum(t.pfad(), {"f", "v/"});
    fs::permissions(t.pfad() / "f", fs::perms::owner_read);
    bool ordner = true;
    EXPECT_TRUE(Eintrag_normal_setzen((t / "f").c_str(), &ordner) && !ordner);
    EXPECT_FALSE(Eintrag_Status((t / "x").c_str(), &ordner));
    EXPECT_EQ(Rechte(t.pfad() / "f"), static_cast<fs::perms>(posix ? 0600 : 0666));
    EXPECT_EQ(Datei_loeschen((t / "v").c_str()) + Verzeichnis_entfernen((t / "f").c_str()), -2);
    EXPECT_EQ(Datei_loeschen((t / "f").c_str()) + Verzeichnis_entfernen((t / "v").c_str()), 0);
    EXPECT_EQ(Listen(t.pfad().string(), "*.*", 0x10), Liste{});
}

#ifndef _WIN32
// Rounds of a deletion of `wurzel` while `tauschen` runs again and again in a
// thread of its own; after each round `aufraeumen` and `pruefen` (false: a fault).
template <class Anlegen, class Tauschen, class Pruefen>
void Unter_Tausch_loeschen(const fs::path &wurzel, Anlegen anlegen, Tauschen tauschen, Pruefen pruefen)
{
    const auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int runden = 0;
    for (; runden < 300 && std::chrono::steady_clock::now() < ende; ++runden) {
        anlegen();
        std::atomic<bool> halt{false};
        std::thread tauscher([&] {
            for (int n = 0; !halt; ++n)
                tauschen(n);
        });
        KR_DelTree(wurzel.string().c_str());
        halt = true;
        tauscher.join();
        ASSERT_TRUE(pruefen()) << "round " << runden;
    }
    EXPECT_GE(runden, 10);
}

// A folder and its subfolder swapped for links outside while the tree is deleted: nothing outside goes.
TEST(Loeschen, OrdnerGegenVerweisGetauscht)
{
    kt::Tempordner t;
    const fs::path aussen = t.pfad() / "aussen", w = t.pfad() / "w";
    for (int i = 0; i < 40; ++i)
        Baum(aussen, {"sub/f" + std::to_string(i)});
    Unter_Tausch_loeschen(
        w,
        [&] {
            for (int i = 0; i < 20; ++i)
                Baum(w / "d", {"sub/f" + std::to_string(i)});
        },
        [&](int n) {
            std::error_code ec;
            const fs::path ordner = n % 2 ? w / "d" : w / "d" / "sub", ziel = n % 2 ? aussen : aussen / "sub";
            fs::rename(ordner, t.pfad() / ("weg" + std::to_string(n)), ec);
            fs::create_directory_symlink(ziel, ordner, ec);
            std::this_thread::yield();
            fs::remove(ordner, ec);
        },
        [&] {
            fs::remove_all(w);
            return Listen(aussen.string(), "*.*", 0).size() == 40u;
        });
}

// The folder above the named one swapped for a link, there and back, while the
// tree is deleted: the empty folder of that name outside stays.
TEST(Loeschen, ObenGegenVerweisGetauscht)
{
    kt::Tempordner t;
    const fs::path aussen = t.pfad() / "aussen", w = t.pfad() / "w", weg = t.pfad() / "weg";
    fs::create_directories(aussen / "d");
    Unter_Tausch_loeschen(
        w / "d",
        [&] {
            for (int i = 0; i < 20; ++i)
                Baum(w / "d", {"f" + std::to_string(i)});
        },
        [&](int) {
            std::error_code ec;
            fs::rename(w, weg, ec);
            fs::create_directory_symlink(aussen, w, ec);
            std::this_thread::yield();
            fs::remove(w, ec);
            fs::rename(weg, w, ec);
        },
        [&] {
            fs::remove_all(w);
            fs::remove_all(weg);
            return fs::is_directory(aussen / "d");
        });
}
#endif

} // namespace
