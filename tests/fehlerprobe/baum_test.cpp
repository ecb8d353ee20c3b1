// Memory that runs out while a directory tree is listed and deleted, and
// while a nested include tree is preprocessed: the memory library's failures
// give the documented failure results, a directory search without memory
// counts as a folder that cannot be read, nothing is left allocated, and
// nothing outside the tree is touched.
#include "fehler.h"
#include "testhilfe.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A tree whose list outgrows the first 1024-byte block: folders two levels
// deep with files of long names.
void Baum_anlegen(const fs::path &wurzel)
{
    for (const char *ordner : {"", "eins", "eins/tief", "zwei"}) {
        fs::create_directories(wurzel / ordner);
        for (int i = 0; i < 6; ++i)
            kt::Datei_schreiben((wurzel / ordner / ("datei-mit-einem-recht-langen-namen-" + std::to_string(i) + ".txt")).string(), "x");
    }
}

std::vector<std::string> Pfade(const char *liste, int anzahl)
{
    std::vector<std::string> pfade;
    for (int i = 0; i < anzahl; ++i, liste += std::strlen(liste) + 1)
        pfade.emplace_back(liste);
    return pfade;
}

size_t Eintraege(const fs::path &p)
{
    size_t n = 0;
    for (auto it = fs::recursive_directory_iterator(p); it != fs::recursive_directory_iterator(); ++it)
        ++n;
    return n;
}

TEST(Baumprobe, VerzeichnisbaumListen)
{
    kt::Tempordner d;
    const fs::path wurzel = d.pfad() / "baum";
    Baum_anlegen(wurzel);
    const std::string ordner = wurzel.string();

    char *liste = nullptr;
    const int alle = KR_FileTree(ordner.c_str(), "*.*", &liste, KR_BAUM_VERZEICHNISSE);
    ASSERT_EQ(alle, 27);
    const std::vector<std::string> ungestoert = Pfade(liste, alle);
    KR_FileTreefree(liste);

    long laeufe = fp::Durchlaufen(fp::Speicher, [&] {
        char *l = nullptr;
        int r = KR_FileTree(ordner.c_str(), "*.*", &l, KR_BAUM_VERZEICHNISSE);
        if (!fp::Ausgeloest()) {
            EXPECT_EQ(r, alle);
            EXPECT_EQ(Pfade(l, r), ungestoert);
        } else if (fp::In_Tamsel()) {
            EXPECT_EQ(r, -1) << fp::Was();
            EXPECT_EQ(l, nullptr);
        } else {
            // A folder searched without memory lists as empty: its entries
            // are missing, the others keep their order.
            ASSERT_GE(r, 0) << fp::Was();
            EXPECT_LT(r, alle);
            std::vector<std::string> pfade = l ? Pfade(l, r) : std::vector<std::string>();
            auto k = ungestoert.begin();
            for (const auto &p : pfade) {
                k = std::find(k, ungestoert.end(), p);
                ASSERT_NE(k, ungestoert.end()) << p << " failing " << fp::Was();
            }
        }
        KR_FileTreefree(l);
    });
    EXPECT_GE(laeufe, 8); // four searches, the list's block and its growths
}

TEST(Baumprobe, VerzeichnisbaumLoeschen)
{
    kt::Tempordner d;
    const fs::path wurzel = d.pfad() / "baum";
    const std::string daneben = d / "daneben.txt";
    kt::Datei_schreiben(daneben, "bleibt");
    size_t vorher = 0;
    long laeufe = fp::Durchlaufen(fp::Speicher, [&] {
        int r = KR_DelTree(wurzel.string().c_str());
        fp::Ohne_Fehler o;
        if (!fp::Ausgeloest()) {
            EXPECT_EQ(r, 1);
            EXPECT_FALSE(fs::exists(wurzel));
        } else if (r == 1) {
            // A listing that failed removes nothing; a request whose failure
            // the walk could do without leaves the deletion complete.
            if (fs::exists(wurzel)) {
                EXPECT_EQ(Eintraege(wurzel), vorher) << fp::Was();
            }
        } else {
            // A folder that could not be searched stays, and so does every
            // folder above it.
            EXPECT_FALSE(fp::In_Tamsel()) << fp::Was();
            EXPECT_TRUE(fs::exists(wurzel));
        }
        EXPECT_EQ(kt::Datei_lesen(daneben), "bleibt");
    }, [&] {
        fs::remove_all(wurzel);
        Baum_anlegen(wurzel);
        vorher = Eintraege(wurzel);
    });
    EXPECT_GE(laeufe, 8);
}

// haupt.c includes a.h, which includes sub/b.h, and then sub/b.h itself.
TEST(Baumprobe, VerschachteltesPreprozessieren)
{
    kt::Tempordner d;
    const fs::path q = d.pfad() / "quelle";
    fs::create_directories(q / "sub");
    kt::Datei_schreiben((q / "haupt.c").string(), "eins\n#include \"a.h\"\nzwei\n#include \"sub/b.h\"\ndrei\n");
    kt::Datei_schreiben((q / "a.h").string(), "a1\n#include <sub/b.h>\na2\n");
    kt::Datei_schreiben((q / "sub" / "b.h").string(), "b1\n");
    const std::string eingabe = (q / "haupt.c").string();
    const std::string ausgabe = d / "aus.i";

    Preprozess_Fehler f;
    ASSERT_EQ(KR_Preprozess(eingabe.c_str(), ausgabe.c_str(), &f), 1);
    const std::string ungestoert = kt::Datei_lesen(ausgabe);

    long laeufe = fp::Durchlaufen(fp::Speicher, [&] {
        std::memset(&f, 0x5A, sizeof f);
        int r = KR_Preprozess(eingabe.c_str(), ausgabe.c_str(), &f);
        fp::Ohne_Fehler o;
        if (!fp::Ausgeloest()) {
            EXPECT_EQ(r, 1);
            EXPECT_EQ(f.code, 0);
            EXPECT_EQ(kt::Datei_lesen(ausgabe), ungestoert);
            return;
        }
        EXPECT_EQ(r, 0) << fp::Was();
        EXPECT_TRUE(f.code == 2 || f.code == 3) << f.code;
        EXPECT_EQ(f.reserve, 0);
        EXPECT_TRUE(std::memchr(f.datei, 0, sizeof f.datei) && std::memchr(f.fehlername, 0, sizeof f.fehlername) &&
                    std::memchr(f.zeilentext, 0, sizeof f.zeilentext));
        if (f.zeile == 0) {
            // The input or the output did not open.
            EXPECT_STREQ(f.fehlername, (f.code == 2 ? eingabe : ausgabe).c_str());
            return;
        }
        // Whatever was written is the start of the undisturbed output.
        std::string teil = kt::Datei_lesen(ausgabe);
        EXPECT_EQ(ungestoert.compare(0, teil.size(), teil), 0) << fp::Was();
        EXPECT_EQ(f.code, 2);
        if (fp::In_Tamsel()) {
            // No memory for the include-stack entry: the directive fails.
            std::string text = f.zeilentext;
            EXPECT_NE(text.find("include"), std::string::npos) << text;
            std::string name = f.fehlername;
            EXPECT_TRUE(name.size() > 4 && (name.substr(name.size() - 4) == "\\a.h" ||
                                            name.substr(name.size() - 4) == "\\b.h"))
                << name;
        }
    }, [&] { fs::remove(ausgabe); });
    EXPECT_GE(laeufe, 8); // input, output, three includes, two returns; stack entries
}

} // namespace
