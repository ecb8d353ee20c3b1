// fuzz_preprozess.cpp - the preprocessor fuzzed on include trees: the error record kept past its fields.
#include "fuzzhilfe.h"

#include "korvan.h"

#include <fstream>

namespace {

namespace fs = std::filesystem;

const char *const Dateinamen[] = {"haupt.c", "a.h", "b.h", "sub/c.h"};

void Schreiben(const fs::path &p, const std::string &text)
{
    std::ofstream(p, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
}

// In its folder (no include name absolute or climbing), few includes: no run expands into millions of lines.
bool Brauchbar(const std::string &text)
{
    size_t n = 0;
    for (size_t p = text.find("include"); p != std::string::npos; p = text.find("include", p + 1))
        ++n;
    for (const char *verboten : {"..", "\"/", "\"\\", "</", "<\\"})
        n += text.find(verboten) != std::string::npos ? 100 : 0;
    return n <= 24;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *daten, size_t n)
{
    static const fs::path baum = kf::Eigener_Ordner() / "baum";
    static const bool angelegt = fs::create_directories(baum / "sub");
    kf::Eingabe e = kf::Zerlegen(daten, n, 4);
    if (!angelegt || !Brauchbar(e.text))
        return 0;
    std::string inhalt[4];
    for (size_t i = 0, von = 0; i < 4; ++i) {
        size_t rest = e.text.size() - von;
        size_t laenge = i == 3 || (i == 0 && e.schritte.empty()) ? rest : i < e.schritte.size() ? e.schritte[i].a % (rest + 1) : 0;
        inhalt[i] = e.text.substr(von, laenge);
        von += laenge;
        Schreiben(baum / Dateinamen[i], inhalt[i]);
    }
    std::string eingabe = (baum / "haupt.c").string();
    size_t lang = 250 + (e.steuer >> 2) % 16 - baum.string().size() - 1;
    if (e.steuer % 3 == 1)
        eingabe = fs::relative(eingabe).string();
    if (e.steuer % 3 == 2 && lang < 256 && lang > 4) {
        eingabe = (baum / ("h" + std::string(lang - 3, 'x') + ".c")).string();
        Schreiben(eingabe, inhalt[0]);
    }
    const std::string ausgabe = (baum.parent_path() / "aus.txt").string();
    std::error_code ec;
    fs::remove(ausgabe, ec);

    kf::Puffer satz(sizeof(Preprozess_Fehler));
    auto *f = reinterpret_cast<Preprozess_Fehler *>(satz.daten());
    bool mit_satz = !(e.steuer & 0x80);
    int r = KR_Preprozess(eingabe.c_str(), ausgabe.c_str(), mit_satz ? f : nullptr);
    KF_PRUEFEN(r == 0 || r == 1);
    KF_PRUEFEN(mit_satz || satz.unberuehrt());
    if (mit_satz && r == 1)
        KF_PRUEFEN(f->code == 0 && satz.inhalt().substr(4) == std::string(sizeof *f - 4, static_cast<char>(kf::Puffer::Muster)));
    if (mit_satz && r == 0) {
        KF_PRUEFEN(f->code != 0 && f->reserve == 0 && std::memchr(f->datei, 0, sizeof f->datei) &&
                   std::memchr(f->fehlername, 0, sizeof f->fehlername) && std::memchr(f->zeilentext, 0, sizeof f->zeilentext));
        // An input that did not open leaves no output; an error elsewhere names the file and its line.
        KF_PRUEFEN(f->zeile != 0 || f->code != 2 || (eingabe.substr(0, 259) == f->fehlername && !fs::exists(ausgabe)));
    }
    return 0;
}
