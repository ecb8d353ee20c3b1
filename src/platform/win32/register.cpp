// register.cpp - Win32: the registry below HKEY_CLASSES_ROOT and the
// runtime's extension of a file name.
#include "../plattform.h"

#include <windows.h>

#include <climits>
#include <cstring>

namespace {

LONG Byteanzahl(uint32_t groesse)
{
    return groesse > static_cast<uint32_t>(LONG_MAX) ? LONG_MAX : static_cast<LONG>(groesse);
}

HKEY Schluessel(const Registerschluessel *schluessel)
{
    return reinterpret_cast<HKEY>(schluessel->kennung);
}

} // namespace

// The service gives "" for a key without a default value, and 234 when the
// value does not fit.
int32_t Register_Wert_lesen(const char *unterschluessel, char *ziel, uint32_t groesse)
{
    LONG n = Byteanzahl(groesse);
    return RegQueryValueA(HKEY_CLASSES_ROOT, unterschluessel, ziel, &n);
}

int32_t Register_Schluessel_oeffnen(const char *pfad, Registerschluessel *schluessel)
{
    std::memset(schluessel, 0, sizeof *schluessel);
    if (!pfad)
        return ERROR_INVALID_PARAMETER;
    HKEY h;
    LONG r = RegOpenKeyExA(HKEY_CLASSES_ROOT, pfad, 0, KEY_READ, &h);
    if (r != ERROR_SUCCESS)
        return r;
    schluessel->kennung = reinterpret_cast<intptr_t>(h);
    // The path is kept for the reader's sake only; a longer one is left out.
    size_t n = std::strlen(pfad);
    if (n < sizeof schluessel->pfad)
        std::memcpy(schluessel->pfad, pfad, n + 1);
    return 0;
}

int32_t Register_Schluesselwert_lesen(Registerschluessel *schluessel, char *ziel, uint32_t groesse)
{
    LONG n = Byteanzahl(groesse);
    return RegQueryValueA(Schluessel(schluessel), nullptr, ziel, &n);
}

// The service copies the stored bytes as they are, of any type, and a string
// may have been stored without its terminator: one is added where it is
// missing, and a value that leaves no room for it does not fit.
int32_t Register_Schluesselwert_lesen_ex(Registerschluessel *schluessel, char *ziel, uint32_t groesse)
{
    DWORD n = groesse;
    LONG r = RegQueryValueExA(Schluessel(schluessel), nullptr, nullptr, nullptr, reinterpret_cast<BYTE *>(ziel), &n);
    if (r != ERROR_SUCCESS)
        return r;
    if (n > 0 && ziel[n - 1] == '\0')
        return 0;
    if (n >= groesse)
        return ERROR_MORE_DATA;
    ziel[n] = '\0';
    return 0;
}

void Register_Schluessel_schliessen(Registerschluessel *schluessel)
{
    if (schluessel->kennung)
        RegCloseKey(Schluessel(schluessel));
    std::memset(schluessel, 0, sizeof *schluessel);
}

namespace {

// The last part of a file name: after its last '\\' or '/', or after a drive.
const char *Namensteil(const char *datei)
{
    const char *teil = datei[0] && datei[1] == ':' ? datei + 2 : datei;
    for (const char *p = teil; *p; ++p) {
        if (*p == '\\' || *p == '/')
            teil = p + 1;
    }
    return teil;
}

} // namespace

// The extension is the part of the last name from its last '.' on.  The
// runtime's _splitpath writes it into a buffer of 256 bytes and is given no
// more than the last 255 characters of the name, which hold every extension
// that fits there; a longer extension is refused.
bool Dateiendung(const char *datei, char *ziel, size_t groesse)
{
    const char *teil = Namensteil(datei);
    size_t n = std::strlen(teil);
    const char *rest = n < _MAX_EXT ? teil : teil + n - (_MAX_EXT - 1);
    const char *punkt = std::strrchr(teil, '.');
    if (punkt && punkt < rest)
        return false;
    char endung[_MAX_EXT];
    _splitpath(rest, nullptr, nullptr, nullptr, endung);
    size_t laenge = std::strlen(endung);
    if (laenge >= groesse)
        return false;
    std::memcpy(ziel, endung, laenge + 1);
    return true;
}
