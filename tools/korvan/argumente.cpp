// argumente.cpp - a subcommand's options and operands, read from the shell's
// arguments with getopt_long in the GNU manner: options anywhere (or only
// before the first operand), "--" ends them, -h and --help at any place.
#include "befehl.h"
#include "system/system.h"

#include <cstdio>

namespace {

// The operands that the table names: "[X]" may be left out, "X..." takes
// one or more, "[X...]" any number.
struct Operandenzahl {
    std::vector<std::string> namen;
    size_t mindestens = 0;
    bool rest = false;
};

Operandenzahl Zaehlen(const char *operanden)
{
    Operandenzahl z;
    std::string_view s = operanden;
    while (!s.empty()) {
        size_t blank = s.find(' ');
        std::string_view wort = s.substr(0, blank);
        s = blank == std::string_view::npos ? std::string_view() : s.substr(blank + 1);
        bool frei = wort.front() == '[';
        if (frei)
            wort = wort.substr(1, wort.size() - 2);
        if (wort.size() > 3 && wort.substr(wort.size() - 3) == "...") {
            z.rest = true;
            wort.remove_suffix(3);
        }
        z.mindestens += frei ? 0 : 1;
        z.namen.emplace_back(wort);
    }
    return z;
}

// The option as the user wrote it, for an error line: the scan tells a
// short one, or the number of a long one; else (an unknown long option)
// it is the argument read last.
std::string Geschrieben(const Unterbefehl &b, int kurz, const char *argument)
{
    if (kurz >= 256)
        return std::string("--") + b.optionen[static_cast<size_t>(kurz - 256)].lang;
    if (kurz)
        return std::string("-") + static_cast<char>(kurz);
    std::string a = argument ? argument : "";
    return a.substr(0, a.find('='));
}

} // namespace

bool Werte::gegeben(std::string_view option) const
{
    for (const auto &o : optionen)
        if (o.first == option)
            return true;
    return false;
}

std::string Werte::text(std::string_view option) const
{
    for (const auto &o : optionen)
        if (o.first == option)
            return o.second;
    return {};
}

int Nutzungsfehler(const Unterbefehl *b, const std::string &text)
{
    std::string name = b ? std::string(b->name) : "";
    std::fflush(stdout);
    std::fprintf(stderr, "korvan: %s%s\nTry 'korvan help%s'.\n", b ? (name + ": ").c_str() : "", text.c_str(),
                 b ? (" " + name).c_str() : "");
    return Status_Fehler;
}

std::string Aufruf(const Unterbefehl &b)
{
    return std::string(b.name) + (b.optionen.empty() ? "" : " [OPTION]...") + " " + b.operanden;
}

int Argumente_lesen(const Unterbefehl &b, int argc, char **argv, Werte *w)
{
    std::vector<Langoption> lang;
    for (const Option &o : b.optionen)
        lang.push_back({o.lang, o.wert != nullptr});
    std::vector<Optionsschritt> schritte = Optionen_lesen(argc, argv, lang, b.optionen_vorn);
    for (const Optionsschritt &s : schritte) {
        if (s.art == 'h') {
            Hilfe_ausgeben(b);
            return Status_ok;
        }
        if (s.art == '?' && s.welche >= 256)
            return Nutzungsfehler(&b, "the option '" + Geschrieben(b, s.welche, nullptr) + "' takes no value");
        if (s.art == '?')
            return Nutzungsfehler(&b, "unknown option '" + Geschrieben(b, s.welche, argv[s.weiter - 1]) + "'");
        if (s.art == ':')
            return Nutzungsfehler(&b, "the option '" + Geschrieben(b, s.welche, argv[s.weiter - 1]) + "' needs a value");
        if (s.art >= 256)
            w->optionen.emplace_back(b.optionen[static_cast<size_t>(s.art - 256)].lang, s.wert ? s.wert : "");
    }
    w->operanden.assign(argv + schritte.back().weiter, argv + argc);
    Operandenzahl z = Zaehlen(b.operanden);
    size_t n = w->operanden.size();
    if (n < z.mindestens)
        return Nutzungsfehler(&b, "missing operand " + z.namen[n]);
    if (!z.rest && n > z.namen.size())
        return Nutzungsfehler(&b, "extra operand '" + w->operanden[z.namen.size()] + "'");
    return -1;
}
