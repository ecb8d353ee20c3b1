// Threads at work side by side, as the library allows it: each thread opens,
// reads, edits, saves, clones and closes handles of its own, reads argument
// lines into records of its own, preprocesses a tree of its own and works on
// path names, all at the same time, while one memory
// object shared by clones passes from thread to thread, used by one thread at
// a time.  Built with the tsan preset, ThreadSanitizer watches every access.
#include "testhilfe.h"

#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int Threads = 4;
constexpr int Runden = 40; // the last round appends a block

const std::string Text = "[allgemein]\r\nname: korvan\r\nstufe=3\r\n; remark\r\n{1.2}\r\nk: v\r\n";

std::string Wert_von(const char *abschnitt, const char *eintrag, Zugriffshandle *h)
{
    char wert[64] = "";
    if (KR_Abschnitt_finden(abschnitt, h) == 0 || KR_Eintrag_finden(eintrag, h) != 1 ||
        KR_Element_lesen_2(wert, sizeof wert, h) <= 0)
        return "?";
    return wert;
}

// The memory object that all threads share, with its owner handle; both are
// used only by the thread that holds the lock.
struct Geteilt {
    std::mutex sperre;
    Zugriffshandle besitzer{};
    std::string modell; // what the object must hold
};

// One thread's turn with the shared object: a fresh clone of its own, read
// through, and now and then a block appended to or removed from the object
// through its owner.
void Geteilt_benutzen(Geteilt &g, Zugriffshandle &klon, int t, int runde)
{
    std::lock_guard<std::mutex> halten(g.sperre);
    KR_Konfig_Datei_schliessen(&klon);
    ASSERT_EQ(KR_Zugriffshandle_clonen(&g.besitzer, &klon), 1);
    KR_positionieren(&klon, 0);
    std::string gelesen;
    for (int c; (c = KR_Zeichen_lesen(&klon)) != -1;)
        gelesen.push_back(static_cast<char>(c));
    EXPECT_EQ(gelesen.size(), g.modell.size());
    EXPECT_EQ(Wert_von("allgemein", "name", &klon), "korvan");

    std::string name = "t" + std::to_string(t);
    if (runde % 3 == 0) {
        std::string block = "[" + name + "]\r\nrunde: " + std::to_string(runde) + "\r\n";
        ASSERT_EQ(KR_Block_hinzufuegen(block.data(), static_cast<int>(block.size()), &g.besitzer), 1);
        g.modell += block;
        KR_Konfig_Datei_schliessen(&klon);
        ASSERT_EQ(KR_Zugriffshandle_clonen(&g.besitzer, &klon), 1);
        EXPECT_EQ(Wert_von(name.c_str(), "runde", &klon), std::to_string(runde));
    } else if (runde % 3 == 1) {
        size_t k = g.modell.find("[" + name + "]");
        ASSERT_NE(k, std::string::npos);
        ASSERT_EQ(KR_Abschnitt_loeschen(name.c_str(), &g.besitzer), 1);
        size_t ende = g.modell.find('[', k + 1);
        g.modell.erase(k, ende == std::string::npos ? std::string::npos : ende - k);
    }
    EXPECT_EQ(kt::Objekttext(g.besitzer), g.modell);
}

// Objects of the thread's own: loaded, searched, edited, saved, loaded again;
// a new one built and read back through the file source and a clone of it.
void Eigene_Objekte(const std::string &quelle, const std::string &ziel, bool speichern)
{
    Zugriffshandle h{};
    ASSERT_EQ(KR_Konfig_Datei_oeffnen(quelle.c_str(), &h), 0);
    EXPECT_EQ(Wert_von("allgemein", "name", &h), "korvan");
    EXPECT_EQ(KR_Klasse_finden(1, 2, &h), '{');
    ASSERT_EQ(KR_Abschnitt_loeschen("allgemein", &h), 1);
    const std::string neu = "[eigen]\r\nwert: 7\r\n";
    ASSERT_EQ(KR_Block_hinzufuegen(neu.data(), static_cast<int>(neu.size()), &h), 1);
    std::string erwartet = Text.substr(Text.find('{')) + neu;
    EXPECT_EQ(kt::Objekttext(h), erwartet);
    if (speichern) {
        ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), &h), 0);
        EXPECT_EQ(kt::Datei_lesen(ziel), erwartet);
    }
    KR_Konfig_Datei_schliessen(&h);

    Zugriffshandle n{};
    ASSERT_EQ(KR_Konfig_Datei_anlegen(&n), 0);
    ASSERT_EQ(KR_Block_hinzufuegen(neu.data(), static_cast<int>(neu.size()), &n), 1);
    EXPECT_EQ(Wert_von("eigen", "wert", &n), "7");
    KR_Konfig_Datei_schliessen(&n);

    Zugriffshandle f{};
    ASSERT_EQ(KR_Datei_oeffnen(quelle.c_str(), &f), 0);
    char symbol[32];
    f.symbolpuffer = symbol;
    f.symbolgroesse = sizeof symbol;
    EXPECT_EQ(KR_naechstes_Symbol(&f), 2);
    EXPECT_STREQ(symbol, "[allgemein]");
    Zugriffshandle k{};
    ASSERT_EQ(KR_Zugriffshandle_clonen(&f, &k), 1);
    EXPECT_EQ(Wert_von("allgemein", "name", &k), "korvan");
    KR_Konfig_Datei_schliessen(&k);
    EXPECT_EQ(Wert_von("allgemein", "name", &f), "korvan");
    KR_Konfig_Datei_schliessen(&f);

    // A memory buffer of the thread's own, edited in place.
    std::vector<char> puffer(Text.begin(), Text.end());
    Zugriffshandle p{};
    p.puffer = puffer.data();
    p.laenge = static_cast<uint32_t>(puffer.size());
    ASSERT_EQ(KR_Abschnitt_loeschen("allgemein", &p), 1);
    EXPECT_EQ(std::string(p.puffer, p.laenge), Text.substr(Text.find('{')));
}

// An include tree of the thread's own, preprocessed, and path names joined,
// compared and cut in buffers of its own.
void Preprozess_und_Pfade(const std::string &ordner, int t)
{
    const std::string haupt = ordner + "/haupt.c", aus = ordner + "/aus.i";
    Preprozess_Fehler f;
    ASSERT_EQ(KR_Preprozess(haupt.c_str(), aus.c_str(), &f), 1) << f.fehlername;
    std::string text = kt::Datei_lesen(aus);
    // The entry marker, the included line, the return marker, the rest.
    std::string marke = "# 1 \"" + haupt + "\"\r\n";
    size_t hinein = text.find("a.h\"\r\nfaden " + std::to_string(t) + "\n" + marke + "ende\n");
    EXPECT_EQ(text.compare(0, marke.size(), marke), 0) << text;
    EXPECT_NE(hinein, std::string::npos) << text;

    char pfad[260] = "C:\\dir";
    ASSERT_EQ(KR_Teil_hinzu(pfad, "sub/datei.c", sizeof pfad), 1);
    EXPECT_STREQ(pfad, "C:\\dir\\sub\\datei.c");
    char tail[260];
    ASSERT_EQ(KR_Differenzpfad(tail, sizeof tail, pfad, "c:\\DIR"), 1);
    EXPECT_STREQ(tail, "sub\\datei.c");
    EXPECT_STREQ(KR_Basisname(pfad), "datei.c");
}

// Argument lines into records of the thread's own, in pool mode and in a
// fixed block.
void Argumente(int t, int runde)
{
    std::string zeile = "a" + std::to_string(t) + " b c out" + std::to_string(runde) +
                        " count=" + std::to_string(runde) + " quiet\nzweite";
    for (bool fest : {false, true}) {
        Argumentsatz satz{};
        char block[256];
        if (fest) {
            satz.speicher = block;
            satz.speichergroesse = sizeof block;
            satz.argflags = KR_ARG_FESTSPEICHER;
        }
        satz.zugriffshandle.puffer = zeile.data();
        satz.zugriffshandle.laenge = static_cast<uint32_t>(zeile.size());
        void *werte[4] = {};
        ASSERT_EQ(KR_Argumente_lesen("FROM/M,TO/A,COUNT/N/K,QUIET/S", werte, &satz), &satz);
        auto **von = static_cast<char **>(werte[0]);
        EXPECT_EQ(std::string(von[0]), "a" + std::to_string(t));
        EXPECT_STREQ(von[2], "c");
        EXPECT_EQ(von[3], nullptr);
        EXPECT_EQ(std::string(static_cast<char *>(werte[1])), "out" + std::to_string(runde));
        int32_t zahl;
        std::memcpy(&zahl, werte[2], sizeof zahl);
        EXPECT_EQ(zahl, runde);
        EXPECT_EQ(werte[3], reinterpret_cast<void *>(intptr_t{1}));
        KR_Arg_freigeben(&satz);
        EXPECT_EQ(KR_Arg_finden("FROM/M,TO/A,COUNT/N/K,QUIET/S", "quiet"), 3);
    }
}

TEST(Nebenlaeufig, EigeneHandlesUndEinGeteiltesObjekt)
{
    kt::Tempordner d;
    const std::string quelle = d / "gemeinsam.cfg";
    kt::Datei_schreiben(quelle, Text);

    Geteilt g;
    ASSERT_EQ(KR_Konfig_Datei_oeffnen(quelle.c_str(), &g.besitzer), 0);
    g.modell = Text;
    Zugriffshandle klone[Threads] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        const std::string baum = d / ("baum" + std::to_string(t));
        std::filesystem::create_directory(baum);
        kt::Datei_schreiben(baum + "/haupt.c", "#include \"a.h\"\nende\n");
        kt::Datei_schreiben(baum + "/a.h", "faden " + std::to_string(t) + "\n");
        threads.emplace_back([&, t, baum] {
            const std::string ziel = d / ("eigen" + std::to_string(t) + ".cfg");
            for (int runde = 0; runde < Runden; ++runde) {
                Eigene_Objekte(quelle, ziel, runde % 8 == 0);
                Argumente(t, runde);
                Preprozess_und_Pfade(baum, t);
                Geteilt_benutzen(g, klone[t], t, runde);
            }
        });
    }
    for (auto &th : threads)
        th.join();

    // Clones go before their owner.
    for (auto &k : klone)
        KR_Konfig_Datei_schliessen(&k);
    EXPECT_EQ(kt::Objekttext(g.besitzer), g.modell);
    for (int t = 0; t < Threads; ++t)
        EXPECT_EQ(Wert_von(("t" + std::to_string(t)).c_str(), "runde", &g.besitzer), std::to_string(Runden - 1));
    KR_Konfig_Datei_schliessen(&g.besitzer);
}

} // namespace
