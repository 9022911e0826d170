// Buffered line reading and writing on top of the system seam's streams.
// Lines end at CR or CR LF; a lone LF stays inside the line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "sys/System.h"

constexpr size_t kStreamBufferSize = 64 * 1024;

class LineReader {
public:
    explicit LineReader(std::unique_ptr<FileReader> file) : file_(std::move(file)) {}

    // True when no byte is left (or reading failed).
    bool AtEnd();
    // Appends the next line, without its terminator, to 'line'. False at
    // the end of the file.
    bool ReadLine(std::string& line);
    // Appends at most 'most' bytes of the line being read to 'line'; true
    // when its end (or the file's) was reached, and the terminator read.
    bool ReadLinePart(std::string& line, size_t most);
    // Hands out the next raw bytes, at most one buffer; empty at the end.
    std::string_view ReadChunk();
    // The same for UTF-16LE text, whose lines end in CR LF units: true
    // when the line's CR LF was appended with it.
    bool ReadWideLinePart(std::string& line, size_t most);
    bool Failed() const { return failed_; }

private:
    bool Fill();

    std::unique_ptr<FileReader> file_;
    std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kStreamBufferSize);
    size_t begin_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
    bool failed_ = false;
    // UTF-16LE lines: bytes handed out so far, odd or even, and the last
    // whole unit.
    bool oddByte_ = false;
    unsigned char low_ = 0;
    uint16_t lastUnit_ = 0;
};

class BufferedWriter {
public:
    explicit BufferedWriter(std::unique_ptr<FileWriter> file) : file_(std::move(file)) {}

    bool Write(std::string_view bytes);
    // Flushes and closes; true when everything reached the file.
    bool Close();
    bool Failed() const { return failed_; }

private:
    bool Flush();

    std::unique_ptr<FileWriter> file_;
    std::string buffer_;
    bool failed_ = false;
};
