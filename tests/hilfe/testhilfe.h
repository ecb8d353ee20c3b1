// testhilfe.h - shared fixtures: temporary folders and files, access handles from each source.
#ifndef KORVAN_TESTHILFE_H
#define KORVAN_TESTHILFE_H

#include "korvan.h"
#include "quidel32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kt {

namespace fs = std::filesystem;

// A fresh temporary folder, removed with everything in it (read-only entries too).
class Tempordner {
public:
    Tempordner()
    {
        static std::atomic<unsigned> zaehler{0};
        auto jetzt = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
        do
            pfad_ = fs::temp_directory_path() / ("korvan-test-" + jetzt + "-" + std::to_string(zaehler++));
        while (!fs::create_directory(pfad_));
    }
    ~Tempordner()
    {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(pfad_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(pfad_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(pfad_, ec);
    }
    const fs::path &pfad() const { return pfad_; }
    std::string operator/(const std::string &name) const { return (pfad_ / name).string(); }

private:
    fs::path pfad_;
};

inline void Datei_schreiben(const std::string &pfad, const std::string &inhalt)
{
    std::ofstream f(pfad, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(f.write(inhalt.data(), static_cast<std::streamsize>(inhalt.size())).good()) << pfad;
}

inline std::string Datei_lesen(const std::string &pfad)
{
    std::ostringstream s;
    s << std::ifstream(pfad, std::ios::binary).rdbuf();
    return s.str();
}

inline std::string Objekttext(const Zugriffshandle &h)
{
    std::string s(h.laenge, '\0');
    char danach;
    EXPECT_EQ(h.laenge ? Quidel_Lesen(h.objekt, h.laenge, 0, s.data(), 0) : 0, 0) << "laenge beyond the object";
    EXPECT_EQ(Quidel_Lesen(h.objekt, 1, h.laenge, &danach, 0), QUIDEL_STATUS_BEREICH) << "bytes beyond laenge";
    return s;
}

enum class Quelle { Puffer, Objekt, Datei };

// An access handle over a text from the source asked for (a memory object loaded from a file).
class Testhandle {
public:
    Testhandle(Quelle q, const std::string &text) : puffer_(text.c_str(), text.c_str() + text.size() + 1)
    {
        h_.puffer = q == Quelle::Puffer ? puffer_.data() : nullptr;
        h_.laenge = q == Quelle::Puffer ? static_cast<uint32_t>(text.size()) : 0;
        if (q != Quelle::Puffer) {
            Datei_schreiben(ordner_ / "text.cfg", text);
            EXPECT_EQ((q == Quelle::Objekt ? KR_Konfig_Datei_oeffnen : KR_Datei_oeffnen)((ordner_ / "text.cfg").c_str(), &h_), 0);
        }
    }
    ~Testhandle() { KR_Konfig_Datei_schliessen(&h_); }
    Zugriffshandle *operator->() { return &h_; }
    Zugriffshandle *get() { return &h_; }
    std::string rest()
    {
        std::string s;
        for (int c; (c = KR_Zeichen_lesen(&h_)) != -1;)
            s.push_back(static_cast<char>(c));
        return s;
    }
    std::string text() const { return h_.objekt ? Objekttext(h_) : h_.puffer ? std::string(h_.puffer, h_.laenge) : ""; }

private:
    Tempordner ordner_;
    std::vector<char> puffer_;
    Zugriffshandle h_{};
};

class Quellentest : public ::testing::TestWithParam<Quelle> {};
inline std::string Quellen_Testname(const ::testing::TestParamInfo<Quelle> &info)
{
    return std::vector<std::string>{"Puffer", "Objekt", "Datei"}[static_cast<size_t>(info.param)];
}

} // namespace kt

#define KT_ALLE_QUELLEN(suite)                                                                                         \
    INSTANTIATE_TEST_SUITE_P(Quellen, suite, ::testing::Values(kt::Quelle::Puffer, kt::Quelle::Objekt, kt::Quelle::Datei), kt::Quellen_Testname)

#endif // KORVAN_TESTHILFE_H
