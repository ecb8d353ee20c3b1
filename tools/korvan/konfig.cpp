// konfig.cpp - the subcommands on configuration files: sections, show, get,
// set and remove, on the blocks and entries of the C++ layer.
#include "befehl.h"
#include "platform/plattform.h"

#include <cstdio>

namespace {

// How long an edit waits for another edit of the same file to end.
constexpr int Sperrwartezeit = 5000;

// The lock of an edit, held from the read to the save.
struct Sperre {
    Dateisperre *s = nullptr;
    ~Sperre() { Sperre_freigeben(s); }
};

// Takes the file's lock; the error line when it cannot be had.
bool Sperren(const Unterbefehl &b, const std::string &datei, Sperre *sperre, int *status)
{
    bool belegt;
    sperre->s = Sperre_nehmen(datei.c_str(), Sperrwartezeit, &belegt);
    if (sperre->s)
        return true;
    *status = Fehler(b, Status_Fehler,
                     "cannot lock " + datei + (belegt ? ": another edit of it has held its lock for 5 s"
                                                      : ": no lock file can be made beside it"));
    return false;
}

// Opens the file as a memory object; the error line when it cannot be.
bool Oeffnen(const Unterbefehl &b, const std::string &datei, std::optional<kr::Zugriff> *z, int *status)
{
    auto o = kr::Zugriff::Konfig_Datei_oeffnen(datei);
    if (!o) {
        *status = Fehler(b, Status_Fehler, o.fehler());
        return false;
    }
    z->emplace(std::move(*o));
    return true;
}

std::string Kopf(const kr::Block &k)
{
    return k.klammer == '{' ? "{" + k.name + "}" : "[" + k.name + "]";
}

const char *Art(const kr::Block &k)
{
    return k.klammer == '{' ? "class" : "section";
}

// A value on one line: decoded, but as a quoted string of the
// configuration's own form when it holds a line end or a double quote.
std::string Einzeilig(const std::string &wert)
{
    if (wert.find_first_of("\r\n\"") == std::string::npos)
        return wert;
    auto q = kr::Zeichenkette(wert);
    return q ? *q : wert;
}

// A name of the form group.number, unsigned decimal without leading zeros.
bool Ist_Klassenname(const std::string &name)
{
    size_t punkt = name.find('.');
    auto zahl = [](std::string_view t) {
        if (t.empty() || t.size() > 10 || (t.size() > 1 && t[0] == '0'))
            return false;
        for (char c : t) {
            if (c < '0' || c > '9')
                return false;
        }
        return std::stoull(std::string(t)) <= 0xFFFFFFFFull;
    };
    return punkt != std::string::npos && zahl(std::string_view(name).substr(0, punkt)) &&
           zahl(std::string_view(name).substr(punkt + 1));
}

// Gives the entry the value so that it reads back as exactly that value:
// as it stands where it can, else as a quoted string.
bool Wert_setzen(kr::Block &k, const std::string &name, const std::string &wert, kr::Eintragsart art,
                 std::string *fehler)
{
    auto zurueck = [&] {
        const kr::Eintrag *e = k.eintrag(name);
        return e && e->wert == wert;
    };
    auto ok = k.setzen(name, wert, art);
    if (ok && zurueck())
        return true;
    auto q = kr::Zeichenkette(wert);
    if (q && k.setzen(name, *q, art) && zurueck())
        return true;
    *fehler = ok ? "the value " + Zitiert(wert) + " cannot be written so that it reads back the same" : ok.fehler();
    return false;
}

// The line end that the file uses, so that a rewritten block keeps to it.
std::string Zeilenende(kr::Zugriff &z)
{
    auto t = z.text();
    if (!t)
        return "\n";
    size_t i = t->find_first_of("\r\n");
    if (i == std::string::npos)
        return "\n";
    if (i + 1 < t->size() && (*t)[i + 1] != (*t)[i] && ((*t)[i + 1] == '\r' || (*t)[i + 1] == '\n'))
        return t->substr(i, 2);
    return t->substr(i, 1);
}

std::string Mit_Zeilenende(const std::string &text, const std::string &ende)
{
    if (ende == "\n")
        return text;
    std::string s;
    for (char c : text)
        s += c == '\n' ? ende : std::string(1, c);
    return s;
}

} // namespace

int Befehl_sections(const Unterbefehl &b, const Werte &w)
{
    std::optional<kr::Zugriff> z;
    int status;
    if (!Oeffnen(b, w.text("FILE"), &z, &status))
        return status;
    auto bloecke = z->bloecke();
    if (!bloecke)
        return Fehler(b, Status_Fehler, bloecke.fehler());
    if (!w.gegeben("JSON")) {
        for (const kr::Block &k : *bloecke)
            Zeile_ausgeben(Kopf(k));
        return Status_ok;
    }
    std::string s = "[";
    for (size_t i = 0; i < bloecke->size(); ++i) {
        const kr::Block &k = (*bloecke)[i];
        s += std::string(i ? "," : "") + "\n  {\"kind\": \"" + Art(k) + "\", \"name\": " + Json_Text(k.name) +
             ", \"line\": " + std::to_string(k.zeile) + "}";
    }
    Zeile_ausgeben(s + (bloecke->empty() ? "]" : "\n]"));
    return Status_ok;
}

int Befehl_show(const Unterbefehl &b, const Werte &w)
{
    std::optional<kr::Zugriff> z;
    int status;
    if (!Oeffnen(b, w.text("FILE"), &z, &status))
        return status;
    std::vector<kr::Block> bloecke;
    if (w.gegeben("SECTION")) {
        auto k = z->block(w.text("SECTION"));
        if (!k)
            return Fehler(b, Status_fehlt, "no block " + w.text("SECTION") + " in " + w.text("FILE"));
        bloecke.push_back(std::move(*k));
    } else {
        auto alle = z->bloecke();
        if (!alle)
            return Fehler(b, Status_Fehler, alle.fehler());
        bloecke = std::move(*alle);
    }

    if (!w.gegeben("JSON")) {
        for (const kr::Block &k : bloecke) {
            for (const kr::Eintrag &e : k.eintraege)
                Zeile_ausgeben(k.name + "." + e.name + "=" + Einzeilig(e.wert));
        }
        return Status_ok;
    }
    std::string s = "[";
    for (size_t i = 0; i < bloecke.size(); ++i) {
        const kr::Block &k = bloecke[i];
        s += std::string(i ? "," : "") + "\n  {\"kind\": \"" + Art(k) + "\", \"name\": " + Json_Text(k.name) +
             ", \"line\": " + std::to_string(k.zeile) + ", \"entries\": [";
        for (size_t j = 0; j < k.eintraege.size(); ++j) {
            const kr::Eintrag &e = k.eintraege[j];
            s += std::string(j ? "," : "") + "\n    {\"kind\": \"" +
                 (e.art == kr::Eintragsart::INI ? "ini" : "colon") + "\", \"name\": " + Json_Text(e.name) +
                 ", \"value\": " + Json_Text(e.wert) + ", \"line\": " + std::to_string(e.zeile) + "}";
        }
        s += k.eintraege.empty() ? "]}" : "\n  ]}";
    }
    Zeile_ausgeben(s + (bloecke.empty() ? "]" : "\n]"));
    return Status_ok;
}

int Befehl_get(const Unterbefehl &b, const Werte &w)
{
    std::optional<kr::Zugriff> z;
    int status;
    if (!Oeffnen(b, w.text("FILE"), &z, &status))
        return status;
    auto k = z->block(w.text("SECTION"));
    if (!k)
        return Fehler(b, Status_fehlt, "no block " + w.text("SECTION") + " in " + w.text("FILE"));
    const kr::Eintrag *e = k->eintrag(w.text("NAME"));
    if (!e)
        return Fehler(b, Status_fehlt, "no entry " + w.text("NAME") + " in the block " + Kopf(*k));
    Zeile_ausgeben(e->wert);
    return Status_ok;
}

int Befehl_set(const Unterbefehl &b, const Werte &w)
{
    const std::string datei = w.text("FILE"), abschnitt = w.text("SECTION");
    std::optional<kr::Zugriff> z;
    int status;
    Sperre sperre;
    if (!Sperren(b, datei, &sperre, &status) || !Oeffnen(b, datei, &z, &status))
        return status;

    // The block as it is, or a new one: a class when its name is a class's.
    kr::Block k;
    if (auto da = z->block(abschnitt)) {
        k = std::move(*da);
    } else {
        k.klammer = Ist_Klassenname(abschnitt) ? '{' : '[';
        k.name = abschnitt;
    }
    std::string fehler;
    auto art = w.gegeben("INI") ? kr::Eintragsart::INI : kr::Eintragsart::Doppelpunkt;
    if (!Wert_setzen(k, w.text("NAME"), w.text("VALUE"), art, &fehler))
        return Fehler(b, Status_Fehler, fehler);

    // The block goes and comes back at the end; the rest stays as it was.
    auto text = kr::Blocktext(k);
    if (!text)
        return Fehler(b, Status_Fehler, text.fehler());
    if (auto ok = z->ersetzen(abschnitt, Mit_Zeilenende(*text, Zeilenende(*z))); !ok)
        return Fehler(b, Status_Fehler, ok.fehler());
    if (auto ok = z->speichern(datei); !ok)
        return Fehler(b, Status_Fehler, ok.fehler());
    return Status_ok;
}

int Befehl_remove(const Unterbefehl &b, const Werte &w)
{
    const std::string datei = w.text("FILE"), abschnitt = w.text("SECTION");
    std::optional<kr::Zugriff> z;
    int status;
    Sperre sperre;
    if (!Sperren(b, datei, &sperre, &status) || !Oeffnen(b, datei, &z, &status))
        return status;
    if (!z->block(abschnitt))
        return Fehler(b, Status_fehlt, "no block " + abschnitt + " in " + datei);
    if (auto ok = z->entfernen(abschnitt); !ok)
        return Fehler(b, Status_Fehler, ok.fehler());
    if (auto ok = z->speichern(datei); !ok)
        return Fehler(b, Status_Fehler, ok.fehler());
    return Status_ok;
}
