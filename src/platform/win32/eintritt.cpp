// eintritt.cpp - the entry routine of the DLLs: nothing to do when a DLL is
// loaded or unloaded or a thread starts or ends; always success.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
