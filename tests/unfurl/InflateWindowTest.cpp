// Hand-made streams for the traps of the 32 KB circular window: matches
// that reach exactly 32768 bytes back, overlap their own output, or cross
// the window's end with their source or target, and stored blocks across
// the wrap. Each stream's bytes are worked out by a plain model of the
// matches, one byte at a time.
#include <gtest/gtest.h>

#include "UnfurlFixture.h"
#include "support/DeflateBitWriter.h"
#include "support/RandomBytes.h"

namespace {

constexpr unsigned kWindow = 32768;

// Writes stored blocks and fixed-code blocks and keeps what they decode to.
class TrapStream {
public:
    void Stored(const std::string& data) {
        CloseFixed();
        w_.Put(0, 1);
        w_.Put(0, 2);
        w_.AlignToByte();
        w_.Put(static_cast<uint32_t>(data.size()), 16);
        w_.Put(static_cast<uint32_t>(~data.size() & 0xFFFF), 16);
        for (char c : data)
            w_.PutByte(static_cast<uint8_t>(c));
        expected_ += data;
    }
    // History of any size, in stored blocks of at most 65535 bytes.
    void History(const std::string& data) {
        for (size_t at = 0; at < data.size(); at += 65535)
            Stored(data.substr(at, 65535));
    }
    void Literal(uint8_t byte) {
        OpenFixed();
        w_.PutFixedSymbol(byte);
        expected_ += static_cast<char>(byte);
    }
    void Match(unsigned length, unsigned distance) {
        OpenFixed();
        w_.PutFixedMatch(length, distance);
        ASSERT_LE(distance, expected_.size());
        for (unsigned i = 0; i < length; ++i)
            expected_ += expected_[expected_.size() - distance];
    }
    // The stream, closed by an empty final block.
    std::string Finish() {
        CloseFixed();
        w_.Put(1, 1);
        w_.Put(1, 2);
        w_.PutFixedSymbol(256);
        return w_.Bytes();
    }
    const std::string& Expected() const { return expected_; }
    size_t Size() const { return expected_.size(); }

private:
    void OpenFixed() {
        if (fixed_)
            return;
        w_.Put(0, 1);
        w_.Put(1, 2);
        fixed_ = true;
    }
    void CloseFixed() {
        if (!fixed_)
            return;
        w_.PutFixedSymbol(256);
        fixed_ = false;
    }
    DeflateBitWriter w_;
    std::string expected_;
    bool fixed_ = false;
};

class InflateWindowTraps : public UnfurlTest {
protected:
    // Decodes the stream and compares with the model, byte for byte.
    void ExpectDecodes(TrapStream& stream) {
        std::string compressed = stream.Finish();
        Decoded d = DecodeBytes(compressed);
        EXPECT_EQ(d.result, InflateResult::Ok);
        ASSERT_EQ(d.bytes.size(), stream.Size());
        size_t first = 0;
        while (first < d.bytes.size() && d.bytes[first] == stream.Expected()[first])
            ++first;
        EXPECT_EQ(first, d.bytes.size()) << "first wrong byte at " << first;
        EXPECT_EQ(d.crc, CrcOf(stream.Expected()));
    }
};

TEST_F(InflateWindowTraps, DistanceOf32768RightAfterTheWindowWraps) {
    // The far match starts 0 to 8 bytes after a short one, whose word copy
    // must not have touched the oldest bytes the far match reads.
    for (unsigned gap = 0; gap <= 8; ++gap)
        for (unsigned shortLength : {3u, 5u, 9u, 13u, 20u}) {
            SCOPED_TRACE(testing::Message() << "gap " << gap << " length " << shortLength);
            TrapStream s;
            s.History(RandomBytes(kWindow, gap + 1));
            for (unsigned i = 0; i < 30; ++i)
                s.Literal(static_cast<uint8_t>('a' + i % 26));
            s.Match(shortLength, 11);
            for (unsigned i = 0; i < gap; ++i)
                s.Literal('#');
            s.Match(258, kWindow);
            s.Match(40, kWindow);
            ExpectDecodes(s);
        }
}

TEST_F(InflateWindowTraps, FarMatchesAfterShortOnesAtEveryDistanceNearTheLimit) {
    // Distances 32760 to 32768 after a match that ends 0 to 7 bytes short
    // of a word, anywhere in the window.
    TrapStream s;
    s.History(RandomBytes(kWindow + 5000, 21));
    unsigned round = 0;
    while (s.Size() < 5 * kWindow) {
        s.Match(3 + round % 13, 8 + round % 50);
        s.Match(3 + round % 40, kWindow - round % 9);
        s.Literal(static_cast<uint8_t>(round));
        ++round;
    }
    ExpectDecodes(s);
}

TEST_F(InflateWindowTraps, LongestMatchAtDistancesOneToEight) {
    for (unsigned distance = 1; distance <= 8; ++distance)
        for (size_t start : {size_t{100}, size_t{kWindow - 130}, size_t{kWindow - 258}}) {
            SCOPED_TRACE(testing::Message() << "distance " << distance << " start " << start);
            TrapStream s;
            s.History(RandomBytes(start, static_cast<uint32_t>(distance)));
            s.Match(258, distance);
            s.Match(258, distance);
            s.Literal('x');
            s.Match(258, distance);
            ExpectDecodes(s);
        }
}

TEST_F(InflateWindowTraps, SourceOrTargetStraddlesTheWindowEnd) {
    // Matches of every length over four laps, so that the target crosses
    // the window's end at many offsets, with distances that put the source
    // behind in this lap, across the end or whole in the previous lap,
    // overlapping the target or not.
    const unsigned distances[] = {1,    3,     7,     8,     9,     15,    16,    17,
                                  100,  257,   258,   259,   300,   4000,  32000, 32500,
                                  32509, 32510, 32511, 32700, 32761, 32767, 32768};
    for (unsigned distance : distances) {
        SCOPED_TRACE(testing::Message() << "distance " << distance);
        TrapStream s;
        s.History(RandomBytes(kWindow, distance));
        for (unsigned i = 0; s.Size() < 5 * kWindow; ++i) {
            s.Match(3 + (i * 97) % 256, distance);
            s.Literal(static_cast<uint8_t>(i));
        }
        ExpectDecodes(s);
    }
}

TEST_F(InflateWindowTraps, StoredBlocksAcrossTheWrapFeedLaterMatches) {
    TrapStream s;
    s.History(RandomBytes(kWindow - 1000, 31));
    s.Match(100, 5000);
    s.Stored(RandomBytes(3000, 32));   // crosses the end of the window
    s.Match(258, 2900);                // source in the stored bytes on both laps
    s.Match(258, kWindow);
    s.Stored(RandomBytes(kWindow, 33));  // a whole window in one block
    s.Match(258, kWindow);
    s.Match(200, kWindow - 1);
    s.Stored("");
    s.Match(10, 1);
    ExpectDecodes(s);
}

TEST_F(InflateWindowTraps, LargestDistanceCodeWithEveryExtraValue) {
    // Code 29: distances 24577 to 32768, thirteen extra bits.
    TrapStream s;
    s.History(RandomBytes(kWindow, 41));
    for (unsigned extra = 0; extra < 8192; ++extra)
        s.Match(3 + extra % 4, 24577 + extra);
    ExpectDecodes(s);
}

}  // namespace
