// bloecke.cpp - prints every entry of a configuration file as
// block.name=value, one line each, through the C++ layer.
#include <korvan.hpp>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvan-bloecke FILE\n");
        return 2;
    }
    auto datei = kr::Zugriff::Konfig_Datei_oeffnen(argv[1]);
    if (!datei) {
        std::fprintf(stderr, "korvan-bloecke: %s\n", datei.fehler().c_str());
        return 2;
    }
    auto bloecke = datei->bloecke();
    if (!bloecke) {
        std::fprintf(stderr, "korvan-bloecke: %s\n", bloecke.fehler().c_str());
        return 2;
    }
    for (const kr::Block &b : *bloecke) {
        for (const kr::Eintrag &e : b.eintraege)
            std::printf("%s.%s=%s\n", b.name.c_str(), e.name.c_str(), e.wert.c_str());
    }
    return 0;
}
