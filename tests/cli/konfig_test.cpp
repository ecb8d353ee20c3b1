// The subcommands on configuration files, on the bundled example and on
// files that they change: every output and every changed file compared whole.
#include "befehlshilfe.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using kb::Korvan;

const std::string Beispiel = kb::Beispiel("beispiel.cfg");

TEST(Konfig, Kopfzeilen)
{
    KB_ERWARTET(Korvan({"sections", Beispiel}), 0, "[server]\n[paths]\n[backup job]\n{12.1}\n{12.3}\n", "");
    KB_ERWARTET(Korvan({"sections", Beispiel, "json"}), 0,
                "[\n"
                "  {\"kind\": \"section\", \"name\": \"server\", \"line\": 6},\n"
                "  {\"kind\": \"section\", \"name\": \"paths\", \"line\": 15},\n"
                "  {\"kind\": \"section\", \"name\": \"backup job\", \"line\": 22},\n"
                "  {\"kind\": \"class\", \"name\": \"12.1\", \"line\": 28},\n"
                "  {\"kind\": \"class\", \"name\": \"12.3\", \"line\": 32}\n"
                "]\n",
                "");
    kt::Tempordner t;
    kt::Datei_schreiben(t / "leer.cfg", "; nothing here\n");
    KB_ERWARTET(Korvan({"sections", t / "leer.cfg", "JSON"}), 0, "[]\n", "");
    KB_ERWARTET(Korvan({"sections", t / "fehlt.cfg"}), 2, "",
                "korvan: sections: cannot open " + t / "fehlt.cfg" + ": the file cannot be opened or read\n");
}

TEST(Konfig, Eintraege)
{
    KB_ERWARTET(Korvan({"show", Beispiel}), 0,
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
                "12.3.weight=3\n",
                "");
    KB_ERWARTET(Korvan({"show", Beispiel, "12.3"}), 0, "12.3.colour=red\n12.3.weight=3\n", "");
    KB_ERWARTET(Korvan({"show", Beispiel, "SECTION=BACKUP JOB", "JSON"}), 0,
                "[\n"
                "  {\"kind\": \"section\", \"name\": \"backup job\", \"line\": 22, \"entries\": [\n"
                "    {\"kind\": \"colon\", \"name\": \"schedule\", \"value\": \"daily at 02:30\", \"line\": 23},\n"
                "    {\"kind\": \"colon\", \"name\": \"label\", \"value\": \"\\\"nightly\\\" set\", \"line\": 24},\n"
                "    {\"kind\": \"colon\", \"name\": \"keep\", \"value\": \"7\", \"line\": 25}\n"
                "  ]}\n"
                "]\n",
                "");
    KB_ERWARTET(Korvan({"show", Beispiel, "nothing"}), 1, "", "korvan: show: no block nothing in " + Beispiel + "\n");
}

TEST(Konfig, JsonInUtf8)
{
    kt::Tempordner t;
    // One value in code page 1252 (a-umlaut, euro sign), one in UTF-8.
    kt::Datei_schreiben(t / "z.cfg", "[z]\nalt: \xE4\x80\nneu: \xC3\xA4\xE2\x82\xAC\nctl: \"a*Eb\"\n");
    KB_ERWARTET(Korvan({"show", t / "z.cfg", "JSON"}), 0,
                "[\n  {\"kind\": \"section\", \"name\": \"z\", \"line\": 1, \"entries\": [\n"
                "    {\"kind\": \"colon\", \"name\": \"alt\", \"value\": \"\xC3\xA4\xE2\x82\xAC\", \"line\": 2},\n"
                "    {\"kind\": \"colon\", \"name\": \"neu\", \"value\": \"\xC3\xA4\xE2\x82\xAC\", \"line\": 3},\n"
                "    {\"kind\": \"colon\", \"name\": \"ctl\", \"value\": \"a\\u001bb\", \"line\": 4}\n"
                "  ]}\n]\n",
                "");
    KB_ERWARTET(Korvan({"get", t / "z.cfg", "z", "alt"}), 0, "\xE4\x80\n", "");
}

TEST(Konfig, EinWert)
{
    KB_ERWARTET(Korvan({"get", Beispiel, "server", "name"}), 0, "Korvan build server\n", "");
    KB_ERWARTET(Korvan({"get", Beispiel, "SERVER", "Timeout"}), 0, "30\n", "");
    KB_ERWARTET(Korvan({"get", Beispiel, "paths", "archive"}), 0, "/srv/korvan/old builds; kept for a year\n", "");
    KB_ERWARTET(Korvan({"get", Beispiel, "backup job", "label"}), 0, "\"nightly\" set\n", "");
    KB_ERWARTET(Korvan({"get", Beispiel, "server", "greeting"}), 0, "Welcome!\nBuilds run every night.\n", "");
    KB_ERWARTET(Korvan({"get", Beispiel, "server", "nothing"}), 1, "",
                "korvan: get: no entry nothing in the block [server]\n");
    KB_ERWARTET(Korvan({"get", Beispiel, "12.2", "colour"}), 1, "",
                "korvan: get: no block 12.2 in " + Beispiel + "\n");
    KB_ERWARTET(Korvan({"get", Beispiel, "server"}), 2, "",
                "korvan: get: required item without a value: NAME; usage: korvan get FILE SECTION NAME\n");
}

// A file of its own for each change.
class Aendern : public ::testing::Test {
protected:
    std::string Datei(const std::string &text)
    {
        kt::Datei_schreiben(t / "a.cfg", text);
        return t / "a.cfg";
    }
    std::string Inhalt() { return kt::Datei_lesen(t / "a.cfg"); }

    kt::Tempordner t;
};

TEST_F(Aendern, SetSchreibtDenBlockAmEndeNeu)
{
    // Comments outside the block and its line ends stay; the block comes
    // back at the end, without its own comments.
    std::string f = Datei("; top\r\n[a]\r\n  x: 1\r\n; inside\r\ny=2\r\n\r\n[b]\r\n  z: 3\r\n");
    KB_ERWARTET(Korvan({"set", f, "a", "x", "5"}), 0, "", "");
    EXPECT_EQ(Inhalt(), "; top\r\n[b]\r\n  z: 3\r\n[a]\r\nx: 5\r\ny=2\r\n");
    // A new entry, INI; then one whose value needs quotes.
    KB_ERWARTET(Korvan({"set", f, "b", "w", "v", "INI"}), 0, "", "");
    KB_ERWARTET(Korvan({"set", f, "B", "q", " two \"quoted\"\nlines"}), 0, "", "");
    EXPECT_EQ(Inhalt(), "; top\r\n[a]\r\nx: 5\r\ny=2\r\n[b]\r\nz: 3\r\nw=v\r\nq: \" two *\"quoted*\"*Nlines\"\r\n");
    KB_ERWARTET(Korvan({"get", f, "b", "q"}), 0, " two \"quoted\"\nlines\n", "");
}

TEST_F(Aendern, SetLegtBloeckeAn)
{
    std::string f = Datei("[a]\nx: 1\n");
    KB_ERWARTET(Korvan({"set", f, "neu", "k", "ends*"}), 0, "", "");
    KB_ERWARTET(Korvan({"set", f, "12.7", "colour", "green"}), 0, "", "");
    KB_ERWARTET(Korvan({"set", f, "12.07", "colour", "red"}), 0, "", "");
    EXPECT_EQ(Inhalt(), "[a]\nx: 1\n[neu]\nk: ends*\n{12.7}\ncolour: green\n[12.07]\ncolour: red\n");
}

TEST_F(Aendern, SetVerweigert)
{
    // The indented header would go with the block.
    std::string f = Datei("[a]\n  x: 1\n  [b]\nz: 3\n");
    KB_ERWARTET(Korvan({"set", f, "a", "x", "2"}), 2, "",
                "korvan: set: cannot remove block \"a\" at line 1: the indented header at line 3 would go with it\n");
    EXPECT_EQ(Inhalt(), "[a]\n  x: 1\n  [b]\nz: 3\n");
    fs::permissions(f, fs::perms::owner_read);
    KB_ERWARTET(Korvan({"set", f, "b", "z", "4"}), 2, "",
                "korvan: set: cannot save " + f + ": the file exists and is read-only\n");
    KB_ERWARTET(Korvan({"set", t / "fehlt.cfg", "a", "x", "1"}), 2, "",
                "korvan: set: cannot open " + t / "fehlt.cfg" + ": the file cannot be opened or read\n");
}

TEST_F(Aendern, Remove)
{
    std::string f = Datei("; keep\n[a]\nx: 1\n\n; goes with a\n[b]\ny: 2\n");
    KB_ERWARTET(Korvan({"remove", f, "A"}), 0, "", "");
    EXPECT_EQ(Inhalt(), "; keep\n[b]\ny: 2\n");
    KB_ERWARTET(Korvan({"remove", f, "a"}), 1, "", "korvan: remove: no block a in " + f + "\n");
    EXPECT_EQ(Inhalt(), "; keep\n[b]\ny: 2\n");
}

TEST(Vorlagen, BeispieleAusDerSammlung)
{
    KB_ERWARTET(Korvan({"args", "FROM/M,TO/A,QUIET/S", "a.txt b.txt backup quiet"}), 0,
                "FROM   list    \"a.txt\" \"b.txt\"\n"
                "TO     text    \"backup\"\n"
                "QUIET  switch  yes\n",
                "");
    KB_ERWARTET(Korvan({"args", "SOURCE/A,OUTPUT=O/K,LEVEL/N,DEFINE/K/M,VERBOSE/S",
                        "main.c o=main.obj level=2 define=DEBUG define=TRACE"}),
                0,
                "SOURCE   text    \"main.c\"\n"
                "OUTPUT   text    \"main.obj\"\n"
                "LEVEL    number  2\n"
                "DEFINE   list    \"DEBUG\" \"TRACE\"\n"
                "VERBOSE  switch  no\n",
                "");
    // The line may also come as several arguments, joined by blanks.
    KB_ERWARTET(Korvan({"args", "PROGRAM/A,WAIT/S,ARGS/F", "tool", "wait", "--input", "\"a b.txt\"", ";", "all"}), 0,
                "PROGRAM  text    \"tool\"\n"
                "WAIT     switch  yes\n"
                "ARGS     rest    \"--input \\\"a b.txt\\\" ; all\"\n",
                "");
    KB_ERWARTET(Korvan({"args", "JSON", "V/M/N,X,Y/S", "1 -2 3"}), 0,
                "[\n"
                "  {\"name\": \"V\", \"kind\": \"number list\", \"value\": [1, -2, 3]},\n"
                "  {\"name\": \"X\", \"kind\": \"text\", \"value\": null},\n"
                "  {\"name\": \"Y\", \"kind\": \"switch\", \"value\": false}\n"
                "]\n",
                "");
    KB_ERWARTET(Korvan({"args", "A,B"}), 0, "A  text  -\nB  text  -\n", "");
}

TEST(Vorlagen, ZeilenDieNichtPassen)
{
    KB_ERWARTET(Korvan({"args", "FROM/M/A,TO/A", "a"}), 1, "",
                "korvan: args: the line does not fit the template: required item without a value: FROM\n");
    KB_ERWARTET(Korvan({"args", "COUNT/N", "4x"}), 1, "",
                "korvan: args: the line does not fit the template: COUNT: \"4x\" is not a whole number from "
                "-2147483648 to 2147483647\n");
    KB_ERWARTET(Korvan({"args", "A/X", "a"}), 2, "",
                "korvan: args: the template is wrong: template item 1 (A): unknown option letter 'X'\n");
}

} // namespace
