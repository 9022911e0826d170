// Feeds arbitrary bytes to the INI reader: lookups, then edits written
// back through classIniFile, which must keep every untouched line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "MemorySystem.h"
#include "settings/IniText.h"
#include "settings/classIniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySystem sys;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    IniText text = IniText::Parse(sys, bytes);
    text.Find("MainSettings", "CutTypeNum");
    text.Find("Strings", "00001");
    text.Find("", "");

    const std::string path = "C:\\Program\\main.ini";
    sys.files[path] = bytes;
    classIniFile ini(sys);
    ini.INIFileName(path);
    ini.GetIniKey("UserSettings", "BookName");
    ini.WriteIniKey("UserSettings", "BookName", "Book");
    if (ini.GetIniKey("UserSettings", "BookName") != "Book")
        __builtin_trap();
    ini.DelIniKey("MainSettings", "Filter");
    ini.DelIniSec("Info");
    return 0;
}
