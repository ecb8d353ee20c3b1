// bench_werkzeug.cpp - the whole-process side of the benchmarks: generates
// the trees and times a command (the Korvan operations are bench_aufrufer's).
//
//   bench_werkzeug baum DIR N          a tree of about N files in DIR
//   bench_werkzeug einbinden DIR MB    an include tree of about MB megabytes
//   bench_werkzeug zeit FILE CMD...    runs CMD; appends "wall user sys status"
//                                      in microseconds to FILE
//
// It uses the system's headers directly; it is no library code.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace {

[[noreturn]] void Scheitern(const std::string &was)
{
    std::fprintf(stderr, "bench_werkzeug: %s: %s\n", was.c_str(), std::strerror(errno));
    std::exit(2);
}

void Ordner(const std::string &pfad)
{
    if (::mkdir(pfad.c_str(), 0755) != 0 && errno != EEXIST)
        Scheitern(pfad);
}

void Schreiben(const std::string &pfad, const char *text, size_t n)
{
    int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, text, n) != static_cast<ssize_t>(n) || ::close(fd) != 0)
        Scheitern(pfad);
}

// Folders of 100 files, ten to a parent folder: DIR/dNNN/eN/fNN.txt.
int Baum(const std::string &wurzel, long dateien)
{
    Ordner(wurzel);
    char name[64];
    for (long i = 0; i < dateien; ++i) {
        long blatt = i / 100;
        std::snprintf(name, sizeof name, "/d%03ld", blatt / 10);
        std::string ordner = wurzel + name;
        if (i % 1000 == 0)
            Ordner(ordner);
        std::snprintf(name, sizeof name, "/e%ld", blatt % 10);
        ordner += name;
        if (i % 100 == 0)
            Ordner(ordner);
        std::snprintf(name, sizeof name, "/f%02ld.txt", i % 100);
        Schreiben(ordner + name, "korvan\n", 7);
    }
    return 0;
}

// haupt.c includes 20 middle files, each of which includes 25 leaf files of
// plain lines.  reihenfolge.txt names the leaf files in the order in which
// their text arrives, for cat.
int Einbinden(const std::string &wurzel, double mb)
{
    Ordner(wurzel);
    const int mitten = 20, blaetter = 25;
    size_t blattgroesse = static_cast<size_t>(mb * 1e6 / (mitten * blaetter));
    std::string haupt, reihenfolge;
    char zeile[96];
    for (int m = 0; m < mitten; ++m) {
        std::snprintf(zeile, sizeof zeile, "#include \"m%02d.h\"\n", m);
        haupt += zeile;
        std::string mitte;
        for (int b = 0; b < blaetter; ++b) {
            std::snprintf(zeile, sizeof zeile, "b%02d_%02d.h", m, b);
            std::string blatt = zeile;
            mitte += "#include \"" + blatt + "\"\n";
            reihenfolge += wurzel + "/" + blatt + "\n";
            std::string text;
            text.reserve(blattgroesse + 64);
            for (int z = 0; text.size() < blattgroesse; ++z) {
                int n = std::snprintf(zeile, sizeof zeile, "static const int feld_%d_%d_%d = %d;\n", m, b, z, z * 7);
                text.append(zeile, static_cast<size_t>(n));
            }
            Schreiben(wurzel + "/" + blatt, text.data(), text.size());
        }
        std::snprintf(zeile, sizeof zeile, "/m%02d.h", m);
        Schreiben(wurzel + zeile, mitte.data(), mitte.size());
    }
    Schreiben(wurzel + "/haupt.c", haupt.data(), haupt.size());
    Schreiben(wurzel + "/reihenfolge.txt", reihenfolge.data(), reihenfolge.size());
    return 0;
}

long long Mikro(const timeval &t)
{
    return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_usec;
}

// Runs the command and appends its wall clock, user and system time in
// microseconds and its exit status to the file.
int Zeit(const char *datei, char **befehl)
{
    timespec anfang, ende;
    ::clock_gettime(CLOCK_MONOTONIC, &anfang);
    pid_t pid;
    if (posix_spawnp(&pid, befehl[0], nullptr, nullptr, befehl, environ) != 0)
        Scheitern(befehl[0]);
    int status;
    rusage nutzung;
    if (::wait4(pid, &status, 0, &nutzung) != pid)
        Scheitern("wait4");
    ::clock_gettime(CLOCK_MONOTONIC, &ende);
    long long wand = (ende.tv_sec - anfang.tv_sec) * 1000000LL + (ende.tv_nsec - anfang.tv_nsec) / 1000;
    FILE *f = std::fopen(datei, "a");
    if (!f)
        Scheitern(datei);
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::fprintf(f, "%lld %lld %lld %d\n", wand, Mikro(nutzung.ru_utime), Mikro(nutzung.ru_stime), code);
    std::fclose(f);
    return code;
}

} // namespace

int main(int argc, char **argv)
{
    std::string befehl = argc > 1 ? argv[1] : "";
    if (befehl == "baum" && argc == 4)
        return Baum(argv[2], std::atol(argv[3]));
    if (befehl == "einbinden" && argc == 4)
        return Einbinden(argv[2], std::atof(argv[3]));
    if (befehl == "zeit" && argc >= 4)
        return Zeit(argv[2], argv + 3);
    std::fprintf(stderr, "usage: bench_werkzeug baum|einbinden|zeit ...\n");
    return 2;
}
