// programme.cpp - the subcommands that start programs: run (waits), start
// (does not wait) and open (the registered tool of a file's type).
#include "befehl.h"

#include "korvan.h"
#include "platform/plattform.h"

#include <cstdio>

namespace {

// The program name of a command line, for messages.
std::string Programm(const std::string &zeile)
{
    if (!zeile.empty() && zeile[0] == '"')
        return zeile.substr(1, zeile.find('"', 1) - 1);
    return zeile.substr(0, zeile.find_first_of(" \t"));
}

std::string Systemtext(uint32_t code)
{
    char text[256];
    Fehlercode_Text(code, text, sizeof text);
    return text;
}

// Why the registered tool was not started: the error word is the
// registry's code or the system's code of the start, so the registry is
// asked again to tell the two apart.  Status 1 when nothing is registered.
int Nicht_geoeffnet(const Unterbefehl &b, const std::string &datei, std::string endung, uint32_t code)
{
    if (code == 0)
        return Fehler(b, Status_Fehler, "the command registered for " + endung + " files uses a placeholder other than %1");
    if (datei.find('"') != std::string::npos)
        return Fehler(b, Status_Fehler, "a file name cannot hold a double quote");
    char typ[260];
    if (Register_Wert_lesen(endung.c_str(), typ, sizeof typ) != 0)
        return Fehler(b, Status_fehlt, "no file type is registered for " + (endung.empty() ? "names without an extension" : endung));
    char befehl[780];
    std::string schluessel = std::string(typ) + "\\shell\\open\\command";
    if (Register_Wert_lesen(schluessel.c_str(), befehl, sizeof befehl) != 0)
        return Fehler(b, Status_fehlt, "the file type " + std::string(typ) + " of " + endung + " has no open command");
    if (code == static_cast<uint32_t>(Register_zu_lang))
        return Fehler(b, Status_Fehler, "the command line to open " + datei + " is too long");
    return Fehler(b, Status_Fehler, "cannot start the tool for " + datei + " (" + befehl + "): " + Systemtext(code));
}

// Appends one argument to a command line so that programs get it back
// whole: quoted where it holds blanks or quotes, as the C runtime splits.
void Befehlszeile_anhaengen(std::string &zeile, const std::string &argument)
{
    bool erstes = zeile.empty();
    if (!erstes)
        zeile += ' ';
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        zeile += argument;
        return;
    }
    // The program name knows no escapes: its quotes are simply dropped.
    zeile += '"';
    size_t schraeg = 0;
    for (char c : argument) {
        if (c == '\\' && !erstes) {
            ++schraeg;
            continue;
        }
        if (c == '"')
            zeile.append(2 * schraeg + 1, '\\');
        else
            zeile.append(schraeg, '\\');
        schraeg = 0;
        zeile += c;
    }
    zeile.append(2 * schraeg, '\\');
    zeile += '"';
}

// The operands as one command line; false with the error line's status.
bool Befehlszeile(const Unterbefehl &b, const Werte &w, std::string *zeile, int *status)
{
    if (w.operand(0).find('"') != std::string::npos) {
        *status = Fehler(b, Status_Fehler, "a program name cannot hold a double quote");
        return false;
    }
    for (const std::string &a : w.operanden) {
        if (a.find_first_of("\r\n") != std::string::npos) {
            *status = Fehler(b, Status_Fehler, "an argument holds a line end");
            return false;
        }
        Befehlszeile_anhaengen(*zeile, a);
    }
    return true;
}

} // namespace

int Befehl_run(const Unterbefehl &b, const Werte &w)
{
    std::string zeile;
    int status;
    if (!Befehlszeile(b, w, &zeile, &status))
        return status;
    // The program writes to the same output: what is buffered goes first.
    std::fflush(stdout);
    unsigned int code = 0;
    if (KR_Ausfuehren(zeile.c_str(), &code))
        return Status_ok;
    if (code != 0)
        return static_cast<int>(code);
    return Fehler(b, Status_Fehler, "cannot start " + Programm(zeile) + ": not found in PATH, or not executable");
}

int Befehl_start(const Unterbefehl &b, const Werte &w)
{
    std::string zeile;
    int status;
    if (!Befehlszeile(b, w, &zeile, &status))
        return status;
    std::fflush(stdout);
    unsigned int code = 0;
    if (KR_Ausfuehren_async(zeile.c_str(), &code))
        return Status_ok;
    return Fehler(b, Status_Fehler, "cannot start " + Programm(zeile) + ": " + Systemtext(code));
}

int Befehl_open(const Unterbefehl &b, const Werte &w)
{
    std::string datei = w.operand(0);
    std::fflush(stdout);
    unsigned int code = 0;
    if (w.operanden.size() > 1) {
        // "txt" stands for ".txt".
        std::string typ = w.operand(1);
        if (typ.empty() || typ[0] != '.')
            typ = "." + typ;
        if (KR_Standardwerkzeug_aufrufen_expl(datei.c_str(), typ.c_str(), &code))
            return Status_ok;
        return Nicht_geoeffnet(b, datei, typ, code);
    }
    if (KR_Standardwerkzeug_aufrufen(datei.c_str(), &code))
        return Status_ok;
    char endung[260] = "";
    Dateiendung(datei.c_str(), endung, sizeof endung);
    return Nicht_geoeffnet(b, datei, endung, code);
}
