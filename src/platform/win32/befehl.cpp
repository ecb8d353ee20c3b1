// befehl.cpp - Win32: what the korvan command needs beyond the library:
// directory tests, the texts of error codes and the lock
// of an edit.
#include "../system.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool Verzeichnis_vorhanden(const char *pfad)
{
    if (!pfad || !*pfad)
        return false;
    DWORD a = GetFileAttributesA(pfad);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Junctions and symbolic links; other reparse points (files kept by a cloud
// service) are ordinary entries, as the directory search has them.
bool Ist_Verweis(const char *pfad)
{
    if (!pfad || !*pfad)
        return false;
    WIN32_FIND_DATAA daten;
    HANDLE h = FindFirstFileA(pfad, &daten);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    FindClose(h);
    return (daten.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           (daten.dwReserved0 == IO_REPARSE_TAG_SYMLINK || daten.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
}

// Opened without access rights, only to ask what kind of file it is.
bool Ist_Geraet_oder_Pipe(const char *pfad)
{
    if (!pfad || !*pfad)
        return false;
    HANDLE h = CreateFileA(pfad, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool anders = GetFileType(h) != FILE_TYPE_DISK;
    CloseHandle(h);
    return anders;
}

void Fehlercode_Text(uint32_t code, char *ziel, size_t groesse)
{
    if (!ziel || groesse == 0)
        return;
    ziel[0] = '\0';
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, ziel,
                             static_cast<DWORD>(groesse), nullptr);
    // The system's texts end in a point and a line end.
    while (n > 0 && (ziel[n - 1] == '\n' || ziel[n - 1] == '\r' || ziel[n - 1] == '.' || ziel[n - 1] == ' '))
        ziel[--n] = '\0';
    if (n == 0)
        std::snprintf(ziel, groesse, "error %lu", static_cast<unsigned long>(code));
}

// The lock is the lock file itself, opened with no sharing and deleted when
// its handle closes, so that a killed holder leaves nothing behind.
struct Dateisperre {
    HANDLE h;
};

namespace {

// "NAME.lock" beside the file.  A folder that forbids it (where a save
// writes in place) has the lock in the user's temporary folder, named by a
// hash of the file's full path: the file itself cannot hold it, as the save
// opens it with no sharing.
bool Sperrname(const char *ziel, bool beiseite, char *sperre, size_t groesse)
{
    int n;
    if (beiseite) {
        n = std::snprintf(sperre, groesse, "%s.lock", ziel);
    } else {
        char voll[MAX_PATH], temp[MAX_PATH];
        DWORD v = GetFullPathNameA(ziel, sizeof voll, voll, nullptr);
        DWORD t = GetTempPathA(sizeof temp, temp);
        if (v == 0 || v >= sizeof voll || t == 0 || t >= sizeof temp)
            return false;
        CharLowerA(voll); // one file, however its name is cased
        n = std::snprintf(sperre, groesse, "%skorvan-%08x.lock", temp, static_cast<unsigned>(Namenshash(voll)));
    }
    return n > 0 && static_cast<size_t>(n) < groesse;
}

HANDLE Sperrdatei_oeffnen(const char *name)
{
    return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

} // namespace

Dateisperre *Sperre_nehmen(const char *pfad, int millisekunden, bool *belegt)
{
    *belegt = false;
    char name[MAX_PATH];
    bool beiseite = true;
    if (!pfad || !*pfad || !Sperrname(pfad, beiseite, name, sizeof name))
        return nullptr;
    ULONGLONG ende = GetTickCount64() + static_cast<ULONGLONG>(millisekunden);
    HANDLE h;
    while ((h = Sperrdatei_oeffnen(name)) == INVALID_HANDLE_VALUE) {
        DWORD fehler = GetLastError();
        if (fehler == ERROR_PATH_NOT_FOUND) // no folder: the edit fails on its own
            break;
        if ((fehler == ERROR_ACCESS_DENIED || fehler == ERROR_WRITE_PROTECT) && beiseite) {
            beiseite = false;
            if (!Sperrname(pfad, beiseite, name, sizeof name))
                return nullptr;
            continue;
        }
        if (fehler != ERROR_SHARING_VIOLATION)
            return nullptr;
        if (GetTickCount64() >= ende) {
            *belegt = true;
            return nullptr;
        }
        Sleep(5);
    }
    auto *s = static_cast<Dateisperre *>(heapaufrufe.belegen(sizeof(Dateisperre)));
    if (!s) {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        return nullptr;
    }
    s->h = h;
    return s;
}

void Sperre_freigeben(Dateisperre *sperre)
{
    if (!sperre)
        return;
    if (sperre->h != INVALID_HANDLE_VALUE)
        CloseHandle(sperre->h);
    std::free(sperre);
}
