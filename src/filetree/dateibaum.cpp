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

bool Wird_gelistet(bool verzeichnis, unsigned int flags)
{
    if (flags & KR_BAUM_NUR_VERZEICHNISSE)
        return verzeichnis;
    return !verzeichnis || (flags & KR_BAUM_VERZEICHNISSE);
}

// Makes room for the path and copies it behind the others.  A failed growth
// frees the list and leaves the caller's pointer null.
bool Pfad_anhaengen(const char *pfad, char **liste)
{
    uint32_t n = static_cast<uint32_t>(std::strlen(pfad));
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

// Lists one directory and, depth first, the subdirectories below it.  The
// directory the caller names is reached as the system resolves it when
// `folgen` is set; a subdirectory never through a symbolic link.
int Verzeichnis_listen(const char *verzeichnis, const char *muster, char **liste, unsigned int flags, bool folgen)
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
    Verzeichnissuche *suche = Suche_beginnen(pfad, folgen, &treffer);
    if (!suche)
        return 0;

    // Step 5
    int anzahl = 0;
    do {
        size_t laenge = std::strlen(treffer.name);
        if (treffer.name[0] == '.' || praefix + laenge >= Pfadgrenze)
            continue;
        std::memcpy(pfad + praefix, treffer.name, laenge + 1);
        if (treffer.verzeichnis && !(flags & KR_BAUM_NICHT_ABSTEIGEN)) {
            int unten = Verzeichnis_listen(pfad, muster, liste, flags, false);
            if (unten < 0) {
                anzahl = -1;
                break;
            }
            anzahl += unten;
        }
        if (!Wird_gelistet(treffer.verzeichnis, flags))
            continue;
        ++anzahl;
        if (!Pfad_anhaengen(pfad, liste)) {
            anzahl = -1;
            break;
        }
    } while (Suche_weiter(suche, &treffer));

    // Step 6
    Suche_beenden(suche);
    return anzahl;
}

int Baum_listen(const char *verzeichnis, const char *muster, char **liste, unsigned int flags, bool folgen)
{
    // A null list-pointer variable cannot receive a list: a failure.
    if (!liste)
        return -1;
    // Steps 1 and 2
    if (!verzeichnis || !*verzeichnis || !muster)
        return 0;
    if (!*liste)
        Listenkapazitaet = Listenfuellstand = 0;
    return Verzeichnis_listen(verzeichnis, muster, liste, flags, folgen);
}

// The paths of a list, one after the other.
const char *Naechster_Pfad(const char *pfad)
{
    return pfad + std::strlen(pfad) + 1;
}

// What KR_DelTree knows of a listed entry from the pass that resets the
// attributes.  An entry whose status could not be taken then (inside a
// directory that was not yet searchable) is asked again in each pass.
enum Eintragsart : unsigned char { Unbekannt, Datei, Verzeichnis };

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
    return Baum_listen(verzeichnis, muster, liste, flags, true);
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
    // nothing outside the tree is deleted, and the link stays.
    int ergebnis = 1;
    char *liste = nullptr;
    int anzahl = Baum_listen(verzeichnis, "*.*", &liste, 0x16, false);
    if (anzahl <= 0) {
        KR_FileTreefree(liste);
        return ergebnis;
    }

    // Here an entry's removal needs a writable directory around it, so every
    // attribute, the given directory's included, is reset before the first
    // deletion, as a read-only directory keeps nothing on Windows.  The
    // status of each entry is taken at the same time and kept for both
    // passes: the first deletes only files and the second only directories,
    // so neither changes what the other would ask.  Without room to keep it,
    // each pass asks again.  The entries are reached through a walk that
    // holds their directory open.
    Eintrag_normal_setzen(verzeichnis);
    Baumgang *gang = Baumgang_beginnen();
    auto *arten = static_cast<unsigned char *>(std::malloc(static_cast<size_t>(anzahl)));
    const char *pfad = liste;
    for (int i = 0; i < anzahl; ++i, pfad = Naechster_Pfad(pfad)) {
        bool ist_verzeichnis = false;
        bool da = Eintrag_normal_setzen(gang, pfad, &ist_verzeichnis);
        if (arten)
            arten[i] = !da ? Unbekannt : ist_verzeichnis ? Verzeichnis : Datei;
    }

    // Step 4: the files
    pfad = liste;
    for (int i = 0; i < anzahl; ++i, pfad = Naechster_Pfad(pfad)) {
        if (Art(gang, arten, i, pfad) == Datei && Datei_loeschen(gang, pfad) != 0)
            ergebnis = 0;
    }

    // Step 5: the directories, deepest first as the list has them
    pfad = liste;
    for (int i = 0; i < anzahl; ++i, pfad = Naechster_Pfad(pfad)) {
        if (Art(gang, arten, i, pfad) == Verzeichnis && Verzeichnis_entfernen(gang, pfad) != 0)
            ergebnis = 0;
    }
    std::free(arten);
    Baumgang_beenden(gang);

    // Steps 6 and 7
    if (Verzeichnis_entfernen(verzeichnis) != 0)
        ergebnis = 0;
    KR_FileTreefree(liste);
    return ergebnis;
}

} // extern "C"
