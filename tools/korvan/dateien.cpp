// dateien.cpp - the subcommands on files and folders: preprocess, tree and
// deltree.
#include "befehl.h"

#include "korvan.h"
#include "platform/plattform.h"

#include <cstdio>
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

// The listing that one KR_FileTree call over the whole tree gives, made
// one folder of the top level at a time so that progress can be shown in
// between: each folder's entries, then the folder itself where it is
// listed, as the library orders them.
bool Baum_listen(const std::string &ordner, const std::string &muster, unsigned int flags, Fortschritt &f,
                 std::vector<std::string> *pfade)
{
    if (flags & KR_BAUM_NICHT_ABSTEIGEN)
        return Auflisten(ordner, muster, flags, pfade);
    std::vector<std::string> alle, ordner_oben, gelistet;
    if (!Auflisten(ordner, muster, KR_BAUM_NICHT_ABSTEIGEN | KR_BAUM_VERZEICHNISSE, &alle) ||
        !Auflisten(ordner, muster, KR_BAUM_NICHT_ABSTEIGEN | KR_BAUM_NUR_VERZEICHNISSE, &ordner_oben) ||
        !Auflisten(ordner, muster, flags | KR_BAUM_NICHT_ABSTEIGEN, &gelistet))
        return false;
    // All three come in the same order, the search's.
    size_t o = 0, g = 0;
    for (const std::string &e : alle) {
        if (o < ordner_oben.size() && ordner_oben[o] == e) {
            ++o;
            if (!Auflisten(e, muster, flags, pfade))
                return false;
            f.melden("tree: " + std::to_string(o) + "/" + std::to_string(ordner_oben.size()) + " folders, " +
                     std::to_string(pfade->size()) + " entries");
        }
        if (g < gelistet.size() && gelistet[g] == e) {
            ++g;
            pfade->push_back(e);
        }
    }
    return true;
}

// The failure that the error record of KR_Preprozess tells, in one line.
std::string Preprozess_Meldung(const Preprozess_Fehler &f, bool schraeg)
{
    std::string name = Pfadform(f.fehlername, schraeg);
    if (f.code == 3)
        return "cannot write " + name;
    if (f.zeile == 0 && !f.datei[0])
        return "cannot open " + name + " for reading";
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

// A new, empty file in the temporary folder that nobody else can have
// opened; "" when none can be made.
std::string Temporaere_Datei()
{
    std::error_code ec;
    std::filesystem::path ordner = std::filesystem::temp_directory_path(ec);
    if (ec)
        return {};
    std::random_device zufall;
    for (int versuch = 0; versuch < 100; ++versuch) {
        std::string name = (ordner / ("korvan-" + std::to_string(zufall()) + ".tmp")).string();
        if (std::FILE *d = std::fopen(name.c_str(), "wbx")) {
            std::fclose(d);
            return name;
        }
    }
    return {};
}

bool Auf_Ausgabe_kopieren(const std::string &pfad)
{
    std::FILE *d = std::fopen(pfad.c_str(), "rb");
    if (!d)
        return false;
    char puffer[8192];
    size_t n;
    while ((n = std::fread(puffer, 1, sizeof puffer, d)) > 0)
        std::fwrite(puffer, 1, n, stdout);
    bool gut = !std::ferror(d);
    std::fclose(d);
    return gut && std::fflush(stdout) == 0;
}

} // namespace

int Befehl_preprocess(const Unterbefehl &b, const Werte &w)
{
    bool schraeg = w.gegeben("SLASH");
    std::string ein = w.text("IN");
    Preprozess_Fehler f;
    if (w.gegeben("OUT")) {
        if (!KR_Preprozess(ein.c_str(), w.text("OUT").c_str(), &f))
            return Fehler(b, Status_Fehler, Preprozess_Meldung(f, schraeg));
        return Status_ok;
    }

    // Without OUT the output goes through a temporary file to standard
    // output, and only when the whole run succeeded.
    std::string aus = Temporaere_Datei();
    if (aus.empty())
        return Fehler(b, Status_Fehler, "cannot make a temporary file for the output");
    int status = Status_ok;
    if (!KR_Preprozess(ein.c_str(), aus.c_str(), &f))
        status = Fehler(b, Status_Fehler, Preprozess_Meldung(f, schraeg));
    else if (!Auf_Ausgabe_kopieren(aus))
        status = Fehler(b, Status_Fehler, "cannot write the output");
    std::remove(aus.c_str());
    return status;
}

int Befehl_tree(const Unterbefehl &b, const Werte &w)
{
    std::string ordner = Ordner(w.text("DIR"));
    std::string muster = w.gegeben("PATTERN") ? w.text("PATTERN") : "*.*";
    unsigned int flags = 0;
    if (w.gegeben("DIRS"))
        flags |= KR_BAUM_VERZEICHNISSE;
    if (w.gegeben("NODESCEND"))
        flags |= KR_BAUM_NICHT_ABSTEIGEN;
    if (w.gegeben("DIRSONLY"))
        flags |= KR_BAUM_NUR_VERZEICHNISSE;
    if (!Verzeichnis_vorhanden(ordner.c_str()))
        return Fehler(b, Status_fehlt, "no folder " + w.text("DIR"));
    if (Ist_Verweis(ordner.c_str()))
        return Fehler(b, Status_Fehler, w.text("DIR") + " is a symbolic link; name the folder it points to");

    std::vector<std::string> pfade;
    {
        Fortschritt f(w.gegeben("PROGRESS"));
        if (!Baum_listen(ordner, muster, flags, f, &pfade))
            return Fehler(b, Status_Fehler, "out of memory while listing " + ordner);
    }
    for (const std::string &p : pfade)
        Zeile_ausgeben(Pfadform(p, w.gegeben("SLASH")));
    return Status_ok;
}

int Befehl_deltree(const Unterbefehl &b, const Werte &w)
{
    std::string ordner = Ordner(w.text("DIR"));
    std::string letzter = KR_Basisname(ordner.c_str());
    if (Ist_Wurzel(ordner) || letzter == "." || letzter == "..")
        return Fehler(b, Status_Fehler, "will not delete " + w.text("DIR"));
    // A link goes as a link, as rm -rf takes it: what it points to is not
    // the tree that was named.
    if (Ist_Verweis(ordner.c_str())) {
        if (Datei_loeschen(ordner.c_str()) != 0 && Verzeichnis_entfernen(ordner.c_str()) != 0)
            return Fehler(b, Status_Fehler, "could not delete the link " + w.text("DIR"));
        return Status_ok;
    }
    if (!Verzeichnis_vorhanden(ordner.c_str()))
        return Fehler(b, Status_fehlt, "no folder " + w.text("DIR"));

    // The folders of the top level one by one, for the progress; then the
    // rest.  The last call tells whether everything went.
    std::vector<std::string> unten;
    Auflisten(ordner, "*.*", KR_BAUM_NICHT_ABSTEIGEN | KR_BAUM_NUR_VERZEICHNISSE, &unten);
    {
        Fortschritt f(w.gegeben("PROGRESS"));
        for (size_t i = 0; i < unten.size(); ++i) {
            KR_DelTree(unten[i].c_str());
            f.melden("deltree: " + std::to_string(i + 1) + "/" + std::to_string(unten.size()) + " folders");
        }
    }
    KR_DelTree(ordner.c_str());
    // The library leaves a folder that it finds empty (or holding only
    // names that begin with '.'); an empty one goes here.
    if (Verzeichnis_vorhanden(ordner.c_str()))
        Verzeichnis_entfernen(ordner.c_str());
    if (!Verzeichnis_vorhanden(ordner.c_str()))
        return Status_ok;

    std::vector<std::string> rest;
    Auflisten(ordner, "*.*", KR_BAUM_VERZEICHNISSE, &rest);
    if (rest.empty())
        return Fehler(b, Status_Fehler, "could not delete " + w.text("DIR") +
                                            ": it holds names that begin with '.', which are never deleted");
    return Fehler(b, Status_Fehler, "could not delete all of " + w.text("DIR") + ": " + std::to_string(rest.size()) +
                                        (rest.size() == 1 ? " entry" : " entries") +
                                        " left (names that begin with '.' are never deleted)");
}
