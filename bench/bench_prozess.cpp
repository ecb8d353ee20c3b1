// bench_prozess.cpp - starting /bin/true and waiting for it: KR_Ausfuehren
// against posix_spawn and waitpid.  The peer uses the system's headers
// directly; this program is no library code.
#include "korvan.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <string>

extern char **environ;

namespace {

const char Programm[] = "/bin/true";

void Korvan(benchmark::State &state)
{
    for (auto _ : state) {
        unsigned int code = 99;
        if (!KR_Ausfuehren(Programm, &code) || code != 0) {
            state.SkipWithError("the program did not run");
            break;
        }
    }
    state.counters["Starts"] = static_cast<double>(state.iterations());
}

void Spawn(benchmark::State &state)
{
    char programm[] = "/bin/true";
    char *argv[] = {programm, nullptr};
    for (auto _ : state) {
        pid_t pid;
        int status = -1;
        if (posix_spawn(&pid, Programm, nullptr, nullptr, argv, environ) != 0 ||
            waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the program did not run");
            break;
        }
    }
    state.counters["Starts"] = static_cast<double>(state.iterations());
}

} // namespace

// --starts=N: the most starts per run (default 500); the others are a half
// and a quarter of it.  Each run is timed whole.
int main(int argc, char **argv)
{
    int starts = 500;
    int ziel = 1;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--starts=", 0) == 0)
            starts = std::stoi(a.substr(9));
        else
            argv[ziel++] = argv[i];
    }
    argc = ziel;
    for (int n : {starts / 4, starts / 2, starts}) {
        if (n < 1)
            n = 1;
        std::string g = "/" + std::to_string(n);
        benchmark::RegisterBenchmark(("start/korvan" + g).c_str(), Korvan)->Iterations(n)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("start/posix_spawn" + g).c_str(), Spawn)->Iterations(n)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
