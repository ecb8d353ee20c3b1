// ganzdatei.cpp - Win32: whole-file load and atomic replace, the system
// side of the whole-file piece (it needs nothing else of Korvan).
#include "../ganzdatei.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Longest path that the ANSI file services take (MAX_PATH with the zero).
constexpr size_t Pfadgrenze = MAX_PATH;

// The next bytes of a file: the count, 0 at its end, -1 on failure.  A pipe
// whose writer has gone is at its end.
ptrdiff_t Handle_lesen(intptr_t datei, void *ziel, size_t n)
{
    DWORD stueck = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n), gelesen = 0;
    if (ReadFile(reinterpret_cast<HANDLE>(datei), ziel, stueck, &gelesen, nullptr))
        return gelesen;
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

bool Alles_schreiben(HANDLE h, const unsigned char *quelle, size_t n)
{
    while (n > 0) {
        DWORD stueck = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n), geschrieben = 0;
        if (!WriteFile(h, quelle, stueck, &geschrieben, nullptr) || geschrieben == 0)
            return false;
        quelle += geschrieben;
        n -= geschrieben;
    }
    return true;
}

// Where the target is a symbolic link, the file it names is replaced, so the
// link survives the save.  A final path that does not fit leaves the link's
// own path, which is then replaced like a file.
void Ziel_aufloesen(char (&ziel)[Pfadgrenze])
{
    DWORD attribute = GetFileAttributesA(ziel);
    if (attribute == INVALID_FILE_ATTRIBUTES || !(attribute & FILE_ATTRIBUTE_REPARSE_POINT))
        return;
    HANDLE h = CreateFileA(ziel, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    char echt[Pfadgrenze];
    DWORD n = GetFinalPathNameByHandleA(h, echt, sizeof echt, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= sizeof echt)
        return;
    // "\\?\C:\..." names a drive path; the plain form suits every service.
    const char *anfang = std::strncmp(echt, "\\\\?\\", 4) == 0 && echt[5] == ':' ? echt + 4 : echt;
    std::memmove(ziel, anfang, std::strlen(anfang) + 1);
}

// Writes the target itself; opened without truncating, so that a hidden or
// system file keeps its attributes, and cut to length after the write.
Dateistatus An_Ort_schreiben(const char *ziel, const void *daten, size_t laenge)
{
    HANDLE h = CreateFileA(ziel, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Dateistatus::nicht_anlegbar;
    bool gut = Alles_schreiben(h, static_cast<const unsigned char *>(daten), laenge) && SetEndOfFile(h) &&
               FlushFileBuffers(h);
    if (!CloseHandle(h))
        gut = false;
    return gut ? Dateistatus::ok : Dateistatus::schreibfehler;
}

// Errors of creating the temporary file that mean the folder forbids it, so
// that only writing in place is left.
bool Ordner_verbietet(DWORD fehler)
{
    return fehler == ERROR_ACCESS_DENIED || fehler == ERROR_WRITE_PROTECT;
}

// The length of the folder part of a path, its last separator included.
size_t Ordnerlaenge(const char *pfad)
{
    size_t n = std::strlen(pfad);
    while (n > 0 && pfad[n - 1] != '\\' && pfad[n - 1] != '/' && pfad[n - 1] != ':')
        --n;
    return n;
}

// The full form of a path in ziel; "\\?\" before it where it is longer
// than the plain services take.  False when it cannot be made.
bool Voller_Pfad(const char *pfad, char *ziel, size_t groesse)
{
    if (std::strlen(pfad) < Pfadgrenze) {
        std::memcpy(ziel, pfad, std::strlen(pfad) + 1);
        return true;
    }
    DWORD n = GetFullPathNameA(pfad, static_cast<DWORD>(groesse - 4), ziel + 4, nullptr);
    if (n == 0 || n >= groesse - 4)
        return false;
    std::memcpy(ziel, "\\\\?\\", 4);
    return true;
}

// Replaces the target by the temporary file, keeping the target's security.
// The target is named by its full path: some implementations refuse a name
// that starts with a separator and names no drive.
bool Ersetzen(const char *ziel, const char *temp)
{
    char voll[32768];
    DWORD n = GetFullPathNameA(ziel, sizeof voll, voll, nullptr);
    const char *name = n > 0 && n < sizeof voll ? voll : ziel;
    return ReplaceFileA(name, temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != 0;
}

bool Prozess_beendet(DWORD kennung)
{
    HANDLE p = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, kennung);
    if (!p)
        return GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    bool beendet = GetExitCodeProcess(p, &code) && code != STILL_ACTIVE;
    CloseHandle(p);
    return beendet;
}

// Removes the temporary files of this target's earlier saves whose process
// has ended (killed in the middle); those of running saves stay.
void Reste_entfernen(const char *ordner, size_t ordnerlaenge, const char *praefix)
{
    char muster[Pfadgrenze + 64], rest[Pfadgrenze + 64];
    std::snprintf(muster, sizeof muster, "%.*s%s*", static_cast<int>(ordnerlaenge), ordner, praefix);
    WIN32_FIND_DATAA f;
    HANDLE suche = FindFirstFileA(muster, &f);
    if (suche == INVALID_HANDLE_VALUE)
        return;
    size_t n = std::strlen(praefix);
    do {
        char *ende;
        unsigned long kennung = std::strtoul(f.cFileName + n, &ende, 10);
        if (std::strncmp(f.cFileName, praefix, n) != 0 || ende == f.cFileName + n || *ende != '.' ||
            kennung == GetCurrentProcessId() || !Prozess_beendet(kennung))
            continue;
        std::snprintf(rest, sizeof rest, "%.*s%s", static_cast<int>(ordnerlaenge), ordner, f.cFileName);
        SetFileAttributesA(rest, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(rest);
    } while (FindNextFileA(suche, &f));
    FindClose(suche);
}

// Creates the temporary file beside the target (ordner: the length of its
// folder part), sharing nothing while it is written.  Temporary names are
// ".<hash of the name>.kr~<process id>.<n>": short whatever the target's
// name, and telling which process made them.  Its full path goes to temp;
// INVALID_HANDLE_VALUE with the system's error in *fehler.
HANDLE Temp_anlegen(const char *ziel, size_t ordner, char (&temp)[32768], DWORD *fehler)
{
    char praefix[32], kurz[Pfadgrenze + 64];
    std::snprintf(praefix, sizeof praefix, ".%08x.kr~", static_cast<unsigned>(Namenshash(ziel + ordner)));
    Reste_entfernen(ziel, ordner, praefix);
    HANDLE h = INVALID_HANDLE_VALUE;
    *fehler = ERROR_FILE_EXISTS;
    for (int versuch = 0; versuch < 100 && h == INVALID_HANDLE_VALUE; ++versuch) {
        std::snprintf(kurz, sizeof kurz, "%.*s%s%lu.%d", static_cast<int>(ordner), ziel, praefix,
                      static_cast<unsigned long>(GetCurrentProcessId()), versuch);
        if (!Voller_Pfad(kurz, temp, sizeof temp)) {
            *fehler = ERROR_FILENAME_EXCED_RANGE;
            break;
        }
        h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        *fehler = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (*fehler != ERROR_FILE_EXISTS && *fehler != ERROR_ALREADY_EXISTS)
            break;
    }
    return h;
}

// The written and closed temporary file takes the target's place (alt: the
// target's attributes before), or goes when `gut` is false or a step fails.
bool Uebernehmen(const char *ziel, const char *temp, DWORD alt, bool gut)
{
    // The target's attributes are its permission bits here; read-only is
    // left off, so that the file stays writable as before.
    constexpr DWORD Behalten = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (gut && alt != INVALID_FILE_ATTRIBUTES && (alt & Behalten))
        gut = SetFileAttributesA(temp, alt & Behalten) != 0;
    // An existing target keeps its security (owner and access list) through
    // ReplaceFile; a new one takes the folder's, as a plain create would.
    if (gut && alt != INVALID_FILE_ATTRIBUTES)
        gut = Ersetzen(ziel, temp);
    else if (gut)
        gut = MoveFileExA(temp, ziel, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!gut) {
        SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temp);
    }
    return gut;
}

// The target's path, its link resolved, and the length of its folder part;
// false when it does not fit or names no file.
bool Ziel_bestimmen(const char *pfad, char (&ziel)[Pfadgrenze], size_t *ordner)
{
    if (!pfad || std::strlen(pfad) >= sizeof ziel)
        return false;
    std::memcpy(ziel, pfad, std::strlen(pfad) + 1);
    Ziel_aufloesen(ziel);
    *ordner = Ordnerlaenge(ziel);
    return ziel[*ordner] != '\0';
}

} // namespace

// The C runtime's heap gives no say over its pages.
void Block_vorbereiten(void *, size_t) {}

Dateistatus Datei_laden(const char *pfad, unsigned char **daten, uint32_t *laenge, int64_t grenze)
{
    if (!pfad)
        return Dateistatus::nicht_lesbar;
    HANDLE h = CreateFileA(pfad, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Dateistatus::nicht_lesbar; // folders, too, cannot be opened so
    // Only a file on disk ends and tells its size; a pipe or a device fails.
    Dateistatus status = Dateistatus::nicht_lesbar;
    LARGE_INTEGER groesse;
    if (GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &groesse))
        status = groesse.QuadPart > grenze ? Dateistatus::zu_gross
                                           : Ganz_laden(Handle_lesen, reinterpret_cast<intptr_t>(h),
                                                        groesse.QuadPart, daten, laenge);
    CloseHandle(h);
    return status;
}

Dateistatus Datei_ersetzen(const char *pfad, const void *daten, size_t laenge)
{
    char ziel[Pfadgrenze], temp[32768];
    size_t ordner;
    if (!Ziel_bestimmen(pfad, ziel, &ordner))
        return Dateistatus::nicht_anlegbar;
    DWORD alt = GetFileAttributesA(ziel), fehler;
    HANDLE h = Temp_anlegen(ziel, ordner, temp, &fehler);
    if (h == INVALID_HANDLE_VALUE)
        return Ordner_verbietet(fehler) ? An_Ort_schreiben(ziel, daten, laenge) : Dateistatus::nicht_anlegbar;
    bool gut = Alles_schreiben(h, static_cast<const unsigned char *>(daten), laenge) && FlushFileBuffers(h);
    if (!CloseHandle(h))
        gut = false;
    return Uebernehmen(ziel, temp, alt, gut) ? Dateistatus::ok : Dateistatus::schreibfehler;
}

struct Ersetzung {
    int datei;
    DWORD alt;
    bool bekannt;
    uint64_t geraet, knoten;
    char ziel[Pfadgrenze];
    char temp[32768];
};

namespace {

// An existing target that is no file on disk (a pipe, a device) is not
// replaced; one that is gives its identity.
bool Ziel_pruefen(Ersetzung *e)
{
    e->bekannt = false;
    e->geraet = e->knoten = 0;
    bool ordner = e->alt != INVALID_FILE_ATTRIBUTES && (e->alt & FILE_ATTRIBUTE_DIRECTORY);
    HANDLE h = CreateFileA(e->ziel, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return !ordner;
    BY_HANDLE_FILE_INFORMATION info;
    bool datei = GetFileType(h) == FILE_TYPE_DISK && !ordner;
    if (datei && GetFileInformationByHandle(h, &info)) {
        e->geraet = info.dwVolumeSerialNumber;
        e->knoten = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        e->bekannt = true;
    }
    CloseHandle(h);
    return datei;
}

} // namespace

Ersetzung *Ersetzung_beginnen(const char *pfad, bool *selbst)
{
    *selbst = false;
    auto *e = static_cast<Ersetzung *>(heapaufrufe.belegen(sizeof(Ersetzung)));
    size_t ordner;
    if (!e || !Ziel_bestimmen(pfad, e->ziel, &ordner)) {
        std::free(e);
        return nullptr;
    }
    e->alt = GetFileAttributesA(e->ziel);
    DWORD fehler = ERROR_SUCCESS;
    *selbst = !Ziel_pruefen(e);
    HANDLE h = *selbst ? INVALID_HANDLE_VALUE : Temp_anlegen(e->ziel, ordner, e->temp, &fehler);
    *selbst = *selbst || Ordner_verbietet(fehler);
    e->datei = h == INVALID_HANDLE_VALUE ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (e->datei >= 0)
        return e;
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
        DeleteFileA(e->temp);
    }
    std::free(e);
    return nullptr;
}

intptr_t Ersetzung_Datei(const Ersetzung *e)
{
    return e->datei;
}

bool Ersetzung_Ziel(const Ersetzung *e, uint64_t *geraet, uint64_t *knoten)
{
    *geraet = e->geraet;
    *knoten = e->knoten;
    return e->bekannt;
}

bool Ersetzung_beenden(Ersetzung *e, bool uebernehmen)
{
    bool gut = _close(e->datei) == 0 && uebernehmen;
    gut = Uebernehmen(e->ziel, e->temp, e->alt, gut);
    std::free(e);
    return gut;
}
