// Bytes in memory read as a file a few at a time, so that readers built on
// streams meet every place a read can end.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "sys/System.h"

class SlicedReader final : public FileReader {
public:
    SlicedReader(std::string_view bytes, size_t slice) : bytes_(bytes), slice_(slice) {}
    bool Read(char* buffer, size_t capacity, size_t& got) override {
        got = std::min({capacity, slice_, bytes_.size()});
        std::copy_n(bytes_.data(), got, buffer);
        bytes_.remove_prefix(got);
        return true;
    }

private:
    std::string_view bytes_;
    size_t slice_;
};
