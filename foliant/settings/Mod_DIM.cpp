// Loading and saving of AppSettings, and the cut-word encoding.
#include "settings/Mod_DIM.h"

#include <limits>

namespace {

// Larger tables than this are refused: each entry is one key read.
constexpr int32_t kLargestTableIndex = 999;

std::string Lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Reads the integer keys of LoadSettings, remembering the first failure.
class IntegerReader {
public:
    IntegerReader(classIniFile& ini) : ini_(ini) {}

    int32_t Read(const char* section, const std::string& key) {
        int32_t value = 0;
        if (problem_)
            return 0;
        if (!ParseInteger(ini_.GetIniKey(section, key), value))
            problem_.message = "The key \"" + key + "\" in section [" + section + "] of \"" +
                               ini_.INIFileName() + "\" is missing or not a whole number.";
        return value;
    }

    int32_t ReadTableIndex(const std::string& key) {
        int32_t value = Read(kMainSettings, key);
        if (!problem_ && (value < 0 || value > kLargestTableIndex))
            problem_.message = "The key \"" + key + "\" in section [MainSettings] of \"" +
                               ini_.INIFileName() + "\" must be a number from 0 to " +
                               std::to_string(kLargestTableIndex) + ".";
        return problem_ ? 0 : value;
    }

    const StartupProblem& problem() const { return problem_; }

private:
    classIniFile& ini_;
    StartupProblem problem_;
};

}  // namespace

bool ParseInteger(const std::string& text, int32_t& value) {
    size_t i = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    if (i == std::string::npos)
        return false;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    if (i > end)
        return false;
    int64_t magnitude = 0;
    for (; i <= end; ++i) {
        char c = text[i];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return false;
    }
    int64_t signed_value = negative ? -magnitude : magnitude;
    if (signed_value > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(signed_value);
    return true;
}

std::string MainIniPath(const std::string& programFolder) {
    return programFolder + "\\main.ini";
}

StartupProblem LoadSettings(System& sys, const std::string& programFolder, classIniFile& mainIni,
                            AppSettings& s) {
    mainIni.INIFileName(MainIniPath(programFolder));
    std::string bytes;
    if (!sys.ReadFile(mainIni.INIFileName(), bytes))
        return {"The settings file \"" + mainIni.INIFileName() + "\" is missing or cannot be read."};

    IntegerReader integers(mainIni);
    AppSettings loaded;
    loaded.CutTypeNum = integers.ReadTableIndex("CutTypeNum");
    loaded.CutTypes.resize(static_cast<size_t>(loaded.CutTypeNum) + 1);
    for (int32_t i = 0; i <= loaded.CutTypeNum && !integers.problem(); ++i) {
        CutType& type = loaded.CutTypes[static_cast<size_t>(i)];
        type.SingleFileSize = integers.Read(kMainSettings, "SingleFileSize" + std::to_string(i));
        type.InOutFileSize = integers.Read(kMainSettings, "InOutFileSize" + std::to_string(i));
    }
    loaded.Filter = mainIni.GetIniKey(kMainSettings, "Filter");
    loaded.CutWordNum = integers.ReadTableIndex("CutWordNum");
    loaded.CutWords.resize(static_cast<size_t>(loaded.CutWordNum) + 1);
    for (int32_t j = 0; j <= loaded.CutWordNum && !integers.problem(); ++j)
        loaded.CutWords[static_cast<size_t>(j)] =
            DecodeCutWord(mainIni.GetIniKey(kUserSettings, "CutWord" + std::to_string(j)));
    loaded.MyLagIndex = mainIni.GetIniKey(kUserSettings, "MyLagIndex");
    loaded.OpenFilesFilterIndex = integers.Read(kUserSettings, "OpenFilesFilterIndex");
    loaded.CutTypeIndex = integers.Read(kUserSettings, "CutTypeIndex");
    loaded.BookName = LoadedName(sys, mainIni.GetIniKey(kUserSettings, "BookName"));
    loaded.KeepFileSize = integers.Read(kUserSettings, "KeepFileSize");
    loaded.InPutDir = LoadedName(sys, mainIni.GetIniKey(kUserSettings, "InPutDir"));
    loaded.OutPutDir = LoadedName(sys, mainIni.GetIniKey(kUserSettings, "OutPutDir"));
    loaded.OutputCodePage = mainIni.GetIniKey(kMainSettings, "OutputCodePage");
    loaded.InputCodePage = mainIni.GetIniKey(kMainSettings, "InputCodePage");

    if (integers.problem())
        return integers.problem();
    s = std::move(loaded);
    return {};
}

void SaveUserSettings(classIniFile& mainIni, const AppSettings& s) {
    // Every key is written, also when empty or unchanged, so that a key
    // missing from the file appears in it.
    auto put = [&](const std::string& key, const std::string& value) {
        mainIni.WriteIniKey(kUserSettings, key, value);
    };
    put("MyLagIndex", s.MyLagIndex);
    put("OpenFilesFilterIndex", std::to_string(s.OpenFilesFilterIndex));
    put("CutTypeIndex", std::to_string(s.CutTypeIndex));
    System& sys = mainIni.FileSystem();
    put("BookName", StoredName(sys, s.BookName));
    put("KeepFileSize", std::to_string(s.KeepFileSize));
    put("InPutDir", StoredName(sys, s.InPutDir));
    put("OutPutDir", StoredName(sys, s.OutPutDir));
    for (int32_t i = 0; i <= s.CutWordNum; ++i) {
        size_t index = static_cast<size_t>(i);
        put("CutWord" + std::to_string(i),
            EncodeCutWord(index < s.CutWords.size() ? s.CutWords[index] : std::string()));
    }
}

namespace {
constexpr std::string_view kUtf8Mark = "utf-8:";
}

std::string StoredName(System& sys, const std::string& name) {
    std::string ansi = AnsiFromUtf8(sys, name);
    if (Utf8FromAnsi(sys, ansi) == name && ansi.compare(0, kUtf8Mark.size(), kUtf8Mark) != 0)
        return ansi;
    return std::string(kUtf8Mark) + name;
}

std::string LoadedName(System& sys, const std::string& stored) {
    if (stored.compare(0, kUtf8Mark.size(), kUtf8Mark) == 0)
        return stored.substr(kUtf8Mark.size());
    return Utf8FromAnsi(sys, stored);
}

std::string DecodeCutWord(const std::string& stored) {
    std::string lower = Lowered(stored);
    if (lower == "enter")
        return "\r\n";
    if (lower == "space")
        return " ";
    return stored;
}

std::string EncodeCutWord(const std::string& word) {
    if (word == "\r\n")
        return "enter";
    if (word == " ")
        return "space";
    return word;
}
