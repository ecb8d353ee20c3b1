// prozesshilfe.h - fixtures of the process tests: scripts that record their
// arguments, and environment variables set for one test.
#ifndef KORVAN_PROZESSHILFE_H
#define KORVAN_PROZESSHILFE_H

#include "testhilfe.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace kp {

namespace fs = std::filesystem;

#ifndef _WIN32
inline void Skript(const fs::path &pfad, const std::string &rumpf)
{
    kt::Datei_schreiben(pfad.string(), "#!/bin/sh\n" + rumpf);
    fs::permissions(pfad, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

// A script that writes its arguments, each between brackets on a line of
// its own, to <script>.out; the file appears whole.
inline std::string Protokollskript(const fs::path &pfad)
{
    Skript(pfad, "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.out\"\n");
    return pfad.string();
}
#else
// On Windows the test program that does the same (tests/hilfe/probe.cpp),
// copied to <pfad>.exe; the path of the copy, whose record is <copy>.out.
inline std::string Protokollskript(const fs::path &pfad)
{
    const char *probe = std::getenv("KORVAN_PROBE");
    EXPECT_NE(probe, nullptr) << "KORVAN_PROBE names the test program";
    fs::path kopie = pfad;
    kopie += ".exe";
    fs::copy_file(probe ? probe : "", kopie, fs::copy_options::overwrite_existing);
    return kopie.string();
}
#endif

// The record of a script, once it is there (empty after 30 seconds).  On
// Windows the handle through which the file was renamed may still be open
// when it appears, and keeps others from opening or deleting it; so both
// are tried again until then.
inline std::string Protokoll(const std::string &skript, int sekunden = 30)
{
    auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(sekunden);
    auto warten = [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); };
    std::string datei = skript + ".out", text;
    bool gelesen = false;
    while (!gelesen && std::chrono::steady_clock::now() < ende) {
        std::ifstream f(datei, std::ios::binary);
        if (!f) {
            warten();
            continue;
        }
        std::ostringstream s;
        s << f.rdbuf();
        text = s.str();
        gelesen = true;
    }
    std::error_code ec;
    while (gelesen && !fs::remove(datei, ec) && ec && std::chrono::steady_clock::now() < ende)
        warten();
    return text;
}

// Environment variables set or removed for the life of the object.
class Umgebung {
public:
    ~Umgebung()
    {
        for (auto it = alt_.rbegin(); it != alt_.rend(); ++it)
            Setzen(it->first, it->second ? it->second->c_str() : nullptr);
    }
    void setzen(const std::string &name, const std::string &wert)
    {
        merken(name);
        Setzen(name, wert.c_str());
    }
    void loeschen(const std::string &name)
    {
        merken(name);
        Setzen(name, nullptr);
    }

private:
    void merken(const std::string &name)
    {
        const char *w = std::getenv(name.c_str());
        alt_.emplace_back(name, w ? std::optional<std::string>(w) : std::nullopt);
    }
    // Sets the variable, or removes it for null.
    static void Setzen(const std::string &name, const char *wert)
    {
#ifdef _WIN32
        _putenv((name + "=" + (wert ? wert : "")).c_str());
#else
        if (wert)
            setenv(name.c_str(), wert, 1);
        else
            unsetenv(name.c_str());
#endif
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> alt_;
};

} // namespace kp

#endif // KORVAN_PROZESSHILFE_H
