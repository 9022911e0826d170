// LineReader and BufferedWriter.
#include "convert/text/TextStreams.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

bool LineReader::Fill() {
    if (begin_ < end_)
        return true;
    if (eof_ || failed_ || !file_)
        return false;
    size_t got = 0;
    if (!file_->Read(buffer_.get(), kStreamBufferSize, got)) {
        failed_ = true;
        return false;
    }
    begin_ = 0;
    end_ = got;
    if (got == 0)
        eof_ = true;
    return got > 0;
}

bool LineReader::AtEnd() {
    return !Fill();
}

bool LineReader::ReadLine(std::string& line) {
    if (!Fill())
        return false;
    ReadLinePart(line, SIZE_MAX);
    return true;
}

bool LineReader::ReadLinePart(std::string& line, size_t most) {
    while (most > 0 && Fill()) {
        const char* start = buffer_.get() + begin_;
        size_t length = std::min(end_ - begin_, most);
        const void* cr = std::memchr(start, '\r', length);
        if (cr != nullptr) {
            length = static_cast<const char*>(cr) - start;
            line.append(start, length);
            begin_ += length + 1;
            if (Fill() && buffer_[begin_] == '\n')
                ++begin_;
            return true;
        }
        line.append(start, length);
        begin_ += length;
        most -= length;
    }
    return !Fill();
}

std::string_view LineReader::ReadChunk() {
    if (!Fill())
        return {};
    std::string_view chunk(buffer_.get() + begin_, end_ - begin_);
    begin_ = end_;
    return chunk;
}

bool LineReader::ReadWideLinePart(std::string& line, size_t most) {
    while (most > 0 && Fill()) {
        const char* start = buffer_.get() + begin_;
        size_t length = std::min(end_ - begin_, most);
        for (size_t i = 0; i < length; ++i) {
            unsigned char b = static_cast<unsigned char>(start[i]);
            if (!oddByte_) {
                low_ = b;
                oddByte_ = true;
                continue;
            }
            oddByte_ = false;
            uint16_t unit = static_cast<uint16_t>(low_ | b << 8);
            bool lineEnd = unit == '\n' && lastUnit_ == '\r';
            lastUnit_ = unit;
            if (lineEnd) {
                line.append(start, i + 1);
                begin_ += i + 1;
                return true;
            }
        }
        line.append(start, length);
        begin_ += length;
        most -= length;
    }
    return !Fill();
}

bool BufferedWriter::Flush() {
    if (failed_ || !file_)
        return failed_ = true, false;
    if (!buffer_.empty() && !file_->Write(buffer_))
        failed_ = true;
    buffer_.clear();
    return !failed_;
}

bool BufferedWriter::Write(std::string_view bytes) {
    if (failed_)
        return false;
    if (buffer_.size() + bytes.size() <= kStreamBufferSize) {
        buffer_.append(bytes);
        return true;
    }
    if (!Flush())
        return false;
    if (bytes.size() >= kStreamBufferSize) {
        if (!file_->Write(bytes))
            failed_ = true;
        return !failed_;
    }
    buffer_.append(bytes);
    return true;
}

bool BufferedWriter::Close() {
    bool ok = Flush();
    if (file_) {
        ok = file_->Close() && ok;
        file_.reset();
    }
    return ok;
}
