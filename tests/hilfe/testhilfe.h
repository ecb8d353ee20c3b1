// testhilfe.h - shared fixtures: temporary folders and files, and access
// handles over the same text from each of the three sources.
#ifndef KORVAN_TESTHILFE_H
#define KORVAN_TESTHILFE_H

#include "korvan.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kt {

// A fresh folder below the system's temporary folder, removed with
// everything in it when the object goes.
class Tempordner {
public:
    Tempordner();
    ~Tempordner();
    Tempordner(const Tempordner &) = delete;
    Tempordner &operator=(const Tempordner &) = delete;

    const std::filesystem::path &pfad() const { return pfad_; }
    // Full path of a name inside the folder, as a string.
    std::string operator/(const std::string &name) const { return (pfad_ / name).string(); }

private:
    std::filesystem::path pfad_;
};

void Datei_schreiben(const std::string &pfad, const std::string &inhalt);
std::string Datei_lesen(const std::string &pfad);

// The bytes of a handle's memory object up to laenge; the object must hold
// exactly these.
std::string Objekttext(const Zugriffshandle &h);

// The kinds of source behind an access handle.
enum class Quelle { Puffer, Objekt, Datei };
const char *Quellname(Quelle q);

// An access handle over a text, opened from the source asked for and closed
// when the object goes.  The memory buffer and the file keep the exact bytes;
// the memory object is loaded from a file with KR_Konfig_Datei_oeffnen.
class Testhandle {
public:
    Testhandle(Quelle q, const std::string &text);
    ~Testhandle();
    Testhandle(const Testhandle &) = delete;
    Testhandle &operator=(const Testhandle &) = delete;

    Zugriffshandle *operator->() { return &h_; }
    Zugriffshandle *get() { return &h_; }
    Quelle quelle() const { return q_; }

    // Everything that KR_Zeichen_lesen delivers from here to the end.
    std::string rest();
    // The bytes of the text as the handle now holds them (memory sources;
    // for a memory object, Objekttext).
    std::string text() const;

private:
    Quelle q_;
    Tempordner ordner_;
    std::vector<char> puffer_;
    Zugriffshandle h_{};
};

// Parameterised fixture: every test runs once for each source.
class Quellentest : public ::testing::TestWithParam<Quelle> {};

std::string Quellen_Testname(const ::testing::TestParamInfo<Quelle> &info);

} // namespace kt

#define KT_ALLE_QUELLEN(suite)                                                                     \
    INSTANTIATE_TEST_SUITE_P(Quellen, suite,                                                       \
                             ::testing::Values(kt::Quelle::Puffer, kt::Quelle::Objekt,             \
                                               kt::Quelle::Datei),                                 \
                             kt::Quellen_Testname)

#endif // KORVAN_TESTHILFE_H
