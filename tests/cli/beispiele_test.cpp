// Every bundled configuration example walked with the C++ layer, over a
// memory object and over a file source, agrees with what `korvan show`
// prints for it.
#include "befehlshilfe.h"

#include "korvan.hpp"

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// The examples' configuration files, relative to the source tree, sorted.
std::vector<std::string> Beispieldateien()
{
    std::vector<std::string> namen;
    for (const auto &e : fs::recursive_directory_iterator(kb::Quellbaum() + "/examples"))
        if (e.is_regular_file() && e.path().extension() == ".cfg")
            namen.push_back(fs::relative(e.path(), kb::Quellbaum()).generic_string());
    std::sort(namen.begin(), namen.end());
    return namen;
}

// The lines `show` prints for the blocks: block.entry=value, a value that
// holds a line end or a double quote written as a quoted string.
std::string Zeilen(const std::vector<kr::Block> &bloecke)
{
    std::string s;
    for (const kr::Block &k : bloecke) {
        for (const kr::Eintrag &e : k.eintraege) {
            std::string wert = e.wert;
            if (wert.find_first_of("\r\n\"") != std::string::npos)
                wert = *kr::Zeichenkette(wert);
            s += k.name + "." + e.name + "=" + wert + "\n";
        }
    }
    return s;
}

std::vector<kr::Block> Bloecke(kr::Ergebnis<kr::Zugriff> z)
{
    EXPECT_TRUE(z) << z.fehler();
    if (!z)
        return {};
    auto b = z->bloecke();
    EXPECT_TRUE(b) << b.fehler();
    return b ? *b : std::vector<kr::Block>{};
}

TEST(Beispiele, WalkAgreesWithShow)
{
    const std::vector<std::string> dateien = Beispieldateien();
    // The folder holds the plain example, the templates and the include tree.
    ASSERT_GE(dateien.size(), 6u);
    size_t eintraege = 0;
    for (const std::string &datei : dateien) {
        SCOPED_TRACE(datei);
        const std::string pfad = kb::Quellbaum() + "/" + datei;
        auto im_speicher = Bloecke(kr::Zugriff::Konfig_Datei_oeffnen(pfad));
        auto als_datei = Bloecke(kr::Zugriff::Datei_oeffnen(pfad));
        ASSERT_EQ(im_speicher.size(), als_datei.size());
        for (size_t i = 0; i < im_speicher.size(); ++i) {
            EXPECT_EQ(im_speicher[i].klammer, als_datei[i].klammer);
            EXPECT_EQ(im_speicher[i].name, als_datei[i].name);
            eintraege += im_speicher[i].eintraege.size();
        }
        const std::string erwartet = Zeilen(im_speicher);
        EXPECT_EQ(Zeilen(als_datei), erwartet);
        KB_ERWARTET(kb::Korvan({"show", datei}), 0, erwartet, "");
    }
    // A part without a block of its own shows nothing; the examples as a
    // whole must show something, or the comparison proves nothing.
    EXPECT_GE(eintraege, 20u);
}

} // namespace
