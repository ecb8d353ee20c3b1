// probe.cpp - the program that the process tests start on Windows.  It writes
// the arguments that the runtime split from its command line, each between
// brackets on a line of its own, to a file named as the program itself with
// ".out" added; the file appears whole.  With "--warten" as its first
// argument it first waits up to 30 seconds for a file named with ".los".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

int main(int argc, char **argv)
{
    std::string selbst = _pgmptr; // the runtime's full path of the program
    int erstes = 1;
    if (argc > 1 && std::string(argv[1]) == "--warten") {
        erstes = 2;
        for (int i = 0; i < 600 && !std::filesystem::exists(selbst + ".los"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::string tmp = selbst + ".tmp";
    std::FILE *f = std::fopen(tmp.c_str(), "wb");
    if (!f)
        return 1;
    for (int i = erstes; i < argc; ++i)
        std::fprintf(f, "[%s]\n", argv[i]);
    if (std::fclose(f) != 0 || std::rename(tmp.c_str(), (selbst + ".out").c_str()) != 0)
        return 1;
    return 0;
}
