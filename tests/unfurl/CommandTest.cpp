// The command after extraction: its fields, the check-box and failure
// texts, what is started from where, and the RunOnce clean-up of a
// temporary destination.
#include <map>

#include "SFXCommand.h"
#include "SFXMessages.h"
#include "SFXStrings.h"
#include "UnfurlFixture.h"
#include "support/TempFolder.h"

namespace {

// Records what the command code asks of the system instead of doing it.
class CommandSystem : public TestSystem {
public:
    struct Start {
        std::string file, parameters, folder, currentDirectory;
    };
    struct RegistryWrite {
        RegistryRoot root;
        std::string key, value, text;
    };
    std::map<std::string, std::string> shortForms;
    std::string currentDirectory = "C:\\Work";
    std::vector<std::string> directoryChanges;
    std::vector<Start> shellOpens;
    std::vector<std::string> commandLines;
    std::vector<RegistryWrite> registryWrites;
    int startCode = 42;
    bool nt = true;
    std::string systemFolder = "C:\\WINDOWS\\system32", windowsFolder = "C:\\WINDOWS";
    bool localMachineWritable = true;

    std::string CurrentDirectory() override { return currentDirectory; }
    bool ChangeDirectory(const std::string& path) override {
        directoryChanges.push_back(path);
        currentDirectory = path;
        return true;
    }
    std::string ShortPath(const std::string& path) override {
        auto found = shortForms.find(path);
        return found == shortForms.end() ? std::string() : found->second;
    }
    int ShellOpen(const std::string& file, const std::string& parameters,
                  const std::string& folder) override {
        shellOpens.push_back({file, parameters, folder, currentDirectory});
        return startCode;
    }
    int StartCommandLine(const std::string& commandLine) override {
        commandLines.push_back(commandLine);
        return startCode;
    }
    bool IsNtPlatform() override { return nt; }
    std::string SystemProgramFolder() override {
        return nt ? systemFolder : windowsFolder;
    }
    bool WriteRegistryText(RegistryRoot root, const std::string& key, const std::string& value,
                           const std::string& text) override {
        registryWrites.push_back({root, key, value, text});
        return root != RegistryRoot::LocalMachine || localMachineWritable;
    }
};

class CommandTest : public testing::Test {
protected:
    ScriptedHost host;
    CommandSystem system;

    void SetUp() override { ResetVars(system, host); }

    void Configure(const std::string& command, const std::string& destination) {
        Vars.runCommand = command;
        Vars.Destination = destination;
    }
};

// GetCommandField splits at the first bar and puts the destination, with
// its backslash, in place of every marker.

TEST_F(CommandTest, FieldsSplitAtTheFirstBarWithTheDestinationInPlace) {
    Configure("><setup.exe|/S|><log.txt", "C:\\Dest");
    EXPECT_EQ(GetCommandField(1), "C:\\Dest\\setup.exe");
    EXPECT_EQ(Vars.Destination, "C:\\Dest\\") << "the backslash stays on the destination";
    EXPECT_EQ(GetCommandField(2), "/S|C:\\Dest\\log.txt");
}

TEST_F(CommandTest, WithoutBarTheParametersAreEmpty) {
    Configure("><tool.exe", "C:\\Dest\\");
    EXPECT_EQ(GetCommandField(1), "C:\\Dest\\tool.exe");
    EXPECT_EQ(GetCommandField(2), "");
}

TEST_F(CommandTest, ShortFormIsUsedOnlyWhenItIsShorter) {
    Configure("><Long Program Name.exe", "C:\\Program Files");
    system.shortForms["C:\\Program Files\\Long Program Name.exe"] = "C:\\PROGRA~1\\LONGPR~1.EXE";
    EXPECT_EQ(GetCommandField(1), "C:\\PROGRA~1\\LONGPR~1.EXE");
    system.shortForms["C:\\Program Files\\Long Program Name.exe"] =
        "C:\\A rather longer short form than the path itself.exe";
    EXPECT_EQ(GetCommandField(1), "C:\\Program Files\\Long Program Name.exe");
}

TEST_F(CommandTest, DestinationHoldingTheMarkerDoesNotLoop) {
    Configure("><a.exe", "C:\\odd><name");
    EXPECT_EQ(GetCommandField(1), "C:\\odd><name\\a.exe");
}

// RunPromptText: the first template for ".inf" files, the second for
// everything else, filled with the two file-name parts.
struct PromptCase {
    const char* command;
    const char* expected;
};

TEST_F(CommandTest, PromptTextNamesFileAndParameter) {
    const PromptCase cases[] = {
        {"><setup.exe|/S", "Despu\xc3\xa9s de extraer, instalar: setup.exe S"},
        {"><drivers\\Card.INF", "Despu\xc3\xa9s de extraer, ejecutar: Card.INF "},
        {"><docs\\|", "Despu\xc3\xa9s de extraer, instalar: docs "},
        {"><run.bat|C:one:two/three", "Despu\xc3\xa9s de extraer, instalar: run.bat three"},
        {"><", "Despu\xc3\xa9s de extraer, instalar: Dest "},
    };
    for (const PromptCase& c : cases) {
        Configure(c.command, "C:\\Dest");
        EXPECT_EQ(RunPromptText(kRunPromptInf, kRunPromptOther), c.expected) << c.command;
    }
    Configure("><setup.exe|/S", "C:\\Dest");
    EXPECT_EQ(RunPromptText(kRunFailedInf, kRunFailedOther), "No se puede instalar setup.exe S");
}

// RunAfterExtract starts the file from the destination and comes back.

TEST_F(CommandTest, ProgramStartsThroughTheShellFromTheDestination) {
    Configure("><setup.exe|/S", "C:\\Destination");
    system.shortForms["C:\\Destination\\setup.exe"] = "C:\\DESTIN~1\\setup.exe";
    EXPECT_EQ(RunAfterExtract(), 42);
    ASSERT_EQ(system.shellOpens.size(), 1u);
    EXPECT_EQ(system.shellOpens[0].file, "C:\\DESTIN~1\\setup.exe");
    EXPECT_EQ(system.shellOpens[0].parameters, "/S");
    EXPECT_EQ(system.shellOpens[0].folder, "C:\\Destination\\");
    EXPECT_EQ(system.shellOpens[0].currentDirectory, "C:\\Destination\\");
    EXPECT_EQ(system.currentDirectory, "C:\\Work") << "the remembered directory is back";
    EXPECT_TRUE(system.commandLines.empty());
}

TEST_F(CommandTest, DoubledBackslashesBecomeOne) {
    Configure("><\\bin\\\\setup.exe|><\\\\log", "C:\\Dest\\");
    RunAfterExtract();
    ASSERT_EQ(system.shellOpens.size(), 1u);
    EXPECT_EQ(system.shellOpens[0].file, "C:\\Dest\\bin\\setup.exe");
    EXPECT_EQ(system.shellOpens[0].parameters, "C:\\Dest\\log");
}

// The installer program is named by its full path in the system's own
// folder, so a "rundll32.exe" beside the archive is never the one started.
TEST_F(CommandTest, InfFileIsInstalledWithTheCommandOfThePlatform) {
    Configure("><driver.Inf", "C:\\Dest");
    EXPECT_EQ(RunAfterExtract(), 42);
    system.nt = false;
    RunAfterExtract();
    system.nt = true;
    system.systemFolder = "D:\\Win dows\\System32\\";
    RunAfterExtract();
    ASSERT_EQ(system.commandLines.size(), 3u);
    EXPECT_EQ(system.commandLines[0],
              "C:\\WINDOWS\\system32\\rundll32.exe setupapi.dll,InstallHinfSection DefaultInstall "
              "132 C:\\Dest\\driver.Inf");
    EXPECT_EQ(system.commandLines[1],
              "C:\\WINDOWS\\rundll.exe setupapi.dll,InstallHinfSection DefaultInstall 132 "
              "C:\\Dest\\driver.Inf");
    EXPECT_EQ(system.commandLines[2],
              "\"D:\\Win dows\\System32\\rundll32.exe\" setupapi.dll,InstallHinfSection "
              "DefaultInstall 132 C:\\Dest\\driver.Inf");
    EXPECT_TRUE(system.shellOpens.empty());
}

TEST_F(CommandTest, FileOfFourCharactersOrFewerStartsNothing) {
    Configure("a.ex", "");
    EXPECT_EQ(RunAfterExtract(), 0);
    EXPECT_TRUE(system.shellOpens.empty());
    EXPECT_EQ(system.currentDirectory, "C:\\Work");
    system.directoryChanges.clear();
    Configure("", "C:\\Dest");
    EXPECT_EQ(RunAfterExtract(), 0);
    EXPECT_TRUE(system.shellOpens.empty());
    EXPECT_TRUE(system.directoryChanges.empty()) << "no command, no directory change";
}

// The RunOnce value for a temporary destination.
class TempRemovalTest : public CommandTest {
protected:
    TempFolder temp;

    void SetUp() override {
        CommandTest::SetUp();
        Vars.DestinationIsVolatile = true;
        Vars.VolatileFolderName = "sfx00003";
        Vars.VolatileFolderPath = temp.Path() + "\\";
        Configure("><setup.exe", temp.Path());
    }
};

TEST_F(TempRemovalTest, StartedCommandRegistersTheRemovalUnderTheMachine) {
    RunAfterExtract();
    ASSERT_EQ(system.registryWrites.size(), 1u);
    const CommandSystem::RegistryWrite& w = system.registryWrites[0];
    EXPECT_EQ(w.root, RegistryRoot::LocalMachine);
    EXPECT_EQ(w.key, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
    EXPECT_EQ(w.value, "sfx00003");
    EXPECT_EQ(w.text, "cmd.exe /c @rd /s /q \"%temp%\\sfx00003\">nul 2>nul");
}

TEST_F(TempRemovalTest, UnwritableMachineHiveFallsBackToTheUser) {
    system.localMachineWritable = false;
    system.nt = false;
    RunAfterExtract();
    ASSERT_EQ(system.registryWrites.size(), 2u);
    EXPECT_EQ(system.registryWrites[1].root, RegistryRoot::CurrentUser);
    EXPECT_EQ(system.registryWrites[1].text,
              "command.com /c deltree /y \"%temp%\\sfx00003\">nul");
}

TEST_F(TempRemovalTest, NothingIsRegisteredWhenTheFolderIsNotTheDestination) {
    Vars.Destination = "C:\\Elsewhere";
    RunAfterExtract();
    EXPECT_TRUE(system.registryWrites.empty()) << "destination changed in the dialog";

    Configure("><setup.exe", temp.Path());
    system.startCode = 2;
    RunAfterExtract();
    EXPECT_TRUE(system.registryWrites.empty()) << "the command did not start";

    system.startCode = 42;
    Vars.VolatileFolderPath = temp.File("gone") + "\\";
    Vars.Destination = temp.File("gone");
    RunAfterExtract();
    EXPECT_TRUE(system.registryWrites.empty()) << "the folder does not exist";

    Vars.DestinationIsVolatile = false;
    Configure("><setup.exe", temp.Path());
    Vars.VolatileFolderPath = temp.Path() + "\\";
    RunAfterExtract();
    EXPECT_TRUE(system.registryWrites.empty()) << "not a temporary destination";
}

TEST_F(TempRemovalTest, FolderComparisonIgnoresCaseAndTrailingBackslashes) {
    std::string upper = temp.Path();
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    Vars.VolatileFolderPath = temp.Path() + "\\\\";
    Configure("><setup.exe", upper);
    RunAfterExtract();
    EXPECT_EQ(system.registryWrites.size(), 1u);
}

TEST_F(CommandTest, TicksVariableHoldsTheTickCountInDecimal) {
    struct TickSystem : CommandSystem {
        std::string name, value;
        uint32_t TickCount() override { return 4000000123u; }
        void SetEnvironmentValue(const std::string& n, const std::string& v) override {
            name = n;
            value = v;
        }
    } ticks;
    ResetVars(ticks, host);
    SetTicksVariable();
    EXPECT_EQ(ticks.name, "TICKS");
    EXPECT_EQ(ticks.value, "4000000123");
}

}  // namespace

namespace {

// What the stub does at the end of the process, after any way out.
class ClosingFile : public MemoryFile {
public:
    explicit ClosingFile(bool closes) : MemoryFile(std::string("data")), closes_(closes) {}
    bool Close() override { return closes_; }

private:
    bool closes_;
};

TEST_F(UnfurlTest, ProcessEndClosesTheArchiveAndDeletesTheStagingFile) {
    TempFolder temp;
    temp.Write("SFX1.tmp", "staged");
    Vars.StagingName = temp.File("SFX1.tmp");
    Vars.ArchiveFile = std::make_unique<ClosingFile>(true);
    Vars.EntryTable.resize(3);
    CloseAtProcessEnd();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(Vars.ArchiveFile, nullptr);
    EXPECT_TRUE(Vars.EntryTable.empty());
    EXPECT_FALSE(temp.Exists("SFX1.tmp"));
}

TEST_F(UnfurlTest, ProcessEndReportsAFailedCloseWithoutOwner) {
    Vars.ArchivePath = "C:\\dl\\setup.exe";
    Vars.ArchiveFile = std::make_unique<ClosingFile>(false);
    CloseAtProcessEnd();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "No se puede cerrar C:\\dl\\setup.exe");
    EXPECT_EQ(host.messages[0].caption, "Error...");
    EXPECT_FALSE(host.messages[0].owned);
}

}  // namespace
