// Why an input gives no text: one list for every reader and every host.
#pragma once

enum class SkipReason {
    UnknownEnding,    // not a kind of document the run reads
    Unreadable,       // the file cannot be opened or read
    Damaged,          // read, but not sound
    NotWordDocument,  // a .doc that is not a Word 97-2003 document
    Encrypted,
    NoText,
    TooLarge,         // too large for memory, or over a reader's limits
    UnknownEncoding,  // named in the reader's detail
};
