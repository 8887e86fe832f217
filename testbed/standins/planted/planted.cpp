// A library planted under the name of one that a program loads (installed as
// planted.dll, copied by a test to the name and folder it plants it as). Its
// start-up code, which runs as soon as anything loads it, appends its own
// full path and a ';' to the value Loads under HKLM\Software\TestBed\Planted;
// it exports nothing, so a program that checks its exports afterwards has
// already run it.
#include <windows.h>

#include "../load_record.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        RecordLoad(instance, "Software\\TestBed\\Planted");
    return TRUE;
}
