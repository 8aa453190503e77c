// Ogg Vorbis sounds whose headers the decoder cannot use are refused when they open, like
// any file that is not Ogg Vorbis; valid sounds of every kind still open and decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/vorbis_encoder.h"
#include "platform/vorbis_file.h"
#include "platform/vorbis_setup.h"
#include "sound/sound_fixture.h"

namespace zre {
namespace {

using namespace test;
using sslib2::COggFileReader;

std::vector<uint8_t> oggTone(size_t frames, int channels, long rate, float quality = 0.4f) {
    return encodeVorbis(tone(frames, channels, double(rate), 440).data(), frames, channels, rate, quality);
}

bool opens(const std::vector<uint8_t>& ogg, uint32_t* frames = nullptr) {
    COggFileReader r;
    if (!r.OpenSource(std::make_unique<MemoryStream>(ogg), 0, static_cast<int32_t>(ogg.size()))) {
        EXPECT_FALSE(r.IsOpen());
        return false;
    }
    // What opened must survive a seek into the middle and a read (the decoder built its
    // books lazily and divided by zero here).
    std::vector<uint8_t> out(1 << 16);
    EXPECT_TRUE(r.Seek(r.GetLength() / 2));
    EXPECT_TRUE(r.Read(out.data(), static_cast<uint32_t>(out.size()), nullptr));
    if (frames) *frames = r.GetLength();
    return true;
}

uint32_t bitsAt(const uint8_t* data, size_t bit, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bit) value |= uint32_t((data[bit / 8] >> (bit % 8)) & 1) << i;
    return value;
}

// Changes by delta (empty when it cannot) the first codeword length of the codebook fromLast
// places before the last of the setup header, page checksums set right. The encoder writes the whole setup into the second
// page; each codebook starts with the 24-bit pattern "BCV", 16 bits of dimensions, 24 of
// entries, then (unordered, not sparse) 5-bit lengths less one.
std::vector<uint8_t> withCodewordLonger(std::vector<uint8_t> ogg, size_t fromLast, int delta) {
    static const char kSetup[] = "\x05vorbis";
    const auto at = std::search(ogg.begin(), ogg.end(), kSetup, kSetup + 7);
    if (at == ogg.end()) {
        ADD_FAILURE() << "no setup header";
        return {};
    }
    uint8_t* setup = &*at;
    const size_t bits = size_t(ogg.end() - at) * 8;
    std::vector<size_t> books;
    for (size_t bit = 64; bit + 24 <= bits; ++bit)
        if (bitsAt(setup, bit, 24) == 0x564342) books.push_back(bit);
    if (books.size() != size_t(setup[7]) + 1 || fromLast >= books.size()) {
        ADD_FAILURE() << books.size() << " codebook patterns for " << setup[7] + 1 << " codebooks";
        return {};
    }
    const size_t flags = books[books.size() - 1 - fromLast] + 64;
    EXPECT_EQ(bitsAt(setup, flags, 2), 0u) << "ordered or sparse";
    const int stored = int(bitsAt(setup, flags + 2, 5)) + delta;
    if (stored < 0 || stored > 31) return {};
    for (int i = 0; i < 5; ++i) {
        const size_t bit = flags + 2 + size_t(i);
        setup[bit / 8] = static_cast<uint8_t>((setup[bit / 8] & ~(1 << (bit % 8))) | ((stored >> i & 1) << (bit % 8)));
    }
    resealOggPages(ogg.data(), ogg.size());
    return ogg;
}

// Gives every page a new stream serial number (bytes 14 to 17), so that two sounds in a row
// make a chained stream of two links.
std::vector<uint8_t> withSerial(std::vector<uint8_t> ogg, uint32_t serial) {
    for (size_t p = 0; p + 27 <= ogg.size();) {
        EXPECT_EQ(std::memcmp(&ogg[p], "OggS", 4), 0);
        storeU32(&ogg[p + 14], serial);
        size_t length = 27 + ogg[p + 26];
        for (size_t i = 0; i < ogg[p + 26]; ++i) length += ogg[p + 27 + i];
        p += length;
    }
    resealOggPages(ogg.data(), ogg.size());
    return ogg;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(OggHeaders, ACodebookThatIsNoCompletePrefixCodeRefusesTheSound) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const std::vector<uint8_t> ogg = oggTone(20000, channels, 44100);
        ASSERT_TRUE(opens(ogg));
        // The encoder's last codebook classifies residue partitions; the decoder leaves it
        // empty when the one before cannot be built. One bit longer leaves a codeword free,
        // one shorter (where it can be) fills more than the tree.
        EXPECT_FALSE(opens(withCodewordLonger(ogg, 1, 1)));
        const std::vector<uint8_t> overfull = withCodewordLonger(ogg, 1, -1);
        if (!overfull.empty()) {
            EXPECT_FALSE(opens(overfull));
        }
    }
}

TEST(OggHeaders, EveryLinkOfAChainedStreamIsChecked) {
    const std::vector<uint8_t> first = withSerial(oggTone(9000, 2, 22050), 0x1111);
    const std::vector<uint8_t> second = withSerial(oggTone(7000, 2, 22050), 0x2222);
    uint32_t frames = 0;
    ASSERT_TRUE(opens(first + second, &frames));
    EXPECT_EQ(frames, 16000u);
    EXPECT_FALSE(opens(first + withCodewordLonger(second, 1, 1)));
}

TEST(OggHeaders, ValidSoundsOfEveryQualityLayoutAndRateOpenWhole) {
    for (float quality : {-0.1f, 0.0f, 0.5f, 1.0f})
        for (int channels : {1, 2})
            for (long rate : {8000L, 22050L, 48000L}) {
                SCOPED_TRACE(testing::Message() << quality << " " << channels << " " << rate);
                const std::vector<uint8_t> ogg = oggTone(12345, channels, rate, quality);
                ASSERT_FALSE(ogg.empty());
                COggFileReader r;
                ASSERT_TRUE(r.OpenSource(std::make_unique<MemoryStream>(ogg), 0, static_cast<int32_t>(ogg.size())));
                std::vector<uint8_t> all(12345u * 2 * uint32_t(channels) + 64);
                uint32_t got = 0;
                r.Read(all.data(), static_cast<uint32_t>(all.size()), &got);
                EXPECT_EQ(got, 12345u * 2 * uint32_t(channels));
            }
}

// A setup header of one codebook and the least of everything else, for the prefix-code rule.
class BitWriter {
public:
    void put(uint32_t value, int bits) {
        for (int i = 0; i < bits; ++i, ++bit_) {
            if (bit_ % 8 == 0) bytes_.push_back(0);
            bytes_.back() |= static_cast<uint8_t>(((value >> i) & 1) << (bit_ % 8));
        }
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    int bit_ = 0;
};

void putHeader(BitWriter& w, uint8_t type) {
    w.put(type, 8);
    for (char c : std::string("vorbis")) w.put(uint8_t(c), 8);
}

std::vector<uint8_t> identification() {
    BitWriter w;
    putHeader(w, 1);
    w.put(0, 32);
    w.put(1, 8);
    w.put(44100, 32);
    w.put(0, 32), w.put(0, 32), w.put(0, 32);
    w.put(8, 4), w.put(11, 4);
    w.put(1, 1);
    return w.bytes();
}

struct Book {
    std::vector<int> lengths; // 0: an unused entry (sparse)
    bool ordered = false;     // then lengths must rise by at most one from entry to entry
};

std::vector<uint8_t> setupWith(const Book& book) {
    BitWriter w;
    putHeader(w, 5);
    w.put(0, 8); // one codebook
    w.put(0x564342, 24);
    w.put(1, 16);
    w.put(uint32_t(book.lengths.size()), 24);
    w.put(book.ordered, 1);
    if (book.ordered) {
        // The number of entries of each length in turn, from the first length up.
        const size_t n = book.lengths.size();
        w.put(uint32_t(book.lengths.front() - 1), 5);
        for (size_t i = 0, length = size_t(book.lengths.front()); i < n; ++length) {
            size_t run = 0;
            while (i + run < n && size_t(book.lengths[i + run]) == length) ++run;
            int bits = 0;
            for (size_t left = n - i; left; left >>= 1) ++bits;
            w.put(uint32_t(run), bits);
            i += run;
        }
    } else {
        const bool sparse = std::find(book.lengths.begin(), book.lengths.end(), 0) != book.lengths.end();
        w.put(sparse, 1);
        for (int length : book.lengths) {
            if (sparse) w.put(length != 0, 1);
            if (length != 0) w.put(uint32_t(length - 1), 5);
        }
    }
    w.put(1, 4); // values for vectors
    w.put(0, 32), w.put(0, 32), w.put(0, 4), w.put(0, 1);
    w.put(0, int(book.lengths.size())); // one dimension: a 1-bit value an entry
    w.put(0, 6), w.put(0, 16); // one time entry
    w.put(0, 6), w.put(1, 16), w.put(0, 5), w.put(0, 2), w.put(8, 4); // one floor: no partitions
    w.put(0, 6), w.put(2, 16), w.put(0, 24), w.put(64, 24), w.put(15, 24), w.put(0, 6), w.put(0, 8);
    w.put(1, 3), w.put(0, 1), w.put(0, 8); // one class, its first stage from the same book
    w.put(0, 6), w.put(0, 16), w.put(0, 1), w.put(0, 1), w.put(0, 2), w.put(0, 8), w.put(0, 8), w.put(0, 8);
    w.put(0, 6), w.put(0, 1), w.put(0, 16), w.put(0, 16), w.put(0, 8); // one mode
    w.put(1, 1);
    return w.bytes();
}

TEST(OggHeaders, CodewordLengthsMustFillTheTreeExactly) {
    struct Case {
        Book book;
        bool decodable;
    } cases[] = {
        {{{1, 1}}, true},
        {{{2, 1, 2}}, true},
        {{{3, 3, 2, 1}}, true},
        {{{1, 0, 0, 1}}, true},        // sparse
        {{{0, 4, 0}}, true},           // one used entry needs no bits
        {{{0, 0}}, true},              // nor do none
        {{{1, 2, 3, 3}, true}, true},  // ordered
        {{{1, 2}}, false},             // a codeword left free
        {{{1, 2, 0, 2, 2}}, false},    // more than the tree
        {{{1, 1, 1}, true}, false},
        {{{2, 3}, true}, false},
    };
    const std::vector<uint8_t> id = identification();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.book.lengths));
        const std::vector<uint8_t> setup = setupWith(c.book);
        EXPECT_EQ(vorbisHeadersDecodable(id.data(), id.size(), setup.data(), setup.size()), c.decodable);
        // Cut short anywhere, a setup is refused.
        for (size_t cut = 0; cut < setup.size(); cut += 3)
            EXPECT_FALSE(vorbisHeadersDecodable(id.data(), id.size(), setup.data(), cut)) << cut;
    }
}

} // namespace
} // namespace zre
