// Reads the parts of a PE32 file that tests check, found through its
// headers: characteristics, data directories, imported libraries and
// resources. Offsets outside the file read as zero.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

constexpr int kImportDirectory = 1, kResourceDirectory = 2, kSecurityDirectory = 4,
              kRelocationDirectory = 5, kDelayImportDirectory = 13;

class PeFile {
public:
    explicit PeFile(std::string bytes) : bytes_(std::move(bytes)) {
        if (bytes_.size() < 0x40 || bytes_.compare(0, 2, "MZ") != 0)
            return;
        pe_ = U32(0x3C);
        if (pe_ + 24 + 96 > bytes_.size() || bytes_.compare(pe_, 4, std::string("PE\0\0", 4)) != 0)
            return;
        optional_ = pe_ + 24;
        valid_ = U16(optional_) == 0x10B;
    }
    bool valid() const { return valid_; }
    uint16_t Characteristics() const { return U16(pe_ + 22); }
    uint16_t DllCharacteristics() const { return U16(optional_ + 70); }
    uint32_t DirectoryRva(int index) const { return U32(optional_ + 96 + 8 * index); }
    uint32_t DirectorySize(int index) const { return U32(optional_ + 96 + 8 * index + 4); }

    // The names of the imported libraries, in lower case.
    std::vector<std::string> Imports() const {
        std::vector<std::string> names;
        uint32_t at = Offset(DirectoryRva(kImportDirectory));
        for (; at != 0 && at + 20 <= bytes_.size() && U32(at + 12) != 0; at += 20) {
            std::string name = CString(Offset(U32(at + 12)));
            for (char& c : name)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            names.push_back(name);
        }
        return names;
    }

    // The first resource of a type: its bytes, empty when there is none.
    std::string Resource(uint32_t type) const {
        uint32_t root = Offset(DirectoryRva(kResourceDirectory));
        if (root == 0)
            return {};
        uint32_t entry = FindEntry(root, root, type);
        for (int level = 0; level < 2 && entry != 0; ++level)
            entry = FindEntry(root, entry, 0);
        if (entry == 0 || entry + 8 > bytes_.size())
            return {};
        uint32_t data = Offset(U32(entry)), size = U32(entry + 4);
        return data != 0 && data + size <= bytes_.size() ? bytes_.substr(data, size)
                                                         : std::string();
    }

private:
    std::string bytes_;
    uint32_t pe_ = 0, optional_ = 0;
    bool valid_ = false;

    uint32_t U16(size_t at) const {
        return at + 2 <= bytes_.size()
                   ? static_cast<uint8_t>(bytes_[at]) | static_cast<uint8_t>(bytes_[at + 1]) << 8
                   : 0;
    }
    uint32_t U32(size_t at) const { return U16(at) | U16(at + 2) << 16; }
    std::string CString(uint32_t at) const {
        return at < bytes_.size() ? std::string(bytes_.c_str() + at) : std::string();
    }
    // The file offset of an address of the loaded image; 0 when no
    // section holds it.
    uint32_t Offset(uint32_t rva) const {
        uint32_t sections = optional_ + U16(pe_ + 20);
        for (uint32_t i = 0; i < U16(pe_ + 6); ++i) {
            uint32_t s = sections + 40 * i;
            uint32_t start = U32(s + 12), size = std::max(U32(s + 8), U32(s + 16));
            if (rva != 0 && rva >= start && rva < start + size)
                return rva - start + U32(s + 20);
        }
        return 0;
    }
    // In the resource directory at 'directory': the entry with this id (any
    // entry when id is 0), followed to its subdirectory or data entry.
    uint32_t FindEntry(uint32_t root, uint32_t directory, uint32_t id) const {
        uint32_t count = U16(directory + 12) + U16(directory + 14);
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t entry = directory + 16 + 8 * i;
            if (id != 0 && U32(entry) != id)
                continue;
            return root + (U32(entry + 4) & 0x7FFFFFFF);
        }
        return 0;
    }
};
