// posix.cpp - the command's system needs on POSIX.
#include "system.h"

#include <csignal>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t unterbrochen = 0;

extern "C" void Bei_Signal(int)
{
    unterbrochen = 1;
}

} // namespace

// POSIX streams never change what is written.
void Stroeme_einrichten()
{
}

void Unterbrechung_abfangen()
{
    struct sigaction s {};
    s.sa_handler = Bei_Signal;
    sigemptyset(&s.sa_mask);
    sigaction(SIGINT, &s, nullptr);
    sigaction(SIGTERM, &s, nullptr);
}

bool Fehlerausgabe_ist_Terminal()
{
    return isatty(STDERR_FILENO) == 1;
}

bool Unterbrochen()
{
    return unterbrochen != 0;
}
