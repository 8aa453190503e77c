#include "platform/vorbis_setup.h"

#include <string_view>
#include <vector>

namespace zre {

namespace {

// Vorbis packs fields from the least significant bit of each byte up.
class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), bits_(uint64_t(size) * 8) {}

    // Reads count (at most 32) bits; past the end of the packet the reader fails.
    uint32_t read(int count) {
        if (!skip(uint64_t(count))) return 0;
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            const uint64_t bit = position_ - uint64_t(count) + uint64_t(i);
            value |= uint32_t((data_[bit >> 3] >> (bit & 7)) & 1) << i;
        }
        return value;
    }
    bool skip(uint64_t count) {
        if (failed_ || count > bits_ - position_) {
            failed_ = true;
            return false;
        }
        position_ += count;
        return true;
    }
    bool failed() const { return failed_; }

private:
    const uint8_t* data_;
    uint64_t bits_;
    uint64_t position_ = 0;
    bool failed_ = false;
};

int ilog(uint32_t x) {
    int bits = 0;
    for (; x; x >>= 1) ++bits;
    return bits;
}

// The greatest r with r to the power dimensions not above entries (dimensions >= 1).
uint64_t lookup1Values(uint32_t entries, uint32_t dimensions) {
    auto fits = [&](uint64_t r) {
        uint64_t power = 1;
        for (uint32_t i = 0; i < dimensions; ++i) {
            power *= r;
            if (power > entries) return false;
        }
        return true;
    };
    if (entries == 0) return 0;
    if (dimensions == 1) return entries;
    uint64_t low = 1, high = 1u << 12; // 2^24 entries over at least two dimensions
    while (low < high) {
        const uint64_t mid = (low + high + 1) / 2;
        if (fits(mid)) low = mid;
        else high = mid - 1;
    }
    return low;
}

bool headerStart(BitReader& in, uint32_t type) {
    if (in.read(8) != type) return false;
    for (const char c : std::string_view("vorbis"))
        if (in.read(8) != uint8_t(c)) return false;
    return !in.failed();
}

struct Codebook {
    uint32_t dimensions = 0;
    uint32_t lookupType = 0;
    // Dimensions and a value table: what decoding a vector from the book needs.
    bool vector() const { return dimensions > 0 && lookupType != 0; }
};

// The codeword lengths must describe a complete prefix code (each entry takes the first free
// codeword of its length), except that a book of one used entry needs no bits at all.
bool readCodebook(BitReader& in, Codebook* book) {
    if (in.read(24) != 0x564342) return false;
    book->dimensions = in.read(16);
    const uint32_t entries = in.read(24);
    uint64_t used = 0;
    uint64_t space = 0; // in units of a 32-bit codeword
    if (in.read(1) == 0) {
        const bool sparse = in.read(1) != 0;
        for (uint32_t i = 0; i < entries && !in.failed(); ++i) {
            if (sparse && in.read(1) == 0) continue;
            ++used;
            space += uint64_t(1) << (31 - in.read(5)); // the length less one is stored
        }
    } else {
        uint32_t length = in.read(5) + 1;
        for (uint32_t entry = 0; entry < entries && !in.failed(); ++length) {
            const uint32_t count = in.read(ilog(entries - entry));
            if (count > entries - entry) return false;
            if (count > 0) {
                if (length > 32) return false;
                used += count;
                space += uint64_t(count) << (32 - length);
            }
            entry += count;
        }
    }
    if (in.failed()) return false;
    if (used > 1 && space != uint64_t(1) << 32) return false;
    book->lookupType = in.read(4);
    if (book->lookupType > 2) return false;
    if (book->lookupType != 0) {
        if (book->dimensions == 0) return false;
        in.skip(64); // minimum and delta
        const uint32_t valueBits = in.read(4) + 1;
        in.skip(1);
        const uint64_t values =
            book->lookupType == 1 ? lookup1Values(entries, book->dimensions) : uint64_t(entries) * book->dimensions;
        in.skip(values * valueBits);
    }
    return !in.failed();
}

bool readFloor(BitReader& in, const std::vector<Codebook>& books) {
    const uint32_t type = in.read(16);
    if (type == 0) {
        in.skip(8 + 16 + 16 + 6 + 8); // order, rate, bark map size, amplitude bits and offset
        const uint32_t count = in.read(4) + 1;
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t book = in.read(8);
            if (book >= books.size() || !books[book].vector()) return false;
        }
        return !in.failed();
    }
    if (type != 1) return false;
    const uint32_t partitions = in.read(5);
    std::vector<uint32_t> partitionClass(partitions);
    uint32_t classes = 0;
    for (uint32_t& c : partitionClass) {
        c = in.read(4);
        if (c + 1 > classes) classes = c + 1;
    }
    std::vector<uint32_t> classDimensions(classes);
    for (uint32_t& dimensions : classDimensions) {
        dimensions = in.read(3) + 1;
        const uint32_t subclasses = in.read(2);
        if (subclasses != 0 && in.read(8) >= books.size()) return false;
        for (uint32_t j = 0; j < (1u << subclasses); ++j)
            if (in.read(8) > books.size()) return false; // the stored number is the book + 1, 0 for none
    }
    in.skip(2); // multiplier
    const int rangeBits = int(in.read(4));
    std::vector<uint32_t> x = {0, 1u << rangeBits};
    for (const uint32_t c : partitionClass)
        for (uint32_t j = 0; j < classDimensions[c]; ++j) {
            x.push_back(in.read(rangeBits));
            if (x.size() > 65) return false;
        }
    if (in.failed()) return false;
    std::vector<bool> seen((size_t(1) << rangeBits) + 1, false);
    for (const uint32_t v : x) {
        if (seen[v]) return false;
        seen[v] = true;
    }
    return true;
}

bool readResidue(BitReader& in, const std::vector<Codebook>& books) {
    if (in.read(16) > 2) return false;
    in.skip(24 + 24 + 24); // begin, end, partition size
    const uint32_t classifications = in.read(6) + 1;
    const uint32_t classbook = in.read(8);
    if (classbook >= books.size() || books[classbook].dimensions == 0) return false;
    std::vector<uint32_t> cascade(classifications);
    for (uint32_t& c : cascade) {
        const uint32_t low = in.read(3);
        c = (in.read(1) ? in.read(5) << 3 : 0) | low;
    }
    for (const uint32_t c : cascade)
        for (int stage = 0; stage < 8; ++stage) {
            if (!(c >> stage & 1)) continue;
            const uint32_t book = in.read(8);
            if (book >= books.size() || !books[book].vector()) return false;
        }
    return !in.failed();
}

bool readMapping(BitReader& in, uint32_t channels, uint32_t floors, uint32_t residues) {
    if (in.read(16) != 0) return false;
    const uint32_t submaps = in.read(1) ? in.read(4) + 1 : 1;
    if (in.read(1)) {
        const uint32_t steps = in.read(8) + 1;
        const int bits = ilog(channels - 1);
        for (uint32_t i = 0; i < steps; ++i) {
            const uint32_t magnitude = in.read(bits);
            const uint32_t angle = in.read(bits);
            if (magnitude == angle || magnitude >= channels || angle >= channels) return false;
        }
    }
    if (in.read(2) != 0) return false;
    if (submaps > 1)
        for (uint32_t i = 0; i < channels; ++i)
            if (in.read(4) >= submaps) return false;
    for (uint32_t i = 0; i < submaps; ++i) {
        in.skip(8);
        if (in.read(8) >= floors || in.read(8) >= residues) return false;
    }
    return !in.failed();
}

} // namespace

bool vorbisHeadersDecodable(const uint8_t* identification, size_t identificationSize, const uint8_t* setup,
                            size_t setupSize) {
    BitReader id(identification, identificationSize);
    if (!headerStart(id, 1) || id.read(32) != 0) return false;
    const uint32_t channels = id.read(8);
    const uint32_t rate = id.read(32);
    id.skip(96); // bitrates
    const uint32_t shortBlock = id.read(4);
    const uint32_t longBlock = id.read(4);
    if (id.read(1) != 1 || id.failed() || channels == 0 || rate == 0 || shortBlock < 6 || longBlock > 13 ||
        shortBlock > longBlock)
        return false;

    BitReader in(setup, setupSize);
    if (!headerStart(in, 5)) return false;
    std::vector<Codebook> books(in.read(8) + 1);
    for (Codebook& book : books)
        if (!readCodebook(in, &book)) return false;
    const uint32_t times = in.read(6) + 1;
    for (uint32_t i = 0; i < times; ++i)
        if (in.read(16) != 0) return false;
    const uint32_t floors = in.read(6) + 1;
    for (uint32_t i = 0; i < floors; ++i)
        if (!readFloor(in, books)) return false;
    const uint32_t residues = in.read(6) + 1;
    for (uint32_t i = 0; i < residues; ++i)
        if (!readResidue(in, books)) return false;
    const uint32_t mappings = in.read(6) + 1;
    for (uint32_t i = 0; i < mappings; ++i)
        if (!readMapping(in, channels, floors, residues)) return false;
    const uint32_t modes = in.read(6) + 1;
    for (uint32_t i = 0; i < modes; ++i) {
        in.skip(1);
        if (in.read(16) != 0 || in.read(16) != 0 || in.read(8) >= mappings) return false;
    }
    return in.read(1) == 1 && !in.failed();
}

} // namespace zre
