// Threads with handles, argument lines, trees and paths of their own, and one memory object shared by clones.
#include "testhilfe.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

const std::string Text = "[allgemein]\r\nname: korvan\r\n{1.2}\r\n", Neu = "[eigen]\r\nwert: 7\r\n";

std::string Wert(const char *abschnitt, const char *eintrag, Zugriffshandle *h)
{
    char wert[64];
    return KR_Abschnitt_finden(abschnitt, h) && KR_Eintrag_finden(eintrag, h) == 1 &&
                   KR_Element_lesen_2(wert, sizeof wert, h) > 0 ? wert : "?";
}

void Eigene(const std::string &ziel)
{
    for (kt::Quelle q : {kt::Quelle::Puffer, kt::Quelle::Objekt, kt::Quelle::Datei}) {
        kt::Testhandle h(q, Text);
        Zugriffshandle k{};
        ASSERT_EQ(KR_Zugriffshandle_clonen(h.get(), &k), 1);
        EXPECT_EQ(Wert("allgemein", "name", &k) + Wert("allgemein", "name", h.get()), "korvankorvan");
        KR_Konfig_Datei_schliessen(&k);
        EXPECT_EQ(KR_Abschnitt_loeschen("allgemein", h.get()), q == kt::Quelle::Datei ? 0 : 1);
        if (q == kt::Quelle::Objekt) {
            ASSERT_EQ(KR_Block_hinzufuegen(Neu.data(), int(Neu.size()), h.get()), 1);
            ASSERT_EQ(KR_Konfig_Datei_schreiben(ziel.c_str(), h.get()), 0);
            EXPECT_EQ(kt::Datei_lesen(ziel), "{1.2}\r\n" + Neu);
        }
    }
}

void Argumente_Preprozess_Pfade(const kt::Tempordner &d, int t)
{
    const std::string n = std::to_string(t), haupt = d / ("haupt" + n + ".c"), aus = d / ("aus" + n + ".i"),
                      marke = "# 1 \"" + haupt + "\"\r\n";
    std::string zeile = "a" + n + " b out count=" + n + " quiet\nzweite", a_h = d / ("a" + n + ".h");
    char block[256];
    for (bool fest : {false, true}) {
        Argumentsatz satz{};
        if (fest)
            satz.speicher = block, satz.speichergroesse = sizeof block, satz.argflags = KR_ARG_FESTSPEICHER;
        satz.zugriffshandle.puffer = zeile.data(), satz.zugriffshandle.laenge = static_cast<uint32_t>(zeile.size());
        void *werte[4] = {};
        ASSERT_EQ(KR_Argumente_lesen("FROM/M,TO/A,COUNT/N/K,QUIET/S", werte, &satz), &satz);
        int32_t zahl;
        std::memcpy(&zahl, werte[2], sizeof zahl);
        EXPECT_EQ(static_cast<char **>(werte[0])[0] + std::string(static_cast<char *>(werte[1])) + std::to_string(zahl),
                  "a" + n + "out" + n);
        EXPECT_EQ(werte[3], reinterpret_cast<void *>(intptr_t{1}));
        KR_Arg_freigeben(&satz);
    }
    EXPECT_EQ(KR_Arg_finden("FROM/M,TO/A,COUNT/N/K,QUIET/S", "quiet"), 3);
    std::replace(a_h.begin(), a_h.end(), '/', '\\');
    ASSERT_EQ(KR_Preprozess(haupt.c_str(), aus.c_str(), nullptr), 1);
    EXPECT_EQ(kt::Datei_lesen(aus), marke + "# 1 \"" + a_h + "\"\r\nfaden " + n + "\n" + marke + "ende\n");
    char pfad[260] = "C:\\dir", rest[260];
    ASSERT_EQ(KR_Teil_hinzu(pfad, "sub/datei.c", sizeof pfad), 1);
    ASSERT_EQ(KR_Differenzpfad(rest, sizeof rest, pfad, "c:\\DIR"), 1);
    EXPECT_EQ(std::string(rest) + KR_Basisname(pfad), "sub\\datei.cdatei.c");
}

TEST(Nebenlaeufig, EigeneHandlesUndEinGeteiltesObjekt)
{
    kt::Tempordner d;
    const std::string quelle = d / "gemeinsam.cfg";
    kt::Datei_schreiben(quelle, Text);
    std::mutex sperre; // over the shared object and its owner handle
    Zugriffshandle besitzer{}, klone[4] = {};
    ASSERT_EQ(KR_Konfig_Datei_oeffnen(quelle.c_str(), &besitzer), 0);
    std::thread threads[4];
    for (int t = 0; t < 4; ++t) {
        const std::string n = std::to_string(t), name = "t" + n;
        kt::Datei_schreiben(d / ("haupt" + n + ".c"), "#include \"a" + n + ".h\"\nende\n");
        kt::Datei_schreiben(d / ("a" + n + ".h"), "faden " + n + "\n");
        threads[t] = std::thread([&, t, n, name] {
            for (int runde = 0; runde < 40; ++runde) {
                Eigene(d / ("eigen" + n + ".cfg"));
                Argumente_Preprozess_Pfade(d, t);
                // The shared object's turn: a block added or removed, seen through a fresh clone.
                std::lock_guard<std::mutex> halten(sperre);
                KR_Konfig_Datei_schliessen(&klone[t]);
                const std::string block = "[" + name + "]\r\nrunde: " + std::to_string(runde) + "\r\n";
                ASSERT_EQ(runde % 2 ? KR_Abschnitt_loeschen(name.c_str(), &besitzer)
                                    : KR_Block_hinzufuegen(block.data(), int(block.size()), &besitzer), 1);
                ASSERT_EQ(KR_Zugriffshandle_clonen(&besitzer, &klone[t]), 1);
                EXPECT_EQ(Wert(name.c_str(), "runde", &klone[t]) + Wert("allgemein", "name", &klone[t]),
                          (runde % 2 ? "?" : std::to_string(runde)) + "korvan");
            }
        });
    }
    for (auto &th : threads)
        th.join();
    for (auto &k : klone) // clones go before their owner
        KR_Konfig_Datei_schliessen(&k);
    EXPECT_EQ(kt::Objekttext(besitzer), Text);
    KR_Konfig_Datei_schliessen(&besitzer);
}

} // namespace
