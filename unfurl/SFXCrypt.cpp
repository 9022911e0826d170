// The traditional PKWARE stream cipher, built on the CRC-32 of ZIP.
#include "SFXCrypt.h"

#include <cstring>

#include "SFXCrc.h"
#include "SFXDefs.h"

namespace {

uint32_t Key0, Key1, Key2;

constexpr uint32_t kKey0Start = 0x12345678;
constexpr uint32_t kKey1Start = 0x23456789;
constexpr uint32_t kKey2Start = 0x34567890;
constexpr uint32_t kKeyMultiplier = 134775813;

}  // namespace

void UpdateKeys(uint8_t plain) {
    Key0 = CrcByte(Key0, plain);
    Key1 = (Key1 + (Key0 & 0xFF)) * kKeyMultiplier + 1;
    Key2 = CrcByte(Key2, static_cast<uint8_t>(Key1 >> 24));
}

void InitKeys(const std::string& password) {
    Key0 = kKey0Start;
    Key1 = kKey1Start;
    Key2 = kKey2Start;
    for (char c : password)
        UpdateKeys(static_cast<uint8_t>(c));
}

uint8_t DecryptByte() {
    uint32_t temp = (Key2 | 2) & 0xFFFF;   // unsigned: the product exceeds int
    return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void DecryptBuffer(uint8_t* buffer, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        uint8_t plain = buffer[i] ^ DecryptByte();
        UpdateKeys(plain);
        buffer[i] = plain;
    }
}

// Format note: the twelfth decrypted header byte is the check byte. With a
// data descriptor (bit 3) the CRC was not known when the header was written,
// so writers put the high byte of the DOS time there instead.
bool CheckPassword(const uint8_t* header, uint16_t flags, uint16_t dosTime, uint32_t crc,
                   const std::string& password) {
    if (password.empty())
        return false;
    InitKeys(password);
    uint8_t plain[kEncryptionHeaderSize];
    std::memcpy(plain, header, kEncryptionHeaderSize);
    DecryptBuffer(plain, kEncryptionHeaderSize);
    uint8_t check = plain[kEncryptionHeaderSize - 1];
    if (flags & kEntryHasDescriptor)
        return check == static_cast<uint8_t>(dosTime >> 8);
    return check == static_cast<uint8_t>(crc >> 24);
}
