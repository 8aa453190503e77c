#pragma once
// The frame of a save slot file: the tag "THUMB   ", the byte length of the thumbnail, the
// thumbnail as a complete BMP file image, then one block per non-empty variable scope, each
// an 8-byte tag ("ARGL", the scope as two digits, two zero bytes) followed by the scope's
// table. The tables themselves are read and written by the variable tables.
#include <cstdint>
#include <string>
#include <string_view>

#include "data/byte_io.h"

namespace zre {

constexpr std::string_view kSlotTag = "THUMB   ";
constexpr std::string_view kSlotBlockPrefix = "ARGL";
constexpr size_t kSlotBlockTagSize = 8;
constexpr int32_t kThumbnailWidth = 300;
constexpr int32_t kThumbnailHeight = 225;
// Slot files are kSlotPathPrefix + two digits + ".sav", numbered 00 to 99.
constexpr char kSlotPathPrefix[] = "./dat/save";

// "./dat/saveNN.sav" for slot number (page * 10 + row).
std::string slotPath(int32_t number);

// The thumbnail field: the size of a 24-bit BMP file image of width x height (rows padded to
// 4 bytes, 54 bytes of headers); 202554 for 300 x 225.
uint32_t bmpImageSize(int32_t width, int32_t height);

// Appends the slot tag and the thumbnail size.
void writeSlotHeader(ByteWriter& out, uint32_t thumbSize);
// Appends the block tag of scope.
void writeSlotBlockTag(ByteWriter& out, int32_t scope);

// Reads the slot tag and the thumbnail size and leaves the reader at the thumbnail's first
// byte. False when the tag is not there or the thumbnail would reach past the end.
bool readSlotHeader(ByteReader& in, uint32_t& thumbSize);

struct SlotBlockTag {
    bool tagged = false;  // begins with "ARGL"
    int32_t scope = 0;    // the decimal number from the tag's fifth byte (0 when there is none)
};
// Reads an 8-byte block tag; false when fewer than 8 bytes remain.
bool readSlotBlockTag(ByteReader& in, SlotBlockTag& tag);

} // namespace zre
