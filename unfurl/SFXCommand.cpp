// The command after extraction: its two fields, the text that names it,
// starting it from the destination, and the removal of a temporary
// destination at the next logon.
#include "SFXCommand.h"

#include <cctype>

#include "SFXDefs.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "SFXVars.h"

namespace {

constexpr int kStartedCode = 32;
constexpr size_t kExtensionLength = 4;

bool EndsWithInf(const std::string& text) {
    if (text.size() < kExtensionLength)
        return false;
    std::string tail = text.substr(text.size() - kExtensionLength);
    for (char& c : tail)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".inf";
}

bool SameFolder(const std::string& a, const std::string& b) {
    return EqualsIgnoringCase(ExcludeTrailingBackslashes(a), ExcludeTrailingBackslashes(b));
}

// Every "><" of the field becomes the destination. The scan goes on after
// each replacement, so a destination that itself holds "><" cannot loop.
std::string ReplaceDestinationMarkers(const std::string& field) {
    std::string result;
    size_t from = 0;
    for (size_t at; (at = field.find(kPlaceholder, from)) != std::string::npos; from = at + 2)
        result += field.substr(from, at - from) + Vars.Destination;
    return result + field.substr(from);
}

// Up to the first zero, with runs of backslashes made single.
std::string CleanStartPath(const std::string& field) {
    std::string text = field.substr(0, field.find('\0'));
    std::string result;
    for (char c : text)
        if (c != '\\' || result.empty() || result.back() != '\\')
            result += c;
    return result;
}

// The install command with its program named by full path, so that a
// program of that name in the destination or the current folder is not
// the one started.
std::string InstallInfCommand(SfxSystem& system) {
    bool nt = system.IsNtPlatform();
    std::string command = nt ? kInstallInfNt : kInstallInfOther;
    std::string folder = system.SystemProgramFolder();
    if (folder.empty())
        return command;
    size_t programEnd = command.find(' ');
    std::string program = IncludeTrailingBackslash(folder) + command.substr(0, programEnd);
    if (program.find(' ') != std::string::npos)
        program = "\"" + program + "\"";
    return program + command.substr(programEnd);
}

}  // namespace

std::string GetCommandField(int field) {
    Vars.Destination = IncludeTrailingBackslash(Vars.Destination);
    const std::string& command = Vars.runCommand;
    size_t bar = command.find('|');
    std::string text;
    if (field == 1)
        text = command.substr(0, bar);
    else if (bar != std::string::npos)
        text = command.substr(bar + 1);
    text = ReplaceDestinationMarkers(text);
    // The short form replaces the field only when it fits in the field's
    // own length (the buffer the long form occupied).
    std::string shortForm = Vars.system->ShortPath(text);
    if (!shortForm.empty() && shortForm.size() < text.size())
        text = shortForm.substr(0, shortForm.find('\0'));
    return text;
}

std::string RunPromptText(const std::string& templateInf, const std::string& templateOther) {
    std::string file = GetCommandField(1);
    std::string parameterName = FileNamePart(GetCommandField(2));
    std::string name = FileNamePart(file);
    if (EndsWithInf(name))
        return FillPlaceholder(FillPlaceholder(templateInf, name), parameterName);
    if (name.empty() && !file.empty())
        name = FileNamePart(ExcludeTrailingBackslashes(file));
    return FillPlaceholder(FillPlaceholder(templateOther, name), parameterName);
}

int RunAfterExtract() {
    int code = 0;
    SfxSystem& system = *Vars.system;
    if (!Vars.runCommand.empty()) {
        std::string file = CleanStartPath(GetCommandField(1));
        std::string parameters = CleanStartPath(GetCommandField(2));
        std::string remembered = system.CurrentDirectory();
        if (!Vars.Destination.empty())
            system.ChangeDirectory(Vars.Destination);
        if (file.size() > kExtensionLength) {
            if (EndsWithInf(file))
                code = system.StartCommandLine(InstallInfCommand(system) + file);
            else
                code = system.ShellOpen(file, parameters, Vars.Destination);
        }
        system.ChangeDirectory(remembered);
    }
    if (code >= kStartedCode && Vars.DestinationIsVolatile &&
        SameFolder(Vars.VolatileFolderPath, Vars.Destination) &&
        FolderExists(Vars.VolatileFolderPath))
        ScheduleTempRemoval();
    return code;
}

void ScheduleTempRemoval() {
    SfxSystem& system = *Vars.system;
    const std::string& name = Vars.VolatileFolderName;
    std::string command = system.IsNtPlatform()
                              ? kRemoveFolderNt + name + kRemoveFolderNtTail
                              : kRemoveFolderOther + name + kRemoveFolderOtherTail;
    if (!system.WriteRegistryText(RegistryRoot::LocalMachine, kRunOnceKey, name, command))
        system.WriteRegistryText(RegistryRoot::CurrentUser, kRunOnceKey, name, command);
}

void SetTicksVariable() {
    Vars.system->SetEnvironmentValue(kTicksVariable, DecimalText(Vars.system->TickCount()));
}
