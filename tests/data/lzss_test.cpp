#include "data/lzss.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

namespace zre {
namespace {

std::vector<uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list) v.push_back(static_cast<uint8_t>(b));
    return v;
}

std::vector<uint8_t> textBytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

TEST(LzssDecode, LiteralGroupGivesItsEightBytes) {
    auto stream = bytes({0xFF, 1, 2, 3, 4, 5, 6, 7, 8});
    uint8_t out[8];
    EXPECT_EQ(lzssDecode(stream.data(), stream.size(), out, 8), 0);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), bytes({1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST(LzssDecode, ReferenceBeforeAnyOutputCopiesZeros) {
    // Position 0x123, length 3 + 5: the ring starts zero everywhere.
    auto stream = bytes({0x00, 0x23, 0x15, 0xFF});
    std::vector<uint8_t> out(8, 0xAA);
    EXPECT_EQ(lzssDecode(stream.data(), stream.size(), out.data(), out.size()), 0);
    EXPECT_EQ(out, std::vector<uint8_t>(8, 0));
}

TEST(LzssDecode, OverlappingReferenceRepeatsWhatItWrites) {
    // "x", "y" at ring 4078/4079, then a reference to 4078 of length 7.
    auto stream = bytes({0x03, 'x', 'y', 0xEE, 0xF4});
    auto out = lzssDecode(stream.data(), stream.size(), 9);
    ASSERT_TRUE(out);
    EXPECT_EQ(std::string(out->begin(), out->end()), "xyxyxyxyx");
}

TEST(LzssDecode, StopsExactlyAtTheRequestedLengthInsideAReference) {
    auto stream = bytes({0x03, 'x', 'y', 0xEE, 0xF4, 0xFF, 'z'});
    uint8_t out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(lzssDecode(stream.data(), stream.size(), out, 5), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 8), "xyxyx###");
}

TEST(LzssDecode, StreamThatEndsEarlyFails) {
    struct Case {
        const char* what;
        std::vector<uint8_t> stream;
        std::string decodedPrefix;
    };
    const Case cases[] = {
        {"empty stream", {}, ""},
        {"literals run out", bytes({0xFF, 'a', 'b'}), "ab"},
        {"reference cut after its first byte", bytes({0x01, 'a', 0xEE}), "a"},
        {"flag byte missing for the second group", bytes({0xFF, 1, 2, 3, 4, 5, 6, 7, 8}), "\x01\x02\x03\x04\x05\x06\x07\x08"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> out(10, 0xAA);
        EXPECT_EQ(lzssDecode(c.stream.data(), c.stream.size(), out.data(), out.size()), -1);
        std::vector<uint8_t> expected(c.decodedPrefix.begin(), c.decodedPrefix.end());
        expected.resize(10, 0);
        EXPECT_EQ(out, expected);
        EXPECT_FALSE(lzssDecode(c.stream.data(), c.stream.size(), 10));
    }
}

TEST(LzssDecode, ZeroLengthReportsOne) {
    auto stream = bytes({0xFF, 1});
    uint8_t out[1] = {7};
    EXPECT_EQ(lzssDecode(stream.data(), stream.size(), out, 0), 1);
    EXPECT_EQ(out[0], 7);
    EXPECT_FALSE(lzssDecode(stream.data(), stream.size(), 0));
}

TEST(LzssEncode, ZerosBecomeReferencesIntoTheZeroRing) {
    // The first match found is the last position entered before the coding position
    // (4060 = 0xFDC, 18 bytes); the next one starts at 4095 and is clamped to the 14 left.
    std::vector<uint8_t> zeros(32, 0);
    auto out = lzssEncode(zeros.data(), zeros.size());
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, bytes({0x00, 0xDC, 0xFF, 0xFF, 0xFB}));
}

TEST(LzssEncode, RepeatedPatternPicksTheClassicMatchPositions) {
    // Three literals, an overlapping 18-byte reference to 4078, then the 9 bytes left match
    // the node at 4090 (the tree's root for "a"), whose look-ahead still holds the pattern.
    std::string text;
    for (int i = 0; i < 10; ++i) text += "abc";
    auto data = textBytes(text);
    auto out = lzssEncode(data.data(), data.size());
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, bytes({0x07, 'a', 'b', 'c', 0xEE, 0xFF, 0xFA, 0xF6}));
}

TEST(LzssEncode, FailsUnlessTheOutputIsAtLeastNineBytesShorter) {
    // n zero bytes (n <= 18) encode to one 3-byte reference.
    std::vector<uint8_t> eleven(11, 0), twelve(12, 0);
    EXPECT_FALSE(lzssEncode(eleven.data(), eleven.size()));
    auto out = lzssEncode(twelve.data(), twelve.size());
    ASSERT_TRUE(out);
    EXPECT_EQ(*out, bytes({0x00, 0xDC, 0xF9}));

    std::mt19937 rng(7);
    std::vector<uint8_t> noise(5000);
    for (auto& b : noise) b = static_cast<uint8_t>(rng());
    EXPECT_FALSE(lzssEncode(noise.data(), noise.size()));
    EXPECT_FALSE(lzssEncode(nullptr, 0));
}

std::vector<uint8_t> sample(size_t n, int kind, uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        switch (kind) {
        case 0: v[i] = 0; break;
        case 1: v[i] = static_cast<uint8_t>("abcabd"[i % 6]); break;
        case 2: v[i] = static_cast<uint8_t>(rng() % 4); break;  // small alphabet
        case 3: v[i] = static_cast<uint8_t>((i / 37) * 13 + (rng() % 3 == 0 ? rng() : 0)); break;
        default: v[i] = static_cast<uint8_t>(i < n / 2 ? rng() : 0x20); break;  // noise then spaces
        }
    }
    return v;
}

TEST(LzssEncode, RoundTripsVariedData) {
    const size_t lengths[] = {9, 12, 17, 18, 19, 20, 35, 36, 37, 100, 4095, 4096, 4097, 5000, 70000};
    int encoded = 0;
    for (int kind = 0; kind < 5; ++kind) {
        for (size_t n : lengths) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " length " + std::to_string(n));
            auto data = sample(n, kind, static_cast<uint32_t>(n * 5 + kind));
            auto packed = lzssEncode(data.data(), data.size());
            if (!packed) continue;
            ++encoded;
            EXPECT_LE(packed->size() + 9, n);
            auto back = lzssDecode(packed->data(), packed->size(), n);
            ASSERT_TRUE(back);
            EXPECT_EQ(*back, data);
        }
    }
    EXPECT_GT(encoded, 40);  // the loop must not pass vacuously
}

} // namespace
} // namespace zre
