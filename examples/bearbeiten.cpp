// bearbeiten.cpp - edits a configuration file in place through the C++
// layer: one value set, one entry added, one deleted, saved as NEWFILE;
// then prints the block that got the new entry.
#include <korvan.hpp>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvan-bearbeiten FILE NEWFILE\n");
        return 2;
    }
    auto datei = kr::Zugriff::Konfig_Datei_oeffnen(argv[1]);
    if (!datei) {
        std::fprintf(stderr, "korvan-bearbeiten: %s\n", datei.fehler().c_str());
        return 2;
    }
    kr::Ergebnis<> ok = datei->wert_setzen("server", "port", "9090");
    if (ok)
        ok = datei->wert_setzen("paths", "temp", " /tmp/korvan ");
    if (ok) {
        auto weg = datei->eintrag_loeschen("server", "retries");
        if (!weg || !*weg)
            ok = kr::Fehler{weg ? "no entry retries" : weg.fehler()};
    }
    if (ok)
        ok = datei->speichern(argv[2]);
    if (!ok) {
        std::fprintf(stderr, "korvan-bearbeiten: %s\n", ok.fehler().c_str());
        return 2;
    }
    auto paths = datei->block("paths");
    for (const kr::Eintrag &e : paths->eintraege)
        std::printf("%s: [%s] written as %s\n", e.name.c_str(), e.wert.c_str(), e.text.c_str());
    return 0;
}
