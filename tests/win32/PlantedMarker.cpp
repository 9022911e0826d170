// A library planted beside a program under the name of a system library:
// when anything loads it, it leaves "<its own path>.loaded" holding the
// path of the program that loaded it.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char own[MAX_PATH + 8] = {}, program[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(instance, own, MAX_PATH);
    GetModuleFileNameA(nullptr, program, MAX_PATH);
    lstrcpyA(own + n, ".loaded");
    HANDLE file = CreateFileA(own, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, program, lstrlenA(program), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}
