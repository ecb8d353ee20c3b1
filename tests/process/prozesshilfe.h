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

// The record of a script, once it is there (empty after 30 seconds).
inline std::string Protokoll(const std::string &skript, int sekunden = 30)
{
    auto ende = std::chrono::steady_clock::now() + std::chrono::seconds(sekunden);
    while (!fs::exists(skript + ".out") && std::chrono::steady_clock::now() < ende)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string text = kt::Datei_lesen(skript + ".out");
    std::error_code ec;
    fs::remove(skript + ".out", ec);
    return text;
}

// Environment variables set or removed for the life of the object.
class Umgebung {
public:
    ~Umgebung()
    {
        for (auto it = alt_.rbegin(); it != alt_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }
    void setzen(const std::string &name, const std::string &wert)
    {
        merken(name);
        setenv(name.c_str(), wert.c_str(), 1);
    }
    void loeschen(const std::string &name)
    {
        merken(name);
        unsetenv(name.c_str());
    }

private:
    void merken(const std::string &name)
    {
        const char *w = std::getenv(name.c_str());
        alt_.emplace_back(name, w ? std::optional<std::string>(w) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> alt_;
};

} // namespace kp

#endif // KORVAN_PROZESSHILFE_H
