// dateien.cpp - the subcommands on files and folders: preprocess, tree and
// deltree.
#include "befehl.h"

#include "korvan.h"
#include "platform/ganzdatei.h"
#include "platform/plattform.h"
#include "system/system.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

namespace {

bool Trenner(char c)
{
    return c == '\\' || c == '/';
}

// A folder as the user gave it, without trailing separators (a listing
// would put its own '\' after them); a root becomes the library's "\" or
// "C:\".
std::string Ordner(std::string pfad)
{
    while (pfad.size() > 1 && Trenner(pfad.back()))
        pfad.pop_back();
    if (pfad.size() == 1 && Trenner(pfad[0]))
        return "\\";
    if (pfad.size() == 2 && pfad[1] == ':')
        return pfad + "\\";
    return pfad;
}

bool Ist_Wurzel(const std::string &ordner)
{
    return ordner == "\\" || (ordner.size() == 3 && ordner[1] == ':');
}

// The paths of one KR_FileTree call; false when the listing failed.
bool Auflisten(const std::string &ordner, const std::string &muster, unsigned int flags,
               std::vector<std::string> *pfade)
{
    char *liste = nullptr;
    int n = KR_FileTree(ordner.c_str(), muster.c_str(), &liste, flags);
    const char *p = liste;
    for (int i = 0; i < n; ++i) {
        pfade->emplace_back(p);
        p += pfade->back().size() + 1;
    }
    KR_FileTreefree(liste);
    return n >= 0;
}

// A line marker of preprocess's output, # N "PATH", with '/' in its path.
void Marke_schraeg(std::string &zeile)
{
    size_t anfang = zeile.find('"');
    size_t ende = zeile.rfind('"');
    if (zeile.rfind("# ", 0) != 0 || anfang == std::string::npos || ende <= anfang)
        return;
    std::string pfad = zeile.substr(anfang + 1, ende - anfang - 1);
    zeile.replace(anfang + 1, pfad.size(), Pfadform(pfad, true));
}

// The failure that the error record of KR_Preprozess tells, in one line;
// an IN that cannot be opened is named as the user wrote it.
std::string Preprozess_Meldung(const Preprozess_Fehler &f, const std::string &ein, bool schraeg)
{
    std::string name = Pfadform(f.fehlername, schraeg);
    if (f.code == 3)
        return "cannot write " + name;
    if (f.zeile == 0 && !f.datei[0])
        return "cannot open " + ein + " for reading";
    std::string ort = Pfadform(f.datei, schraeg) + ":" + std::to_string(f.zeile) + ": ";
    std::string text = f.zeilentext;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    if (text.empty())
        return ort + "cannot read " + name + " again";
    if (!f.fehlername[0])
        return ort + "include directive without a file name: " + text;
    if (Datei_existiert(f.fehlername))
        return ort + "cannot open " + name + " (not readable, or nested more than 200 deep): " + text;
    return ort + "no include file " + name + ": " + text;
}

// A new, empty file in the temporary folder that only this user may read;
// "" when none can be made.
std::string Temporaere_Datei()
{
    std::error_code ec;
    std::filesystem::path ordner = std::filesystem::temp_directory_path(ec);
    if (ec)
        return {};
    std::random_device zufall;
    for (int versuch = 0; versuch < 100; ++versuch) {
        std::string name = (ordner / ("korvan-" + std::to_string(zufall()) + ".tmp")).string();
        if (Datei_neu_privat(name.c_str()))
            return name;
    }
    return {};
}

// A file the library wrote, read back whole, its line markers with '/'
// when `schraeg`.  Only a regular file loads, and never by waiting for a
// pipe's writer: OUT may have been swapped for a pipe while the library
// wrote it.
bool Ausgabe_laden(const std::string &pfad, bool schraeg, std::string *text)
{
    unsigned char *daten = nullptr;
    uint32_t laenge = 0;
    if (Datei_laden(pfad.c_str(), &daten, &laenge, UINT32_MAX) != Dateistatus::ok)
        return false;
    const char *z = reinterpret_cast<const char *>(daten);
    text->clear();
    for (size_t a = 0; a < laenge;) {
        const void *lf = std::memchr(z + a, '\n', laenge - a);
        size_t e = lf ? static_cast<size_t>(static_cast<const char *>(lf) - z) + 1 : laenge;
        std::string zeile(z + a, e - a);
        if (schraeg)
            Marke_schraeg(zeile);
        *text += zeile;
        a = e;
    }
    std::free(daten);
    return true;
}

// Writes the whole text to OUT, a pipe or device: a pipe without a reader
// fails at once instead of waiting for one.
bool In_Strom_schreiben(const std::string &ziel, const std::string &text)
{
    Plattform_Strom *s = Strom_oeffnen(ziel.c_str(), Strommodus::schreiben_binaer);
    if (!s)
        return false;
    bool gut = Strom_schreiben(s, text.data(), text.size()) == text.size();
    return Strom_schliessen(s) == 0 && gut;
}

bool Schreiben(std::FILE *d, const std::string &text)
{
    return std::fwrite(text.data(), 1, text.size(), d) == text.size() && std::fflush(d) == 0;
}

// The library records an included file by the including file's folder
// joined with the include name, and reopens it by that name when the file
// that it includes ends.  An IN without a folder would give the files it
// includes names from the root, which do not open again; so such an IN is
// read by its full path (or as .\IN when that is too long), and the
// markers and messages name it so.
std::string Mit_Ordner(const std::string &ein)
{
    if (ein.empty() || KR_Basisname(ein.c_str()) != ein.c_str())
        return ein;
    char voll[260];
    if (Verzeichnis_aktuell(voll, sizeof voll) && KR_Teil_hinzu(voll, ein.c_str(), sizeof voll) == 1)
        return voll;
    return ".\\" + ein;
}

// OUT a file: the library writes it, and refuses it when it is one of the
// inputs.  Its markers then get their '/' in a replacement of the whole
// file that keeps its owner and mode and never leaves it half written.
int In_Datei(const Unterbefehl &b, const std::string &ein, const Werte &w, bool schraeg)
{
    std::string ziel = w.operand(1), text;
    Preprozess_Fehler f;
    if (!KR_Preprozess(ein.c_str(), ziel.c_str(), &f))
        return Fehler(b, Status_Fehler, Preprozess_Meldung(f, w.operand(0), schraeg));
    if (schraeg && (!Ausgabe_laden(ziel, true, &text) ||
                    Datei_ersetzen(ziel.c_str(), text.data(), text.size()) != Dateistatus::ok))
        return Fehler(b, Status_Fehler, "cannot write " + ziel);
    return Status_ok;
}

// No OUT, or one that cannot be read back (a pipe, a device): the library
// writes a temporary file, and the output goes on from there, only when
// the whole run succeeded.  Such an OUT cannot be one of the inputs, which
// are regular files.
int Ueber_Zwischendatei(const Unterbefehl &b, const std::string &ein, const Werte &w, bool schraeg)
{
    std::string aus = Temporaere_Datei(), text;
    if (aus.empty())
        return Fehler(b, Status_Fehler, "cannot make a temporary file for the output");
    Preprozess_Fehler f;
    int status = Status_ok;
    bool nach_ziel = w.operanden.size() > 1;
    if (!KR_Preprozess(ein.c_str(), aus.c_str(), &f))
        status = Fehler(b, Status_Fehler, Preprozess_Meldung(f, w.operand(0), schraeg));
    else if (!Ausgabe_laden(aus, schraeg, &text))
        status = Fehler(b, Status_Fehler, "cannot read the output again");
    else if (nach_ziel ? !In_Strom_schreiben(w.operand(1), text) : !Schreiben(stdout, text))
        status = Fehler(b, Status_Fehler, nach_ziel ? "cannot write " + w.operand(1) : "cannot write the output");
    std::remove(aus.c_str());
    return status;
}

// DIR stayed after deltree, holding the entries `rest`.
int Rest_Fehler(const Unterbefehl &b, const std::string &dir, const std::vector<std::string> &rest)
{
    if (rest.empty())
        return Fehler(b, Status_Fehler, "could not delete " + dir +
                                            ": it holds names that begin with '.', which are never deleted");
    return Fehler(b, Status_Fehler, "could not delete all of " + dir + ": " + std::to_string(rest.size()) +
                                        (rest.size() == 1 ? " entry" : " entries") +
                                        " left (names that begin with '.' are never deleted)");
}

} // namespace

int Befehl_preprocess(const Unterbefehl &b, const Werte &w)
{
    bool schraeg = Schraeg(w);
    std::string ein = Mit_Ordner(w.operand(0));
    if (w.operanden.size() > 1 && !(schraeg && Ist_Geraet_oder_Pipe(w.operand(1).c_str())))
        return In_Datei(b, ein, w, schraeg);
    return Ueber_Zwischendatei(b, ein, w, schraeg);
}

int Befehl_tree(const Unterbefehl &b, const Werte &w)
{
    const std::string dir = w.operand(0), ordner = Ordner(dir);
    std::string muster = w.operanden.size() > 1 ? w.operand(1) : "*.*";
    unsigned int flags = 0;
    if (w.gegeben("dirs"))
        flags |= KR_BAUM_VERZEICHNISSE;
    if (w.gegeben("no-descend"))
        flags |= KR_BAUM_NICHT_ABSTEIGEN;
    if (w.gegeben("dirs-only"))
        flags |= KR_BAUM_NUR_VERZEICHNISSE;
    if (!Verzeichnis_vorhanden(ordner.c_str()))
        return Fehler(b, Status_fehlt, "no folder " + dir);
    if (Ist_Verweis(ordner.c_str()))
        return Fehler(b, Status_Fehler, dir + " is a symbolic link; name the folder it points to");

    // One listing from DIR, progress or not: a folder below it is never
    // opened by its path again, which another user may have made a link.
    std::vector<std::string> pfade;
    Fortschritt f(w);
    f.jetzt("tree: listing");
    bool gut = Auflisten(ordner, muster, flags, &pfade);
    f.beenden("tree: " + std::to_string(pfade.size()) + " entries");
    if (!gut)
        return Fehler(b, Status_Fehler, "out of memory while listing " + dir);
    const char ende = w.gegeben("null") ? '\0' : '\n';
    for (const std::string &p : pfade) {
        std::string pfad = Pfadform(p, Schraeg(w));
        std::fwrite(pfad.data(), 1, pfad.size(), stdout);
        std::fputc(ende, stdout);
    }
    return Status_ok;
}

int Befehl_deltree(const Unterbefehl &b, const Werte &w)
{
    const std::string dir = w.operand(0), ordner = Ordner(dir);
    std::string letzter = KR_Basisname(ordner.c_str());
    if (Ist_Wurzel(ordner) || letzter == "." || letzter == "..")
        return Fehler(b, Status_Fehler, "will not delete " + dir);
    // A link goes as a link, as rm -rf takes it: what it points to is not
    // the tree that was named.
    if (Ist_Verweis(ordner.c_str())) {
        if (Datei_loeschen(ordner.c_str()) != 0 && Verzeichnis_entfernen(ordner.c_str()) != 0)
            return Fehler(b, Status_Fehler, "could not delete the link " + dir);
        return Status_ok;
    }
    if (!Verzeichnis_vorhanden(ordner.c_str()))
        return Fehler(b, Status_fehlt, "no folder " + dir);

    // The library deletes the whole tree in one walk from DIR that never
    // names a folder below it by its path; progress tells the count of
    // entries before, and how many of them went.
    Fortschritt f(w);
    std::vector<std::string> vorher, rest;
    if (f.an())
        Auflisten(ordner, "*.*", KR_BAUM_VERZEICHNISSE, &vorher);
    const std::string von = std::string("/").append(std::to_string(vorher.size())) + " entries";
    f.jetzt("deltree: 0" + von);
    KR_DelTree(ordner.c_str());
    // The library leaves a folder that it finds empty (or holding only
    // names that begin with '.'); an empty one goes here.
    if (Verzeichnis_vorhanden(ordner.c_str()))
        Verzeichnis_entfernen(ordner.c_str());
    bool geblieben = Verzeichnis_vorhanden(ordner.c_str());
    if (geblieben)
        Auflisten(ordner, "*.*", KR_BAUM_VERZEICHNISSE, &rest);
    f.beenden("deltree: " + std::to_string(vorher.size() - std::min(rest.size(), vorher.size())) + von);
    return geblieben ? Rest_Fehler(b, dir, rest) : Status_ok;
}
