// The subcommands on files and folders: include expansion, listings that
// equal one KR_FileTree call, and deletions.
#include "befehlshilfe.h"

#include <cstring>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using kb::Korvan;

// The library's form of a path: '\' throughout.
std::string Rueck(std::string p)
{
    for (char &c : p)
        c = c == '/' ? '\\' : c;
    return p;
}

TEST(Preprocess, BeispielAufDieAusgabe)
{
    const std::string teile = Rueck(kb::Quellbaum()) + "\\examples\\einbinden\\teile\\";
    const std::string erwartet =
        "# 1 \"examples/einbinden/haupt.cfg\"\r\n"
        "; haupt.cfg - a configuration put together from parts:\n"
        ";   korvan preprocess examples/einbinden/haupt.cfg\n"
        "; The line markers of the output begin with '#', so the output is a\n"
        "; configuration file again.\n"
        "# 1 \"" + teile + "server.cfg\"\r\n"
        "[server]\n"
        "  host: build.example.org\n"
        "# 1 \"" + teile + "ports.cfg\"\r\n"
        "  port: 8080\n"
        "  admin_port: 8081\n"
        "# 3 \"examples\\einbinden\\teile\\server.cfg\"\r\n"
        "timeout=30\n"
        "# 5 \"examples/einbinden/haupt.cfg\"\r\n"
        "# 1 \"" + teile + "pfade.cfg\"\r\n"
        "[paths]\n"
        "  root: /srv/korvan\n"
        "# 6 \"examples/einbinden/haupt.cfg\"\r\n"
        "; lines such as the one above are dropped\n"
        "\n"
        "[local]\n"
        "  user: builder\n";
    KB_ERWARTET(Korvan({"preprocess", kb::Beispiel("einbinden/haupt.cfg")}), 0, erwartet, "");
    kt::Tempordner t;
    KB_ERWARTET(Korvan({"preprocess", kb::Beispiel("einbinden/haupt.cfg"), t / "aus.cfg"}), 0, "", "");
    EXPECT_EQ(kt::Datei_lesen(t / "aus.cfg"), erwartet);
}

TEST(Preprocess, Fehlschlaege)
{
    kt::Tempordner t;
    const std::string ort = t / "haupt.cfg", p = "korvan: preprocess: " + ort;
    const struct {
        std::string text, zeile, fehler;
    } faelle[] = {
        {"a\n#include \"fehlt.cfg\"\r\nb\n", "\"fehlt.cfg\"", ":2: no include file " + t / "fehlt.cfg"},
        // A file that includes itself goes 200 deep and fails there.
        {"#include \"haupt.cfg\"\n", "\"haupt.cfg\"",
         ":1: cannot open " + ort + " (not readable, or nested more than 200 deep)"},
        {"#  include\n", "", ":1: include directive without a file name"},
    };
    for (const auto &f : faelle) {
        kt::Datei_schreiben(ort, f.text);
        const std::string direktive = f.zeile.empty() ? "#  include" : "#include " + f.zeile;
        KB_ERWARTET(Korvan(kb::Mit_Slash({"preprocess", ort, t / "aus"})), 2, "", p + f.fehler + ": " + direktive + "\n");
    }
    kt::Datei_schreiben(ort, "#include \"fehlt.cfg\"\n");
    kb::Pruefen({
        // Without SLASH the library's own path.
        {{"preprocess", ort}, 2, "", p + ":1: no include file " + Rueck(t / "fehlt.cfg") + ": #include \"fehlt.cfg\"\n"},
        {{"preprocess", t / "nichts.cfg"}, 2, "", "korvan: preprocess: cannot open " + t / "nichts.cfg" + " for reading\n"},
        {{"preprocess", ort, t / "fehlt/aus"}, 2, "", "korvan: preprocess: cannot write " + t / "fehlt/aus" + "\n"},
        {{"preprocess", ort, ort}, 2, "", "korvan: preprocess: cannot write " + ort + "\n"},
    });
    EXPECT_EQ(kt::Datei_lesen(ort), "#include \"fehlt.cfg\"\n");
}

// A tree with hidden names, a folder whose name matches *.c, and a deeper
// level.
class Baum : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *d : {"baum/sub/deep", "baum/sub/.dot", "baum/x.c"})
            fs::create_directories(t.pfad() / d);
        for (const char *f : {"baum/a.txt", "baum/b.c", "baum/.hidden", "baum/sub/c.c", "baum/sub/deep/d.txt",
                              "baum/sub/.dot/e.c", "baum/x.c/f.c"})
            kt::Datei_schreiben(t / f, f);
    }

    // What one call of the library lists, one path a line.
    std::string Bibliothek(const char *muster, unsigned int flags)
    {
        char *liste = nullptr;
        int n = KR_FileTree((t / "baum").c_str(), muster, &liste, flags);
        std::string s;
        const char *p = liste;
        for (int i = 0; i < n; ++i, p += std::strlen(p) + 1)
            s += std::string(p) + "\n";
        KR_FileTreefree(liste);
        return s;
    }

    kt::Tempordner t;
};

TEST_F(Baum, GleichEinemAufrufDerBibliothek)
{
    const struct {
        std::vector<std::string> schalter;
        const char *muster;
        unsigned int flags;
    } faelle[] = {
        {{}, "*.*", 0},
        {{"DIRS"}, "*.*", KR_BAUM_VERZEICHNISSE},
        {{"dirsonly"}, "*.*", KR_BAUM_NUR_VERZEICHNISSE},
        {{"NODESCEND"}, "*.*", KR_BAUM_NICHT_ABSTEIGEN},
        {{"*.c"}, "*.c", 0},
        {{"PATTERN=*.c", "DIRS"}, "*.c", KR_BAUM_VERZEICHNISSE},
    };
    for (const auto &f : faelle) {
        std::vector<std::string> a = {"tree", t / "baum"};
        a.insert(a.end(), f.schalter.begin(), f.schalter.end());
        std::string erwartet = Bibliothek(f.muster, f.flags);
        EXPECT_NE(erwartet, "");
        KB_ERWARTET(Korvan(a), 0, erwartet, "");
    }
    // One report after each folder of the top level, the last one wiped.
    const std::string erste = "tree: 1/2 folders, 4 entries", zweite = "tree: 2/2 folders, 5 entries";
    fs::create_directory(t.pfad() / "dirs");
    kt::Datei_schreiben(t / "dirs/x", "");
    kb::Pruefen({
        {{"tree", "baum/", "*.c", "DIRS"}, 0, "baum\\b.c\nbaum\\x.c\\f.c\nbaum\\x.c\n", ""},
        {kb::Mit_Slash({"tree", "baum", "*.c", "DIRS"}), 0, kb::Slash("baum/b.c\nbaum/x.c/f.c\nbaum/x.c\n"), ""},
        {{"tree", "baum", "PROGRESS"}, 0,
         "baum\\a.txt\nbaum\\b.c\nbaum\\sub\\c.c\nbaum\\sub\\deep\\d.txt\nbaum\\x.c\\f.c\n",
         "\r" + erste + "\r" + zweite + "\r" + std::string(zweite.size(), ' ') + "\r"},
        {{"tree", "fehlt"}, 1, "", "korvan: tree: no folder fehlt\n"},
        {{"tree", "baum/a.txt"}, 1, "", "korvan: tree: no folder baum/a.txt\n"},
        // A folder spelled like a keyword.
        {{"tree", "DIR=dirs"}, 0, "dirs\\x\n", ""},
    }, t.pfad().string());
}

TEST_F(Baum, LoeschenMitFortschrittUndSchreibgeschuetztem)
{
    fs::remove_all(t.pfad() / "baum/sub/.dot");
    fs::remove(t.pfad() / "baum/.hidden");
    fs::permissions(t.pfad() / "baum/a.txt", fs::perms::owner_read);
    fs::permissions(t.pfad() / "baum/sub/deep", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string erste = "deltree: 1/2 folders", zweite = "deltree: 2/2 folders";
    KB_ERWARTET(Korvan({"deltree", "baum/", "PROGRESS"}, t.pfad().string()), 0, "",
                "\r" + erste + "\r" + zweite + "\r" + std::string(zweite.size(), ' ') + "\r");
    EXPECT_FALSE(fs::exists(t.pfad() / "baum"));
}

TEST_F(Baum, LoeschenVerweigertUndUnvollstaendig)
{
    std::vector<kb::Fall> gefaehrlich;
    for (const char *g : {"/", "//", ".", "baum/..", "C:\\"})
        gefaehrlich.push_back({{"deltree", g}, 2, "", "korvan: deltree: will not delete " + std::string(g) + "\n"});
    kb::Pruefen(gefaehrlich, t.pfad().string());
    EXPECT_TRUE(fs::exists(t.pfad() / "baum/a.txt"));
#ifndef _WIN32
    // A link named as the tree: listed never, deleted as the link.
    fs::create_directory_symlink(t.pfad() / "baum", t.pfad() / "lnk");
    kb::Pruefen({
        {{"tree", "lnk/"}, 2, "", "korvan: tree: lnk/ is a symbolic link; name the folder it points to\n"},
        {{"deltree", "lnk"}, 0, "", ""},
    }, t.pfad().string());
    EXPECT_FALSE(fs::exists(fs::symlink_status(t.pfad() / "lnk")));
    EXPECT_TRUE(fs::exists(t.pfad() / "baum/sub/deep"));
#endif

    fs::create_directory(t.pfad() / "leer");
    kb::Pruefen({
        {{"deltree", "leer"}, 0, "", ""},
        {{"deltree", "leer"}, 1, "", "korvan: deltree: no folder leer\n"},
        {{"deltree", "baum"}, 2, "",
         "korvan: deltree: could not delete all of baum: 1 entry left (names that begin with '.' are never "
         "deleted)\n"},
    }, t.pfad().string());
    // sub stays for its .dot, baum for .hidden.
    EXPECT_TRUE(fs::exists(t.pfad() / "baum/sub/.dot/e.c"));
    EXPECT_FALSE(fs::exists(t.pfad() / "baum/a.txt"));
    fs::remove_all(t.pfad() / "baum/sub");
    KB_ERWARTET(Korvan({"deltree", "baum"}, t.pfad().string()), 2, "",
                "korvan: deltree: could not delete baum: it holds names that begin with '.', which are never deleted\n");
}

} // namespace
