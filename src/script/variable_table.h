#pragma once
// Ordered tables of named text values. Names compare ignoring ASCII case; names are not
// unique by construction (add appends, lookups find the first). Stored in system.dat,
// game.dat and save slots as: count, then per entry totalLength, valueOffset, type and
// the block "name\0[value\0]" (all integers little-endian).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/byte_io.h"

namespace zre {

struct VariableEntry {
    std::string name;
    std::optional<std::string> value;  // nullopt: created without a value
    int32_t type = -1;                 // -1 no value, 0 digits only (or empty), 1 otherwise

    uint32_t totalLength() const;      // name + NUL (+ value + NUL)
    uint32_t valueOffset() const;      // name length + 1, or 0 without a value
};

class VariableTable {
public:
    int find(const char* name) const;
    int find(std::string_view name) const;
    // Appends an entry; a value beginning with "0x" is stored as the decimal text of its
    // hexadecimal number (type 0). A null value makes an entry without value.
    void add(std::string_view name, const char* value);
    void add(std::string_view name, std::optional<std::string_view> value);
    // Replaces the value at index (no hexadecimal conversion); null leaves no value.
    void setAt(int index, const char* value);
    // -1 when missing; atoi of the value (of the name when there is no value).
    int32_t getNumber(std::string_view name) const;
    // The value text, or null (missing entry or no value). Valid until the entry changes.
    const char* getText(std::string_view name) const;
    const char* getTextAt(int index) const;
    const char* nameAt(int index) const;
    int removeByName(std::string_view name);
    int removeAt(int index);
    // Removes every entry whose first n characters equal prefix's (case-sensitive).
    void removePrefix(std::string_view prefix, size_t n);
    void clear();
    // Replaces $-names of this table in text (grows as needed).
    void substitute(std::string& text) const;

    // Appends the table in its file form; returns the number of bytes written.
    size_t write(ByteWriter& out) const;
    // Replaces the content with the entries read; returns the number of bytes consumed.
    // Reading stops at the first entry that does not fit in what remains, consuming the
    // rest (a short file leaves the entries read so far). complete, when given, tells
    // whether every entry the count announces was there whole.
    size_t read(ByteReader& in, bool* complete = nullptr);

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const std::vector<VariableEntry>& entries() const { return entries_; }

    // Sets the first entry of that name, or appends one.
    void set(std::string_view name, const char* value);

private:
    std::vector<VariableEntry> entries_;
};

// "./dat/system.dat" is the 8-byte tag "ARGS    " followed by the system variables' table.
constexpr std::string_view kSystemDataTag = "ARGS    ";
// The file starts with the tag, compared ignoring case as the loader compares it.
bool hasSystemDataTag(const uint8_t* data, size_t size);

// Type of a value text: 0 when it holds only the digits 0-9 (an empty text included).
int32_t valueType(std::string_view value);
// C atoi semantics (leading blanks, sign, digits); out-of-range numbers saturate to
// INT32_MIN / INT32_MAX. Null gives 0.
int32_t atoi32(const char* text);

} // namespace zre
