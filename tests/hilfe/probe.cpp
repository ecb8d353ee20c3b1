// probe.cpp - the program that the process tests start on Windows.  It writes
// the arguments that the runtime split from its command line, each as "[a]\n",
// to a file named as the program with ".out" added, which appears whole; with
// "--warten" first it waits up to 30 seconds for a file named with ".los".
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

int main(int argc, char **argv)
{
    std::string selbst = _pgmptr; // the runtime's full path of the program
    int erstes = argc > 1 && std::string(argv[1]) == "--warten" ? 2 : 1;
    for (int i = 0; erstes == 2 && i < 600 && !std::filesystem::exists(selbst + ".los"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::FILE *f = std::fopen((selbst + ".tmp").c_str(), "wb");
    for (int i = erstes; f && i < argc; ++i)
        std::fprintf(f, "[%s]\n", argv[i]);
    return !f || std::fclose(f) != 0 || std::rename((selbst + ".tmp").c_str(), (selbst + ".out").c_str()) != 0;
}
