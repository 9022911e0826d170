// The traditional PKWARE stream cipher of ZIP: keys from a password, the
// decryption of entry data and the check of the encryption header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

void InitKeys(const std::string& password);
void UpdateKeys(uint8_t plain);
uint8_t DecryptByte();
void DecryptBuffer(uint8_t* buffer, size_t length);
bool CheckPassword(const uint8_t* header, uint16_t flags, uint16_t dosTime, uint32_t crc,
                   const std::string& password);
