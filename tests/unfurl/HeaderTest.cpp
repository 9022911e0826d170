// The overlay and its header records: finding the overlay in a PE32 image,
// reading the records and applying them (destination rules, start-up
// message, name rule), and the fatal cases.
#include <gtest/gtest.h>

#include <filesystem>

#include "SFXHeader.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "UnfurlFixture.h"
#include "support/PeImage.h"
#include "support/TempFolder.h"
#include "support/ZipBuilder.h"

namespace {

constexpr uint32_t kStubSize = 0x600;
const char* const kCorrupt = "Archivo corrupto, prueba a descargar el archivo otra vez.";

class FindingTheOverlay : public UnfurlTest {};

TEST_F(FindingTheOverlay, LargestSectionEndIsTheOverlayStart) {
    std::string image = PeImage({{0x400, 0x100}, {0x200, 0x200}}, kStubSize);
    EXPECT_EQ(FindOverlay(reinterpret_cast<const uint8_t*>(image.data()), image.size()), 0x500u);
}

TEST_F(FindingTheOverlay, NoSectionsOrTruncatedHeadersGiveZero) {
    std::string none = PeImage({}, kStubSize);
    EXPECT_EQ(FindOverlay(reinterpret_cast<const uint8_t*>(none.data()), none.size()), 0u);
    std::string cut = PeImage({{0x400, 0x100}}, kStubSize).substr(0, 0x100);
    EXPECT_EQ(FindOverlay(reinterpret_cast<const uint8_t*>(cut.data()), cut.size()), 0u);
    EXPECT_EQ(FindOverlay(nullptr, 0), 0u);
}

class LoadingTheHeader : public UnfurlTest {
protected:
    void Load(const OverlaySpec& spec, const std::string& path = "C:\\dl\\archive.exe") {
        OpenArchive(std::string(kStubSize, 'S') + spec.Build() + ZipBuilder().Build(), path);
        Vars.OverlayStart = kStubSize;
        LoadHeader();
    }
    static OverlaySpec WithDestination(const std::string& destination) {
        OverlaySpec spec;
        spec.strings[1] = destination;
        return spec;
    }
    void SetUp() override {
        UnfurlTest::SetUp();
        system.temp = "C:\\Users\\ana\\Temp";
    }
};

TEST_F(LoadingTheHeader, EmptyOverlayIsACorruptArchive) {
    OpenArchive(std::string(kStubSize, 'S'));
    Vars.OverlayStart = kStubSize;
    EXPECT_EQ(ExitCodeOf([] { LoadHeader(); }), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, kCorrupt);
    EXPECT_EQ(host.messages[0].caption, "Error...");
}

TEST_F(LoadingTheHeader, PackagedLayoutPutsTheArchiveAfterTheEndRecord) {
    OverlaySpec spec = WithDestination("><");
    spec.strings[0] = "Self Extracting Archive, Scrollix 1.0";
    spec.trailingBytes = 3;   // record length 60
    Load(spec);
    EXPECT_EQ(Vars.Header.RecordLength(), 60u);
    EXPECT_EQ(Vars.Header.HeaderFlags(), 0u);
    EXPECT_EQ(Vars.Header.OverwriteMode(), OVERWRITE_ASK);
    EXPECT_EQ(Vars.ZipStart, kStubSize + 68);
    EXPECT_EQ(Vars.dialogCaption, "Self Extracting Archive, Scrollix 1.0");
    EXPECT_EQ(Vars.runCommand, "");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(LoadingTheHeader, EmptyCaptionKeepsTheStartValue) {
    Load(WithDestination("C:\\Apps"));
    EXPECT_EQ(Vars.dialogCaption, "Scrollix SFX");
    EXPECT_EQ(Vars.Destination, "C:\\Apps");
}

TEST_F(LoadingTheHeader, BadTagsAreCorrupt) {
    std::string overlay = OverlaySpec().Build();
    for (size_t at : {size_t{0}, size_t{2}, size_t{20}, size_t{23}}) {
        std::string damaged = overlay;
        damaged[at] ^= 0x40;
        ResetVars(system, host);
        OpenArchive(std::string(kStubSize, 'S') + damaged);
        Vars.OverlayStart = kStubSize;
        EXPECT_EQ(ExitCodeOf([] { LoadHeader(); }), 1) << at;
    }
}

TEST_F(LoadingTheHeader, PlaceholderAloneIsTheTemporaryFolder) {
    Load(WithDestination("><"));
    EXPECT_EQ(Vars.Destination, "C:\\Users\\ana\\Temp\\");
    EXPECT_FALSE(Vars.DestinationIsVolatile);
}

TEST_F(LoadingTheHeader, PlaceholderWithAFolderIsInsideTheTemporaryFolder) {
    Load(WithDestination("><Setup\\Files"));
    EXPECT_EQ(Vars.Destination, "C:\\Users\\ana\\Temp\\Setup\\Files");
}

TEST_F(LoadingTheHeader, RegistryDestinationTakesTheFirstFolderAndTheSuffix) {
    system.registry.Set(RegistryRoot::LocalMachine, "Software\\X", "InstallDir",
                        std::string("D:\\Apps\\X;E:\\Old\0", 17));
    Load(WithDestination("HKLM\\Software\\X\\InstallDir|Sub"));
    EXPECT_EQ(Vars.Destination, "D:\\Apps\\X\\Sub");
}

TEST_F(LoadingTheHeader, RegistryRootsAreMatchedWithoutCase) {
    system.registry.Set(RegistryRoot::CurrentUser, "Software\\Y", "Dir", "F:\\Y");
    Load(WithDestination("hkey_current_user\\Software\\Y\\Dir"));
    EXPECT_EQ(Vars.Destination, "F:\\Y\\");
}

TEST_F(LoadingTheHeader, MissingRegistryValueUsesTheFallbackOrTheTemporaryFolder) {
    OverlaySpec spec = WithDestination("HKLM\\Software\\Missing\\Dir");
    spec.strings[3] = "C:\\Fallback";
    Load(spec);
    EXPECT_EQ(Vars.Destination, "C:\\Fallback");

    ResetVars(system, host);
    Load(WithDestination("HKLM\\Software\\Missing\\Dir"));
    EXPECT_EQ(Vars.Destination, "C:\\Users\\ana\\Temp\\");

    ResetVars(system, host);
    Load(WithDestination("HKXX\\Software\\Dir"));
    EXPECT_EQ(Vars.Destination, "C:\\Users\\ana\\Temp\\");
}

TEST_F(LoadingTheHeader, NoDestinationMeansTheCurrentDirectory) {
    OverlaySpec spec;
    spec.strings[3] = "C:\\Fallback";
    Load(spec);
    EXPECT_EQ(Vars.Destination, system.CurrentDirectory());
}

// The folder is created as its name is chosen; a name someone else holds,
// as a file, a folder or a link to elsewhere, is passed over.
TEST_F(LoadingTheHeader, VolatileMarkerCreatesTheFirstNameNobodyHolds) {
    TempFolder temp;
    system.temp = temp.Path();
    temp.Write("sfx00000", "taken");
    temp.Write("sfx00001/planted.txt", "someone else's folder");
    std::string next = "sfx00002";
#ifndef _WIN32
    std::filesystem::create_directory_symlink(temp.Native() + "/elsewhere",
                                              temp.Native() + "/sfx00002");
    next = "sfx00003";
#endif
    Load(WithDestination("<Volatile>"));
    EXPECT_TRUE(Vars.DestinationIsVolatile);
    EXPECT_EQ(Vars.Destination, temp.Path() + "\\" + next + "\\");
    EXPECT_EQ(Vars.VolatileFolderPath, Vars.Destination);
    EXPECT_EQ(Vars.VolatileFolderName, next);
    EXPECT_TRUE(std::filesystem::is_directory(temp.Native() + "/" + next));
    EXPECT_TRUE(std::filesystem::is_empty(temp.Native() + "/" + next));
    EXPECT_FALSE(std::filesystem::exists(temp.Native() + "/elsewhere"));
}

// A missing temporary folder is not tried; one that cannot be written is
// tried once, not once per name.
TEST_F(LoadingTheHeader, WhereNoFolderCanBeMadeTheVolatileMarkerIsNotUsed) {
    struct Case {
        const char* temp;
        bool creationFails;
        size_t attempts;
    };
    const Case cases[] = {{"missing", false, 0}, {"unwritable", true, 1}};
    for (const Case& c : cases) {
        ResetVars(system, host);
        TempFolder temp;
        temp.Write("unwritable/placeholder.txt", "");
        system.temp = temp.Path() + "\\" + c.temp;
        system.folderCreationFails = c.creationFails;
        system.created.clear();
        Load(WithDestination("<Volatile>"));
        EXPECT_FALSE(Vars.DestinationIsVolatile) << c.temp;
        EXPECT_EQ(Vars.Destination, system.temp + "\\sfx") << c.temp;
        EXPECT_EQ(system.created.size(), c.attempts) << c.temp;
        EXPECT_FALSE(temp.Exists("missing"));
    }
}

TEST_F(LoadingTheHeader, ExpandEnvFlagExpandsCaptionMessageAndCommand) {
    OverlaySpec spec = WithDestination("%temp%\\App");
    spec.flags = FLAG_EXPAND_ENV;
    spec.strings[0] = "In %temp%";
    spec.strings[2] = "%temp%\\run.exe";
    spec.strings[4] = "To %temp%?";
    Load(spec);
    EXPECT_EQ(Vars.Destination, "C:\\Users\\ana\\Temp\\App");
    EXPECT_EQ(Vars.dialogCaption, "In C:\\Users\\ana\\Temp");
    EXPECT_EQ(Vars.runCommand, "C:\\Users\\ana\\Temp\\run.exe");
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "To C:\\Users\\ana\\Temp?");
}

TEST_F(LoadingTheHeader, StartUpMessageAnswersDecideWhetherTheProgramGoesOn) {
    struct Case {
        int answer;
        int exitCode;
    };
    const Case cases[] = {{1, -1}, {6, -1}, {4, -1}, {5, -1}, {2, 0}, {3, 0}, {7, 0}, {8, 0}};
    for (const Case& c : cases) {
        ResetVars(system, host);
        host.messages.clear();
        host.answers = {c.answer};
        OverlaySpec spec = WithDestination("C:\\A");
        spec.strings[0] = "Caption";
        spec.strings[4] = "Install?";
        spec.messageStyle = 0x24;
        EXPECT_EQ(ExitCodeOf([&] { Load(spec); }), c.exitCode) << c.answer;
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].caption, "Caption");
        EXPECT_EQ(host.messages[0].style, 0x2024u);
        EXPECT_FALSE(host.messages[0].owned);
    }
}

TEST_F(LoadingTheHeader, AutoStartByNameHoldsOnlyForSetupOrBang) {
    struct Case {
        const char* path;
        bool keeps;
    };
    const Case cases[] = {{"C:\\dl\\Setup.exe", true}, {"C:\\dl\\SETUP.EXE", true},
                          {"C:\\dl\\!go.exe", true},   {"C:\\dl\\setup1.exe", false},
                          {"C:\\dl\\x!.exe", false}};
    for (const Case& c : cases) {
        ResetVars(system, host);
        OverlaySpec spec = WithDestination("C:\\A");
        spec.flags = FLAG_AUTO_START | FLAG_AUTO_START_BY_NAME;
        Load(spec, c.path);
        EXPECT_EQ((Vars.Header.HeaderFlags() & FLAG_AUTO_START) != 0, c.keeps) << c.path;
    }
    ResetVars(system, host);
    OverlaySpec plain = WithDestination("C:\\A");
    plain.flags = FLAG_AUTO_START;
    Load(plain, "C:\\dl\\other.exe");
    EXPECT_TRUE(Vars.Header.HeaderFlags() & FLAG_AUTO_START);
}

TEST_F(LoadingTheHeader, VolumeRecordGivesBaseAndExtension) {
    OverlaySpec spec = WithDestination("C:\\A");
    spec.flags = FLAG_SPANNED;
    spec.volumeBase = "part";
    spec.volumeExtension = "z01";
    Load(spec, "C:\\dl\\Setup.exe");
    EXPECT_EQ(Vars.VolumeBase, "C:\\dl\\part");
    EXPECT_EQ(Vars.VolumeExtension, ".z01");
    EXPECT_EQ(Vars.ZipStart, kStubSize + spec.Build().size());
}

class PathHelpers : public UnfurlTest {};

TEST_F(PathHelpers, DirectoryAndFileParts) {
    struct Case {
        const char *path, *directory, *file;
    };
    const Case cases[] = {{"C:\\a\\b.txt", "C:\\a", "b.txt"}, {"C:\\b.txt", "C:\\", "b.txt"},
                          {"C:b.txt", "C:", "b.txt"},         {"C:\\", "C:\\", ""},
                          {"a/b", "a", "b"},                  {"name", "", "name"},
                          {"\\x", "", "x"},                   {"a\\b\\", "a\\b", ""}};
    for (const Case& c : cases) {
        EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
        EXPECT_EQ(FileNamePart(c.path), c.file) << c.path;
    }
}

TEST_F(PathHelpers, BackslashesAndPlaceholders) {
    EXPECT_EQ(IncludeTrailingBackslash(""), "");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(ExcludeTrailingBackslashes("C:\\a\\\\\\"), "C:\\a");
    EXPECT_EQ(FillPlaceholder("Error en ><", "C:\\x"), "Error en C:\\x");
    EXPECT_EQ(FillPlaceholder(FillPlaceholder(">< y ><", "a"), "b"), "a y b");
    EXPECT_EQ(FillPlaceholder("nada", "a"), "nada");
}

}  // namespace
