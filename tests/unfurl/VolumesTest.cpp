// Spanned archives: numbered volume files on a fixed disk, labelled disks
// asked for through the host, entries running across volume ends, missing
// and damaged volumes, and the volume number texts.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "SFXDirectory.h"
#include "SFXExtract.h"
#include "SFXHeader.h"
#include "SFXVolumes.h"
#include "UnfurlFixture.h"
#include "support/RandomBytes.h"
#include "support/TempFolder.h"
#include "support/ZipBuilder.h"

namespace {

using Names = std::vector<std::string>;

const char* const kCorrupt = "Archivo corrupto, prueba a descargar el archivo otra vez.";
constexpr uint32_t kVolumeSize = 1000;
constexpr unsigned kDriveRemovable = 2;
constexpr unsigned kDriveFixed = 3;

ZipEntrySpec Stored(const std::string& name, size_t size, unsigned seed) {
    ZipEntrySpec e;
    e.name = name;
    e.data = RandomBytes(size, seed);
    e.crc = CrcOf(e.data);
    e.uncompressedSize = static_cast<uint32_t>(size);
    return e;
}

std::string Number(unsigned disk) {
    char text[8];
    std::snprintf(text, sizeof text, "%03u", disk + 1);
    return text;
}

// Volume files "setup001.vol" ... beside "setup.exe", which holds a stub, the
// header records and the directory.
class SpannedArchive : public UnfurlTest {
protected:
    TempFolder temp;
    ZipBuilder zip;
    std::vector<std::string> volumes;

    void SetUp() override {
        UnfurlTest::SetUp();
        system.driveType = kDriveFixed;
        // Staging files land in the test's own folder, which goes with it
        // even when a fatal end skips the program's clean-up.
        system.temp = temp.Path();
        zip.volumeSize = kVolumeSize;
        // first and second lie on volume 1; long runs from volume 1 to 4,
        // where last follows it.
        zip.entries = {Stored("first.bin", 300, 1), Stored("second.bin", 200, 2),
                       Stored("long.bin", 2500, 3), Stored("last.bin", 100, 4)};
    }
    std::string VolumeName(unsigned disk) const { return "setup" + Number(disk) + ".vol"; }
    void WriteArchive(bool writeVolumes = true) {
        OverlaySpec overlay;
        overlay.flags = FLAG_SPANNED;
        overlay.strings[0] = "Setup";
        overlay.volumeBase = "setup001";
        overlay.volumeExtension = "vol";
        std::string directory = zip.BuildSpanned(volumes);
        temp.Write("setup.exe", std::string(200, 'S') + overlay.Build() + directory);
        if (writeVolumes)
            for (unsigned d = 0; d < volumes.size(); ++d)
                temp.Write(VolumeName(d), volumes[d]);
    }
    // Loads the stub as the program does and selects every item.
    void Load() {
        Vars.ArchivePath = temp.File("setup.exe");
        Vars.ArchiveFile = Vars.system->OpenRead(Vars.ArchivePath);
        ASSERT_TRUE(Vars.ArchiveFile);
        Vars.OverlayStart = 200;
        LoadHeader();
        ReadDirectory();
        for (auto& item : host.items)
            item.selected = true;
        Vars.Destination = temp.File("out");
        system.opened.clear();
    }
    void ExpectEveryEntryExtracted() {
        for (const ZipEntrySpec& e : zip.entries)
            EXPECT_EQ(temp.Read("out/" + e.name), e.data) << e.name;
        EXPECT_TRUE(host.Selected().empty());
    }
    Names VolumePaths(std::initializer_list<unsigned> disks) const {
        Names paths;
        for (unsigned d : disks)
            paths.push_back(temp.File(VolumeName(d)));
        return paths;
    }
    Names MessageTexts() const {
        Names texts;
        for (const auto& m : host.messages)
            texts.push_back(m.text);
        return texts;
    }
};

TEST_F(SpannedArchive, NumberedFilesOnAFixedDiskAreReadInTurnWithoutAQuestion) {
    WriteArchive();
    ASSERT_EQ(volumes.size(), 4u);
    Load();
    EXPECT_EQ(Vars.VolumeMode, VolumeModeKind::VOLUMES_NUMBERED_FILES);
    EXPECT_TRUE(ExtractRun());
    ExpectEveryEntryExtracted();
    EXPECT_TRUE(host.messages.empty());
    // Each volume opened once: entries in a row on one volume share it, and
    // the entry after the long one is read from the volume it ended on.
    EXPECT_EQ(system.opened, VolumePaths({0, 1, 2, 3}));
    EXPECT_EQ(Vars.ArchivePath, temp.File(VolumeName(3)));
    // The staging file is gone after every entry.
    EXPECT_FALSE(Vars.StagingName.empty());
    EXPECT_FALSE(system.PathExists(Vars.StagingName));
}

TEST_F(SpannedArchive, EntriesThatAllStartOnTheFirstVolumeStillReachTheNext) {
    zip.entries = {Stored("big.bin", 2200, 5)};
    WriteArchive();
    Load();
    EXPECT_EQ(Vars.VolumeMode, VolumeModeKind::VOLUMES_NONE);
    EXPECT_TRUE(ExtractRun());
    ExpectEveryEntryExtracted();
    EXPECT_EQ(system.opened, VolumePaths({0, 1, 2}));
}

TEST_F(SpannedArchive, AMissingVolumeIsFatal) {
    WriteArchive();
    std::remove((temp.Native() + "/" + VolumeName(2)).c_str());
    Load();
    EXPECT_EQ(ExitCodeOf([] { ExtractRun(); }), 1);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back().text, "No se puede abrir " + temp.File(VolumeName(2)));
    EXPECT_EQ(host.messages.back().caption, "Error...");
    EXPECT_FALSE(host.messages.back().owned);
    EXPECT_EQ(temp.Read("out/first.bin"), zip.entries[0].data);
}

// Fatal ends in the middle of a spanned entry, with the program's clean-up
// run while the calls under way still hold their files: nothing is left in
// the temporary folder.
class FatalEndInsideAnEntry : public SpannedArchive {
protected:
    void SetUp() override {
        SpannedArchive::SetUp();
        temp.Write("tmp/.keep", "");
        std::filesystem::remove(temp.Native() + "/tmp/.keep");
        system.temp = temp.File("tmp");
        host.cleanUpAtEnd = true;
    }
    std::vector<std::string> TempContents() const {
        std::vector<std::string> names;
        for (const auto& file : std::filesystem::directory_iterator(temp.Native() + "/tmp"))
            names.push_back(file.path().filename().string());
        return names;
    }
};

TEST_F(FatalEndInsideAnEntry, AMissingVolumeLeavesNoStagingFile) {
    WriteArchive();
    std::remove((temp.Native() + "/" + VolumeName(2)).c_str());
    Load();
    EXPECT_EQ(ExitCodeOf([] { ExtractRun(); }), 1);
    EXPECT_FALSE(Vars.StagingName.empty()) << "the entry was being staged";
    EXPECT_EQ(TempContents(), std::vector<std::string>{});
}

TEST_F(FatalEndInsideAnEntry, ACorruptVolumeLeavesNoStagingFile) {
    WriteArchive();
    // The local header of "long.bin" on the first volume loses its signature.
    std::string first = temp.Read(VolumeName(0));
    size_t at = first.find("long.bin");
    ASSERT_NE(at, std::string::npos);
    first[at - 30] = 'X';
    temp.Write(VolumeName(0), first);
    Load();
    EXPECT_EQ(ExitCodeOf([] { ExtractRun(); }), 1);
    EXPECT_EQ(host.messages.back().text, "Error leyendo archivo " + temp.File(VolumeName(0)));
    EXPECT_EQ(TempContents(), std::vector<std::string>{});
}

// Plants a file under the staging name after the name was chosen.
class RacingSystem : public TestSystem {
public:
    std::vector<std::string> planted;
    std::unique_ptr<SfxFile> CreateTemporary(const std::string& path) override {
        if (planted.empty()) {
            planted.push_back(path);
            Real().CreateWrite(path)->Write("planted", 7);
        }
        return TestSystem::CreateTemporary(path);
    }
};

TEST_F(SpannedArchive, AStagingNameTakenMeanwhileIsNotOpenedButAnotherChosen) {
    RacingSystem racing;
    racing.driveType = kDriveFixed;
    Vars.system = &racing;
    WriteArchive();
    Load();
    EXPECT_TRUE(ExtractRun());
    ExpectEveryEntryExtracted();
    ASSERT_EQ(racing.planted.size(), 1u);
    EXPECT_NE(Vars.StagingName, racing.planted[0]);
    std::string kept;
    std::unique_ptr<SfxFile> file = racing.OpenRead(racing.planted[0]);
    ASSERT_TRUE(file);
    kept.resize(static_cast<size_t>(file->Size()));
    file->Read(kept.data(), kept.size());
    file.reset();
    EXPECT_EQ(kept, "planted");
    racing.RemoveFile(racing.planted[0]);
}

// A volume whose reads end before the size it reports.
class ShortVolumeSystem : public TestSystem {
public:
    std::string shortVolume;
    std::unique_ptr<SfxFile> OpenRead(const std::string& path) override {
        std::unique_ptr<SfxFile> real = TestSystem::OpenRead(path);
        if (path != shortVolume || !real)
            return real;
        struct Short : MemoryFile {
            using MemoryFile::MemoryFile;
            uint64_t Size() override { return MemoryFile::Size() + 50; }
        };
        std::string bytes(static_cast<size_t>(real->Size()), '\0');
        real->Read(bytes.data(), bytes.size());
        return std::make_unique<Short>(bytes);
    }
};

TEST_F(SpannedArchive, AVolumeEndingBeforeItsSizeIsACorruptArchive) {
    ShortVolumeSystem shortSystem;
    shortSystem.driveType = kDriveFixed;
    shortSystem.temp = temp.Path();
    shortSystem.shortVolume = temp.File(VolumeName(1));
    Vars.system = &shortSystem;
    WriteArchive();
    Load();
    EXPECT_EQ(ExitCodeOf([] { ExtractRun(); }), 1);
    EXPECT_EQ(MessageTexts(), Names{kCorrupt});
}

TEST_F(SpannedArchive, RemovableDrivesWithNumberedFilesAskForEveryVolume) {
    system.driveType = kDriveRemovable;
    WriteArchive();
    Load();
    EXPECT_EQ(Vars.VolumeMode, VolumeModeKind::VOLUMES_NUMBERED_FILES);
    EXPECT_TRUE(ExtractRun());
    ExpectEveryEntryExtracted();
    Names expected;
    for (unsigned d = 0; d < 4; ++d)
        expected.push_back("Por favor, inserte el volumen " + Number(d) + " en la unidad " +
                           temp.Path() + "\\");
    EXPECT_EQ(MessageTexts(), expected);
}

// A removable drive whose disks all hold "setup001.vol" and carry the
// labels "PKBACK# 001", "PKBACK# 002" ...
class DiskDrive : public TestSystem {
public:
    std::string fileName;
    std::vector<std::string> disks;
    unsigned inserted = 0;

    DiskDrive() { driveType = kDriveRemovable; }
    std::unique_ptr<SfxFile> OpenRead(const std::string& path) override {
        if (path != fileName)
            return TestSystem::OpenRead(path);
        opened.push_back(path);
        return std::make_unique<MemoryFile>(disks.at(inserted));
    }
    bool VolumeLabel(const std::string& root, std::string& label) override {
        driveQueries.push_back(root);
        label = "pkback# " + Number(inserted);
        return true;
    }
};

class LabelledDisks : public SpannedArchive {
protected:
    DiskDrive drive;
    std::deque<unsigned> insertions;   // the disk put in at each question

    void SetUp() override {
        SpannedArchive::SetUp();
        Vars.system = &drive;
        WriteArchive(false);
        drive.fileName = temp.File("setup001.vol");
        drive.disks = volumes;
        host.onMessage = [this] {
            if (!insertions.empty()) {
                drive.inserted = insertions.front();
                insertions.pop_front();
            }
        };
    }
    Names Questions(std::initializer_list<unsigned> disks) const {
        Names texts;
        for (unsigned d : disks)
            texts.push_back("Por favor, inserte el volumen " + Number(d) + " en la unidad " +
                            temp.Path() + "\\");
        return texts;
    }
};

TEST_F(LabelledDisks, TheRightLabelIsAskedForAtEachVolumeEnd) {
    Load();
    EXPECT_EQ(Vars.VolumeMode, VolumeModeKind::VOLUMES_LABELLED_DISKS);
    insertions = {1, 2, 3};
    EXPECT_TRUE(ExtractRun());
    ExpectEveryEntryExtracted();
    EXPECT_EQ(MessageTexts(), Questions({1, 2, 3}));
    for (const auto& m : host.messages) {
        EXPECT_EQ(m.caption, "Setup");
        EXPECT_EQ(m.style, 0x2001u);
        EXPECT_TRUE(m.owned);
    }
    // Labels are read from the drive's root.
    for (const std::string& root : drive.driveQueries)
        EXPECT_EQ(root, temp.Path().substr(0, 3));
}

TEST_F(LabelledDisks, AWrongDiskBringsTheQuestionBack) {
    Load();
    insertions = {1, 1, 0, 2, 3};
    EXPECT_TRUE(ExtractRun());
    ExpectEveryEntryExtracted();
    EXPECT_EQ(MessageTexts(), Questions({1, 2, 2, 2, 3}));
}

TEST_F(LabelledDisks, CancellingTheQuestionEndsTheProgramWithoutAMessage) {
    temp.Write("tmp/.keep", "");
    std::filesystem::remove(temp.Native() + "/tmp/.keep");
    drive.temp = temp.File("tmp");
    host.cleanUpAtEnd = true;
    Load();
    insertions = {1};
    host.answers = {1, 2};
    EXPECT_EQ(ExitCodeOf([] { ExtractRun(); }), 1);
    EXPECT_EQ(MessageTexts(), Questions({1, 2}));
    // The entry being staged when the question was cancelled left nothing.
    EXPECT_FALSE(Vars.StagingName.empty());
    EXPECT_TRUE(std::filesystem::is_empty(temp.Native() + "/tmp"));
}

TEST(VolumeNumbers, AreTheDiskIndexPlusOneInThreeDigitsAtLeast) {
    struct Case {
        unsigned index;
        const char* text;
    } cases[] = {{0, "001"}, {9, "010"}, {98, "099"}, {999, "1000"}, {65535, "65536"}};
    for (const Case& c : cases)
        EXPECT_EQ(VolumeNumberText(c.index), c.text);
}

}  // namespace
