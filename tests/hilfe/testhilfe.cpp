// testhilfe.cpp - shared fixtures of the tests.
#include "testhilfe.h"

#include "quidel32.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace kt {

namespace fs = std::filesystem;

Tempordner::Tempordner()
{
    static std::atomic<unsigned> zaehler{0};
    auto jetzt = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        pfad_ = fs::temp_directory_path() /
                ("korvan-test-" + std::to_string(jetzt) + "-" + std::to_string(zaehler++));
        if (fs::create_directory(pfad_))
            break;
    }
}

Tempordner::~Tempordner()
{
    std::error_code ec;
    // Read-only entries left by a test must not keep the folder alive.
    for (auto it = fs::recursive_directory_iterator(pfad_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::permissions(pfad_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(pfad_, ec);
}

void Datei_schreiben(const std::string &pfad, const std::string &inhalt)
{
    std::ofstream f(pfad, std::ios::binary | std::ios::trunc);
    f.write(inhalt.data(), static_cast<std::streamsize>(inhalt.size()));
    ASSERT_TRUE(f.good()) << pfad;
}

std::string Datei_lesen(const std::string &pfad)
{
    std::ifstream f(pfad, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Objekttext(const Zugriffshandle &h)
{
    std::string s(h.laenge, '\0');
    if (h.laenge) {
        EXPECT_EQ(Quidel_Lesen(h.objekt, h.laenge, 0, s.data(), 0), 0) << "laenge beyond the object";
    }
    // The object holds the text and nothing more: an edit resizes it.
    char danach;
    EXPECT_EQ(Quidel_Lesen(h.objekt, 1, h.laenge, &danach, 0), QUIDEL_STATUS_BEREICH) << "bytes beyond laenge";
    return s;
}

const char *Quellname(Quelle q)
{
    switch (q) {
    case Quelle::Puffer: return "Puffer";
    case Quelle::Objekt: return "Objekt";
    case Quelle::Datei: return "Datei";
    }
    return "?";
}

std::string Quellen_Testname(const ::testing::TestParamInfo<Quelle> &info)
{
    return Quellname(info.param);
}

Testhandle::Testhandle(Quelle q, const std::string &text) : q_(q)
{
    switch (q) {
    case Quelle::Puffer:
        puffer_.assign(text.begin(), text.end());
        puffer_.push_back('\0');
        h_.puffer = puffer_.data();
        h_.laenge = static_cast<uint32_t>(text.size());
        break;
    case Quelle::Objekt: {
        std::string pfad = ordner_ / "text.cfg";
        Datei_schreiben(pfad, text);
        EXPECT_EQ(KR_Konfig_Datei_oeffnen(pfad.c_str(), &h_), 0);
        break;
    }
    case Quelle::Datei: {
        std::string pfad = ordner_ / "text.cfg";
        Datei_schreiben(pfad, text);
        EXPECT_EQ(KR_Datei_oeffnen(pfad.c_str(), &h_), 0);
        break;
    }
    }
}

Testhandle::~Testhandle()
{
    KR_Konfig_Datei_schliessen(&h_);
}

std::string Testhandle::rest()
{
    std::string s;
    for (int c; (c = KR_Zeichen_lesen(&h_)) != -1;)
        s.push_back(static_cast<char>(c));
    return s;
}

std::string Testhandle::text() const
{
    if (h_.objekt)
        return Objekttext(h_);
    if (h_.puffer)
        return std::string(h_.puffer, h_.laenge);
    return {};
}

} // namespace kt
