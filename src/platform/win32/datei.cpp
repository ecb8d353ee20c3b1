// datei.cpp - Win32: the runtime's files under the streams, their
// identities, and whether a file exists or may be written.
#include "../system.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The streams rest on the runtime's files, always opened in binary mode:
// the runtime's own text mode reports wrong positions in files whose lines
// end in a bare LF, and positions must stay byte offsets into the file, so
// the streams read text mode's rules over the bytes themselves.
intptr_t Systemdatei_oeffnen(const char *pfad, Strommodus modus, Dateikennung *, bool *bekannt)
{
    *bekannt = false;
    int fd = modus == Strommodus::schreiben_binaer
                 ? _open(pfad, _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE)
                 : _open(pfad, _O_RDONLY | _O_BINARY);
    if (fd < 0)
        return -1;
    // Include files and the preprocessor's input must end: a device or a
    // pipe would keep the reader going, so only a file on disk opens.
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    bool nur_datei = modus == Strommodus::lesen_text || modus == Strommodus::lesen_datei;
    if (nur_datei && GetFileType(h) != FILE_TYPE_DISK) {
        _close(fd);
        return -1;
    }
    return fd;
}

namespace {

bool Handle_Kennung(HANDLE h, Dateikennung *kennung)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info))
        return false;
    kennung->geraet = info.dwVolumeSerialNumber;
    kennung->knoten = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

} // namespace

bool Systemdatei_Kennung(intptr_t datei, Dateikennung *kennung)
{
    return Handle_Kennung(reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(datei))), kennung);
}

// Opened without access rights, so that no sharing mode stands in the way;
// a link is followed as an open follows it.
bool Datei_Kennung(const char *pfad, Dateikennung *kennung)
{
    if (!pfad)
        return false;
    HANDLE h = CreateFileA(pfad, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    bool gut = Handle_Kennung(h, kennung);
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return gut;
}

int Systemdatei_schliessen(intptr_t datei)
{
    return _close(static_cast<int>(datei)) == 0 ? 0 : -1;
}

ptrdiff_t Systemdatei_lesen(intptr_t datei, void *ziel, size_t n)
{
    unsigned stueck = n > 0x40000000u ? 0x40000000u : static_cast<unsigned>(n);
    return _read(static_cast<int>(datei), ziel, stueck);
}

bool Systemdatei_schreiben(intptr_t datei, const void *quelle, size_t n)
{
    auto *p = static_cast<const unsigned char *>(quelle);
    while (n > 0) {
        unsigned stueck = n > 0x40000000u ? 0x40000000u : static_cast<unsigned>(n);
        int r = _write(static_cast<int>(datei), p, stueck);
        if (r <= 0)
            return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

int64_t Systemdatei_Position(intptr_t datei)
{
    return _telli64(static_cast<int>(datei));
}

bool Systemdatei_setzen(intptr_t datei, int64_t position)
{
    return _lseeki64(static_cast<int>(datei), position, SEEK_SET) >= 0;
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
