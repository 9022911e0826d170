// A small program for unfurl's end-to-end test to start as the command
// after extraction: it writes its command line, its current directory and
// the TICKS variable into "probe.txt" in its current directory. The file
// gets its name only once it is complete.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char folder[MAX_PATH] = {}, ticks[32] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    GetEnvironmentVariableA("TICKS", ticks, sizeof ticks);
    HANDLE out = CreateFileA("probe.tmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return 1;
    const char* lines[] = {GetCommandLineA(), "\n", folder, "\n", ticks, "\n"};
    for (const char* line : lines) {
        DWORD written = 0;
        WriteFile(out, line, lstrlenA(line), &written, nullptr);
    }
    CloseHandle(out);
    return MoveFileExA("probe.tmp", "probe.txt", MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
