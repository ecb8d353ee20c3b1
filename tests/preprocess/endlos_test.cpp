// Include directives that name a source without end: a device or a pipe
// fails like a file that cannot be opened, instead of being read for ever.
// On Windows the streams' refusals alone.
#include "korvan.h"
#include "platform/plattform.h"
#include "testhilfe.h"

#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef _WIN32

namespace {

TEST(Endlos, GeraetAlsEinbindungScheitert)
{
    kt::Tempordner d;
    const std::string haupt = d / "haupt.c", aus = d / "aus.i";
    for (const char *geraet : {"/dev/zero", "/dev/urandom", "/dev/null"}) {
        kt::Datei_schreiben(haupt, std::string("vor\n#include <") + geraet + ">\nnach\n");
        Preprozess_Fehler f;
        EXPECT_EQ(KR_Preprozess(haupt.c_str(), aus.c_str(), &f), 0) << geraet;
        EXPECT_EQ(f.code, 2);
        EXPECT_EQ(f.zeile, 2);
        EXPECT_STREQ(f.fehlername, geraet);
        EXPECT_EQ(kt::Datei_lesen(aus), "# 1 \"" + haupt + "\"\r\nvor\n");
    }
}

TEST(Endlos, NurGewoehnlicheDateienImTextmodus)
{
    kt::Tempordner d;
    kt::Datei_schreiben(d / "a.h", "a\n");
    std::filesystem::create_directory(d / "ordner");
    // A pipe without a writer would hold the open itself for ever.
    ASSERT_EQ(std::system(("mkfifo '" + (d / "rohr") + "'").c_str()), 0);
    EXPECT_EQ(Strom_oeffnen((d / "rohr").c_str(), Strommodus::lesen_text), nullptr);
    Plattform_Strom *s = Strom_oeffnen((d / "a.h").c_str(), Strommodus::lesen_text);
    EXPECT_NE(s, nullptr);
    Strom_schliessen(s);
    EXPECT_EQ(Strom_oeffnen((d / "ordner").c_str(), Strommodus::lesen_text), nullptr);
    EXPECT_EQ(Strom_oeffnen("/dev/zero", Strommodus::lesen_text), nullptr);
    // Bytes as stored may still come from a device (the file source reads a
    // pipe as well).
    s = Strom_oeffnen("/dev/zero", Strommodus::lesen_binaer);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Strom_Zeichen(s), 0);
    Strom_schliessen(s);
}

} // namespace

#else

namespace {

// The null device opens for bytes as stored but not in text mode; a folder
// opens in neither.
TEST(Endlos, NurGewoehnlicheDateienImTextmodus)
{
    kt::Tempordner d;
    std::filesystem::create_directory(d / "ordner");
    EXPECT_EQ(Strom_oeffnen((d / "ordner").c_str(), Strommodus::lesen_text), nullptr);
    EXPECT_EQ(Strom_oeffnen((d / "ordner").c_str(), Strommodus::lesen_binaer), nullptr);
    EXPECT_EQ(Strom_oeffnen("NUL", Strommodus::lesen_text), nullptr);
    Plattform_Strom *s = Strom_oeffnen("NUL", Strommodus::lesen_binaer);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Strom_Zeichen(s), -1);
    EXPECT_EQ(Strom_schliessen(s), 0);
}

} // namespace

#endif // _WIN32
