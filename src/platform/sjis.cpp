#include "platform/sjis.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace zre {

namespace {

// One converter per direction; iconv descriptors are not thread-safe, so each is used
// under its own lock (sound workers never convert, but tools and tests may use threads).
struct Converter {
    Converter(const char* to, const char* from) : cd(iconv_open(to, from)) {}
    ~Converter() {
        if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
    iconv_t cd;
    std::mutex lock;
};

// failed, when given, is set on the first character that does not convert, and the
// conversion stops there.
std::string convert(Converter& conv, std::string_view in, std::string_view replacement, bool sjisInput,
                    bool* failed = nullptr) {
    std::string out;
    if (in.empty()) return out;
    if (conv.cd == reinterpret_cast<iconv_t>(-1)) {
        if (failed) *failed = true;
        return std::string(in);
    }
    std::lock_guard<std::mutex> guard(conv.lock);
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    out.reserve(in.size() * 2);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[1024];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(conv.cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, dst - buf);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            if (failed) {
                *failed = true;
                break;
            }
            // An invalid or incomplete sequence: replace one character and go on.
            size_t skip = 1;
            if (sjisInput) {
                if (srcLeft >= 2 && isLeadByte(src)) skip = 2;
            } else {
                auto lead = static_cast<unsigned char>(*src);
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                while (skip > 1 && skip > srcLeft) --skip;
            }
            out.append(replacement);
            src += skip;
            srcLeft -= skip;
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

Converter& utf8ToCp932() {
    static Converter conv("CP932", "UTF-8");
    return conv;
}

} // namespace

uint32_t foldedCharUnit(std::string_view s, size_t& i) {
    if (isLeadByteAt(s, i)) {
        auto lead = static_cast<uint8_t>(s[i]);
        auto trail = static_cast<uint8_t>(s[i + 1]);
        i += 2;
        if (lead == 0x82 && trail >= 0x60 && trail <= 0x79) trail = static_cast<uint8_t>(trail + 0x21);
        return 0x10000u | (uint32_t(lead) << 8) | trail;
    }
    auto c = static_cast<uint8_t>(s[i++]);
    if (c >= 'A' && c <= 'Z') c = static_cast<uint8_t>(c + ('a' - 'A'));
    return c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldedCharUnit(a, i) != foldedCharUnit(b, j)) return false;
    }
    return i == a.size() && j == b.size();
}

std::string sjisToUtf8(std::string_view sjis) {
    bool ascii = true;
    for (char c : sjis) {
        if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
    }
    if (ascii) return std::string(sjis);
    static Converter conv("UTF-8", "CP932");
    return convert(conv, sjis, "\xEF\xBF\xBD", true);
}

std::string utf8ToSjis(std::string_view utf8) {
    bool ascii = true;
    for (char c : utf8) {
        if (static_cast<unsigned char>(c) >= 0x80) { ascii = false; break; }
    }
    if (ascii) return std::string(utf8);
    return convert(utf8ToCp932(), utf8, "?", false);
}

bool utf8ToSjisExact(std::string_view utf8, std::string& out) {
    bool failed = false;
    std::string converted = convert(utf8ToCp932(), utf8, "", false, &failed);
    if (failed) return false;
    out = std::move(converted);
    return true;
}

} // namespace zre
