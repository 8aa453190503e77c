#include "data/slot_file.h"

#include <cstdio>
#include <cstring>

#include "platform/picture_files.h"

namespace zre {

std::string slotPath(int32_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%02d.sav", kSlotPathPrefix, number);
    return name;
}

uint32_t bmpImageSize(int32_t width, int32_t height) {
    return uint32_t(strideFor(width)) * uint32_t(height) + uint32_t(kBmpHeadersSize);
}

void writeSlotHeader(ByteWriter& out, uint32_t thumbSize) {
    out.text(kSlotTag);
    out.u32(thumbSize);
}

void writeSlotBlockTag(ByteWriter& out, int32_t scope) {
    char tag[kSlotBlockTagSize + 8] = {};
    std::snprintf(tag, sizeof tag, "%s%02d", kSlotBlockPrefix.data(), scope);
    out.bytes(tag, kSlotBlockTagSize);
}

bool readSlotHeader(ByteReader& in, uint32_t& thumbSize) {
    char tag[8];
    if (!in.bytes(tag, sizeof tag) || std::string_view(tag, sizeof tag) != kSlotTag) return false;
    thumbSize = in.u32();
    if (in.failed() || thumbSize > in.remaining()) return false;
    return true;
}

bool readSlotBlockTag(ByteReader& in, SlotBlockTag& tag) {
    uint8_t bytes[kSlotBlockTagSize];
    if (!in.bytes(bytes, sizeof bytes)) return false;
    tag.tagged = std::memcmp(bytes, kSlotBlockPrefix.data(), kSlotBlockPrefix.size()) == 0;
    // The number runs from the fifth byte over the digits that follow (at most four); a
    // sign makes it negative, which names no scope either.
    size_t i = kSlotBlockPrefix.size();
    bool negative = bytes[i] == '-';
    if (negative || bytes[i] == '+') ++i;
    tag.scope = 0;
    for (; i < kSlotBlockTagSize && bytes[i] >= '0' && bytes[i] <= '9'; ++i) tag.scope = tag.scope * 10 + (bytes[i] - '0');
    if (negative) tag.scope = -tag.scope;
    return true;
}

} // namespace zre
