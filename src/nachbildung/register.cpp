// register.cpp - where the system has none (POSIX): the registry of file types, read from a .reg text
// file afresh at every lookup with the desktop's associations behind it, and
// the extension of a file name.
//
// The file is the one that KORVAN_REGISTRY names, else
// $XDG_CONFIG_HOME/korvan/classes.reg (~/.config/korvan/classes.reg).  It
// begins with "Windows Registry Editor Version 5.00" or "REGEDIT4" (UTF-16
// with its byte-order mark, or 8-bit text) and holds [HKEY_CLASSES_ROOT\...]
// keys with @="..." default values.  Keys named under other roots, named
// values and values of other types play no part; a file without the header
// names no key at all.
#include "nachbildung.h"
#include "textdatei.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// ---------------------------------------------------------------------------
// The .reg file
// ---------------------------------------------------------------------------

constexpr char Wurzel[] = "HKEY_CLASSES_ROOT";
constexpr size_t Wurzellaenge = sizeof Wurzel - 1;

bool Registerdatei_finden(char *ziel, size_t groesse)
{
    const char *name = std::getenv("KORVAN_REGISTRY");
    if (name && *name) {
        if (std::strlen(name) >= groesse)
            return false;
        std::strcpy(ziel, name);
        return true;
    }
    const char *konfig = std::getenv("XDG_CONFIG_HOME");
    const char *heim = std::getenv("HOME");
    int n;
    if (konfig && konfig[0] == '/')
        n = std::snprintf(ziel, groesse, "%s/korvan/classes.reg", konfig);
    else if (heim && *heim)
        n = std::snprintf(ziel, groesse, "%s/.config/korvan/classes.reg", heim);
    else
        return false;
    return n > 0 && static_cast<size_t>(n) < groesse;
}

void Utf8_anhaengen(char **ziel, uint32_t z)
{
    char *p = *ziel;
    if (z < 0x80) {
        *p++ = static_cast<char>(z);
    } else if (z < 0x800) {
        *p++ = static_cast<char>(0xC0 | (z >> 6));
        *p++ = static_cast<char>(0x80 | (z & 0x3F));
    } else if (z < 0x10000) {
        *p++ = static_cast<char>(0xE0 | (z >> 12));
        *p++ = static_cast<char>(0x80 | ((z >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (z & 0x3F));
    } else {
        *p++ = static_cast<char>(0xF0 | (z >> 18));
        *p++ = static_cast<char>(0x80 | ((z >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((z >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (z & 0x3F));
    }
    *ziel = p;
}

// A file in UTF-16 (little-endian, with its mark) becomes UTF-8, the
// encoding of names on this system; a lone surrogate becomes '?'.  A UTF-8
// mark is dropped.  False only when memory runs out.
bool Als_8_Bit(Textdatei *datei)
{
    auto *b = reinterpret_cast<unsigned char *>(datei->text);
    size_t n = datei->laenge;
    if (n >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        datei->position = 3;
        return true;
    }
    if (n < 2 || b[0] != 0xFF || b[1] != 0xFE)
        return true;
    auto *neu = static_cast<char *>(heapaufrufe.belegen(n / 2 * 3 + 1));
    if (!neu)
        return false;
    char *p = neu;
    for (size_t i = 2; i + 1 < n; i += 2) {
        uint32_t z = b[i] | (b[i + 1] << 8);
        if (z >= 0xD800 && z < 0xDC00 && i + 3 < n) {
            uint32_t t = b[i + 2] | (b[i + 3] << 8);
            if (t >= 0xDC00 && t < 0xE000) {
                z = 0x10000 + ((z - 0xD800) << 10) + (t - 0xDC00);
                i += 2;
            }
        }
        if (z >= 0xD800 && z < 0xE000)
            z = '?';
        Utf8_anhaengen(&p, z);
    }
    std::free(datei->text);
    datei->text = neu;
    datei->laenge = static_cast<size_t>(p - neu);
    return true;
}

bool Kopf_erkennen(Textdatei *datei)
{
    const char *z;
    size_t n;
    while (Naechste_Zeile(datei, &z, &n)) {
        if (n == 0)
            continue;
        return Gleich_ohne_Fall(z, n, "Windows Registry Editor Version 5.00", 36) ||
               Gleich_ohne_Fall(z, n, "REGEDIT4", 8);
    }
    return false;
}

// Where a key named in a header stands to the key looked for.
enum class Lage { fremd, gleich, darunter, darueber };

Lage Lage_bestimmen(const char *kopf, size_t kn, const char *pfad)
{
    if (kn < Wurzellaenge || !Gleich_ohne_Fall(kopf, Wurzellaenge, Wurzel, Wurzellaenge))
        return Lage::fremd;
    kopf += Wurzellaenge;
    kn -= Wurzellaenge;
    if (kn > 0) {
        if (*kopf != '\\')
            return Lage::fremd;
        ++kopf;
        --kn;
    }
    size_t pn = std::strlen(pfad);
    if (Gleich_ohne_Fall(kopf, kn, pfad, pn))
        return Lage::gleich;
    if (pn == 0 || (kn > pn && kopf[pn] == '\\' && Gleich_ohne_Fall(kopf, pn, pfad, pn)))
        return Lage::darunter;
    if (kn == 0 || (pn > kn && pfad[kn] == '\\' && Gleich_ohne_Fall(kopf, kn, pfad, kn)))
        return Lage::darueber;
    return Lage::fremd;
}

// The end of a quoted text that begins after `p`'s opening quote: the
// closing quote, or null when the line ends first.  \\ and \" are escapes.
const char *Zeichenkette_ende(const char *p, const char *ende)
{
    for (; p < ende; ++p) {
        if (*p == '\\' && p + 1 < ende && (p[1] == '\\' || p[1] == '"'))
            ++p;
        else if (*p == '"')
            return p;
    }
    return nullptr;
}

struct Fund {
    bool schluessel;
    const char *wert;     // first character of the text of the default value
    const char *wertende; // its closing quote
};

// A line @="..." in a section of the key: the value, or @=- its removal.
// Other lines, and values in a form that cannot be read, change nothing.
void Wertzeile(const char *z, size_t n, Fund *fund)
{
    const char *ende = z + n, *p = z + 1;
    while (p < ende && (*p == ' ' || *p == '\t'))
        ++p;
    if (p == ende || *p != '=')
        return;
    ++p;
    while (p < ende && (*p == ' ' || *p == '\t'))
        ++p;
    if (p + 1 == ende && *p == '-') {
        fund->wert = nullptr;
        return;
    }
    if (p == ende || *p != '"')
        return;
    const char *schluss = Zeichenkette_ende(p + 1, ende);
    if (schluss && schluss + 1 == ende) {
        fund->wert = p + 1;
        fund->wertende = schluss;
    }
}

// Reads the whole file for one key, in order: a header names the key or a
// key below it, [-...] removes it with everything below it, and a later
// value of the key replaces an earlier one.
void Datei_durchsuchen(Textdatei *datei, const char *pfad, Fund *fund)
{
    bool im_schluessel = false;
    const char *z;
    size_t n;
    while (Naechste_Zeile(datei, &z, &n)) {
        if (n == 0 || *z == ';')
            continue;
        if (*z == '[') {
            im_schluessel = false;
            if (z[n - 1] != ']' || n < 3)
                continue;
            bool entfernen = z[1] == '-';
            size_t anfang = entfernen ? 2 : 1;
            Lage lage = Lage_bestimmen(z + anfang, n - 1 - anfang, pfad);
            if (entfernen && (lage == Lage::gleich || lage == Lage::darueber)) {
                fund->schluessel = false;
                fund->wert = nullptr;
            } else if (!entfernen && (lage == Lage::gleich || lage == Lage::darunter)) {
                fund->schluessel = true;
                im_schluessel = lage == Lage::gleich;
            }
        } else if (*z == '@' && im_schluessel) {
            Wertzeile(z, n, fund);
        }
    }
}

int32_t Wert_geben(const char *anfang, const char *ende, char *ziel, uint32_t groesse)
{
    uint32_t i = 0;
    for (const char *p = anfang; p < ende; ++p) {
        if (*p == '\\' && (p[1] == '\\' || p[1] == '"'))
            ++p;
        if (i + 1 >= groesse)
            return Register_zu_lang;
        ziel[i++] = *p;
    }
    if (groesse == 0)
        return Register_zu_lang;
    ziel[i] = '\0';
    return 0;
}

enum class Ohne_Wert { leer, fehlt };

// The one lookup behind every registry operation.  With ziel null only
// whether the key exists.
int32_t Nachschlagen(const char *pfad, char *ziel, uint32_t groesse, Ohne_Wert ohne)
{
    if (!pfad || std::strlen(pfad) >= sizeof(Registerschluessel::pfad))
        return Register_fehlt;
    if (ziel && groesse == 0)
        return Register_zu_lang;
    // The root always exists, with or without a file.
    Fund fund = {*pfad == '\0', nullptr, nullptr};
    char name[Systempfadgrenze];
    Textdatei datei;
    bool geladen = Registerdatei_finden(name, sizeof name) && Textdatei_laden(name, &datei);
    if (geladen && Als_8_Bit(&datei) && Kopf_erkennen(&datei))
        Datei_durchsuchen(&datei, pfad, &fund);
    int32_t ergebnis = 0;
    if (!fund.schluessel) {
        ergebnis = Desktop_Wert(pfad, ziel, groesse);
    } else if (!ziel) {
        ergebnis = 0;
    } else if (fund.wert) {
        ergebnis = Wert_geben(fund.wert, fund.wertende, ziel, groesse);
    } else if (ohne == Ohne_Wert::leer) {
        ziel[0] = '\0';
    } else {
        ergebnis = Register_fehlt;
    }
    if (geladen)
        Textdatei_freigeben(&datei);
    return ergebnis;
}

} // namespace

int32_t Register_Wert_lesen(const char *unterschluessel, char *ziel, uint32_t groesse)
{
    return Nachschlagen(unterschluessel ? unterschluessel : "", ziel, groesse, Ohne_Wert::leer);
}

int32_t Register_Schluessel_oeffnen(const char *pfad, Registerschluessel *schluessel)
{
    int32_t r = Nachschlagen(pfad, nullptr, 0, Ohne_Wert::leer);
    if (r != 0)
        return r;
    schluessel->kennung = 1;
    std::strcpy(schluessel->pfad, pfad);
    return 0;
}

int32_t Register_Schluesselwert_lesen(Registerschluessel *schluessel, char *ziel, uint32_t groesse)
{
    return Nachschlagen(schluessel->pfad, ziel, groesse, Ohne_Wert::leer);
}

int32_t Register_Schluesselwert_lesen_ex(Registerschluessel *schluessel, char *ziel, uint32_t groesse)
{
    return Nachschlagen(schluessel->pfad, ziel, groesse, Ohne_Wert::fehlt);
}

void Register_Schluessel_schliessen(Registerschluessel *schluessel)
{
    std::memset(schluessel, 0, sizeof *schluessel);
}

// As _splitpath: the extension of the last part is its text from its last
// '.' on.
bool Dateiendung(const char *datei, char *ziel, size_t groesse)
{
    const char *punkt = std::strrchr(Letzter_Namensteil(datei), '.');
    const char *endung = punkt ? punkt : "";
    size_t n = std::strlen(endung);
    if (n >= groesse)
        return false;
    std::memcpy(ziel, endung, n + 1);
    return true;
}
