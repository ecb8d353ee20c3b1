// pfade.cpp - the path subcommands: join, tail, base name and separators.
#include "befehl.h"

#include "korvan.h"

namespace {

// The library's path buffers: 259 characters and the terminator.
constexpr unsigned int Pfadgroesse = 260;

} // namespace

int Befehl_path_join(const Unterbefehl &b, const Werte &w)
{
    std::string basis = w.operand(0);
    if (basis.size() >= Pfadgroesse)
        return Fehler(b, Status_Fehler, "BASE is longer than " + std::to_string(Pfadgroesse - 1) + " characters");
    char pfad[Pfadgroesse];
    basis.copy(pfad, basis.size());
    pfad[basis.size()] = '\0';
    for (size_t i = 1; i < w.operanden.size(); ++i) {
        const std::string &teil = w.operanden[i];
        if (!KR_Teil_hinzu(pfad, teil.c_str(), sizeof pfad))
            return Fehler(b, Status_Fehler, "joining '" + teil + "' gives a path longer than " +
                                                std::to_string(Pfadgroesse - 1) + " characters");
    }
    Zeile_ausgeben(Pfadform(pfad, Schraeg(w)));
    return Status_ok;
}

int Befehl_path_tail(const Unterbefehl &b, const Werte &w)
{
    char rest[Pfadgroesse];
    if (!KR_Differenzpfad(rest, sizeof rest, w.operand(0).c_str(), w.operand(1).c_str()))
        return Fehler(b, Status_Fehler, "PATH or BASE is longer than " + std::to_string(Pfadgroesse - 1) +
                                            " characters once made canonical");
    Zeile_ausgeben(Pfadform(rest, Schraeg(w)));
    return Status_ok;
}

int Befehl_path_base(const Unterbefehl &, const Werte &w)
{
    std::string pfad = w.operand(0);
    Zeile_ausgeben(KR_Basisname(pfad.c_str()));
    return Status_ok;
}

int Befehl_path_slashify(const Unterbefehl &b, const Werte &w)
{
    std::string trenner = w.operanden.size() > 1 ? w.operand(1) : "\\";
    if (trenner.size() != 1)
        return Fehler(b, Status_Fehler, "SEPARATOR must be one character, not '" + trenner + "'");
    std::string pfad = w.operand(0);
    KR_Slashify(pfad.data(), trenner[0]);
    Zeile_ausgeben(pfad);
    return Status_ok;
}
