// desktop.cpp - where the system has no registry (POSIX): the desktop's own file associations seen as registry
// keys.  ".ext" reads as the extension's MIME type from the shared MIME-info
// globs; "<MIME type>\shell\open\command" as the Exec line of the default
// application that the mimeapps.list files name, rewritten as a Windows
// command text with its file field code as "%1".
#include "nachbildung.h"
#include "textdatei.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char Oeffnen_Befehl[] = "\\shell\\open\\command";
constexpr size_t Wertgrenze = 1024; // an Exec line, an argument, a name

// ---------------------------------------------------------------------------
// Folders and files
// ---------------------------------------------------------------------------

enum class Basis { daten, konfig };

// Offers each folder of the kind to `tun`, the user's own first, until `tun`
// says it is done.  Relative entries do not count.
template <class F>
bool Ordner_durchgehen(Basis art, F tun)
{
    bool daten = art == Basis::daten;
    const char *eigen = std::getenv(daten ? "XDG_DATA_HOME" : "XDG_CONFIG_HOME");
    const char *heim = std::getenv("HOME");
    char puffer[Systempfadgrenze];
    if (eigen && eigen[0] == '/') {
        if (tun(eigen, std::strlen(eigen)))
            return true;
    } else if (heim && heim[0] == '/') {
        int n = std::snprintf(puffer, sizeof puffer, "%s/%s", heim, daten ? ".local/share" : ".config");
        if (n > 0 && static_cast<size_t>(n) < sizeof puffer && tun(puffer, static_cast<size_t>(n)))
            return true;
    }
    const char *liste = std::getenv(daten ? "XDG_DATA_DIRS" : "XDG_CONFIG_DIRS");
    if (!liste || !*liste)
        liste = daten ? "/usr/local/share:/usr/share" : "/etc/xdg";
    for (const char *a = liste;;) {
        const char *e = std::strchr(a, ':');
        size_t n = e ? static_cast<size_t>(e - a) : std::strlen(a);
        if (n > 0 && a[0] == '/' && tun(a, n))
            return true;
        if (!e)
            return false;
        a = e + 1;
    }
}

bool Pfad_bilden(char *ziel, const char *ordner, size_t on, const char *teil1, const char *teil2 = "")
{
    int n = std::snprintf(ziel, Systempfadgrenze, "%.*s/%s%s", static_cast<int>(on), ordner, teil1, teil2);
    return n > 0 && static_cast<size_t>(n) < Systempfadgrenze;
}

// The value of a "key=value" line whose key is `schluessel` (blanks around
// '=' allowed), or null.
const char *Wert_von(const char *z, size_t n, const char *schluessel, size_t *wn)
{
    size_t sn = std::strlen(schluessel);
    const char *gleich = static_cast<const char *>(std::memchr(z, '=', n));
    if (!gleich)
        return nullptr;
    size_t kn = static_cast<size_t>(gleich - z);
    while (kn > 0 && (z[kn - 1] == ' ' || z[kn - 1] == '\t'))
        --kn;
    if (kn != sn || std::memcmp(z, schluessel, sn) != 0)
        return nullptr;
    const char *w = gleich + 1, *ende = z + n;
    while (w < ende && (*w == ' ' || *w == '\t'))
        ++w;
    *wn = static_cast<size_t>(ende - w);
    return w;
}

bool Gruppe(const char *z, size_t n, const char *name)
{
    return n >= 2 && z[0] == '[' && z[n - 1] == ']' && n - 2 == std::strlen(name) &&
           std::memcmp(z + 1, name, n - 2) == 0;
}

// ---------------------------------------------------------------------------
// MIME type of an extension
// ---------------------------------------------------------------------------

// Among the flags after a glob, separated by commas, "cs": case counts.
bool Fall_zaehlt(const char *f, const char *ende)
{
    for (;;) {
        const char *komma = static_cast<const char *>(std::memchr(f, ',', static_cast<size_t>(ende - f)));
        const char *fe = komma ? komma : ende;
        if (fe - f == 2 && f[0] == 'c' && f[1] == 's')
            return true;
        if (!komma)
            return false;
        f = komma + 1;
    }
}

// One line of globs2 ("weight:type:glob[:flags]") or globs ("type:glob").
// The weight when the glob is "*" and the extension, else -1.
int Glob_pruefen(const char *z, size_t n, bool zwei, const char *endung, const char **typ, size_t *tn)
{
    const char *ende = z + n, *p = z;
    int gewicht = 50;
    if (zwei) {
        gewicht = 0;
        for (; p < ende && *p >= '0' && *p <= '9'; ++p)
            gewicht = gewicht < 100000 ? gewicht * 10 + (*p - '0') : gewicht;
        if (p == ende || *p != ':')
            return -1;
        ++p;
    }
    const char *t = p;
    p = static_cast<const char *>(std::memchr(p, ':', static_cast<size_t>(ende - p)));
    if (!p)
        return -1;
    *typ = t;
    *tn = static_cast<size_t>(p - t);
    const char *glob = ++p;
    const char *gende = static_cast<const char *>(std::memchr(glob, ':', static_cast<size_t>(ende - glob)));
    bool fall = gende && Fall_zaehlt(gende + 1, ende);
    size_t gn = static_cast<size_t>((gende ? gende : ende) - glob);
    size_t en = std::strlen(endung);
    if (gn != en + 1 || glob[0] != '*')
        return -1;
    bool gleich = fall ? std::memcmp(glob + 1, endung, en) == 0 : Gleich_ohne_Fall(glob + 1, en, endung, en);
    return gleich ? gewicht : -1;
}

// The glob with the highest weight in all folders; of equal ones the first,
// so the user's own folder wins a tie.
bool Mimetyp_finden(const char *endung, char *typ, size_t groesse)
{
    int bestes = -1;
    Ordner_durchgehen(Basis::daten, [&](const char *ordner, size_t on) {
        char pfad[Systempfadgrenze];
        Textdatei datei;
        bool zwei = Pfad_bilden(pfad, ordner, on, "mime/globs2") && Textdatei_laden(pfad, &datei);
        if (!zwei && !(Pfad_bilden(pfad, ordner, on, "mime/globs") && Textdatei_laden(pfad, &datei)))
            return false;
        const char *z, *t = nullptr;
        size_t n, tn = 0;
        while (Naechste_Zeile(&datei, &z, &n)) {
            if (n == 0 || *z == '#')
                continue;
            int gewicht = Glob_pruefen(z, n, zwei, endung, &t, &tn);
            if (gewicht > bestes && tn > 0 && tn < groesse) {
                std::memcpy(typ, t, tn);
                typ[tn] = '\0';
                bestes = gewicht;
            }
        }
        Textdatei_freigeben(&datei);
        return false;
    });
    return bestes >= 0;
}

// ---------------------------------------------------------------------------
// Desktop entries
// ---------------------------------------------------------------------------

struct Eintrag {
    char exec[Wertgrenze];
    char name[Wertgrenze];
    char icon[Wertgrenze];
    char pfad[Systempfadgrenze];
};

// A string value with its escapes \s \n \t \r \\ resolved (others stay as
// they stand, for the Exec line's own quoting); false when it does not fit.
bool Wert_kopieren(const char *w, size_t n, char *ziel)
{
    size_t k = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = w[i];
        if (c == '\\' && i + 1 < n && std::strchr("sntr\\", w[i + 1])) {
            char e = w[++i];
            c = e == 's' ? ' ' : e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : '\\';
        }
        if (k + 1 >= Wertgrenze)
            return false;
        ziel[k++] = c;
    }
    ziel[k] = '\0';
    return true;
}

// True for an entry with an Exec line that is not hidden.
bool Eintrag_lesen(const char *pfad, Eintrag *e)
{
    Textdatei datei;
    if (!Textdatei_laden(pfad, &datei))
        return false;
    e->exec[0] = e->name[0] = e->icon[0] = '\0';
    std::strcpy(e->pfad, pfad);
    bool in_gruppe = false, gut = true, versteckt = false;
    const char *z, *w;
    size_t n, wn;
    while (Naechste_Zeile(&datei, &z, &n)) {
        if (n > 0 && z[0] == '[') {
            in_gruppe = Gruppe(z, n, "Desktop Entry");
        } else if (in_gruppe) {
            if ((w = Wert_von(z, n, "Exec", &wn)))
                gut = Wert_kopieren(w, wn, e->exec) && gut;
            else if ((w = Wert_von(z, n, "Name", &wn)))
                gut = Wert_kopieren(w, wn, e->name) && gut;
            else if ((w = Wert_von(z, n, "Icon", &wn)))
                gut = Wert_kopieren(w, wn, e->icon) && gut;
            else if ((w = Wert_von(z, n, "Hidden", &wn)))
                versteckt = wn == 4 && std::memcmp(w, "true", 4) == 0;
        }
    }
    Textdatei_freigeben(&datei);
    return gut && !versteckt && e->exec[0] != '\0';
}

// The entry of a desktop file ID, looked for in the applications folders.
bool Eintrag_finden(const char *id, size_t idn, Eintrag *e)
{
    if (idn == 0 || idn >= Wertgrenze || std::memchr(id, '/', idn))
        return false;
    char name[Wertgrenze];
    std::memcpy(name, id, idn);
    name[idn] = '\0';
    return Ordner_durchgehen(Basis::daten, [&](const char *ordner, size_t on) {
        char pfad[Systempfadgrenze];
        return Pfad_bilden(pfad, ordner, on, "applications/", name) && Datei_existiert(pfad) &&
               Eintrag_lesen(pfad, e);
    });
}

// In one mimeapps.list: the first usable application that the group names
// for the type.
bool Liste_durchsuchen(const char *pfad, const char *gruppe, const char *typ, Eintrag *e)
{
    Textdatei datei;
    if (!Textdatei_laden(pfad, &datei))
        return false;
    bool in_gruppe = false, gefunden = false;
    const char *z;
    size_t n;
    size_t tn = std::strlen(typ);
    while (!gefunden && Naechste_Zeile(&datei, &z, &n)) {
        if (n > 0 && z[0] == '[') {
            in_gruppe = Gruppe(z, n, gruppe);
            continue;
        }
        const char *gleich = static_cast<const char *>(std::memchr(z, '=', n));
        if (!in_gruppe || !gleich)
            continue;
        size_t kn = static_cast<size_t>(gleich - z);
        while (kn > 0 && (z[kn - 1] == ' ' || z[kn - 1] == '\t'))
            --kn;
        if (!Gleich_ohne_Fall(z, kn, typ, tn))
            continue;
        const char *ende = z + n;
        for (const char *a = gleich + 1; a < ende && !gefunden;) {
            while (a < ende && (*a == ' ' || *a == '\t'))
                ++a;
            const char *s = static_cast<const char *>(std::memchr(a, ';', static_cast<size_t>(ende - a)));
            const char *b = s ? s : ende;
            gefunden = Eintrag_finden(a, static_cast<size_t>(b - a), e);
            a = b + 1;
        }
    }
    Textdatei_freigeben(&datei);
    return gefunden;
}

// The mimeapps.list files in their order: configuration folders before
// data folders' applications/, the user's own first, in each folder the
// current desktops' own lists before the common one.  The default
// applications of all of them come before the added associations.
bool Anwendung_finden(const char *typ, Eintrag *e)
{
    static const char *const Gruppen[] = {"Default Applications", "Added Associations"};
    static const Basis Arten[] = {Basis::konfig, Basis::daten};
    for (const char *gruppe : Gruppen) {
        for (Basis art : Arten) {
            const char *unter = art == Basis::daten ? "applications/" : "";
            bool gefunden = Ordner_durchgehen(art, [&](const char *ordner, size_t on) {
                char pfad[Systempfadgrenze], name[Wertgrenze];
                const char *desktops = std::getenv("XDG_CURRENT_DESKTOP");
                for (const char *a = desktops ? desktops : ""; *a;) {
                    const char *s = std::strchr(a, ':');
                    size_t dn = s ? static_cast<size_t>(s - a) : std::strlen(a);
                    if (dn > 0 && dn + 16 < sizeof name) {
                        for (size_t i = 0; i < dn; ++i)
                            name[i] = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
                        std::strcpy(name + dn, "-mimeapps.list");
                        if (Pfad_bilden(pfad, ordner, on, unter, name) && Liste_durchsuchen(pfad, gruppe, typ, e))
                            return true;
                    }
                    a += dn + (s ? 1 : 0);
                }
                return Pfad_bilden(pfad, ordner, on, unter, "mimeapps.list") &&
                       Liste_durchsuchen(pfad, gruppe, typ, e);
            });
            if (gefunden)
                return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------------------
// The Exec line as a Windows command text
// ---------------------------------------------------------------------------

struct Ausgabe {
    char *ziel;
    uint32_t groesse;
    uint32_t laenge;
    bool zu_lang;
};

void Zeichen(Ausgabe &a, char c)
{
    if (a.laenge + 1 >= a.groesse) {
        a.zu_lang = true;
        return;
    }
    a.ziel[a.laenge++] = c;
    a.ziel[a.laenge] = '\0';
}

void Schraegstriche(Ausgabe &a, size_t n)
{
    while (n-- > 0)
        Zeichen(a, '\\');
}

// One argument as the Windows runtime splits it back: the program name with
// quotes only where it holds a blank (it has no escapes), the others quoted
// where they hold a blank or a quote or are empty, with backslashes before
// a quote doubled.  The argument with the file is always quoted, so that
// the file name stays one argument whatever it holds.
void Argument_schreiben(Ausgabe &a, const char *arg, size_t n, bool programm, bool quoten)
{
    if (a.laenge > 0)
        Zeichen(a, ' ');
    quoten = quoten || n == 0 || std::memchr(arg, ' ', n) || std::memchr(arg, '\t', n) ||
             (!programm && std::memchr(arg, '"', n));
    if (quoten)
        Zeichen(a, '"');
    size_t schraeg = 0;
    for (size_t i = 0; i < n; ++i) {
        char c = arg[i];
        if (programm) {
            if (c != '"')
                Zeichen(a, c);
            continue;
        }
        if (c == '\\') {
            ++schraeg;
            continue;
        }
        Schraegstriche(a, c == '"' ? 2 * schraeg + 1 : schraeg);
        schraeg = 0;
        Zeichen(a, c);
    }
    Schraegstriche(a, quoten ? 2 * schraeg : schraeg);
    if (quoten)
        Zeichen(a, '"');
}

struct Argument {
    char text[Wertgrenze];
    size_t laenge;
    bool zu_lang;
};

void Anhaengen(Argument &arg, const char *s, size_t n)
{
    if (arg.laenge + n >= Wertgrenze) {
        arg.zu_lang = true;
        return;
    }
    std::memcpy(arg.text + arg.laenge, s, n);
    arg.laenge += n;
}

bool Ende_des_Arguments(char c)
{
    return c == '\0' || c == ' ' || c == '\t' || c == '\n';
}

// Splits the Exec line as the desktop entry format does (blanks between
// arguments, double quotes with \" \` \$ \\ as escapes) and writes each
// argument back.  The first of %f %F %u %U becomes %1, the others go; %c is
// the name, %k the entry's file, a lone %i the two arguments --icon and the
// icon; %% is a '%'; every other field code is removed, and an argument that
// held nothing else with it.
bool Exec_umsetzen(const Eintrag &e, Ausgabe &a)
{
    const char *p = e.exec;
    bool programm = true, datei_gesetzt = false;
    for (;;) {
        while (*p && Ende_des_Arguments(*p))
            ++p;
        if (!*p)
            return !programm;
        if (p[0] == '%' && p[1] == 'i' && Ende_des_Arguments(p[2])) {
            p += 2;
            if (e.icon[0] && !programm) {
                Argument_schreiben(a, "--icon", 6, false, false);
                Argument_schreiben(a, e.icon, std::strlen(e.icon), false, false);
            }
            continue;
        }
        Argument arg{};
        bool inhalt = false, mit_datei = false, in_anfuehrung = false;
        for (; *p && (in_anfuehrung || !Ende_des_Arguments(*p)); ++p) {
            if (*p == '"') {
                in_anfuehrung = !in_anfuehrung;
                inhalt = true;
            } else if (*p == '\\' && in_anfuehrung && p[1] && std::strchr("\"`$\\", p[1])) {
                Anhaengen(arg, ++p, 1);
            } else if (*p == '%' && p[1]) {
                char code = *++p;
                if (code == '%') {
                    Anhaengen(arg, "%", 1);
                    inhalt = true;
                } else if (std::strchr("fFuU", code) && !datei_gesetzt) {
                    Anhaengen(arg, "%1", 2);
                    datei_gesetzt = mit_datei = inhalt = true;
                } else if (code == 'c' || code == 'k') {
                    const char *s = code == 'c' ? e.name : e.pfad;
                    Anhaengen(arg, s, std::strlen(s));
                    inhalt = true;
                }
            } else {
                Anhaengen(arg, p, 1);
                inhalt = true;
            }
        }
        if (arg.zu_lang)
            return false;
        if (!inhalt)
            continue;
        Argument_schreiben(a, arg.text, arg.laenge, programm, mit_datei);
        programm = false;
    }
}

int32_t Text_geben(const char *text, char *ziel, uint32_t groesse)
{
    size_t n = std::strlen(text);
    if (n >= groesse)
        return Register_zu_lang;
    std::memcpy(ziel, text, n + 1);
    return 0;
}

} // namespace

int32_t Desktop_Wert(const char *pfad, char *ziel, uint32_t groesse)
{
    size_t n = std::strlen(pfad);
    if (pfad[0] == '.' && !std::strchr(pfad, '\\')) {
        char typ[256];
        if (!Mimetyp_finden(pfad, typ, sizeof typ))
            return Register_fehlt;
        return ziel ? Text_geben(typ, ziel, groesse) : 0;
    }
    size_t bn = sizeof Oeffnen_Befehl - 1;
    if (n <= bn || n - bn >= Wertgrenze || !Gleich_ohne_Fall(pfad + n - bn, bn, Oeffnen_Befehl, bn))
        return Register_fehlt;
    char typ[Wertgrenze];
    std::memcpy(typ, pfad, n - bn);
    typ[n - bn] = '\0';
    if (!std::strchr(typ, '/') || std::strchr(typ, '\\'))
        return Register_fehlt;
    static_assert(sizeof(Eintrag) < 8192, "an entry lives on the stack");
    Eintrag e;
    if (!Anwendung_finden(typ, &e))
        return Register_fehlt;
    if (!ziel)
        return 0;
    Ausgabe a = {ziel, groesse, 0, false};
    ziel[0] = '\0';
    if (!Exec_umsetzen(e, a))
        return Register_fehlt;
    return a.zu_lang ? Register_zu_lang : 0;
}
