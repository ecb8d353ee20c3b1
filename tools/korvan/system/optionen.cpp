// optionen.cpp - the shell's options read with getopt_long, which the C
// libraries of both sides have.
#include "system.h"

#include <cstddef>
#include <getopt.h>

std::vector<Optionsschritt> Optionen_lesen(int argc, char **argv, const std::vector<Langoption> &lang, bool vorn)
{
    // Long options are numbered from 256 in the table's order; -h is the
    // only short one.
    std::vector<option> tabelle;
    for (std::size_t i = 0; i < lang.size(); ++i)
        tabelle.push_back(
            {lang[i].name, lang[i].wert ? required_argument : no_argument, nullptr, 256 + static_cast<int>(i)});
    tabelle.push_back({"help", no_argument, nullptr, 'h'});
    tabelle.push_back({nullptr, 0, nullptr, 0});
    // '+' stops at the first operand, ':' reports a missing value apart.
    const char *kurz = vorn ? "+:h" : ":h";
    optind = 0; // a new scan
    opterr = 0;
    std::vector<Optionsschritt> schritte;
    for (;;) {
        int c = getopt_long(argc, argv, kurz, tabelle.data(), nullptr);
        schritte.push_back({c, optopt, optarg, optind});
        if (c < 256)
            return schritte;
    }
}
