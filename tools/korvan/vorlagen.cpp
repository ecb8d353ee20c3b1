// vorlagen.cpp - the args subcommand: how a line is read against a
// template, item by item.
#include "befehl.h"

#include <algorithm>

namespace {

const char *Artname(kr::Wertart a)
{
    switch (a) {
    case kr::Wertart::Text: return "text";
    case kr::Wertart::Zahl: return "number";
    case kr::Wertart::Schalter: return "switch";
    case kr::Wertart::Liste: return "list";
    case kr::Wertart::Zahlenliste: return "number list";
    case kr::Wertart::Rest: return "rest";
    }
    return "";
}

// One item's value: for reading ("-" when it has none) or as JSON (null).
std::string Wert(const kr::Argumentwerte &w, const kr::Vorlagenposten &p, bool json)
{
    const std::string &n = p.name;
    std::string s;
    auto reihe = [&](const auto &werte, auto form) {
        for (const auto &x : werte)
            s += (s.empty() ? "" : json ? ", " : " ") + form(x);
        return json ? "[" + s + "]" : s.empty() ? "-" : s;
    };
    switch (p.art()) {
    case kr::Wertart::Schalter:
        return w.gegeben(n) ? (json ? "true" : "yes") : (json ? "false" : "no");
    case kr::Wertart::Liste:
        return reihe(w.liste(n).wert_oder({}), [json](const std::string &t) { return json ? Json_Text(t) : Zitiert(t); });
    case kr::Wertart::Zahlenliste:
        return reihe(w.zahlen(n).wert_oder({}), [](int32_t z) { return std::to_string(z); });
    default:
        break;
    }
    if (!w.gegeben(n))
        return json ? "null" : "-";
    if (p.art() == kr::Wertart::Zahl)
        return std::to_string(w.zahl(n).wert_oder(0));
    std::string t = w.text(n).wert_oder("");
    return json ? Json_Text(t) : Zitiert(t);
}

} // namespace

int Befehl_args(const Unterbefehl &b, const Werte &w)
{
    const std::string vorlage = w.operand(0);
    std::string zeile;
    for (size_t i = 1; i < w.operanden.size(); ++i)
        zeile += (i > 1 ? " " : "") + w.operanden[i];
    auto posten = kr::Vorlage_lesen(vorlage);
    if (!posten)
        return Fehler(b, Status_Fehler, "the template is wrong: " + posten.fehler());
    auto werte = kr::Argumente_lesen(vorlage, zeile);
    if (!werte)
        return Fehler(b, Status_fehlt, "the line does not fit the template: " + werte.fehler());

    if (w.gegeben("json")) {
        std::string s = "[";
        for (size_t i = 0; i < posten->size(); ++i) {
            const kr::Vorlagenposten &p = (*posten)[i];
            s += std::string(i ? "," : "") + "\n  {\"name\": " + Json_Text(p.name) + ", \"kind\": \"" +
                 Artname(p.art()) + "\", \"value\": " + Wert(*werte, p, true) + "}";
        }
        Zeile_ausgeben(s + (posten->empty() ? "]" : "\n]"));
        return Status_ok;
    }
    size_t breite = 0, artbreite = 0;
    for (const kr::Vorlagenposten &p : *posten) {
        breite = std::max(breite, p.name.size());
        artbreite = std::max(artbreite, std::string(Artname(p.art())).size());
    }
    for (const kr::Vorlagenposten &p : *posten) {
        std::string art = Artname(p.art());
        Zeile_ausgeben(p.name + std::string(breite - p.name.size() + 2, ' ') + art +
                       std::string(artbreite - art.size() + 2, ' ') + Wert(*werte, p, false));
    }
    return Status_ok;
}
