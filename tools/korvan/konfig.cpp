// konfig.cpp - the subcommands on configuration files: sections, show, get,
// list, set, unset and remove, on the blocks and entries of the C++ layer,
// which edits a file in place.
#include "befehl.h"
#include "pruefen.h"
#include "platform/plattform.h"

#include <cstdio>
#include <optional>

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

// The file to read: "-" is standard input, read whole into a memory buffer.
bool Lesen_oeffnen(const Unterbefehl &b, const std::string &datei, std::optional<kr::Zugriff> *z, int *status)
{
    if (datei != "-")
        return Oeffnen(b, datei, z, status);
    std::string text;
    char puffer[65536];
    for (size_t n; (n = std::fread(puffer, 1, sizeof puffer, stdin)) > 0;)
        text.append(puffer, n);
    if (std::ferror(stdin) || text.size() > static_cast<size_t>(INT32_MAX)) {
        *status = Fehler(b, Status_Fehler, "cannot read standard input");
        return false;
    }
    z->emplace(kr::Zugriff::Puffer(text));
    return true;
}

// The file to edit as a memory object: an empty one when there is no file.
bool Anlegen_oder_oeffnen(const Unterbefehl &b, const std::string &datei, std::optional<kr::Zugriff> *z,
                          int *status)
{
    if (Datei_existiert(datei.c_str()))
        return Oeffnen(b, datei, z, status);
    auto leer = kr::Zugriff::leer();
    if (!leer) {
        *status = Fehler(b, Status_Fehler, leer.fehler());
        return false;
    }
    z->emplace(std::move(*leer));
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

// The blocks and their entries as a JSON array.
std::string Json_Bloecke(const std::vector<kr::Block> &bloecke)
{
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
    return s + (bloecke.empty() ? "]" : "\n]");
}

// A text as one shell word on one line: as it is when it holds only
// characters that a shell takes literally, in single quotes when it holds
// no control character, else as $'...' with backslash escapes.
std::string Shellwort(const std::string &t)
{
    if (!t.empty() && t.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_./:@%+,-") ==
                          std::string::npos)
        return t;
    bool steuer = false;
    for (unsigned char c : t)
        steuer = steuer || c < 0x20 || c == 0x7F;
    std::string s = steuer ? "$'" : "'";
    for (unsigned char c : t) {
        if (!steuer) {
            s += c == '\'' ? std::string("'\\''") : std::string(1, static_cast<char>(c));
        } else if (c == '\'' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c == '\n') {
            s += "\\n";
        } else if (c == '\t') {
            s += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            static const char Ziffern[] = "0123456789abcdef";
            s += std::string("\\x") + Ziffern[c >> 4] + Ziffern[c & 15];
        } else {
            s += static_cast<char>(c);
        }
    }
    return s + "'";
}

// Saves the edited file; the error line when it cannot be.
int Speichern(const Unterbefehl &b, kr::Zugriff &z, const std::string &datei)
{
    if (auto ok = z.speichern(datei); !ok)
        return Fehler(b, Status_Fehler, ok.fehler());
    return Status_ok;
}

} // namespace

int Befehl_sections(const Unterbefehl &b, const Werte &w)
{
    std::optional<kr::Zugriff> z;
    int status;
    if (!Lesen_oeffnen(b, w.operand(0), &z, &status))
        return status;
    auto bloecke = z->bloecke();
    if (!bloecke)
        return Fehler(b, Status_Fehler, bloecke.fehler());
    if (!w.gegeben("json")) {
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
    if (!Lesen_oeffnen(b, w.operand(0), &z, &status))
        return status;
    std::vector<kr::Block> bloecke;
    if (w.operanden.size() > 1) {
        auto k = z->block(w.operand(1));
        if (!k)
            return Fehler(b, Status_fehlt, "no block " + w.operand(1) + " in " + w.operand(0));
        bloecke.push_back(std::move(*k));
    } else {
        auto alle = z->bloecke();
        if (!alle)
            return Fehler(b, Status_Fehler, alle.fehler());
        bloecke = std::move(*alle);
    }
    if (w.gegeben("json")) {
        Zeile_ausgeben(Json_Bloecke(bloecke));
        return Status_ok;
    }
    for (const kr::Block &k : bloecke) {
        for (const kr::Eintrag &e : k.eintraege)
            Zeile_ausgeben(k.name + "." + e.name + "=" + Einzeilig(e.wert));
    }
    return Status_ok;
}

int Befehl_list(const Unterbefehl &b, const Werte &w)
{
    std::optional<kr::Zugriff> z;
    int status;
    if (!Lesen_oeffnen(b, w.operand(0), &z, &status))
        return status;
    auto bloecke = z->bloecke();
    if (!bloecke)
        return Fehler(b, Status_Fehler, bloecke.fehler());
    if (w.gegeben("json")) {
        Zeile_ausgeben(Json_Bloecke(*bloecke));
        return Status_ok;
    }
    for (const kr::Block &k : *bloecke) {
        Zeile_ausgeben(std::string(Art(k)) + " " + Shellwort(k.name));
        for (const kr::Eintrag &e : k.eintraege)
            Zeile_ausgeben("entry " + Shellwort(k.name) + " " + Shellwort(e.name) + " " + Shellwort(e.wert));
    }
    return Status_ok;
}

int Befehl_get(const Unterbefehl &b, const Werte &w)
{
    // --default, when given, stands for a missing block or entry.
    const bool ersatz = w.gegeben("default");
    std::optional<kr::Zugriff> z;
    int status;
    if (!Lesen_oeffnen(b, w.operand(0), &z, &status))
        return status;
    auto k = z->block(w.operand(1));
    const kr::Eintrag *e = k ? k->eintrag(w.operand(2)) : nullptr;
    if (e || ersatz) {
        Zeile_ausgeben(e ? e->wert : w.text("default"));
        return Status_ok;
    }
    if (!k)
        return Fehler(b, Status_fehlt, "no block " + w.operand(1) + " in " + w.operand(0));
    return Fehler(b, Status_fehlt, "no entry " + w.operand(2) + " in the block " + Kopf(*k));
}

int Befehl_set(const Unterbefehl &b, const Werte &w)
{
    const std::string datei = w.operand(0);
    std::optional<kr::Zugriff> z;
    int status;
    Sperre sperre;
    if (!Sperren(b, datei, &sperre, &status) || !Anlegen_oder_oeffnen(b, datei, &z, &status))
        return status;
    std::optional<kr::Eintragsart> art;
    if (w.gegeben("ini"))
        art = kr::Eintragsart::INI;
    if (auto ok = z->wert_setzen(w.operand(1), w.operand(2), w.operand(3), art); !ok)
        return Fehler(b, Status_Fehler, ok.fehler());
    return Speichern(b, *z, datei);
}

int Befehl_unset(const Unterbefehl &b, const Werte &w)
{
    const std::string datei = w.operand(0), abschnitt = w.operand(1), name = w.operand(2);
    std::optional<kr::Zugriff> z;
    int status;
    Sperre sperre;
    if (!Sperren(b, datei, &sperre, &status) || !Oeffnen(b, datei, &z, &status))
        return status;
    auto weg = z->eintrag_loeschen(abschnitt, name);
    if (!weg)
        return Fehler(b, Status_Fehler, weg.fehler());
    if (!*weg)
        return Fehler(b, Status_fehlt, "no entry " + name + " in the block " + abschnitt + " of " + datei);
    return Speichern(b, *z, datei);
}

int Befehl_remove(const Unterbefehl &b, const Werte &w)
{
    const std::string datei = w.operand(0), abschnitt = w.operand(1);
    std::optional<kr::Zugriff> z;
    int status;
    Sperre sperre;
    if (!Sperren(b, datei, &sperre, &status) || !Oeffnen(b, datei, &z, &status))
        return status;
    auto weg = z->block_loeschen(abschnitt);
    if (!weg)
        return Fehler(b, Status_Fehler, weg.fehler());
    if (!*weg)
        return Fehler(b, Status_fehlt, "no block " + abschnitt + " in " + datei);
    return Speichern(b, *z, datei);
}


int Befehl_check(const Unterbefehl &b, const Werte &w)
{
    std::optional<kr::Zugriff> z;
    int status;
    if (!Lesen_oeffnen(b, w.operand(0), &z, &status))
        return status;
    auto text = z->text();
    if (!text)
        return Fehler(b, Status_Fehler, text.fehler());
    return Pruefen_ausgeben(w.operand(0), *text);
}
