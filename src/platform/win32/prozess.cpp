// prozess.cpp - Win32: starting command lines with CreateProcessA, waiting
// for them, their exit codes, and starts that nobody waits for.
#include "../plattform.h"

#include <windows.h>

#include <cstring>

namespace {

// The start-up record and creation flags of a start.  Hidden: the window
// shown hidden and no console of its own.  As the caller: the calling
// process's own record, no flags.
uint32_t Starten(const char *befehlszeile, Startart art, PROCESS_INFORMATION *info)
{
    if (!befehlszeile)
        return ERROR_INVALID_PARAMETER;
    STARTUPINFOA start;
    DWORD flags = 0;
    if (art == Startart::verborgen) {
        std::memset(&start, 0, sizeof start);
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESHOWWINDOW;
        start.wShowWindow = SW_HIDE;
        flags = CREATE_NO_WINDOW;
    } else {
        GetStartupInfoA(&start);
    }
    // Only the wide-character service writes into the command line; this
    // one converts it into a buffer of its own first.
    char *zeile = const_cast<char *>(befehlszeile);
    if (CreateProcessA(nullptr, zeile, nullptr, nullptr, FALSE, flags, nullptr, nullptr, &start, info))
        return 0;
    DWORD fehler = GetLastError();
    return fehler != 0 ? fehler : ERROR_GEN_FAILURE; // a failed start is never 0
}

} // namespace

uint32_t Prozess_starten(const char *befehlszeile, Startart art, Prozess *prozess)
{
    std::memset(prozess, 0, sizeof *prozess);
    PROCESS_INFORMATION info;
    uint32_t fehler = Starten(befehlszeile, art, &info);
    if (fehler)
        return fehler;
    prozess->kennung = reinterpret_cast<intptr_t>(info.hProcess);
    prozess->faden = reinterpret_cast<intptr_t>(info.hThread);
    return 0;
}

uint32_t Prozess_loslassen(const char *befehlszeile, Startart art)
{
    PROCESS_INFORMATION info;
    uint32_t fehler = Starten(befehlszeile, art, &info);
    if (fehler)
        return fehler;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 0;
}

bool Prozess_warten(Prozess *prozess)
{
    if (!prozess->kennung)
        return false;
    prozess->beendet = WaitForSingleObject(reinterpret_cast<HANDLE>(prozess->kennung), INFINITE) == WAIT_OBJECT_0;
    return prozess->beendet;
}

// The exit code of the primary thread, which ends with the process's code.
// The system gives one for a thread that still runs too (STILL_ACTIVE); that
// is passed on as it stands.
bool Prozess_Exitcode(const Prozess *prozess, uint32_t *code)
{
    DWORD wert;
    if (!prozess->faden || !GetExitCodeThread(reinterpret_cast<HANDLE>(prozess->faden), &wert))
        return false;
    *code = wert;
    return true;
}

// The thread's handle first, then the process's.
void Prozess_schliessen(Prozess *prozess)
{
    if (prozess->faden)
        CloseHandle(reinterpret_cast<HANDLE>(prozess->faden));
    if (prozess->kennung)
        CloseHandle(reinterpret_cast<HANDLE>(prozess->kennung));
    std::memset(prozess, 0, sizeof *prozess);
}

uint32_t Fehlercode_ungueltiger_Name()
{
    return ERROR_INVALID_NAME;
}
