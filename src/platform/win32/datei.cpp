// datei.cpp - Win32: buffered streams of the runtime (binary, and text mode
// read over them) and whole-file load and atomic replace.
#include "../plattform.h"

#include <windows.h>

#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct Plattform_Strom {
    FILE *datei;
    bool text;
    bool ende;
};

// Text mode follows the runtime's rules (CR LF gives LF, a lone CR stays,
// 0x1A ends the file) but is done here over a binary stream: the runtime's
// own "rt" mode reports wrong positions in files whose lines end in a bare
// LF, and positions must stay byte offsets into the file.
Plattform_Strom *Strom_oeffnen(const char *pfad, Strommodus modus)
{
    if (!pfad)
        return nullptr;
    FILE *f = std::fopen(pfad, modus == Strommodus::schreiben_binaer ? "wb" : "rb");
    if (!f)
        return nullptr;
    // Text mode reads include files, which must end: a device or a pipe
    // would keep the reader going, so only a file on disk opens.
    if (modus == Strommodus::lesen_text &&
        GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) != FILE_TYPE_DISK) {
        std::fclose(f);
        return nullptr;
    }
    auto *s = static_cast<Plattform_Strom *>(std::malloc(sizeof(Plattform_Strom)));
    if (!s) {
        std::fclose(f);
        return nullptr;
    }
    s->datei = f;
    s->text = modus == Strommodus::lesen_text;
    s->ende = false;
    return s;
}

int Strom_schliessen(Plattform_Strom *strom)
{
    if (!strom)
        return 0;
    int r = std::fclose(strom->datei);
    std::free(strom);
    return r == 0 ? 0 : -1;
}

int Strom_Zeichen(Plattform_Strom *strom)
{
    if (strom->ende)
        return -1;
    int c = std::getc(strom->datei);
    if (c == EOF) {
        strom->ende = std::feof(strom->datei) != 0;
        return -1;
    }
    if (!strom->text)
        return c;
    if (c == 0x1A) {
        strom->ende = true;
        return -1;
    }
    if (c == '\r') {
        int n = std::getc(strom->datei);
        if (n == '\n')
            return '\n';
        if (n != EOF)
            std::ungetc(n, strom->datei);
    }
    return c;
}

int Strom_zurueck(Plattform_Strom *strom, int zeichen)
{
    if (zeichen < 0 || std::ungetc(zeichen, strom->datei) == EOF)
        return 0;
    strom->ende = false;
    return 1;
}

size_t Strom_lesen(Plattform_Strom *strom, void *ziel, size_t n)
{
    auto *p = static_cast<unsigned char *>(ziel);
    if (!strom->text) {
        size_t r = std::fread(p, 1, n, strom->datei);
        if (r < n && std::feof(strom->datei))
            strom->ende = true;
        return r;
    }
    size_t i = 0;
    for (; i < n; ++i) {
        int c = Strom_Zeichen(strom);
        if (c < 0)
            break;
        p[i] = static_cast<unsigned char>(c);
    }
    return i;
}

size_t Strom_Zeile(Plattform_Strom *strom, char *ziel, size_t n)
{
    size_t i = 0;
    while (i + 1 < n) {
        int c = Strom_Zeichen(strom);
        if (c < 0)
            break;
        ziel[i++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    ziel[i] = '\0';
    return i;
}

// The runtime's buffer is not open to view: every line is read by copying.
const char *Strom_Zeile_ansehen(Plattform_Strom *, size_t, size_t *)
{
    return nullptr;
}

size_t Strom_schreiben(Plattform_Strom *strom, const void *quelle, size_t n)
{
    return std::fwrite(quelle, 1, n, strom->datei);
}

int64_t Strom_Position(Plattform_Strom *strom)
{
    return static_cast<int64_t>(_ftelli64(strom->datei));
}

int Strom_setzen(Plattform_Strom *strom, int64_t position)
{
    if (position < 0 || _fseeki64(strom->datei, position, SEEK_SET) != 0)
        return -1;
    strom->ende = false;
    return 0;
}

bool Strom_Ende(Plattform_Strom *strom)
{
    return strom->ende;
}

bool Strom_Fehler(Plattform_Strom *strom)
{
    return std::ferror(strom->datei) != 0;
}

// ---------------------------------------------------------------------------

namespace {

// Longest path that the ANSI file services take (MAX_PATH with the zero).
constexpr size_t Pfadgrenze = MAX_PATH;

bool Alles_lesen(HANDLE h, unsigned char *ziel, size_t n)
{
    while (n > 0) {
        DWORD stueck = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n), gelesen = 0;
        if (!ReadFile(h, ziel, stueck, &gelesen, nullptr) || gelesen == 0)
            return false;
        ziel += gelesen;
        n -= gelesen;
    }
    return true;
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

// Pipes and character devices are read until their end, growing the block
// as they go.
Dateistatus Strom_laden(HANDLE h, unsigned char **daten, uint32_t *laenge)
{
    size_t kap = 4096, n = 0;
    auto *p = static_cast<unsigned char *>(std::malloc(kap));
    if (!p)
        return Dateistatus::kein_speicher;
    for (;;) {
        if (n == kap) {
            if (kap > static_cast<size_t>(INT32_MAX)) {
                std::free(p);
                return Dateistatus::zu_gross;
            }
            auto *q = static_cast<unsigned char *>(std::realloc(p, kap * 2));
            if (!q) {
                std::free(p);
                return Dateistatus::kein_speicher;
            }
            p = q;
            kap *= 2;
        }
        DWORD gelesen = 0;
        DWORD stueck = kap - n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(kap - n);
        if (!ReadFile(h, p + n, stueck, &gelesen, nullptr)) {
            if (GetLastError() == ERROR_BROKEN_PIPE)
                break; // the writer has gone: the end of the data
            std::free(p);
            return Dateistatus::nicht_lesbar;
        }
        if (gelesen == 0)
            break;
        n += gelesen;
    }
    if (n > static_cast<size_t>(INT32_MAX)) {
        std::free(p);
        return Dateistatus::zu_gross;
    }
    *daten = p;
    *laenge = static_cast<uint32_t>(n);
    return Dateistatus::ok;
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

// Errors of creating the temporary file that mean the folder forbids it (or
// its name is too long), so that only writing in place is left.
bool Ordner_verbietet(DWORD fehler)
{
    return fehler == ERROR_ACCESS_DENIED || fehler == ERROR_WRITE_PROTECT || fehler == ERROR_FILENAME_EXCED_RANGE;
}

} // namespace

Dateistatus Datei_laden(const char *pfad, unsigned char **daten, uint32_t *laenge)
{
    if (!pfad)
        return Dateistatus::nicht_lesbar;
    HANDLE h = CreateFileA(pfad, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Dateistatus::nicht_lesbar; // folders, too, cannot be opened so
    Dateistatus status;
    LARGE_INTEGER groesse;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        status = Strom_laden(h, daten, laenge);
    } else if (!GetFileSizeEx(h, &groesse)) {
        status = Dateistatus::nicht_lesbar;
    } else if (groesse.QuadPart > INT32_MAX) {
        status = Dateistatus::zu_gross;
    } else {
        size_t n = static_cast<size_t>(groesse.QuadPart);
        auto *p = static_cast<unsigned char *>(std::malloc(n ? n : 1));
        if (!p) {
            status = Dateistatus::kein_speicher;
        } else if (!Alles_lesen(h, p, n)) {
            std::free(p);
            status = Dateistatus::nicht_lesbar;
        } else {
            *daten = p;
            *laenge = static_cast<uint32_t>(n);
            status = Dateistatus::ok;
        }
    }
    CloseHandle(h);
    return status;
}

Dateistatus Datei_ersetzen(const char *pfad, const void *daten, size_t laenge)
{
    char ziel[Pfadgrenze];
    if (!pfad || std::strlen(pfad) >= sizeof ziel)
        return Dateistatus::nicht_anlegbar;
    std::memcpy(ziel, pfad, std::strlen(pfad) + 1);
    Ziel_aufloesen(ziel);
    DWORD alt = GetFileAttributesA(ziel);

    char temp[Pfadgrenze];
    HANDLE h = INVALID_HANDLE_VALUE;
    DWORD fehler = ERROR_FILENAME_EXCED_RANGE;
    for (int versuch = 0; versuch < 100 && h == INVALID_HANDLE_VALUE; ++versuch) {
        int n = std::snprintf(temp, sizeof temp, "%s.kr~%lu.%d", ziel, static_cast<unsigned long>(GetCurrentProcessId()),
                              versuch);
        if (n < 0 || static_cast<size_t>(n) >= sizeof temp) {
            fehler = ERROR_FILENAME_EXCED_RANGE;
            break;
        }
        h = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        fehler = h == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
        if (fehler != ERROR_FILE_EXISTS && fehler != ERROR_ALREADY_EXISTS)
            break;
    }
    if (h == INVALID_HANDLE_VALUE)
        return Ordner_verbietet(fehler) ? An_Ort_schreiben(ziel, daten, laenge) : Dateistatus::nicht_anlegbar;
    bool gut = Alles_schreiben(h, static_cast<const unsigned char *>(daten), laenge) && FlushFileBuffers(h);
    if (!CloseHandle(h))
        gut = false;
    // The target's attributes are its permission bits here; read-only is
    // left off, so that the file stays writable as before.
    constexpr DWORD Behalten = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    if (gut && alt != INVALID_FILE_ATTRIBUTES && (alt & Behalten))
        gut = SetFileAttributesA(temp, alt & Behalten) != 0;
    if (gut)
        gut = MoveFileExA(temp, ziel, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!gut) {
        SetFileAttributesA(temp, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(temp);
        return Dateistatus::schreibfehler;
    }
    return Dateistatus::ok;
}

bool Datei_existiert(const char *pfad)
{
    return pfad && _access(pfad, 0) == 0;
}

// The runtime calls a file writable unless it carries the read-only
// attribute; a folder counts as writable likewise.
bool Datei_beschreibbar(const char *pfad)
{
    return pfad && _access(pfad, 2) == 0;
}
