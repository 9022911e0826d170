// The best-fit table: what stands in for characters a code page lacks, and
// the rules every row keeps so that the writer can use it blindly.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "convert/text/BestFit.h"

namespace {

// The code points of 'text', or nothing when it is not strict UTF-8.
std::optional<std::vector<uint32_t>> DecodeUtf8(std::string_view text) {
    std::vector<uint32_t> codes;
    for (size_t i = 0; i < text.size();) {
        unsigned char lead = text[i];
        int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
        if (extra < 0 || lead > 0xF4 || text.size() - i <= size_t(extra))
            return std::nullopt;
        uint32_t code = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 1; k <= extra; ++k) {
            unsigned char next = text[i + k];
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            code = code << 6 | (next & 0x3F);
        }
        static const uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return std::nullopt;
        codes.push_back(code);
        i += extra + 1;
    }
    return codes;
}

}  // namespace

TEST(BestFit, StandsInForCharactersOfEachKind) {
    struct Case {
        uint32_t code;
        std::string_view fit;
    };
    // Greek and Cyrillic keep their script: alpha with tonos becomes alpha,
    // a polytonic alpha the monotonic one, ano teleia the Latin-1 middle
    // dot, IO becomes IE. Nothing stands in for letters of other scripts,
    // emoji, invisible or question marks, ASCII itself or values past Unicode.
    const Case cases[] = {
        {0x2019, "'"},        {0x201E, "\""},       {0x00AB, "\""},       {0x2039, "<"},
        {0x2014, "-"},        {0x00AD, "-"},        {0x2026, "..."},      {0x2022, "*"},
        {0x00A0, " "},        {0x3000, " "},        {0x2122, "TM"},       {0x00A9, "(C)"},
        {0x20AC, "EUR"},      {0x2116, "No."},      {0x2264, "<="},       {0x00BD, "1/2"},
        {0x2192, "->"},       {0xFB01, "fi"},       {0xFB03, "ffi"},      {0x0153, "oe"},
        {0x00DF, "ss"},       {0x1E9E, "SS"},       {0x00E9, "e"},        {0x0142, "l"},
        {0x00D8, "O"},        {0x0111, "d"},        {0x00FE, "th"},       {0x0131, "i"},
        {0x021B, "t"},        {0x1EC7, "e"},        {0x01C4, "DZ"},       {0xFF21, "A"},
        {0xFF0C, ","},        {0x3002, "."},        {0x037E, ";"},        {0x0457, "i"},
        {0x03AC, "\xCE\xB1"}, {0x1F04, "\xCE\xAC"}, {0x0387, "\xC2\xB7"}, {0x0401, "\xD0\x95"},
        {0x0451, "\xD0\xB5"}, {0x0416, ""},         {0x4E2D, ""},         {0x1F600, ""},
        {0x200B, ""},         {0xFF1F, ""},         {0x0041, ""},         {0x110000, ""},
        {0xFFFFFFFF, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BestFitOf(c.code), c.fit) << std::hex << c.code;
}

TEST(BestFit, FindsEveryLetterOfAccentedRuns) {
    // Runs of consecutive letters and, apart by spaces, the base letters of
    // each, across the whole table, so that a row out of order shows as a miss.
    const std::pair<uint32_t, std::string_view> runs[] = {
        {0x00C0, "A A A A A A AE C E E E E I I I I D N O O O O O x O U U U U Y Th ss"},
        {0x00E0, "a a a a a a ae c e e e e i i i i d n o o o o o / o u u u u y th y"},
        {0x0100, "A a A a A a C c C c C c C c D d D d E e E e E e E e E e G g G g G g G g"},
        {0x0124, "H h H h I i I i I i I i I i IJ ij J j K k"},
        {0x0139, "L l L l L l L l L l N n N n N n 'n"},
        {0x014C, "O o O o O o OE oe R r R r R r S s S s S s S s T t T t T t"},
        {0x0168, "U u U u U u U u U u U u W w Y y Y Z z Z z Z z s"},
        {0x0218, "S s T t"},
        {0x1EA0, "A a A a A a A a A a A a A a A a A a A a A a A a E e E e E e E e E e E e"},
        {0x1EC4, "E e E e I i I i O o O o O o O o O o O o O o O o O o O o O o O o"},
        {0x1EE4, "U u U u U u U u U u U u U u Y y Y y Y y Y y"},
        {0xFF21, "A B C D E F G H I J K L M N O P Q R S T U V W X Y Z"},
        {0xFF41, "a b c d e f g h i j k l m n o p q r s t u v w x y z"},
    };
    for (const auto& [first, bases] : runs) {
        uint32_t code = first;
        for (size_t at = 0, end; at <= bases.size(); at = end + 1, ++code) {
            end = std::min(bases.find(' ', at), bases.size());
            EXPECT_EQ(BestFitOf(code), bases.substr(at, end - at)) << std::hex << code;
        }
    }
}

TEST(BestFit, EveryReplacementIsShortPrintableUtf8WithoutItself) {
    int rows = 0;
    for (uint32_t code = 0; code <= 0x10FFFF; ++code) {
        std::string_view fit = BestFitOf(code);
        if (code < 0x80) {
            EXPECT_TRUE(fit.empty()) << std::hex << code;
        }
        if (fit.empty())
            continue;
        ++rows;
        EXPECT_LE(fit.size(), 8u) << std::hex << code;
        std::optional<std::vector<uint32_t>> decoded = DecodeUtf8(fit);
        ASSERT_TRUE(decoded.has_value()) << std::hex << code;
        for (uint32_t c : *decoded) {
            EXPECT_NE(c, code) << std::hex << code;
            EXPECT_NE(c, uint32_t('?')) << std::hex << code;
            EXPECT_FALSE(c < 0x20 || (c >= 0x7F && c < 0xA0)) << std::hex << code;
        }
    }
    EXPECT_GT(rows, 1000);
}

TEST(BestFit, FollowingReplacementsNeverLeadBack) {
    for (uint32_t code = 0x80; code <= 0x10FFFF; ++code) {
        if (BestFitOf(code).empty())
            continue;
        // Replace again and again; every chain must end within a few steps.
        std::vector<uint32_t> pending = {code};
        for (int depth = 0; !pending.empty(); ++depth) {
            ASSERT_LT(depth, 4) << "no end after " << std::hex << code;
            std::vector<uint32_t> next;
            for (uint32_t c : pending) {
                std::optional<std::vector<uint32_t>> parts = DecodeUtf8(BestFitOf(c));
                ASSERT_TRUE(parts.has_value()) << std::hex << c;
                for (uint32_t part : *parts) {
                    ASSERT_NE(part, code) << std::hex << code << " via " << c;
                    next.push_back(part);
                }
            }
            pending.swap(next);
        }
    }
}
