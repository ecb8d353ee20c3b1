// Each memory request (or memory-object read) fails in turn: a failure result, the caller's data untouched.
#include "haken.h"

#include "argumentwerte.h"
#include "testhilfe.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

struct {
    bool aktiv, lesen; // the n-th request of the memory libraries and the heap, or the n-th read
    long zaehler, fehler_bei;
    const char *was; // the request that failed in this run
} z;

// Run n fails the n-th request, until a run ends before its failure came; gives the number of runs.
long Durchlaufen(bool lesen, const std::function<void()> &probe, const std::function<void()> &vorbereiten = {})
{
    fehlerhaken = [](const char *was, size_t) {
        if (!z.aktiv || (std::strcmp(was, "Quidel_Lesen") == 0) != z.lesen || ++z.zaehler != z.fehler_bei)
            return false;
        z.was = was;
        return true;
    };
    for (long n = 1;; ++n) {
        if (vorbereiten)
            vorbereiten();
        z = {true, lesen, 0, n, nullptr};
        probe();
        z.aktiv = false;
        if (!z.was || ::testing::Test::HasFailure())
            return n;
    }
}

bool Ausgeloest() { return z.was; }
const char *Was() { return z.was ? z.was : ""; }
bool In_Tamsel() { return z.was && std::strncmp(z.was, "Tamsel_", 7) == 0; }

// While it lives, requests are neither counted nor failed.
struct Ohne_Fehler {
    bool war = z.aktiv;
    Ohne_Fehler() { z.aktiv = false; }
    ~Ohne_Fehler() { z.aktiv = war; }
};

namespace fs = std::filesystem;

// One line of each kind, in pool mode and in a fixed block: a failure gives null, keeps nothing, leaves text and block.
TEST(Fehlerprobe, Argumentzeilen)
{
    const char *faelle[][2] = {
        {"FROM/M,TO/A,QUIET/S", "a.c b.c out.o quiet"}, {"NAME/K,COUNT/N,MODE=ART/K", "name=x count=42 art=\"a b\""},
        {"V/M/N", "1 2 3"}, {"CMD/F", "CMD run this; now"}, {"SRC/M,EXTRA/M/K", "a EXTRA=x b EXTRA=y"},
        {"A/A,B/A,C/M", "p q r s"}};
    static char unberuehrt;
    for (bool fest : {false, true}) {
        for (auto &f : faelle) {
            auto lauf = [&] {
                std::string text = f[1];
                std::vector<char> block(fest ? 256 : 0, 'G');
                void *werte[8], *speicher = fest ? block.data() : nullptr;
                std::fill(std::begin(werte), std::end(werte), &unberuehrt);
                Argumentsatz satz{{}, nullptr, speicher, static_cast<uint32_t>(block.size()), {}, fest ? KR_ARG_FESTSPEICHER : 0u};
                satz.zugriffshandle.puffer = text.data();
                satz.zugriffshandle.laenge = static_cast<uint32_t>(text.size());
                Argumentsatz *r = KR_Argumente_lesen(f[0], werte, &satz);
                EXPECT_EQ(r, Ausgeloest() ? nullptr : &satz) << f[0] << " failing " << Was();
                EXPECT_TRUE(r || (!satz.mehrfachliste && satz.speicher == speicher && satz.speichergroesse == block.size() &&
                                  satz.argflags == (fest ? KR_ARG_FESTSPEICHER : 0u)));
                EXPECT_TRUE(text == f[1] && (!fest || block.back() == 'G'));
                auto slots = r ? kt::Argumentwerte(f[0], werte, &unberuehrt, static_cast<char *>(speicher), 256)
                               : std::vector<std::string>();
                KR_Arg_freigeben(&satz);
                return slots;
            };
            const auto ungestoert = lauf();
            // The pool head and a pool block; a multiple item's array in both modes.
            EXPECT_GE(Durchlaufen(false, [&] { EXPECT_TRUE(lauf() == ungestoert || Ausgeloest()) << f[0]; }), fest ? 1 : 3);
        }
    }
}

// Two levels of files with long names: the list outgrows its first block.
void Baum_anlegen(const fs::path &wurzel)
{
    for (const char *ordner : {"", "eins", "eins/tief", "zwei"}) {
        fs::create_directories(wurzel / ordner);
        for (int i = 0; i < 6; ++i)
            kt::Datei_schreiben((wurzel / ordner / ("datei-mit-langem-namen-" + std::to_string(i) + ".txt")).string(), "x");
    }
}

std::vector<std::string> Pfade(const char *liste, int anzahl)
{
    std::vector<std::string> pfade;
    for (int i = 0; i < anzahl && liste; ++i, liste += std::strlen(liste) + 1)
        pfade.emplace_back(liste);
    return pfade;
}

// A failed request fails the listing (a folder searched without heap is empty); a deletion stops there.
TEST(Fehlerprobe, VerzeichnisbaumListenUndLoeschen)
{
    kt::Tempordner d;
    const fs::path wurzel = d.pfad() / "baum";
    const std::string ordner = wurzel.string(), daneben = d / "daneben.txt";
    Baum_anlegen(wurzel);
    kt::Datei_schreiben(daneben, "bleibt");
    char *liste = nullptr;
    const int alle = KR_FileTree(ordner.c_str(), "*.*", &liste, KR_BAUM_VERZEICHNISSE);
    ASSERT_EQ(alle, 27);
    const std::vector<std::string> ungestoert = Pfade(liste, alle);
    KR_FileTreefree(liste);
    EXPECT_GE(Durchlaufen(false, [&] {
        char *l = nullptr;
        int r = KR_FileTree(ordner.c_str(), "*.*", &l, KR_BAUM_VERZEICHNISSE);
        if (!Ausgeloest() || In_Tamsel()) {
            EXPECT_EQ(r, Ausgeloest() ? -1 : alle) << Was();
            EXPECT_EQ(Pfade(l, r), Ausgeloest() ? std::vector<std::string>() : ungestoert);
        } else {
            ASSERT_TRUE(r >= 0 && r < alle) << r << " failing " << Was();
            auto k = ungestoert.begin();
            for (const auto &p : Pfade(l, r))
                ASSERT_NE(k = std::find(k, ungestoert.end(), p), ungestoert.end()) << p << " failing " << Was();
        }
        KR_FileTreefree(l);
    }), 8); // four searches, the list's block and its growths

    auto eintraege = [&] { return std::distance(fs::recursive_directory_iterator(wurzel), {}); };
    long vorher = 0;
    EXPECT_GE(Durchlaufen(false, [&] {
        int r = KR_DelTree(ordner.c_str());
        Ohne_Fehler o;
        // A failed listing removes nothing; an unsearchable folder stays with those above.
        const bool bleibt = fs::exists(wurzel);
        EXPECT_TRUE(r == 1 ? !bleibt || eintraege() == vorher : Ausgeloest() && !In_Tamsel() && bleibt) << Was();
        EXPECT_TRUE(Ausgeloest() || (r == 1 && !bleibt));
        EXPECT_EQ(kt::Datei_lesen(daneben), "bleibt");
    }, [&] { fs::remove_all(wurzel), Baum_anlegen(wurzel), vorher = eintraege(); }), 8);
}

// Nested includes: a failed call names its file and line and leaves no output, nor a temporary file.
TEST(Fehlerprobe, VerschachteltesPreprozessieren)
{
    kt::Tempordner d;
    fs::create_directories(d.pfad() / "sub");
    const std::string eingabe = d / "haupt.c", ausgabe = d / "aus.i";
    kt::Datei_schreiben(eingabe, "eins\n#include \"a.h\"\nzwei\n#include \"sub/b.h\"\ndrei\n");
    kt::Datei_schreiben(d / "a.h", "a1\n#include <sub/b.h>\na2\n");
    kt::Datei_schreiben(d / "sub/b.h", "b1\n");
    Preprozess_Fehler f;
    ASSERT_EQ(KR_Preprozess(eingabe.c_str(), ausgabe.c_str(), &f), 1);
    const std::string ungestoert = kt::Datei_lesen(ausgabe);
    EXPECT_GE(Durchlaufen(false, [&] {
        std::memset(&f, 0x5A, sizeof f);
        int r = KR_Preprozess(eingabe.c_str(), ausgabe.c_str(), &f);
        Ohne_Fehler o;
        std::string teil = fs::exists(ausgabe) ? kt::Datei_lesen(ausgabe) : "-";
        EXPECT_EQ(r, Ausgeloest() ? 0 : 1);
        EXPECT_EQ(f.code, Ausgeloest() ? (f.zeile == 0 ? f.code : 2) : 0) << Was();
        EXPECT_EQ(teil, Ausgeloest() ? "-" : ungestoert) << Was();
        EXPECT_EQ(std::distance(fs::directory_iterator(d.pfad()), {}), Ausgeloest() ? 3 : 4);
        if (!Ausgeloest())
            return;
        const std::string name = f.fehlername;
        // The input or output did not open, or an include-stack entry failed.
        EXPECT_TRUE(f.zeile != 0 || (f.code == 2 && name == eingabe) || (f.code == 3 && name == ausgabe)) << name;
        EXPECT_TRUE(f.zeile == 0 || !In_Tamsel() || (std::strstr(f.zeilentext, "include") &&
                    (name.ends_with("\\a.h") || name.ends_with("\\b.h")))) << f.zeilentext << name;
    }, [&] { fs::remove(ausgabe); }), 8); // input, output, three includes; stack entries
}

const std::string Text = "[a]\r\nx: 1\r\n; remark\r\n[b]\r\ny: 2\r\nz=3\r\n{1.2}\r\nk: v\r\n";
// Longer than section a: the object grows when it replaces it.
const std::string Block = "[neu]\r\nw: 4\r\nname: \"ein laengerer Wert\"\r\n";

bool Leer(const Zugriffshandle &h)
{
    static const Zugriffshandle leer{};
    return std::memcmp(&h, &leer, sizeof h) == 0;
}

std::string Rest(Zugriffshandle *h)
{
    std::string s;
    for (int c; (c = KR_Zeichen_lesen(h)) != -1;)
        s.push_back(static_cast<char>(c));
    return s;
}

// Load, create, edit, save, reread and clone: without memory the handle stays empty, an append gives 0.
TEST(Fehlerprobe, KonfigurationUndDateiquelle)
{
    kt::Tempordner d;
    const std::string pfad = d / "k.cfg";
    for (bool laden : {false, true}) {
        long laeufe = Durchlaufen(false, [&] {
            Zugriffshandle h{};
            int status = laden ? KR_Konfig_Datei_oeffnen(pfad.c_str(), &h) : KR_Konfig_Datei_anlegen(&h);
            EXPECT_TRUE(!status || (Ausgeloest() && status == QUIDEL_STATUS_KEIN_SPEICHER && Leer(h))) << status;
            if (status) {
                EXPECT_EQ(kt::Datei_lesen(pfad), Text);
                return;
            }
            std::string erwartet = laden ? Text.substr(Text.find("[b]")) : std::string("\x1A\0\r\n", 4);
            EXPECT_EQ(KR_Abschnitt_finden("b", &h), laden ? '[' : 0);
            EXPECT_EQ(KR_Abschnitt_loeschen("a", &h), laden ? 1 : 0);
            int r = KR_Block_hinzufuegen(Block.data(), static_cast<int>(Block.size()), &h);
            EXPECT_EQ(r, Ausgeloest() ? r : 1);
            erwartet += r == 1 ? Block : "";
            EXPECT_EQ(kt::Objekttext(h), erwartet);
            EXPECT_EQ(KR_Abschnitt_finden("neu", &h), r == 1 ? '[' : 0);
            EXPECT_EQ(KR_Konfig_Datei_schreiben(pfad.c_str(), &h), 0);
            KR_Konfig_Datei_schliessen(&h);
            EXPECT_EQ(kt::Datei_lesen(pfad), erwartet);

            Zugriffshandle f{}, k{};
            if (KR_Datei_oeffnen(pfad.c_str(), &f) != 0) {
                EXPECT_TRUE(Ausgeloest() && Leer(f));
                return;
            }
            EXPECT_EQ(KR_Zeichen_lesen(&f), static_cast<unsigned char>(erwartet[0]));
            const bool geklont = KR_Zugriffshandle_clonen(&f, &k) == 1;
            EXPECT_TRUE(geklont ? Rest(&k) == erwartet.substr(1) : Ausgeloest() && Leer(k));
            KR_Konfig_Datei_schliessen(&k);
            EXPECT_EQ(Rest(&f), erwartet.substr(1));
            KR_Konfig_Datei_schliessen(&f);
        }, [&] { kt::Datei_schreiben(pfad, Text); });
        EXPECT_GE(laeufe, 6); // object, growth; record and stream, twice
    }
}

// A failed memory-object read is the text's end: results in range, inside the text, no byte changed.
TEST(Fehlerprobe, LesefehlerGeltenAlsTextende)
{
    kt::Tempordner d;
    const std::string pfad = d / "l.cfg";
    kt::Datei_schreiben(pfad, Text);
    EXPECT_GE(Durchlaufen(true, [&] {
        Zugriffshandle h{};
        ASSERT_EQ(KR_Konfig_Datei_oeffnen(pfad.c_str(), &h), 0);
        char puffer[41], symbol[16];
        h.symbolpuffer = symbol, h.symbolgroesse = sizeof symbol;
        int abschnitt = KR_Abschnitt_finden("b", &h), eintraege = 0, symbole = 0, s;
        while (KR_naechster_Eintrag(puffer, sizeof puffer, &h) == 1 && ++eintraege < 10)
            EXPECT_GE(KR_Element_lesen_2(puffer, sizeof puffer, &h), -1);
        int klasse = KR_Klasse_finden(1, 2, &h);
        KR_positionieren(&h, 0);
        while ((s = KR_naechstes_Symbol(&h)) != 0 && ++symbole < 100)
            EXPECT_TRUE(s >= -1 && s <= 3) << s;
        EXPECT_TRUE(h.position >= 0 && static_cast<uint32_t>(h.position) <= h.laenge);
        const bool a = Ausgeloest();
        EXPECT_TRUE((abschnitt == '[' || (a && !abschnitt)) && (klasse == '{' || (a && !klasse))) << abschnitt << klasse;
        EXPECT_TRUE(a || (eintraege == 1 && symbole == 16)) << eintraege << " " << symbole; // z=3 is an INI entry
        Ohne_Fehler o;
        EXPECT_EQ(kt::Objekttext(h), Text);
        KR_Konfig_Datei_schliessen(&h);
    }), 2); // the readers fetch an object's bytes in pieces
}

} // namespace
