// The traditional PKWARE cipher: the password check against the CRC or,
// with a data descriptor, the DOS time, and decryption of entry data.
#include <gtest/gtest.h>

#include "SFXCrypt.h"
#include "UnfurlFixture.h"

namespace {

// Encrypts as a ZIP writer does, with the cipher's own key schedule.
std::string Encrypt(const std::string& password, const std::string& header11, uint8_t check,
                    const std::string& data) {
    InitKeys(password);
    std::string plain = header11 + static_cast<char>(check) + data;
    std::string out;
    for (char c : plain) {
        uint8_t p = static_cast<uint8_t>(c);
        out += static_cast<char>(p ^ DecryptByte());
        UpdateKeys(p);
    }
    return out;
}

class TraditionalEncryption : public UnfurlTest {};

TEST_F(TraditionalEncryption, CheckByteFromTheCrc) {
    const uint32_t crc = 0xA1B2C3D4;
    std::string cipher = Encrypt("secret", "0123456789a", 0xA1, "payload");
    const uint8_t* header = reinterpret_cast<const uint8_t*>(cipher.data());
    EXPECT_TRUE(CheckPassword(header, 0, 0x1234, crc, "secret"));
    EXPECT_FALSE(CheckPassword(header, 0, 0xA100, crc ^ 0xFF000000, "secret"));
    EXPECT_FALSE(CheckPassword(header, 0, 0x1234, crc, ""));
    int passes = 0;
    for (int i = 0; i < 1000; ++i)
        passes += CheckPassword(header, 0, 0x1234, crc, "wrong" + std::to_string(i));
    EXPECT_LT(passes, 20);   // about 1 in 256 by chance
}

TEST_F(TraditionalEncryption, CheckByteFromTheTimeWithADataDescriptor) {
    std::string cipher = Encrypt("pw", "abcdefghijk", 0x5E, "");
    const uint8_t* header = reinterpret_cast<const uint8_t*>(cipher.data());
    EXPECT_TRUE(CheckPassword(header, kEntryHasDescriptor, 0x5E21, 0x00000000, "pw"));
    EXPECT_FALSE(CheckPassword(header, 0, 0x5E21, 0x00000000, "pw"));
}

TEST_F(TraditionalEncryption, KeysAfterTheCheckDecryptTheData) {
    std::string data = "a stored payload, encrypted";
    std::string cipher = Encrypt("key", "xxxxxxxxxxx", 0x12, data);
    ASSERT_TRUE(CheckPassword(reinterpret_cast<const uint8_t*>(cipher.data()), 0, 0, 0x12000000,
                              "key"));
    MemoryFile input(cipher.substr(12)), output;
    Decoder = DecoderState();
    Decoder.input = &input;
    Decoder.output = &output;
    Decoder.remaining = static_cast<int64_t>(data.size());
    Decoder.encrypted = true;
    EXPECT_EQ(CopyStoredEntry(), InflateResult::Ok);
    EXPECT_EQ(output.Bytes(), data);
    EXPECT_EQ(~Decoder.crc, CrcOf(data));
}

}  // namespace
