// "sfxpack pack": gathers the files, writes the stub, the header records
// and the archive. "sfxpack list": reads a self-extractor as the stub does,
// signed or not.
#include "Pack.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "SFXCrc.h"
#include "SFXDirectory.h"
#include "SFXHeader.h"
#include "SFXInflate.h"
#include "SFXMemoryFile.h"
#include "SFXMessages.h"
#include "SFXVars.h"
#include "SFXVolumes.h"
#include "ZipWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kPeHeaderBytes = 65536;

// Messages of the core go to standard error; questions are answered OK.
class ConsoleHost : public SfxHost {
public:
    explicit ConsoleHost(std::ostream& err) : err_(err) {}
    int ShowMessage(const std::string& text, const std::string& caption, uint32_t,
                    bool) override {
        if (caption == "Error...")
            err_ << PlatformSfxSystem().ConsoleText(text) << "\n";
        return 1;
    }
    void AddListItem(const std::string&, size_t, uint32_t, bool) override {}
    [[noreturn]] void EndProgram(int exitCode) override { throw ProgramExit{exitCode}; }

private:
    std::ostream& err_;
};

bool ReadWhole(const std::string& path, std::string& bytes) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void DosTimeOf(const fs::path& path, uint16_t& time, uint16_t& date) {
    std::error_code ec;
    auto written = fs::last_write_time(path, ec);
    std::time_t t = std::time(nullptr);
    if (!ec)
        t = std::chrono::system_clock::to_time_t(
            std::chrono::file_clock::to_sys(written));
    std::tm local = *std::localtime(&t);
    int year = std::max(local.tm_year + 1900, 1980);
    date = static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

std::string NameOf(const fs::path& relative) {
    std::u8string u8 = relative.generic_u8string();
    return std::string(u8.begin(), u8.end());
}

bool AddFile(const fs::path& file, const std::string& name, std::vector<ZipSource>& sources) {
    ZipSource s;
    s.name = name;
    if (!ReadWhole(NameOf(file), s.data))
        return false;
    DosTimeOf(file, s.dosTime, s.dosDate);
    sources.push_back(std::move(s));
    return true;
}

// A folder contributes what is inside it, relative to it, in name order.
bool AddFolder(const fs::path& folder, std::vector<ZipSource>& sources, std::ostream& err) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        found.push_back(it->path());
    if (ec) {
        err << "cannot read folder " << NameOf(folder) << "\n";
        return false;
    }
    std::sort(found.begin(), found.end());
    for (const fs::path& p : found) {
        std::string name = NameOf(fs::relative(p, folder));
        if (fs::is_directory(p)) {
            ZipSource s;
            s.name = name + "/";
            DosTimeOf(p, s.dosTime, s.dosDate);
            sources.push_back(s);
        } else if (!AddFile(p, name, sources)) {
            err << "cannot read " << NameOf(p) << "\n";
            return false;
        }
    }
    return true;
}

constexpr const char* kVolumeExtension = "vol";
constexpr const char* kFirstVolumeNumber = "001";

// Volume files sit beside the self-extractor: its name without extension,
// the volume number and ".vol".
std::string VolumeStem(const PackOptions& o) {
    return NameOf(fs::u8path(o.output).stem());
}

std::string HeaderRecords(const PackOptions& o) {
    std::string out = "UF";
    out += '\0';
    out += '\x01';
    size_t length = 18 + 2;
    for (const std::string& s : o.strings)
        length += s.size();
    auto u16 = [&](uint32_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    };
    u16(static_cast<uint32_t>(length));
    uint16_t flags = o.volumeSize ? static_cast<uint16_t>(o.flags | FLAG_SPANNED) : o.flags;
    u16(flags);
    out += static_cast<char>(o.overwriteMode);
    for (const std::string& s : o.strings)
        out += static_cast<char>(s.size());
    u16(o.messageStyle & 0xFFFF);
    u16(o.messageStyle >> 16);
    for (const std::string& s : o.strings)
        out += s;
    out.append(2, '\0');
    out += "UF\x0A\x01";
    u16(static_cast<uint32_t>(length));
    u16(0);
    if (o.volumeSize) {
        std::string base = VolumeStem(o) + kFirstVolumeNumber;
        std::string extension = kVolumeExtension;
        out += "UF\x14\x01";
        u16(static_cast<uint32_t>(base.size()));
        u16(0);
        u16(static_cast<uint32_t>(extension.size()));
        u16(0);
        out += base + extension;
        out.append(12, '\0');
    }
    return out;
}

bool WriteWhole(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}

// The volumes beside the output; the directory is what the stub holds.
bool WriteVolumes(const PackOptions& o, const std::vector<ZipSource>& sources,
                  const ZipWriteOptions& zo, std::string& directory, std::ostream& err) {
    SpannedZip spanned = WriteSpannedZip(sources, zo, o.volumeSize);
    if (spanned.volumes.size() > 0xFFFF) {
        err << "too many volumes; choose a larger --volume-size\n";
        return false;
    }
    fs::path folder = fs::u8path(o.output).parent_path();
    for (size_t d = 0; d < spanned.volumes.size(); ++d) {
        std::string name = VolumeStem(o) + VolumeNumberText(static_cast<unsigned>(d)) + "." +
                           kVolumeExtension;
        if (!WriteWhole(folder / fs::u8path(name), spanned.volumes[d])) {
            err << "cannot write " << name << "\n";
            return false;
        }
    }
    directory = spanned.directory;
    return true;
}

// Runs the core's directory reader over an archive in memory.
bool ArchiveUsable(const std::string& zip, std::ostream& err) {
    ConsoleHost host(err);
    ResetVars(PlatformSfxSystem(), host);
    BuildCrcTable();
    Vars.ArchiveFile = std::make_unique<MemoryFile>(zip);
    try {
        ReadDirectory();
    } catch (const ProgramExit&) {
        return false;
    }
    return true;
}

// A signed stub loses its certificate table with the overlay; its security
// entry goes too, so that no signer or reader takes the stale one.
void ForgetSignature(std::string& stub) {
    CertificateTable table =
        FindCertificateTable(reinterpret_cast<const uint8_t*>(stub.data()), stub.size());
    if (table.entryOffset != 0)
        stub.replace(table.entryOffset, 8, 8, '\0');
}

// The stub's manifest holds its execution level in a slot as wide as the
// longest level, padded with spaces; the level is written over it in place.
bool SetExecutionLevel(std::string& stub, const std::string& level) {
    const std::string key = "<requestedExecutionLevel level=\"";
    const std::string widest = "level=\"requireAdministrator\"";
    size_t at = stub.find(key);
    if (at == std::string::npos || stub.find(key, at + 1) != std::string::npos)
        return false;
    at += key.size() - 7;   // back to "level=\""
    size_t close = stub.find('"', at + 7);
    if (close == std::string::npos || close >= at + widest.size())
        return false;
    for (size_t i = close + 1; i <= at + widest.size(); ++i)
        if (stub[i] != ' ')
            return false;
    std::string slot = "level=\"" + level + "\"";
    slot.resize(widest.size(), ' ');
    stub.replace(at, widest.size(), slot);
    return true;
}

std::string SignatureText() {
    const CertificateTable& table = Vars.Certificate;
    if (!table.Present())
        return "no";
    std::string where = "certificate table at " + std::to_string(table.start) + ", " +
                        std::to_string(table.size) + " bytes";
    return Vars.CertificateEndsArchive ? "yes, " + where : "no, " + where + " ignored";
}

const char* MethodName(uint16_t method) {
    return method == 0 ? "stored" : method == 8 ? "deflated" : "other";
}

}  // namespace

std::string CorePathOf(const std::string& native) {
    fs::path absolute = fs::absolute(fs::u8path(native));
#ifdef _WIN32
    std::u8string u8 = absolute.u8string();
    return std::string(u8.begin(), u8.end());
#else
    std::string p = absolute.lexically_normal().string();
    for (char& c : p)
        if (c == '/')
            c = '\\';
    return "Z:" + p;
#endif
}

int RunPack(const PackOptions& o, std::ostream& err) {
    std::string stub;
    if (!ReadWhole(o.stub, stub)) {
        err << "cannot read the stub " << o.stub << "\n";
        return kExitUnusable;
    }
    uint32_t overlay = FindOverlay(reinterpret_cast<const uint8_t*>(stub.data()),
                                   std::min(stub.size(), kPeHeaderBytes));
    if (overlay == 0 || overlay > stub.size()) {
        err << "the stub is not a PE32 program: " << o.stub << "\n";
        return kExitUnusable;
    }
    stub.resize(overlay);
    ForgetSignature(stub);
    if (!o.executionLevel.empty() && !SetExecutionLevel(stub, o.executionLevel)) {
        err << "the stub has no execution level to set: " << o.stub << "\n";
        return kExitUnusable;
    }
    std::string header = HeaderRecords(o);

    std::string zip;
    if (!o.zip.empty()) {
        if (!ReadWhole(o.zip, zip)) {
            err << "cannot read " << o.zip << "\n";
            return kExitUnusable;
        }
        if (!ArchiveUsable(zip, err))
            return kExitUnusable;
    } else {
        std::vector<ZipSource> sources;
        for (const std::string& path : o.paths) {
            fs::path p = fs::u8path(path);
            bool ok = fs::is_directory(p) ? AddFolder(p, sources, err)
                                          : AddFile(p, NameOf(p.filename()), sources);
            if (!ok) {
                err << "cannot read " << path << "\n";
                return kExitUnusable;
            }
        }
        ZipWriteOptions zo;
        zo.level = o.store ? 0 : o.level;
        zo.password = o.password;
        zo.baseOffset = static_cast<uint32_t>(stub.size() + header.size());
        if (!o.volumeSize)
            zip = WriteZip(sources, zo);
        else if (!WriteVolumes(o, sources, zo, zip, err))
            return kExitUnusable;
    }

    if (!WriteWhole(fs::u8path(o.output), stub + header + zip)) {
        err << "cannot write " << o.output << "\n";
        return kExitUnusable;
    }
    return kExitDone;
}

bool OpenSelfExtractor(const std::string& file, SfxHost& host, std::ostream& err,
                       int& exitCode) {
    exitCode = kExitUnusable;
    std::string head;
    {
        std::ifstream in(fs::u8path(file), std::ios::binary);
        if (!in) {
            err << "Error leyendo archivo " << file << "\n";
            return false;
        }
        head.resize(kPeHeaderBytes);
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<size_t>(in.gcount()));
    }
    ResetVars(PlatformSfxSystem(), host);
    BuildCrcTable();
    Vars.ArchivePath = CorePathOf(file);
    Vars.ArchiveFile = PlatformSfxSystem().OpenRead(Vars.ArchivePath);
    if (!Vars.ArchiveFile) {
        err << PlatformSfxSystem().ConsoleText("Error leyendo archivo " + Vars.ArchivePath) << "\n";
        return false;
    }
    Vars.OverlayStart =
        FindOverlay(reinterpret_cast<const uint8_t*>(head.data()), head.size());
    try {
        LoadHeader();
        ReadDirectory();
    } catch (const ProgramExit& exit) {
        exitCode = exit.exitCode == 0 ? kExitDone : kExitUnusable;
        return false;
    }
    return true;
}

ArchiveCleanUp::~ArchiveCleanUp() { CloseAtProcessEnd(); }

int RunList(const std::string& file, std::ostream& out, std::ostream& err) {
    ConsoleHost host(err);
    ArchiveCleanUp cleanUp;
    int exitCode;
    if (!OpenSelfExtractor(file, host, err, exitCode))
        return exitCode;
    static const char* const labels[] = {"caption", "destination", "command", "fallback",
                                         "message"};
    static const char* const modes[] = {"always", "never", "ask"};
    uint16_t flags = Vars.Header.HeaderFlags();
    out << "overlay start: " << Vars.OverlayStart << "\n"
        << "record length: " << Vars.Header.RecordLength() << "\n";
    for (int i = 0; i < 5; ++i)
        out << labels[i] << ": " << Vars.headerStrings[i] << "\n";
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", flags);
    out << "message style: " << Vars.Header.MessageStyle() << "\n"
        << "flags: " << hex << " " << HeaderFlagNames(flags) << "\n"
        << "overwrite: "
        << (Vars.Header.OverwriteMode() < 3 ? modes[Vars.Header.OverwriteMode()] : "?") << "\n"
        << "zip start: " << Vars.ZipStart << "\n"
        << "offset delta: " << Vars.OffsetDelta << "\n"
        << "signed: " << SignatureText() << "\n"
        << "entries: " << Vars.EntryTable.size() << "\n";
    for (size_t i = 0; i < Vars.EntryTable.size(); ++i) {
        const EntryRecord& e = Vars.EntryTable[i];
        std::snprintf(hex, sizeof hex, "%08X", e.Crc());
        out << Vars.EntryNames[i] << "\t" << e.UncompressedSize() << "\t" << MethodName(e.Method())
            << (e.IsEncrypted() ? "+encrypted" : "") << "\t" << hex << "\n";
    }
    return kExitDone;
}
