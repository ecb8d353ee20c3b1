// The subcommands on configuration files, on the bundled example and on
// files that they change, and the template subcommand: one whole output of
// each format, the rest as runs of status and outputs.
#include "befehlshilfe.h"

#include <algorithm>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using kb::Korvan;

const std::string Beispiel = kb::Beispiel("beispiel.cfg");

TEST(Konfig, AusgabeformateDesBeispiels)
{
    kb::Pruefen({
        {{"sections", Beispiel}, 0, "[server]\n[paths]\n[backup job]\n{12.1}\n{12.3}\n", ""},
        {{"sections", Beispiel, "json"}, 0,
         "[\n"
         "  {\"kind\": \"section\", \"name\": \"server\", \"line\": 6},\n"
         "  {\"kind\": \"section\", \"name\": \"paths\", \"line\": 15},\n"
         "  {\"kind\": \"section\", \"name\": \"backup job\", \"line\": 22},\n"
         "  {\"kind\": \"class\", \"name\": \"12.1\", \"line\": 28},\n"
         "  {\"kind\": \"class\", \"name\": \"12.3\", \"line\": 32}\n"
         "]\n", ""},
        {{"show", Beispiel}, 0,
         "server.name=Korvan build server\n"
         "server.host=build.example.org\n"
         "server.port=8080\n"
         "server.greeting=\"Welcome!*NBuilds run every night.\"\n"
         "server.timeout=30\n"
         "server.retries=3\n"
         "paths.root=/srv/korvan\n"
         "paths.logs=/var/log/korvan\n"
         "paths.archive=/srv/korvan/old builds; kept for a year\n"
         "paths.cache=/var/cache/korvan\n"
         "backup job.schedule=daily at 02:30\n"
         "backup job.label=\"*\"nightly*\" set\"\n"
         "backup job.keep=7\n"
         "12.1.colour=blue\n"
         "12.1.title=Group 12, first class\n"
         "12.3.colour=red\n"
         "12.3.weight=3\n", ""},
        {{"show", Beispiel, "12.3"}, 0, "12.3.colour=red\n12.3.weight=3\n", ""},
        {{"show", Beispiel, "nothing"}, 1, "", "korvan: show: no block nothing in " + Beispiel + "\n"},
        {{"get", Beispiel, "server", "greeting"}, 0, "Welcome!\nBuilds run every night.\n", ""},
        {{"get", Beispiel, "server", "nothing"}, 1, "", "korvan: get: no entry nothing in the block [server]\n"},
        {{"get", Beispiel, "12.2", "colour"}, 1, "", "korvan: get: no block 12.2 in " + Beispiel + "\n"},
        {{"get", Beispiel, "server"}, 2, "",
         "korvan: get: required item without a value: NAME; usage: korvan get FILE SECTION NAME [DEFAULT=VALUE]\n"},
    });
}

TEST(Konfig, JsonEinesAbschnittsUndFehlendeDateien)
{
    kt::Tempordner t;
    // One value in code page 1252 (a-umlaut, euro sign), one in UTF-8.
    kt::Datei_schreiben(t / "z.cfg", "[a]\n[z]\nalt: \xE4\x80\nneu: \xC3\xA4\xE2\x82\xAC\nctl: \"a*E*\"b\"\n");
    kt::Datei_schreiben(t / "leer.cfg", "; nothing here\n");
    kb::Pruefen({
        {{"show", t / "z.cfg", "SECTION=Z", "JSON"}, 0,
         "[\n  {\"kind\": \"section\", \"name\": \"z\", \"line\": 2, \"entries\": [\n"
         "    {\"kind\": \"colon\", \"name\": \"alt\", \"value\": \"\xC3\xA4\xE2\x82\xAC\", \"line\": 3},\n"
         "    {\"kind\": \"colon\", \"name\": \"neu\", \"value\": \"\xC3\xA4\xE2\x82\xAC\", \"line\": 4},\n"
         "    {\"kind\": \"colon\", \"name\": \"ctl\", \"value\": \"a\\u001b\\\"b\", \"line\": 5}\n"
         "  ]}\n]\n", ""},
        {{"get", t / "z.cfg", "z", "alt"}, 0, "\xE4\x80\n", ""},
        {{"sections", t / "leer.cfg", "JSON"}, 0, "[]\n", ""},
        {{"sections", t / "fehlt.cfg"}, 2, "",
         "korvan: sections: cannot open " + t / "fehlt.cfg" + ": the file cannot be opened or read\n"},
        {{"unset", t / "fehlt.cfg", "a", "x"}, 2, "",
         "korvan: unset: cannot open " + t / "fehlt.cfg" + ": the file cannot be opened or read\n"},
    });
}

TEST(Konfig, BearbeitenAnOrtUndStelle)
{
    kt::Tempordner t;
    const std::string f = t / "a.cfg", neu = t / "neu.cfg";
    // Each edit changes its own line; comments, blank lines and CR LF stay.
    // A new entry takes the form of the block's last one.
    kt::Datei_schreiben(f, "; top\r\n[a]\r\n  x: 1\r\n; inside\r\ny=2\r\n\r\n[b]\r\n  z: 3\r\n");
    kb::Pruefen({
        {{"set", f, "a", "x", "5"}, 0, "", ""},
        {{"set", f, "b", "w", "v", "INI"}, 0, "", ""},
        {{"set", f, "B", "q", " two \"quoted\"\nlines"}, 0, "", ""},
        // A name that reads as a class number makes a class.
        {{"set", f, "12.7", "colour", "green"}, 0, "", ""},
        {{"set", f, "12.07", "colour", "red"}, 0, "", ""},
        {{"get", f, "b", "q"}, 0, " two \"quoted\"\nlines\n", ""},
        {{"unset", f, "a", "Y"}, 0, "", ""},
        {{"unset", f, "a", "y"}, 1, "", "korvan: unset: no entry y in the block a of " + f + "\n"},
        {{"remove", f, "12.07"}, 0, "", ""},
        {{"remove", f, "12.07"}, 1, "", "korvan: remove: no block 12.07 in " + f + "\n"},
        {{"get", f, "a", "y", "DEFAULT=none"}, 0, "none\n", ""},
        {{"get", f, "c", "y", "default=x y"}, 0, "x y\n", ""},
        {{"get", f, "a", "x", "DEFAULT=none"}, 0, "5\n", ""},
        {{"list", f}, 0,
         "section a\nentry a x 5\nsection b\nentry b z 3\nentry b w v\n"
         "entry b q $' two \"quoted\"\\nlines'\nclass 12.7\nentry 12.7 colour green\n", ""},
        {{"set", neu, "s", "k", "it's"}, 0, "", ""},
        {{"list", neu}, 0, "section s\nentry s k 'it'\\''s'\n", ""},
    });
    EXPECT_EQ(kt::Datei_lesen(f), "; top\r\n[a]\r\n  x: 5\r\n; inside\r\n\r\n[b]\r\n  z: 3\r\n  w=v\r\n"
                                  "  q=\" two *\"quoted*\"*Nlines\"\r\n{12.7}\r\ncolour=green\r\n");
    EXPECT_EQ(kt::Datei_lesen(neu), "[s]\nk: it's\n");

    const std::string eingerueckt = "[a]\n  x: 1\n  [b]\nz: 3\n";
    kt::Datei_schreiben(f, eingerueckt);
    fs::permissions(f, fs::perms::owner_read);
    KB_ERWARTET(Korvan({"set", f, "b", "z", "4"}), 2, "",
                "korvan: set: cannot save " + f + ": the file exists and is read-only\n");
    EXPECT_EQ(kt::Datei_lesen(f), eingerueckt);
}

#ifndef _WIN32
// FILE - reads standard input (the file put there after the command's own
// redirection from /dev/null).
TEST(Konfig, StandardeingabeAlsDatei)
{
    kb::Pruefen({
        {{"get", "-", "server", "port"}, 0, "8080\n", ""},
        {{"sections", "-"}, 0, "[server]\n[paths]\n[backup job]\n{12.1}\n{12.3}\n", ""},
        {{"show", "-", "12.3"}, 0, "12.3.colour=red\n12.3.weight=3\n", ""},
    }, "", "sh -c 'exec <" + Beispiel + "; exec \"$@\"' sh");
}
#endif

// Edits of one file at the same time each take the file's lock for their
// read, change and save: none of them is lost, and neither a lock file nor
// a temporary file stays.
TEST(Konfig, GleichzeitigeAenderungenGehenNichtVerloren)
{
    kt::Tempordner t;
    const std::string f = t / "a.cfg";
    constexpr int Runden = 3, Zugleich = 6;
    for (int runde = 0; runde < Runden; ++runde) {
        kt::Datei_schreiben(f, "[s]\n");
        std::vector<kb::Lauf> laeufe(Zugleich);
        std::vector<std::thread> faeden;
        for (int i = 0; i < Zugleich; ++i)
            faeden.emplace_back([&, i] { laeufe[i] = Korvan({"set", f, "s", "k" + std::to_string(i), "v"}); });
        for (std::thread &faden : faeden)
            faden.join();
        std::string erwartet;
        for (int i = 0; i < Zugleich; ++i) {
            KB_ERWARTET(laeufe[i], 0, "", "");
            erwartet += "s.k" + std::to_string(i) + "=v\n";
        }
        kb::Lauf zeigen = Korvan({"show", f, "s"});
        std::vector<std::string> zeilen;
        for (size_t a = 0, e; (e = zeigen.aus.find('\n', a)) != std::string::npos; a = e + 1)
            zeilen.push_back(zeigen.aus.substr(a, e + 1 - a));
        std::sort(zeilen.begin(), zeilen.end());
        std::string gezeigt;
        for (const std::string &z : zeilen)
            gezeigt += z;
        EXPECT_EQ(gezeigt, erwartet) << "round " << runde;
        EXPECT_EQ(std::distance(fs::directory_iterator(t.pfad()), fs::directory_iterator()), 1);
    }
}

TEST(Vorlagen, TabelleJsonUndFehler)
{
    kb::Pruefen({
        {{"args", "SOURCE/A,OUTPUT=O/K,LEVEL/N,DEFINE/K/M,VERBOSE/S",
          "main.c o=main.obj level=2 define=DEBUG define=TRACE"}, 0,
         "SOURCE   text    \"main.c\"\n"
         "OUTPUT   text    \"main.obj\"\n"
         "LEVEL    number  2\n"
         "DEFINE   list    \"DEBUG\" \"TRACE\"\n"
         "VERBOSE  switch  no\n", ""},
        // The line may also come as several arguments, joined by blanks.
        {{"args", "PROGRAM/A,WAIT/S,ARGS/F", "tool", "wait", "--input", "\"a b.txt\"", ";", "all"}, 0,
         "PROGRAM  text    \"tool\"\n"
         "WAIT     switch  yes\n"
         "ARGS     rest    \"--input \\\"a b.txt\\\" ; all\"\n", ""},
        {{"args", "JSON", "V/M/N,X,Y/S", "1 -2 3"}, 0,
         "[\n"
         "  {\"name\": \"V\", \"kind\": \"number list\", \"value\": [1, -2, 3]},\n"
         "  {\"name\": \"X\", \"kind\": \"text\", \"value\": null},\n"
         "  {\"name\": \"Y\", \"kind\": \"switch\", \"value\": false}\n"
         "]\n", ""},
        {{"args", "A,B"}, 0, "A  text  -\nB  text  -\n", ""},
        {{"args", "FROM/M/A,TO/A", "a"}, 1, "",
         "korvan: args: the line does not fit the template: required item without a value: FROM\n"},
        {{"args", "A/X", "a"}, 2, "",
         "korvan: args: the template is wrong: template item 1 (A): unknown option letter 'X'\n"},
    });
}

} // namespace
