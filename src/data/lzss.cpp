#include "data/lzss.h"

#include <array>
#include <cstring>
#include <memory>

namespace zre {

namespace {

constexpr int kRingSize = 4096;          // N
constexpr int kMaxMatch = 18;            // F
constexpr int kThreshold = 2;            // matches this short go out as literals
constexpr int kNil = kRingSize;          // "no node" in the search trees
constexpr int kStart = kRingSize - kMaxMatch;  // 4078, the first coding position

} // namespace

int lzssDecode(const uint8_t* src, size_t srcLength, uint8_t* out, size_t outLength) {
    if (outLength == 0) return 1;
    uint8_t ring[kRingSize] = {};
    unsigned r = kStart;
    size_t in = 0;
    size_t produced = 0;
    unsigned flags = 0;  // bit 8 and up: how many items the current flag byte still describes
    while (produced < outLength) {
        flags >>= 1;
        if ((flags & 0x100) == 0) {
            if (in >= srcLength) break;
            flags = src[in++] | 0xFF00u;
        }
        if (flags & 1) {
            if (in >= srcLength) break;
            uint8_t c = src[in++];
            out[produced++] = c;
            ring[r] = c;
            r = (r + 1) & (kRingSize - 1);
        } else {
            if (srcLength - in < 2) break;
            unsigned b0 = src[in];
            unsigned b1 = src[in + 1];
            in += 2;
            unsigned pos = b0 | ((b1 & 0xF0) << 4);
            size_t length = (b1 & 0x0F) + kThreshold + 1;
            if (length > outLength - produced) length = outLength - produced;
            for (size_t k = 0; k < length; ++k) {
                uint8_t c = ring[(pos + k) & (kRingSize - 1)];
                out[produced++] = c;
                ring[r] = c;
                r = (r + 1) & (kRingSize - 1);
            }
        }
    }
    if (produced < outLength) {
        std::memset(out + produced, 0, outLength - produced);
        return -1;
    }
    return 0;
}

std::optional<std::vector<uint8_t>> lzssDecode(const uint8_t* src, size_t srcLength, size_t outLength) {
    std::vector<uint8_t> out(outLength);
    if (lzssDecode(src, srcLength, out.data(), outLength) != 0) return std::nullopt;
    return out;
}

namespace {

// The classic binary-tree match finder: one search tree per first byte (roots at
// kRingSize + 1 + byte in rson), every ring position a node. The trees are kept exactly
// as the old coder kept them so that the same match (position included) is chosen.
struct Encoder {
    uint8_t text[kRingSize + kMaxMatch - 1] = {};  // ring plus a mirror of its first 17 bytes
    int lson[kRingSize + 1];
    int rson[kRingSize + 257];
    int dad[kRingSize + 1];
    int matchPosition = 0;
    int matchLength = 0;

    Encoder() {
        for (int i = kRingSize + 1; i <= kRingSize + 256; ++i) rson[i] = kNil;
        for (int i = 0; i < kRingSize; ++i) dad[i] = kNil;
        // Entries never reached before being set; filled so the state is fully defined.
        for (int i = 0; i <= kRingSize; ++i) lson[i] = kNil;
        for (int i = 0; i <= kRingSize; ++i) rson[i] = kNil;
        dad[kRingSize] = kNil;
    }

    void insertNode(int r) {
        int cmp = 1;
        const uint8_t* key = &text[r];
        int p = kRingSize + 1 + key[0];
        rson[r] = lson[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (rson[p] != kNil) {
                    p = rson[p];
                } else {
                    rson[p] = r;
                    dad[r] = p;
                    return;
                }
            } else {
                if (lson[p] != kNil) {
                    p = lson[p];
                } else {
                    lson[p] = r;
                    dad[r] = p;
                    return;
                }
            }
            int i = 1;
            for (; i < kMaxMatch; ++i) {
                cmp = key[i] - text[p + i];
                if (cmp != 0) break;
            }
            if (i > matchLength) {
                matchPosition = p;
                matchLength = i;
                if (matchLength >= kMaxMatch) break;
            }
        }
        // A full-length match: the new node takes the old one's place in the tree.
        dad[r] = dad[p];
        lson[r] = lson[p];
        rson[r] = rson[p];
        dad[lson[p]] = r;
        dad[rson[p]] = r;
        if (rson[dad[p]] == p)
            rson[dad[p]] = r;
        else
            lson[dad[p]] = r;
        dad[p] = kNil;
    }

    void deleteNode(int p) {
        if (dad[p] == kNil) return;
        int q;
        if (rson[p] == kNil) {
            q = lson[p];
        } else if (lson[p] == kNil) {
            q = rson[p];
        } else {
            q = lson[p];
            if (rson[q] != kNil) {
                do {
                    q = rson[q];
                } while (rson[q] != kNil);
                rson[dad[q]] = lson[q];
                dad[lson[q]] = dad[q];
                lson[q] = lson[p];
                dad[lson[p]] = q;
            }
            rson[q] = rson[p];
            dad[rson[p]] = q;
        }
        dad[q] = dad[p];
        if (rson[dad[p]] == p)
            rson[dad[p]] = q;
        else
            lson[dad[p]] = q;
        dad[p] = kNil;
    }
};

} // namespace

std::optional<std::vector<uint8_t>> lzssEncode(const uint8_t* src, size_t n) {
    // Success needs at least 9 bytes of gain; the output may never reach n - 8 bytes.
    if (n < 9) return std::nullopt;
    const size_t limit = n - 8;

    auto enc = std::make_unique<Encoder>();
    uint8_t* text = enc->text;
    std::vector<uint8_t> out;
    out.reserve(limit);

    uint8_t group[17];
    group[0] = 0;
    size_t groupLength = 1;
    uint8_t mask = 1;

    size_t next = 0;  // next source byte to enter the ring
    int s = 0;
    int r = kStart;
    int len = 0;
    while (len < kMaxMatch && next < n) text[r + len++] = src[next++];
    for (int i = 1; i <= kMaxMatch; ++i) enc->insertNode(r - i);
    enc->insertNode(r);

    do {
        if (enc->matchLength > len) enc->matchLength = len;
        if (enc->matchLength <= kThreshold) {
            enc->matchLength = 1;
            group[0] |= mask;
            group[groupLength++] = text[r];
        } else {
            group[groupLength++] = static_cast<uint8_t>(enc->matchPosition);
            group[groupLength++] = static_cast<uint8_t>(((enc->matchPosition >> 4) & 0xF0) |
                                                        (enc->matchLength - (kThreshold + 1)));
        }
        mask = static_cast<uint8_t>(mask << 1);
        if (mask == 0) {
            if (out.size() + groupLength >= limit) return std::nullopt;
            out.insert(out.end(), group, group + groupLength);
            group[0] = 0;
            groupLength = 1;
            mask = 1;
        }
        int lastMatchLength = enc->matchLength;
        int i = 0;
        for (; i < lastMatchLength && next < n; ++i) {
            uint8_t c = src[next++];
            enc->deleteNode(s);
            text[s] = c;
            if (s < kMaxMatch - 1) text[s + kRingSize] = c;
            s = (s + 1) & (kRingSize - 1);
            r = (r + 1) & (kRingSize - 1);
            enc->insertNode(r);
        }
        // After the input has ended the old ring bytes stay in place (the tree keeps
        // comparing them), only the look-ahead shrinks.
        while (i++ < lastMatchLength) {
            enc->deleteNode(s);
            s = (s + 1) & (kRingSize - 1);
            r = (r + 1) & (kRingSize - 1);
            if (--len) enc->insertNode(r);
        }
    } while (len > 0);

    if (groupLength > 1) {
        if (out.size() + groupLength >= limit) return std::nullopt;
        out.insert(out.end(), group, group + groupLength);
    }
    return out;
}

} // namespace zre
