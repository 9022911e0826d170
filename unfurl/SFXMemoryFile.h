// An SfxFile over bytes in memory, for tools and tests that decode without
// touching the disk.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "sys/SfxSystem.h"

class MemoryFile : public SfxFile {
public:
    MemoryFile() = default;
    explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}

    size_t Read(void* buffer, size_t count) override {
        size_t available = position_ < bytes_.size() ? bytes_.size() - position_ : 0;
        size_t n = std::min(count, available);
        if (n > 0)
            std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }
    size_t Write(const void* buffer, size_t count) override {
        if (writeLimit_ != kNoLimit) {
            count = std::min(count, writeLimit_);
            writeLimit_ -= count;
        }
        if (position_ > bytes_.size())
            bytes_.resize(position_);
        size_t overlap = std::min(count, bytes_.size() - position_);
        bytes_.replace(position_, overlap, static_cast<const char*>(buffer), count);
        position_ += count;
        return count;
    }
    bool Seek(uint64_t position) override {
        position_ = static_cast<size_t>(position);
        return true;
    }
    uint64_t Position() override { return position_; }
    uint64_t Size() override { return bytes_.size(); }

    const std::string& Bytes() const { return bytes_; }
    // Writes beyond this many bytes come up short (to test full disks).
    void LimitWrites(size_t bytes) { writeLimit_ = bytes; }

private:
    static constexpr size_t kNoLimit = static_cast<size_t>(-1);
    std::string bytes_;
    size_t position_ = 0;
    size_t writeLimit_ = kNoLimit;
};

// An SfxFile that keeps nothing and only counts what is written, so that
// decoding can be measured or fuzzed without the cost of its output.
class CountingFile : public SfxFile {
public:
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void*, size_t count) override {
        written += count;
        return count;
    }
    bool Seek(uint64_t) override { return true; }
    uint64_t Position() override { return written; }
    uint64_t Size() override { return written; }
    uint64_t written = 0;
};
