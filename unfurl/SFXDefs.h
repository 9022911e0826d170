// Constants of the self-extractor: header flags, overwrite modes, record
// tags, buffer sizes and the ZIP signatures.
#pragma once

#include <cstddef>
#include <cstdint>

// HeaderFlags bits.
constexpr uint16_t FLAG_OFFER_RUN = 0x0001;
constexpr uint16_t FLAG_USER_SELECTS = 0x0002;
constexpr uint16_t FLAG_HIDE_OVERWRITE = 0x0004;
constexpr uint16_t FLAG_AUTO_START = 0x0008;
constexpr uint16_t FLAG_NO_DONE_MESSAGE = 0x0010;
constexpr uint16_t FLAG_EXPAND_ENV = 0x0020;
constexpr uint16_t FLAG_LIST_HIDDEN = 0x0040;
constexpr uint16_t FLAG_NO_SHOW_FILES = 0x0080;
constexpr uint16_t FLAG_AUTO_START_BY_NAME = 0x0100;
constexpr uint16_t FLAG_ALLOW_CANCEL = 0x0200;
constexpr uint16_t FLAG_SPANNED = 0x0400;

// OverwriteMode values.
constexpr uint8_t OVERWRITE_ALWAYS = 0;
constexpr uint8_t OVERWRITE_NEVER = 1;
constexpr uint8_t OVERWRITE_ASK = 2;

// Record types of the "UF" tags; the fourth tag byte is the version.
constexpr uint8_t kMainRecordType = 0x00;
constexpr uint8_t kEndRecordType = 0x0A;
constexpr uint8_t kVolumeRecordType = 0x14;
constexpr uint8_t kRecordVersion = 0x01;

constexpr size_t kHeaderFixedSize = 18;
constexpr size_t kEndRecordSize = 8;
constexpr size_t kVolumeRecordFixedSize = 12;
constexpr size_t kVolumeRecordTrailerSize = 12;
constexpr int kHeaderStringCount = 5;

// ZIP record sizes.
constexpr size_t kEndOfDirectorySize = 22;
constexpr size_t kCentralRecordSize = 46;
constexpr size_t kLocalHeaderSize = 30;
constexpr size_t kMaxCommentSize = 65535;
constexpr size_t kEndSearchWindow = 65536 + kEndOfDirectorySize;
constexpr size_t kEncryptionHeaderSize = 12;

// Limits of names, paths and passwords.
constexpr size_t kMaxNameSize = 520;
constexpr size_t kMaxPathSize = 260;
constexpr size_t kMaxPasswordSize = 80;
constexpr size_t kExpandBufferChars = 519;
constexpr int kPasswordAttempts = 3;

// Answer of the overwrite question that keeps the existing file.
constexpr int kAnswerKeepFile = 2;

// General-purpose flag bits of a ZIP entry.
constexpr uint16_t kEntryEncrypted = 0x0001;
constexpr uint16_t kEntryHasDescriptor = 0x0008;
constexpr uint16_t kEntryUtf8Name = 0x0800;

// Info-ZIP's Unicode path extra field: its header id, the version it has,
// and the bytes before the name (version and CRC-32 of the stored name).
constexpr uint16_t kUnicodePathField = 0x7075;
constexpr uint8_t kUnicodePathVersion = 1;
constexpr size_t kUnicodePathHeader = 5;

// Compression methods the stub accepts.
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;

// Host-system bytes of "version made by" whose names are in the OEM code page.
constexpr uint8_t kHostMsDos = 0;
constexpr uint8_t kHostOs2 = 6;
// Unix hosts name files in the user's locale, UTF-8 on current systems;
// Info-ZIP's zip stores such names as they are, without the UTF-8 flag.
constexpr uint8_t kHostUnix = 3;
constexpr uint8_t kHostNtfs = 11;
constexpr uint8_t kNtfsOemVersion = 50;

// Message-box style bits and answers the stub uses.
constexpr uint32_t kStyleTaskModal = 0x2000;
constexpr uint32_t kStyleIconStop = 0x0010;
constexpr uint32_t kStyleOkCancel = 0x0001;
constexpr int kAnswerOk = 1;
constexpr int kAnswerCancel = 2;
constexpr int kAnswerAbort = 3;
constexpr int kAnswerNo = 7;
constexpr int kAnswerClose = 8;

// The four ZIP signatures. They are kept one below their value so that the
// stub's image never holds them; PrepareSignatures adds the one at start-up.
struct ZipSignatures {
    uint32_t localHeader = 0x04034b50 - 1;
    uint32_t centralRecord = 0x02014b50 - 1;
    uint32_t endOfDirectory = 0x06054b50 - 1;
    uint32_t dataDescriptor = 0x08074b50 - 1;
};
