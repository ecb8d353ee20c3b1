// fuzz_preprozess.cpp - the preprocessor under the fuzzer: a small include
// tree (a main file, two include files and one in a subfolder) whose
// contents come from the input, preprocessed under an input name that is
// absolute, relative, or near the 260-byte limit.  The output file, the
// result and the error record are compared with the algorithm as written out
// here, which reads the same files; the error record must stay untouched
// behind its fields and, after a success, in every field but the code.
//
// Files cost system calls that would keep the fuzzer at a few hundred inputs
// a second, so most inputs run over the tree held in memory: this program is
// linked with the platform's stream functions wrapped (fuzz/CMakeLists.txt),
// and the wrappers serve the tree's files with the platform's own rules for
// text mode and positions.  One input in 32 runs over real files, through the
// platform itself (it costs as much as the other 31 together).
#include "fuzzhilfe.h"

#include "korvan.h"
#include "platform/plattform.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using kf::Puffer;
using kf::Schritt;

constexpr size_t Hoechstens_Schritte = 4;
constexpr size_t Dateien = 4;
const char *const Dateinamen[Dateien] = {"haupt.c", "a.h", "b.h", "sub/c.h"};
constexpr int Groesste_Tiefe = 200; // one more level fails the directive

fs::path wurzel; // the tree is wurzel/baum; the output wurzel/aus.txt

void Wurzel_entfernen()
{
    std::error_code ec;
    fs::remove_all(wurzel, ec);
}

void Schreiben(const fs::path &p, const std::string &text)
{
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
    f.close();
    KF_PRUEFEN(f.good());
}

std::string Lesen(const fs::path &p)
{
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// --- the algorithm, written out ------------------------------------------

// A file as the preprocessor reads it: bytes as stored, or text mode (CR LF
// gives LF, 0x1A ends the file for good); positions are byte offsets.
struct Strom {
    const std::string *daten = nullptr; // the file's bytes, held in `dateien`
    size_t pos = 0;
    bool text = false;
    bool ende = false;

    int zeichen()
    {
        if (ende)
            return -1;
        if (pos >= daten->size()) {
            ende = true;
            return -1;
        }
        unsigned char c = static_cast<unsigned char>((*daten)[pos++]);
        if (!text)
            return c;
        if (c == 0x1A) {
            ende = true;
            return -1;
        }
        if (c == '\r' && pos < daten->size() && (*daten)[pos] == '\n') {
            ++pos;
            return '\n';
        }
        return c;
    }
    // At most 519 characters, ending after the first line feed, into s.
    void stueck(std::string &s)
    {
        s.clear();
        while (s.size() < 519) {
            int c = zeichen();
            if (c < 0)
                break;
            s.push_back(static_cast<char>(c));
            if (c == '\n')
                break;
        }
    }
};

// The files of the tree as they stand, by path, and what every path that a
// run asked for leads to: a file of the tree, or nothing.  The tree never
// changes shape, so a path is resolved once.  im_speicher: this input runs
// over the tree in memory, and no file is written.
std::map<std::string, std::string> dateien;
std::map<std::string, std::string, std::less<>> aufgeloest;
bool im_speicher = false;
std::string arbeitsordner; // the process's current directory

// Sets the bytes of a file of the tree; an input that runs over real files
// has them on the disk too (written only where they differ).
void Datei_setzen(const fs::path &p, const std::string &text)
{
    static std::map<std::string, std::string> auf_platte;
    dateien[p.string()] = text;
    if (im_speicher)
        return;
    auto it = auf_platte.find(p.string());
    if (it != auf_platte.end() && it->second == text)
        return;
    Schreiben(p, text);
    auf_platte[p.string()] = text;
}

// A path in the tree held in memory, as the system would resolve it: '\' is
// '/', a relative path starts at the current directory, "." and empty
// segments stay where they are, ".." goes up one, and nothing may follow a
// file's name.  The path of a file of the tree, or "".
std::string Im_Speicher_aufloesen(const std::string &name)
{
    std::string sys = name;
    for (char &c : sys)
        c = c == '\\' ? '/' : c;
    if (sys.empty())
        return {};
    if (sys[0] != '/')
        sys = arbeitsordner + "/" + sys;
    std::string weg;
    size_t i = 0;
    while (i < sys.size()) {
        size_t ende = sys.find('/', i);
        std::string teil = sys.substr(i, ende == std::string::npos ? std::string::npos : ende - i);
        i = ende == std::string::npos ? sys.size() : ende + 1;
        if (dateien.count(weg))
            return {}; // a file is no folder
        if (teil.empty() || teil == ".")
            continue;
        if (teil == "..")
            weg = weg.substr(0, weg.rfind('/'));
        else
            weg += "/" + teil;
    }
    if (!sys.empty() && sys.back() == '/' && dateien.count(weg))
        return {};
    return dateien.count(weg) ? weg : std::string();
}

// What a name leads to in the tree in memory: the bytes of a file of the
// tree, or null.  Looked up without building a string from the name.
const std::string *Im_Speicher_finden(std::string_view name)
{
    static std::map<std::string, const std::string *, std::less<>> aufgeloest_im_speicher;
    auto it = aufgeloest_im_speicher.find(name);
    if (it == aufgeloest_im_speicher.end()) {
        std::string ziel = Im_Speicher_aufloesen(std::string(name));
        it = aufgeloest_im_speicher.emplace(name, ziel.empty() ? nullptr : &dateien[ziel]).first;
    }
    return it->second;
}

bool Oeffnen(std::string_view name, bool text, Strom &s)
{
    std::string ziel;
    if (im_speicher) {
        const std::string *daten = Im_Speicher_finden(name);
        if (!daten)
            return false;
        s = Strom{};
        s.daten = daten;
        s.text = text;
        return true;
    } else {
        auto it = aufgeloest.find(name);
        if (it == aufgeloest.end()) {
            std::string sys(name);
            for (char &c : sys)
                c = c == '\\' ? '/' : c;
            std::error_code ec;
            std::string gefunden;
            if (!sys.empty() && sys.size() < 4096 && fs::is_regular_file(sys, ec))
                gefunden = fs::weakly_canonical(sys).string();
            KF_PRUEFEN(gefunden.empty() || dateien.count(gefunden));
            it = aufgeloest.emplace(name, gefunden).first;
        }
        ziel = it->second;
    }
    if (ziel.empty())
        return false;
    s = Strom{};
    s.daten = &dateien[ziel];
    s.text = text;
    return true;
}

// --- the platform's streams over the tree in memory -------------------------

// The output of a run in memory, and whether it was opened.
std::string speicherausgabe;
std::string ausgabename;
bool ausgabe_geoeffnet = false;

// A stream of the tree in memory: a file read in binary or text mode, or the
// output.
struct Speicherstrom {
    Strom lesen;
    bool schreiben = false;
};

} // namespace

extern "C" {
Plattform_Strom *__real__Z13Strom_oeffnenPKc10Strommodus(const char *pfad, Strommodus modus);
int __real__Z16Strom_schliessenP15Plattform_Strom(Plattform_Strom *strom);
size_t __real__Z11Strom_ZeileP15Plattform_StromPcm(Plattform_Strom *strom, char *ziel, size_t n);
const char *__real__Z19Strom_Zeile_ansehenP15Plattform_StrommPm(Plattform_Strom *strom, size_t n, size_t *laenge);
size_t __real__Z15Strom_schreibenP15Plattform_StromPKvm(Plattform_Strom *strom, const void *quelle, size_t n);
int64_t __real__Z14Strom_PositionP15Plattform_Strom(Plattform_Strom *strom);
int __real__Z12Strom_setzenP15Plattform_Stroml(Plattform_Strom *strom, int64_t position);
bool __real__Z10Strom_EndeP15Plattform_Strom(Plattform_Strom *strom);
bool __real__Z12Strom_FehlerP15Plattform_Strom(Plattform_Strom *strom);
bool __real__Z13Strom_KennungP15Plattform_StromP12Dateikennung(Plattform_Strom *strom, Dateikennung *kennung);
bool __real__Z13Datei_KennungPKcP12Dateikennung(const char *pfad, Dateikennung *kennung);

Plattform_Strom *__wrap__Z13Strom_oeffnenPKc10Strommodus(const char *pfad, Strommodus modus)
{
    if (!im_speicher)
        return __real__Z13Strom_oeffnenPKc10Strommodus(pfad, modus);
    auto *s = new Speicherstrom;
    if (modus == Strommodus::schreiben_binaer) {
        KF_PRUEFEN(pfad && ausgabename == pfad);
        s->schreiben = true;
        speicherausgabe.clear();
        ausgabe_geoeffnet = true;
    } else if (!pfad || std::strlen(pfad) >= 4096 ||
               !Oeffnen(pfad, modus == Strommodus::lesen_text, s->lesen)) {
        delete s;
        return nullptr;
    }
    return reinterpret_cast<Plattform_Strom *>(s);
}

int __wrap__Z16Strom_schliessenP15Plattform_Strom(Plattform_Strom *strom)
{
    if (!im_speicher)
        return __real__Z16Strom_schliessenP15Plattform_Strom(strom);
    delete reinterpret_cast<Speicherstrom *>(strom);
    return 0;
}

size_t __wrap__Z11Strom_ZeileP15Plattform_StromPcm(Plattform_Strom *strom, char *ziel, size_t n)
{
    if (!im_speicher)
        return __real__Z11Strom_ZeileP15Plattform_StromPcm(strom, ziel, n);
    Strom &s = reinterpret_cast<Speicherstrom *>(strom)->lesen;
    size_t i = 0;
    while (i + 1 < n) {
        int c = s.zeichen();
        if (c < 0)
            break;
        ziel[i++] = static_cast<char>(c);
        if (c == '\n')
            break;
    }
    ziel[i] = '\0';
    return i;
}

const char *__wrap__Z19Strom_Zeile_ansehenP15Plattform_StrommPm(Plattform_Strom *strom, size_t n, size_t *laenge)
{
    if (!im_speicher)
        return __real__Z19Strom_Zeile_ansehenP15Plattform_StrommPm(strom, n, laenge);
    // A line held whole: up to its line feed, within n - 1 bytes, free of a
    // zero byte and, in text mode, of CR and 0x1A.
    Strom &s = reinterpret_cast<Speicherstrom *>(strom)->lesen;
    if (s.ende || n < 2)
        return nullptr;
    const std::string &d = *s.daten;
    for (size_t i = s.pos; i < d.size() && i - s.pos < n - 1; ++i) {
        char c = d[i];
        if (c == '\0' || (s.text && (c == '\r' || c == 0x1A)))
            return nullptr;
        if (c == '\n') {
            *laenge = i + 1 - s.pos;
            const char *zeile = d.data() + s.pos;
            s.pos = i + 1;
            return zeile;
        }
    }
    return nullptr;
}

size_t __wrap__Z15Strom_schreibenP15Plattform_StromPKvm(Plattform_Strom *strom, const void *quelle, size_t n)
{
    if (!im_speicher)
        return __real__Z15Strom_schreibenP15Plattform_StromPKvm(strom, quelle, n);
    KF_PRUEFEN(reinterpret_cast<Speicherstrom *>(strom)->schreiben);
    speicherausgabe.append(static_cast<const char *>(quelle), n);
    return n;
}

int64_t __wrap__Z14Strom_PositionP15Plattform_Strom(Plattform_Strom *strom)
{
    if (!im_speicher)
        return __real__Z14Strom_PositionP15Plattform_Strom(strom);
    return static_cast<int64_t>(reinterpret_cast<Speicherstrom *>(strom)->lesen.pos);
}

int __wrap__Z12Strom_setzenP15Plattform_Stroml(Plattform_Strom *strom, int64_t position)
{
    if (!im_speicher)
        return __real__Z12Strom_setzenP15Plattform_Stroml(strom, position);
    if (position < 0)
        return -1;
    Strom &s = reinterpret_cast<Speicherstrom *>(strom)->lesen;
    s.pos = static_cast<size_t>(position);
    s.ende = false;
    return 0;
}

bool __wrap__Z10Strom_EndeP15Plattform_Strom(Plattform_Strom *strom)
{
    if (!im_speicher)
        return __real__Z10Strom_EndeP15Plattform_Strom(strom);
    return reinterpret_cast<Speicherstrom *>(strom)->lesen.ende;
}

bool __wrap__Z12Strom_FehlerP15Plattform_Strom(Plattform_Strom *strom)
{
    if (!im_speicher)
        return __real__Z12Strom_FehlerP15Plattform_Strom(strom);
    return false;
}

// In memory a file of the tree is known by its bytes' place, the output by
// a number of its own: it is never one of the tree's files.
constexpr Dateikennung Ausgabekennung = {1, 0};

static Dateikennung Baumkennung(const std::string *daten)
{
    return {2, reinterpret_cast<uintptr_t>(daten)};
}

bool __wrap__Z13Strom_KennungP15Plattform_StromP12Dateikennung(Plattform_Strom *strom, Dateikennung *kennung)
{
    if (!im_speicher)
        return __real__Z13Strom_KennungP15Plattform_StromP12Dateikennung(strom, kennung);
    auto *s = reinterpret_cast<Speicherstrom *>(strom);
    *kennung = s->schreiben ? Ausgabekennung : Baumkennung(s->lesen.daten);
    return true;
}

bool __wrap__Z13Datei_KennungPKcP12Dateikennung(const char *pfad, Dateikennung *kennung)
{
    if (!im_speicher)
        return __real__Z13Datei_KennungPKcP12Dateikennung(pfad, kennung);
    if (pfad && ausgabename == pfad) {
        *kennung = Ausgabekennung;
        return true;
    }
    const std::string *daten = pfad ? Im_Speicher_finden(pfad) : nullptr;
    if (daten)
        *kennung = Baumkennung(daten);
    return daten != nullptr;
}
} // extern "C"

namespace {

struct Ergebnis {
    int ergebnis = 1;
    bool ohne_eingabe = false; // the input did not open: no output file
    int32_t code = 0, zeile = 0;
    std::string datei, fehlername, zeilentext, ausgabe;
};

void Melden(Ergebnis &e, int32_t zeile, const std::string &datei, const std::string &fehlername,
            const std::string &zeilentext)
{
    e.ergebnis = 0;
    e.code = 2;
    e.zeile = zeile;
    e.datei = datei.substr(0, 259);
    e.fehlername = fehlername.substr(0, 259);
    e.zeilentext = zeilentext.substr(0, 1023);
}

void Marke(std::string &ausgabe, int32_t zeile, const std::string &name)
{
    char zahl[16];
    std::snprintf(zahl, sizeof zahl, "%d", static_cast<int>(zeile));
    ausgabe.append("# ").append(zahl).append(" \"").append(name).append("\"\r\n");
}

// Joins as the preprocessor does, through the path functions.
std::string Verbinden(const std::string &basis, const std::string &teil, bool *ok = nullptr)
{
    char puffer[Pfadpuffer];
    std::memcpy(puffer, basis.c_str(), basis.size() + 1);
    int r = KR_Teil_hinzu(puffer, teil.c_str(), Pfadpuffer);
    if (ok)
        *ok = r == 1;
    return puffer;
}

std::string Verzeichnisteil(const std::string &pfad)
{
    return pfad.substr(0, static_cast<size_t>(KR_Basisname(pfad.c_str()) - pfad.c_str()));
}

enum class Art { gewoehnlich, verworfen, einbindung };

// A chunk by itself: an ordinary line, a dropped directive, or an include
// directive with its name (maybe empty).
Art Einordnen(const std::string &s, std::string &name)
{
    size_t i = s.find_first_not_of(" \t");
    if (i == std::string::npos || s[i] != '#')
        return Art::gewoehnlich;
    i = s.find_first_not_of(" \t", i + 1);
    if (i == std::string::npos || s.compare(i, 7, "include") != 0)
        return Art::verworfen;
    i = s.find_first_not_of(" \t", i + 7);
    name.clear();
    if (i == std::string::npos || (s[i] != '"' && s[i] != '<'))
        return Art::einbindung;
    size_t ende = s.find_first_of("\">", i + 1);
    name = s.substr(i + 1, ende == std::string::npos ? std::string::npos : ende - i - 1);
    return Art::einbindung;
}

struct Eintrag {
    int32_t zeile;
    size_t position;
    std::string name;
};

Ergebnis Erwartet(const std::string &eingabe)
{
    Ergebnis e;
    // 2.-3. The top directory and the input.
    static const std::string cwd = fs::current_path().string();
    bool ok = eingabe.size() < Pfadpuffer && cwd.size() < Pfadpuffer;
    std::string oben;
    if (ok)
        oben = Verzeichnisteil(Verbinden(cwd, eingabe, &ok));
    Strom strom;
    if (!ok || !Oeffnen(eingabe, false, strom)) {
        Melden(e, 0, "", eingabe, "");
        e.ohne_eingabe = true;
        return e;
    }
    // 5.
    std::string name = eingabe;
    int32_t zeile = 0;
    std::vector<Eintrag> stapel;
    std::string stueck;
    Marke(e.ausgabe, 1, name);
    // 6.
    for (;;) {
        if (strom.ende) {
            if (stapel.empty())
                return e;
            Eintrag oben_auf = stapel.back();
            stapel.pop_back();
            if (!Oeffnen(oben_auf.name, true, strom)) {
                Melden(e, oben_auf.zeile, oben_auf.name, oben_auf.name, "");
                return e;
            }
            strom.pos = oben_auf.position;
            name = oben_auf.name.substr(0, 259);
            zeile = oben_auf.zeile;
            Marke(e.ausgabe, zeile, name);
        }
        strom.stueck(stueck);
        zeile = static_cast<int32_t>(static_cast<uint32_t>(zeile) + 1u);
        stueck.resize(std::min(stueck.size(), stueck.find('\0'))); // a chunk is a C string
        if (stueck.empty())
            continue;
        std::string einname;
        Art art = Einordnen(stueck, einname);
        if (art == Art::gewoehnlich) {
            if (stueck.back() != '\n' && stueck.back() != '\r')
                stueck += "\r\n";
            e.ausgabe += stueck;
            continue;
        }
        if (art == Art::verworfen)
            continue;
        if (einname.empty()) {
            Melden(e, zeile, name, "", stueck);
            return e;
        }
        bool gebildet = einname.size() < Pfadpuffer;
        std::string suchpfad = gebildet ? Verbinden(oben, einname, &gebildet) : oben;
        Strom neu;
        if (!gebildet || static_cast<int>(stapel.size()) >= Groesste_Tiefe || !Oeffnen(suchpfad, true, neu)) {
            Melden(e, zeile, name, suchpfad, stueck);
            return e;
        }
        Marke(e.ausgabe, 1, suchpfad);
        stapel.push_back({zeile, strom.pos, name});
        strom = std::move(neu);
        name = Verbinden(Verzeichnisteil(name), einname);
        zeile = 0;
    }
}

// --- the run ---------------------------------------------------------------

// The tree stays inside its folder: no include name is absolute or climbs
// with "..", so that nothing outside it (a device, the output file) is read.
// And the tree stays small: few include directives, so that one run cannot
// expand into millions of lines.
bool Brauchbar(const std::string &text)
{
    for (const char *verboten : {"..", "\"/", "\"\\", "</", "<\\"}) {
        if (text.find(verboten) != std::string::npos)
            return false;
    }
    size_t n = 0;
    for (size_t p = text.find("include"); p != std::string::npos; p = text.find("include", p + 1))
        ++n;
    return n <= 24;
}

// A name of 250 to 265 characters (k from 0 to 15), around the 260-byte
// limit; "" where the tree's folder leaves no room for it.
std::string Langer_Name(size_t k)
{
    fs::path baum = wurzel / "baum";
    size_t rest = 250 + k - baum.string().size() - 1;
    if (baum.string().size() + 5 > 250 + k || rest > 255)
        return {};
    return (baum / ("h" + std::string(rest - 3, 'x') + ".c")).string();
}

// The input name: absolute, relative to the current directory, or long.
std::string Eingabename(uint8_t steuer, const std::string &haupt)
{
    fs::path haupt_c = wurzel / "baum" / "haupt.c";
    switch (steuer % 3) {
    case 0: return haupt_c.string();
    case 1: {
        static const std::string relativ = fs::relative(haupt_c).string();
        return relativ;
    }
    default: {
        std::string lang = Langer_Name((steuer >> 2) % 16);
        if (lang.empty())
            return haupt_c.string();
        Datei_setzen(lang, haupt);
        return lang;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    wurzel = kf::Eigener_Tempname("");
    fs::create_directories(wurzel / "baum" / "sub");
    wurzel = fs::canonical(wurzel);
    arbeitsordner = fs::current_path().string();
    std::atexit(Wurzel_entfernen);
    // Every file of the tree exists from the start, so that a path resolved
    // once stays resolved.
    for (const char *name : Dateinamen)
        Datei_setzen(wurzel / "baum" / name, "");
    for (size_t k = 0; k < 16; ++k) {
        if (!Langer_Name(k).empty())
            Datei_setzen(Langer_Name(k), "");
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    kf::Eingabe e = kf::Zerlegen(daten, n, Hoechstens_Schritte);
    if (!Brauchbar(e.text))
        return 0;
    im_speicher = (e.steuer & 0x70) != 0x70 || e.text.size() % 4 != 0;

    // The files: lengths from the steps, the last file takes the rest.
    std::string inhalt[Dateien];
    size_t von = 0;
    for (size_t i = 0; i < Dateien; ++i) {
        size_t rest = e.text.size() - von;
        size_t laenge = i + 1 == Dateien ? rest : i < e.schritte.size() ? e.schritte[i].a % (rest + 1) : 0;
        if (e.schritte.empty() && i == 0)
            laenge = rest;
        inhalt[i] = e.text.substr(von, laenge);
        von += laenge;
        Datei_setzen(wurzel / "baum" / Dateinamen[i], inhalt[i]);
    }
    std::string eingabe = Eingabename(e.steuer, inhalt[0]);
    std::string ausgabe = (wurzel / "aus.txt").string();
    ausgabename = ausgabe;
    ausgabe_geoeffnet = false;
    speicherausgabe.clear();

    // The error record, with guard bytes; or none.
    bool mit_satz = !(e.steuer & 0x80);
    Puffer satz(sizeof(Preprozess_Fehler));
    auto *fehler = reinterpret_cast<Preprozess_Fehler *>(satz.daten());
    int r = KR_Preprozess(eingabe.c_str(), ausgabe.c_str(), mit_satz ? fehler : nullptr);

    Ergebnis soll = Erwartet(eingabe);
    KF_PRUEFEN(r == soll.ergebnis);
    KF_PRUEFEN(satz.waechter_heil());
    // The output holds what was written up to a failure; without an input
    // it is not even created.
    if (im_speicher)
        KF_PRUEFEN(soll.ohne_eingabe ? !ausgabe_geoeffnet : speicherausgabe == soll.ausgabe);
    else if (soll.ohne_eingabe)
        KF_PRUEFEN(!fs::exists(ausgabe));
    else
        KF_PRUEFEN(Lesen(ausgabe) == soll.ausgabe);
    if (!mit_satz) {
        KF_PRUEFEN(satz.unberuehrt());
    } else if (soll.code == 0) {
        // Only the code is set after a success.
        KF_PRUEFEN(fehler->code == 0);
        KF_PRUEFEN(std::string(satz.daten() + 4, sizeof *fehler - 4).find_first_not_of(static_cast<char>(Puffer::Muster)) ==
                   std::string::npos);
    } else {
        KF_PRUEFEN(fehler->code == soll.code && fehler->zeile == soll.zeile && fehler->reserve == 0);
        KF_PRUEFEN(std::memchr(fehler->datei, 0, sizeof fehler->datei) && fehler->datei == soll.datei);
        KF_PRUEFEN(std::memchr(fehler->fehlername, 0, sizeof fehler->fehlername) &&
                   fehler->fehlername == soll.fehlername);
        KF_PRUEFEN(std::memchr(fehler->zeilentext, 0, sizeof fehler->zeilentext) &&
                   fehler->zeilentext == soll.zeilentext);
    }
    if (!im_speicher) {
        std::error_code ec;
        fs::remove(ausgabe, ec);
    }
    return 0;
}
