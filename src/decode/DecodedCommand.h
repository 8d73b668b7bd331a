#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qvset {

// What a stretch of a printer document is. Every command the program's builders write has its kind;
// printable characters are Text; anything else is Unknown.
enum class CommandKind {
    Flag,            // ESC 'B' n: one stored switch
    Geometry,        // GS ( F: one ticket distance
    ParameterTable,  // ESC ':' 'E': the print-quality parameter table
    Save,            // ESC ':' NUL NUL 'R'
    SelfTest,        // ESC ':' NUL NUL 'P'
    ModeValue,       // ESC 01 '@', signature, mode code, value, flag
    BitImage,        // ESC '*' m nL nH and the columns
    FeedForward,     // ESC 'J' n
    FeedBack,        // ESC 'j' n
    LineFeed,        // 0A
    CarriageReturn,  // 0D
    FormFeed,        // 0C
    Text,            // printable ASCII and GBK characters
    Unknown,         // bytes no builder writes
};

// The lower-case name of a kind as the JSON listing writes it ("flag", "bit-image", ...).
std::string_view CommandKindName(CommandKind kind);

// One value a command carries, by name: a number (an item, a count, a byte), a yes or no, or a text.
struct DecodedField {
    std::string name;
    std::variant<std::int64_t, bool, std::string> value;
};

// One entry of a decoded document: where it starts, its bytes, and what they mean. `truncated` marks a
// command that the end of the document cut off: its bytes are the ones that were there. An Unknown
// entry with a `note` field is a command whose first bytes were recognised but whose parameters no
// builder writes. An entry with a `count` above one is a run of that many identical commands, one after
// the other ("LF × 1000000"): `bytes` holds one of them.
struct DecodedCommand {
    CommandKind kind = CommandKind::Unknown;
    std::size_t offset = 0;
    std::vector<std::uint8_t> bytes;
    bool truncated = false;
    std::string mnemonic;  // "ESC B 02", "GS ( F 04", "text", ...
    std::string meaning;   // a plain account: "black mark on (黑标设置: 打开, item 1, code 99)"
    std::vector<DecodedField> fields;
    std::size_t count = 1;

    std::size_t Length() const { return bytes.size() * count; }
    std::optional<std::int64_t> Number(std::string_view name) const;
    std::optional<bool> Flag(std::string_view name) const;
    std::optional<std::string> Text(std::string_view name) const;
};

// Appends one named value to a decoded command.
inline void AddNumber(DecodedCommand& entry, std::string name, std::int64_t value) {
    entry.fields.push_back({std::move(name), value});
}
inline void AddFlag(DecodedCommand& entry, std::string name, bool value) {
    entry.fields.push_back({std::move(name), value});
}
inline void AddText(DecodedCommand& entry, std::string name, std::string value) {
    entry.fields.push_back({std::move(name), std::move(value)});
}

}  // namespace qvset
