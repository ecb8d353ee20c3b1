// dateibaum.cpp - listing directory trees into one file list, freeing the
// list, and deleting whole trees.
#include "korvan.h"
#include "tamsel.h"

#include "../platform/plattform.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t Pfadgrenze = 260; // a full path with its terminator
constexpr uint32_t Wachstum = 1024;

// The file list being built: its byte size and the bytes in use.  They are
// process-wide and unlocked, so only one listing may run at a time.
uint32_t Listenkapazitaet = 0;
uint32_t Listenfuellstand = 0;

// What KR_DelTree knows of a listed entry: from the listing, then from the
// pass that resets the attributes.  An entry whose status could not be taken
// then (inside a directory that was not yet searchable) is asked again in
// each pass.
enum Eintragsart : unsigned char { Unbekannt, Datei, Verzeichnis };

// The kinds of the listed entries, one byte each in list order, kept beside
// the list for KR_DelTree.  Without room for them `gut` turns false and the
// listing goes on: the deletion then asks each entry.
struct Artenliste {
    unsigned char *arten = nullptr;
    size_t anzahl = 0, kapazitaet = 0;
    bool gut = true;
};

void Art_anhaengen(Artenliste *a, bool verzeichnis)
{
    if (!a || !a->gut)
        return;
    if (a->anzahl == a->kapazitaet) {
        size_t neu = a->kapazitaet ? 2 * a->kapazitaet : 4096;
        void *block = heapaufrufe.neu_belegen(a->arten, neu);
        if (!block) {
            a->gut = false;
            return;
        }
        a->arten = static_cast<unsigned char *>(block);
        a->kapazitaet = neu;
    }
    a->arten[a->anzahl++] = verzeichnis ? Verzeichnis : Datei;
}

bool Wird_gelistet(bool verzeichnis, unsigned int flags)
{
    if (flags & KR_BAUM_NUR_VERZEICHNISSE)
        return verzeichnis;
    return !verzeichnis || (flags & KR_BAUM_VERZEICHNISSE);
}

// Makes room for the path of n bytes and copies it behind the others.  A
// failed growth frees the list and leaves the caller's pointer null.
bool Pfad_anhaengen(const char *pfad, uint32_t n, char **liste)
{
    if (Listenfuellstand + n + 1 >= Listenkapazitaet) {
        void *block = Listenkapazitaet == 0 ? Tamsel_Alloc(Wachstum)
                                            : Tamsel_Resize(*liste, Listenkapazitaet + Wachstum);
        if (!block) {
            if (Listenkapazitaet != 0) {
                Tamsel_Free(*liste);
                *liste = nullptr;
            }
            Listenkapazitaet = Listenfuellstand = 0;
            return false;
        }
        *liste = static_cast<char *>(block);
        Listenkapazitaet += Wachstum;
    }
    std::memcpy(*liste + Listenfuellstand, pfad, n + 1);
    Listenfuellstand += n + 1;
    return true;
}

// Lists one directory and, depth first, the subdirectories below it, each
// reached through the walk from its parent (never through a symbolic link).
int Verzeichnis_listen(Baumgang *gang, const char *verzeichnis, const char *muster, char **liste, unsigned int flags,
                       Artenliste *arten)
{
    // Step 3: the prefix, then the search path in the same buffer.  Paths
    // that would not fit 260 bytes are skipped.
    char pfad[Pfadgrenze];
    size_t n = std::strlen(verzeichnis);
    size_t praefix = n + (verzeichnis[n - 1] == '\\' ? 0 : 1);
    if (praefix + std::strlen(muster) >= Pfadgrenze)
        return 0;
    std::memcpy(pfad, verzeichnis, n);
    pfad[praefix - 1] = '\\';
    std::strcpy(pfad + praefix, muster);

    // Step 4
    Suchtreffer treffer;
    Verzeichnissuche *suche = Suche_beginnen(gang, pfad, &treffer);
    if (!suche)
        return 0;

    // Step 5
    int anzahl = 0;
    do {
        size_t laenge = treffer.laenge;
        if (treffer.name[0] == '.' || praefix + laenge >= Pfadgrenze)
            continue;
        std::memcpy(pfad + praefix, treffer.name, laenge + 1);
        if (treffer.verzeichnis && !(flags & KR_BAUM_NICHT_ABSTEIGEN)) {
            int unten = Verzeichnis_listen(gang, pfad, muster, liste, flags, arten);
            if (unten < 0) {
                anzahl = -1;
                break;
            }
            anzahl += unten;
        }
        if (!Wird_gelistet(treffer.verzeichnis, flags))
            continue;
        ++anzahl;
        if (!Pfad_anhaengen(pfad, static_cast<uint32_t>(praefix + laenge), liste)) {
            anzahl = -1;
            break;
        }
        Art_anhaengen(arten, treffer.verzeichnis);
    } while (Suche_weiter(suche, &treffer));

    // Step 6
    Suche_beenden(suche);
    return anzahl;
}

// The walk that reaches the tree (null without memory: then nothing is
// listed, as for a directory that cannot be read).
int Baum_listen(Baumgang *gang, const char *verzeichnis, const char *muster, char **liste, unsigned int flags,
                Artenliste *arten = nullptr)
{
    if (!gang)
        return 0;
    if (!*liste)
        Listenkapazitaet = Listenfuellstand = 0;
    return Verzeichnis_listen(gang, verzeichnis, muster, liste, flags, arten);
}

// The paths of a list, one after the other.
const char *Naechster_Pfad(const char *pfad)
{
    return pfad + std::strlen(pfad) + 1;
}

Eintragsart Art(Baumgang *gang, const unsigned char *arten, int i, const char *pfad)
{
    if (arten && arten[i] != Unbekannt)
        return static_cast<Eintragsart>(arten[i]);
    bool ist_verzeichnis;
    if (!Eintrag_Status(gang, pfad, &ist_verzeichnis))
        return Unbekannt;
    return ist_verzeichnis ? Verzeichnis : Datei;
}

} // namespace

extern "C" {

int KR_CALL KR_FileTree(const char *verzeichnis, const char *muster, char **liste, unsigned int flags)
{
    // A null list-pointer variable cannot receive a list: a failure.
    if (!liste)
        return -1;
    // Steps 1 and 2
    if (!verzeichnis || !*verzeichnis || !muster)
        return 0;
    // The directory the caller names is reached as the system resolves it.
    Baumgang *gang = Baumgang_beginnen(verzeichnis, true);
    int anzahl = Baum_listen(gang, verzeichnis, muster, liste, flags);
    Baumgang_beenden(gang);
    return anzahl;
}

void KR_CALL KR_FileTreefree(char *liste)
{
    if (liste)
        Tamsel_Free(liste);
}

int KR_CALL KR_DelTree(const char *verzeichnis)
{
    // Step 1
    if (!verzeichnis || !*verzeichnis)
        return 0;

    // Steps 2 and 3.  A given path that is a symbolic link is not entered:
    // nothing outside the tree is deleted, and the link stays.  The walk
    // holds the root open from the listing to the last deletion, and reaches
    // every entry from its open parent, so a folder swapped for a link in
    // the meantime is never passed through.  Without memory for the walk
    // nothing is deleted.
    Baumgang *gang = Baumgang_beginnen(verzeichnis, false);
    if (!gang)
        return 0;
    int ergebnis = 1;
    char *liste = nullptr;
    Artenliste artenliste;
    int anzahl = Baum_listen(gang, verzeichnis, "*.*", &liste, 0x16, &artenliste);
    if (anzahl <= 0) {
        Baumgang_beenden(gang);
        std::free(artenliste.arten);
        KR_FileTreefree(liste);
        return ergebnis;
    }
    unsigned char *arten = artenliste.gut ? artenliste.arten : nullptr;

    // Here an entry's removal needs a writable directory around it, so the
    // directories' attributes, the given one's included, are reset before
    // the first deletion, as a read-only directory keeps nothing on Windows.
    // A file's attributes are reset as its deletion needs them.  The listing
    // tells each entry's kind; where there was no room to keep it, every
    // entry is reset and asked.  The first pass deletes only files and the
    // second only directories, so neither changes what the other would ask.
    Wurzel_normal_setzen(gang, verzeichnis);
    const char *pfad = liste;
    for (int i = 0; i < anzahl; ++i, pfad = Naechster_Pfad(pfad)) {
        if (arten && arten[i] == Datei)
            continue;
        bool ist_verzeichnis = false;
        bool da = Eintrag_normal_setzen(gang, pfad, &ist_verzeichnis);
        if (arten)
            arten[i] = !da ? Unbekannt : ist_verzeichnis ? Verzeichnis : Datei;
    }

    // Step 4: the files.  One that turns out gone or a directory is left to
    // the next pass to ask.
    pfad = liste;
    for (int i = 0; i < anzahl; ++i, pfad = Naechster_Pfad(pfad)) {
        if (Art(gang, arten, i, pfad) != Datei)
            continue;
        int r = Datei_normal_loeschen(gang, pfad);
        if (r < 0)
            ergebnis = 0;
        else if (r > 0 && arten)
            arten[i] = Unbekannt;
    }

    // Step 5: the directories, deepest first as the list has them
    pfad = liste;
    for (int i = 0; i < anzahl; ++i, pfad = Naechster_Pfad(pfad)) {
        if (Art(gang, arten, i, pfad) == Verzeichnis && Verzeichnis_entfernen(gang, pfad) != 0)
            ergebnis = 0;
    }
    std::free(artenliste.arten);

    // Steps 6 and 7
    if (Wurzel_entfernen(gang, verzeichnis) != 0)
        ergebnis = 0;
    Baumgang_beenden(gang);
    KR_FileTreefree(liste);
    return ergebnis;
}

} // extern "C"
