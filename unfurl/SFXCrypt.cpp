// CRC-32 of ZIP (reflected polynomial 0xEDB88320) and the traditional
// PKWARE stream cipher built on it.
#include <cstring>

#include "SFXDefs.h"
#include "SFXProcs.h"

std::array<uint32_t, 256> Crc32Table;

namespace {

constexpr uint32_t kCrcPolynomial = 0xEDB88320;
constexpr int kSlices = 8;

// Slice k holds the CRC of a byte followed by k zero bytes, so eight bytes
// are folded in with eight independent lookups.
uint32_t SliceTable[kSlices][256];

uint32_t Key0, Key1, Key2;

constexpr uint32_t kKey0Start = 0x12345678;
constexpr uint32_t kKey1Start = 0x23456789;
constexpr uint32_t kKey2Start = 0x34567890;
constexpr uint32_t kKeyMultiplier = 134775813;

uint32_t CrcByte(uint32_t crc, uint8_t byte) {
    return Crc32Table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

uint32_t LoadLittle32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

void BuildCrcTable() {
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t v = n;
        for (int k = 0; k < 8; ++k)
            v = (v & 1) ? (v >> 1) ^ kCrcPolynomial : v >> 1;
        Crc32Table[n] = v;
        SliceTable[0][n] = v;
    }
    for (int k = 1; k < kSlices; ++k)
        for (int n = 0; n < 256; ++n) {
            uint32_t prev = SliceTable[k - 1][n];
            SliceTable[k][n] = (prev >> 8) ^ Crc32Table[prev & 0xFF];
        }
}

void UpdateCrc(const uint8_t* buffer, size_t length, uint32_t& crc) {
    uint32_t c = crc;
    while (length >= kSlices) {
        uint32_t low = LoadLittle32(buffer) ^ c;
        uint32_t high = LoadLittle32(buffer + 4);
        c = SliceTable[7][low & 0xFF] ^ SliceTable[6][(low >> 8) & 0xFF] ^
            SliceTable[5][(low >> 16) & 0xFF] ^ SliceTable[4][low >> 24] ^
            SliceTable[3][high & 0xFF] ^ SliceTable[2][(high >> 8) & 0xFF] ^
            SliceTable[1][(high >> 16) & 0xFF] ^ SliceTable[0][high >> 24];
        buffer += kSlices;
        length -= kSlices;
    }
    while (length-- > 0)
        c = CrcByte(c, *buffer++);
    crc = c;
}

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
    uint16_t temp = static_cast<uint16_t>(Key2 | 2);
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
