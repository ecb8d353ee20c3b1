// probe.cpp - child of the Windows process tests: its arguments, "[a]\n" each, to PROGRAM.out.
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
