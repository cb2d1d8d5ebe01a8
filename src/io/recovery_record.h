#pragma once

#include "io/scene_reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessel {

// What an autosave wrote beside the autosaved document: which document it belongs to, when it
// was written, and the document's size and checksum, so that a damaged or half-written copy is
// told apart from a whole one before it replaces anything.
struct RecoveryRecord {
    // The file the work belongs to (absolute), or empty for a document never saved.
    std::string document;
    // What the window's title called the document ("model.glb", "Untitled").
    std::string name;
    // When it was written, in milliseconds since 1970 (UTC).
    std::int64_t savedAt = 0;
    // The autosaved document's file name, in the record's folder.
    std::string file;
    std::uint64_t size = 0;
    std::uint64_t checksum = 0;
};

// The record as a small JSON text.
std::string recoveryRecordText(const RecoveryRecord& record);

// The record in `text`, or nothing with the reason in `why`. A record whose file is not a plain
// file name in the same folder is refused: it must never lead to reading or removing anything
// else.
std::optional<RecoveryRecord> parseRecoveryRecord(std::string_view text, std::string& why);

// A 64-bit FNV-1a checksum of the bytes.
std::uint64_t checksumOf(const Bytes& bytes);

// Why the bytes are not the autosaved document the record describes, or empty when they are.
std::string recoveredBytesFault(const RecoveryRecord& record, const Bytes& bytes);

} // namespace tessel
