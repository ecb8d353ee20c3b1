// ausgabe.cpp - what the korvan command writes: error lines, paths, JSON
// strings, quoted texts and progress.
#include "befehl.h"

#include "korvan.h"
#include "system/system.h"

#include <chrono>
#include <cstdio>

namespace {

// Code page 1252 from 0x80 to 0x9F; its five unused bytes stand for the
// control characters of the same number.
const uint16_t Cp1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void Utf8_anhaengen(std::string &s, uint32_t z)
{
    if (z < 0x80) {
        s += static_cast<char>(z);
    } else if (z < 0x800) {
        s += static_cast<char>(0xC0 | (z >> 6));
        s += static_cast<char>(0x80 | (z & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (z >> 12));
        s += static_cast<char>(0x80 | ((z >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (z & 0x3F));
    }
}

// Whether the text is well-formed UTF-8 (no overlong forms, no surrogates).
bool Ist_Utf8(std::string_view t)
{
    for (size_t i = 0; i < t.size();) {
        auto b = static_cast<unsigned char>(t[i]);
        size_t n = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 9;
        if (n == 9 || i + n >= t.size())
            return false;
        uint32_t z = n == 0 ? b : b & (0x3F >> n);
        for (size_t k = 1; k <= n; ++k) {
            auto f = static_cast<unsigned char>(t[i + k]);
            if ((f & 0xC0) != 0x80)
                return false;
            z = (z << 6) | (f & 0x3F);
        }
        static const uint32_t Mindestens[4] = {0, 0x80, 0x800, 0x10000};
        if (z < Mindestens[n] || z > 0x10FFFF || (z >= 0xD800 && z <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

} // namespace

int Fehler(int status, const std::string &text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "korvan: %s\n", text.c_str());
    return status;
}

int Fehler(const Unterbefehl &b, int status, const std::string &text)
{
    return Fehler(status, std::string(b.name) + ": " + text);
}

bool Schraeg(const Werte &w)
{
#ifdef _WIN32
    (void)w;
    return false;
#else
    return !w.gegeben("backslash");
#endif
}

std::string Pfadform(std::string pfad, bool schraeg)
{
    if (schraeg)
        KR_Slashify(pfad.data(), '/');
    return pfad;
}

namespace {

// A text between double quotes with the escapes that JSON and C share; a
// control character as `\u00XX` (json) or `\xXX`, and a byte above 0x7F of
// a text that is no UTF-8 as the character of code page 1252 (json) or as
// it stands.
std::string In_Anfuehrungszeichen(std::string_view text, bool json)
{
    bool utf8 = !json || Ist_Utf8(text);
    std::string s = "\"";
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b == '"' || b == '\\') {
            s += '\\';
            s += c;
        } else if (b == '\n') {
            s += "\\n";
        } else if (b == '\r') {
            s += "\\r";
        } else if (b == '\t') {
            s += "\\t";
        } else if (b < 0x20 || b == 0x7F) {
            char u[8];
            std::snprintf(u, sizeof u, json ? "\\u%04x" : "\\x%02x", b);
            s += u;
        } else if (b < 0x80 || utf8) {
            s += c;
        } else {
            Utf8_anhaengen(s, b < 0xA0 ? Cp1252[b - 0x80] : b);
        }
    }
    return s + "\"";
}

} // namespace

std::string Json_Text(std::string_view text)
{
    return In_Anfuehrungszeichen(text, true);
}

std::string Zitiert(std::string_view text)
{
    return In_Anfuehrungszeichen(text, false);
}

void Zeile_ausgeben(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

namespace {

int64_t Millisekunden()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

Fortschritt::Fortschritt(const Werte &w)
    : an_(w.gegeben("progress") || Fehlerausgabe_ist_Terminal()), zuletzt_(Millisekunden())
{
}

void Fortschritt::melden(const std::string &text)
{
    int64_t jetzt = Millisekunden();
    if (!an_ || jetzt - zuletzt_ < 100)
        return;
    zuletzt_ = jetzt;
    zeigen(text, "");
}

void Fortschritt::jetzt(const std::string &text)
{
    if (!an_)
        return;
    zuletzt_ = Millisekunden();
    zeigen(text, "");
}

void Fortschritt::beenden(const std::string &text)
{
    if (an_)
        zeigen(text, "\n");
    an_ = false;
}

// Each report is written over the one before; blanks wipe a longer one.
void Fortschritt::zeigen(const std::string &text, const char *ende)
{
    std::string zeile = "\r" + text;
    if (text.size() < breite_)
        zeile.append(breite_ - text.size(), ' ');
    breite_ = text.size();
    std::fputs((zeile + ende).c_str(), stderr);
    std::fflush(stderr);
}
