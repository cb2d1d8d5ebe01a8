#include "io/recovery_record.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace tessel {

namespace {

constexpr int kVersion = 1;

bool isPlainFileName(const std::string& name) {
    return !name.empty() && name.size() < 256 && name != "." && name != ".." &&
           std::none_of(name.begin(), name.end(),
                        [](char c) { return c == '/' || c == '\\' || c == '\0'; });
}

} // namespace

std::string recoveryRecordText(const RecoveryRecord& record) {
    const nlohmann::json json = {
        {"version", kVersion},
        {"document", record.document},
        {"name", record.name},
        {"savedAt", record.savedAt},
        {"file", record.file},
        {"size", record.size},
        // As text: JSON numbers past 2^53 lose digits in most readers.
        {"checksum", std::to_string(record.checksum)},
    };
    return json.dump(2) + "\n";
}

std::optional<RecoveryRecord> parseRecoveryRecord(std::string_view text, std::string& why) {
    try {
        const nlohmann::json json = nlohmann::json::parse(text);
        if (json.value("version", 0) != kVersion) {
            why = "the record is of an unknown version";
            return std::nullopt;
        }
        RecoveryRecord record;
        record.document = json.at("document").get<std::string>();
        record.name = json.at("name").get<std::string>();
        record.savedAt = json.at("savedAt").get<std::int64_t>();
        record.file = json.at("file").get<std::string>();
        record.size = json.at("size").get<std::uint64_t>();
        const std::string checksum = json.at("checksum").get<std::string>();
        std::size_t used = 0;
        record.checksum = std::stoull(checksum, &used);
        if (used != checksum.size() || !isPlainFileName(record.file)) {
            why = "the record is damaged";
            return std::nullopt;
        }
        return record;
    } catch (const std::exception&) {
        // Parse errors, missing or mistyped fields, a checksum that is no number.
        why = "the record is damaged";
        return std::nullopt;
    }
}

std::uint64_t checksumOf(const Bytes& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::uint8_t byte : bytes) {
        hash = (hash ^ byte) * 1099511628211ull;
    }
    return hash;
}

std::string recoveredBytesFault(const RecoveryRecord& record, const Bytes& bytes) {
    if (bytes.size() != record.size) {
        return "the autosaved file has " + std::to_string(bytes.size()) + " bytes, not the " +
               std::to_string(record.size) + " written";
    }
    if (checksumOf(bytes) != record.checksum) {
        return "the autosaved file's content has changed since it was written";
    }
    return {};
}

} // namespace tessel
