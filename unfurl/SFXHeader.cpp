// Finding the overlay after the program image, reading the header records
// that follow it and applying them: destination, caption, start-up message
// and the auto-start name rule.
#include "SFXHeader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "SFXDefs.h"
#include "SFXMessages.h"
#include "SFXPaths.h"
#include "SFXStrings.h"
#include "SFXVars.h"

namespace {

// PE32 layout: the DOS header names the PE header; the section table
// follows the 4-byte signature, the 20-byte file header and the 224-byte
// optional header of a 32-bit image.
constexpr size_t kPeOffsetField = 0x3C;
constexpr size_t kSectionCountField = 6;
constexpr size_t kSectionTableStart = 4 + 20 + 224;
constexpr size_t kSectionEntrySize = 40;
constexpr size_t kRawSizeField = 16;
constexpr size_t kRawOffsetField = 20;
// The optional header follows the signature and the file header; its size
// is at offset 16 of the file header. In a PE32 optional header the count
// of data directories is at 92 and the directories of 8 bytes start at 96;
// the fifth, the security entry, holds a file offset rather than an RVA.
constexpr size_t kOptionalHeaderStart = 4 + 20;
constexpr size_t kOptionalSizeField = 4 + 16;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr size_t kDirectoryCountField = 92;
constexpr size_t kSecurityDirectory = 4;
constexpr size_t kSecurityEntryField = 96 + kSecurityDirectory * 8;
constexpr size_t kSecurityEntryEnd = kSecurityEntryField + 8;
constexpr int kVolatileNameCount = 100000;

bool TagMatches(const uint8_t* tag, uint8_t type) {
    return tag[0] == 'U' && tag[1] == 'F' && tag[2] == type && tag[3] == kRecordVersion;
}

// The header's texts are in the ANSI code page; the core holds UTF-8.
std::string ReadString(size_t length) {
    std::string text(length, '\0');
    ReadExact(text.data(), length);
    return Vars.system->ToUtf8(text, CodePage::Ansi);
}

bool ParseRoot(const std::string& name, RegistryRoot& root) {
    if (EqualsIgnoringCase(name, "HKEY_CURRENT_USER") || EqualsIgnoringCase(name, "HKCU"))
        root = RegistryRoot::CurrentUser;
    else if (EqualsIgnoringCase(name, "HKEY_LOCAL_MACHINE") || EqualsIgnoringCase(name, "HKLM"))
        root = RegistryRoot::LocalMachine;
    else if (EqualsIgnoringCase(name, "HKEY_USERS") || EqualsIgnoringCase(name, "HKU"))
        root = RegistryRoot::Users;
    else
        return false;
    return true;
}

std::string TempFolder() { return IncludeTrailingBackslash(ExpandEnv("%temp%")); }

// Every "><" becomes the temporary folder, scanning left to right so that
// a temporary folder whose name holds "><" cannot loop.
std::string ReplaceTempMarkers(const std::string& spec) {
    std::string result;
    size_t from = 0;
    for (size_t at; (at = spec.find(kPlaceholder, from)) != std::string::npos; from = at + 2)
        result += spec.substr(from, at - from) + TempFolder();
    return result + spec.substr(from);
}

// The folder is made here, by a call that fails when the name is taken, so
// a folder, link or junction someone else put there is never used. Any other
// failure (a temporary folder that cannot be written) ends the search.
void ChooseVolatileFolder() {
    std::string prefix = TempFolder() + kVolatilePrefix;
    bool canCreate = FolderExists(TempFolder());
    for (int i = 0; canCreate && i < kVolatileNameCount; ++i) {
        std::string digits = DecimalText(static_cast<uint32_t>(i), 5);
        std::string candidate = prefix + digits;
        SfxSystem::FolderCreation made = Vars.system->CreateFolder(candidate);
        if (made == SfxSystem::FolderCreation::Failed)
            break;
        if (made == SfxSystem::FolderCreation::Created) {
            Vars.Destination = IncludeTrailingBackslash(candidate);
            Vars.DestinationIsVolatile = true;
            Vars.VolatileFolderPath = Vars.Destination;
            Vars.VolatileFolderName = std::string(kVolatilePrefix) + digits;
            return;
        }
    }
    Vars.Destination = prefix;
}

void ResolveDestination(std::string spec) {
    if (spec.size() >= 2 && EqualsIgnoringCase(spec.substr(0, 2), "HK")) {
        spec = RegistryDestination(spec);
        if (spec.empty())
            spec = Vars.fallbackDestination.empty() ? kPlaceholder : Vars.fallbackDestination;
    }
    spec = ReplaceTempMarkers(spec);
    if (Vars.Header.HeaderFlags() & FLAG_EXPAND_ENV) {
        spec = ExpandEnv(spec);
        Vars.dialogCaption = ExpandEnv(Vars.dialogCaption);
        Vars.startupMessage = ExpandEnv(Vars.startupMessage);
        Vars.runCommand = ExpandEnv(Vars.runCommand);
    }
    Vars.destinationSpec = spec;
    if (Vars.Header.StringLength(2) == 0)
        Vars.Destination = Vars.system->CurrentDirectory();
    else if (EqualsIgnoringCase(spec, kVolatileMarker))
        ChooseVolatileFolder();
    else
        Vars.Destination = FullPath(spec);
}

void ShowStartupMessage() {
    if (Vars.Header.StringLength(5) == 0)
        return;
    int answer = Vars.host->ShowMessage(Vars.startupMessage, Vars.dialogCaption,
                                        Vars.Header.MessageStyle() | kStyleTaskModal, false);
    if (answer == kAnswerCancel || answer == kAnswerAbort || answer == kAnswerNo ||
        answer == kAnswerClose)
        Vars.host->EndProgram(0);
}

void ApplyNameRule() {
    uint16_t flags = Vars.Header.HeaderFlags();
    if (!(flags & FLAG_AUTO_START) || !(flags & FLAG_AUTO_START_BY_NAME))
        return;
    std::string name = FileNamePart(Vars.ArchivePath);
    if (EqualsIgnoringCase(name, "Setup.exe") || (!name.empty() && name[0] == '!'))
        return;
    Vars.Header.SetHeaderFlags(flags & ~FLAG_AUTO_START);
}

// A length field that reaches past the end of the file cannot be read.
void CheckLengthFits(uint64_t length) {
    SfxFile& file = *Vars.ArchiveFile;
    if (length > file.Size() - std::min(file.Size(), file.Position()))
        ReportFatal(kMsgCorrupt);
}

void ReadVolumeRecord() {
    uint8_t fixed[kVolumeRecordFixedSize];
    ReadExact(fixed, sizeof fixed);
    if (!TagMatches(fixed, kVolumeRecordType))
        ReportFatal(kMsgCorrupt);
    uint32_t baseLength = ReadU32(fixed + 4);
    uint32_t extensionLength = ReadU32(fixed + 8);
    CheckLengthFits(baseLength);
    std::string base = ReadString(baseLength);
    CheckLengthFits(extensionLength);
    std::string extension = ReadString(extensionLength);
    Vars.VolumeBase = IncludeTrailingBackslash(DirectoryPart(Vars.ArchivePath)) + base;
    Vars.VolumeExtension = "." + extension;
    SkipBytes(kVolumeRecordTrailerSize);
}

}  // namespace

uint32_t FindOverlay(const uint8_t* image, size_t size) {
    if (size < kPeOffsetField + 4)
        return 0;
    size_t pe = ReadU32(image + kPeOffsetField);
    if (pe > size || size - pe < kSectionTableStart)
        return 0;
    size_t sections = ReadU16(image + pe + kSectionCountField);
    size_t table = pe + kSectionTableStart;
    uint32_t overlay = 0;
    for (size_t i = 0; i < sections; ++i) {
        size_t entry = table + i * kSectionEntrySize;
        if (entry + kSectionEntrySize > size)
            break;
        uint32_t end = ReadU32(image + entry + kRawOffsetField) +
                       ReadU32(image + entry + kRawSizeField);
        overlay = std::max(overlay, end);
    }
    return overlay;
}

CertificateTable FindCertificateTable(const uint8_t* image, size_t size) {
    CertificateTable table;
    if (size < kPeOffsetField + 4 || image[0] != 'M' || image[1] != 'Z')
        return table;
    size_t pe = ReadU32(image + kPeOffsetField);
    if (pe > size || size - pe < kOptionalHeaderStart + kSecurityEntryEnd)
        return table;
    const uint8_t* optional = image + pe + kOptionalHeaderStart;
    if (std::memcmp(image + pe, "PE\0\0", 4) != 0 || ReadU16(optional) != kPe32Magic ||
        ReadU16(image + pe + kOptionalSizeField) < kSecurityEntryEnd ||
        ReadU32(optional + kDirectoryCountField) <= kSecurityDirectory)
        return table;
    table.entryOffset = static_cast<uint32_t>(pe + kOptionalHeaderStart + kSecurityEntryField);
    table.start = ReadU32(image + table.entryOffset);
    table.size = ReadU32(image + table.entryOffset + 4);
    return table;
}

std::string RegistryDestination(const std::string& spec) {
    size_t slash = spec.find('\\');
    if (slash == std::string::npos)
        return std::string();
    RegistryRoot root;
    if (!ParseRoot(spec.substr(0, slash), root))
        return std::string();
    std::string rest = spec.substr(slash + 1);
    std::string suffix;
    if (size_t bar = rest.find('|'); bar != std::string::npos) {
        suffix = rest.substr(bar + 1);
        rest.erase(bar);
    }
    std::string key = rest, value;
    size_t last = rest.rfind('\\');
    if (last != std::string::npos && last + 1 < rest.size()) {
        key = rest.substr(0, last);
        value = rest.substr(last + 1);
    }
    std::string data;
    if (!Vars.system->QueryRegistryValue(root, key, value, data))
        return std::string();
    data = data.substr(0, std::min(data.find('\0'), kMaxNameSize));
    data = data.substr(0, data.find(';'));
    return IncludeTrailingBackslash(data) + suffix;
}

void LoadHeader() {
    SfxFile& file = *Vars.ArchiveFile;
    uint32_t start = Vars.OverlayStart;
    file.Seek(start);
    ReadExact(Vars.Header.bytes.data(), kHeaderFixedSize);
    if (!TagMatches(Vars.Header.bytes.data(), kMainRecordType))
        ReportFatal(kMsgCorrupt);

    std::string* strings[kHeaderStringCount] = {&Vars.dialogCaption, &Vars.destinationSpec,
                                                &Vars.runCommand, &Vars.fallbackDestination,
                                                &Vars.startupMessage};
    for (int i = 0; i < kHeaderStringCount; ++i)
        if (uint8_t length = Vars.Header.StringLength(i + 1)) {
            *strings[i] = ReadString(length);
            Vars.headerStrings[i] = *strings[i];
        }

    ResolveDestination(Vars.destinationSpec);
    ShowStartupMessage();
    ApplyNameRule();

    file.Seek(static_cast<uint64_t>(start) + Vars.Header.RecordLength());
    uint8_t tag[4];
    ReadExact(tag, sizeof tag);
    if (!TagMatches(tag, kEndRecordType))
        ReportFatal(kMsgCorrupt);
    SkipBytes(kEndRecordSize - sizeof tag);
    if (Vars.Header.HeaderFlags() & FLAG_SPANNED)
        ReadVolumeRecord();
    Vars.ZipStart = static_cast<uint32_t>(file.Position());
}
