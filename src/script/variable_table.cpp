#include "script/variable_table.h"

#include <climits>
#include <cstring>

#include "platform/sjis.h"

namespace zre {

namespace {

// Substitution stops expanding once it has made this many replacements or once the text
// would grow beyond this size. A value that names itself (directly or through others)
// would otherwise expand forever; no real statement comes anywhere near either bound.
constexpr int kMaxReplacements = 4096;
constexpr size_t kMaxSubstitutedLength = 64 * 1024;
// Bytes rewritten by one substitution, all replacements together.
constexpr size_t kMaxSubstitutionWork = 256 * 1024;

// Texts end at their first NUL, as they do in the files and in the scripts.
std::string_view cText(std::string_view s) {
    size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The decimal text of a hexadecimal number, any non-hex character making it 0. Every
// digit is taken, each weighted by its power of 16 modulo 2^32; digits beyond the eighth
// from the right weigh a multiple of 2^32, so this is the wrapped 32-bit sum however
// long the text is (and the same as summing only the last 15).
std::string hexToDecimal(std::string_view digits) {
    uint32_t sum = 0;
    for (char c : digits) {
        int d = hexDigit(c);
        if (d < 0) return "0";
        sum = sum * 16u + uint32_t(d);
    }
    return std::to_string(static_cast<int32_t>(sum));
}

// The characters that end a $-name.
bool endsName(char c) {
    return c == '\0' || c == ' ' || c == '\t' || c == '=' || c == '+' || c == '-' || c == '*' || c == '/' ||
           c == '<' || c == '>' || c == '|' || c == '!' || c == '(' || c == ')' || c == ',';
}

// End of the $-name that starts at p. Double-byte characters belong to the name whole,
// so a trail byte that happens to be "|" does not cut it.
size_t nameEnd(const std::string& text, size_t p) {
    size_t i = p + 1;
    while (i < text.size()) {
        if (isLeadByteAt(text, i)) {
            i += 2;
            continue;
        }
        if (endsName(text[i])) break;
        ++i;
    }
    return i;
}

// strncmp semantics on views: at most n characters, a missing character counts as NUL
// and the comparison ends at a NUL both share.
bool prefixAgrees(std::string_view a, std::string_view b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        char x = i < a.size() ? a[i] : '\0';
        char y = i < b.size() ? b[i] : '\0';
        if (x != y) return false;
        if (x == '\0') return true;
    }
    return true;
}

} // namespace

uint32_t VariableEntry::totalLength() const {
    return uint32_t(name.size() + 1 + (value ? value->size() + 1 : 0));
}

uint32_t VariableEntry::valueOffset() const { return value ? uint32_t(name.size() + 1) : 0; }

int32_t valueType(std::string_view value) {
    for (char c : value)
        if (c < '0' || c > '9') return 1;
    return 0;
}

int32_t atoi32(const char* text) {
    if (!text) return 0;
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    // Out-of-range numbers saturate, as the original platform's C library does.
    int64_t magnitude = 0;
    const int64_t limit = negative ? -int64_t(INT32_MIN) : int64_t(INT32_MAX);
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) {
            magnitude = limit;
            // Keep consuming digits: the saturated value stays.
        }
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int VariableTable::find(const char* name) const {
    if (!name) return -1;
    return find(std::string_view(name));
}

int VariableTable::find(std::string_view name) const {
    name = cText(name);
    for (size_t i = 0; i < entries_.size(); ++i)
        if (equalsIgnoringCase(entries_[i].name, name)) return int(i);
    return -1;
}

void VariableTable::add(std::string_view name, const char* value) {
    if (value)
        add(name, std::optional<std::string_view>(value));
    else
        add(name, std::optional<std::string_view>());
}

void VariableTable::add(std::string_view name, std::optional<std::string_view> value) {
    VariableEntry entry;
    entry.name = std::string(cText(name));
    if (value) {
        std::string_view v = cText(*value);
        if (v.size() >= 2 && v[0] == '0' && v[1] == 'x') {
            entry.value = hexToDecimal(v.substr(2));
            entry.type = 0;
        } else {
            entry.value = std::string(v);
            entry.type = valueType(v);
        }
    }
    entries_.push_back(std::move(entry));
}

void VariableTable::setAt(int index, const char* value) {
    if (index < 0 || size_t(index) >= entries_.size()) return;
    VariableEntry& entry = entries_[size_t(index)];
    if (value) {
        entry.value = std::string(value);
        entry.type = valueType(*entry.value);
    } else {
        entry.value.reset();
        entry.type = 0;
    }
}

void VariableTable::set(std::string_view name, const char* value) {
    int i = find(name);
    if (i >= 0)
        setAt(i, value);
    else
        add(name, value);
}

int32_t VariableTable::getNumber(std::string_view name) const {
    int i = find(name);
    if (i < 0) return -1;
    const VariableEntry& entry = entries_[size_t(i)];
    return atoi32(entry.value ? entry.value->c_str() : entry.name.c_str());
}

const char* VariableTable::getText(std::string_view name) const {
    int i = find(name);
    if (i < 0) return nullptr;
    return getTextAt(i);
}

const char* VariableTable::getTextAt(int index) const {
    if (index < 0 || size_t(index) >= entries_.size()) return nullptr;
    const VariableEntry& entry = entries_[size_t(index)];
    return entry.value ? entry.value->c_str() : nullptr;
}

const char* VariableTable::nameAt(int index) const {
    if (index < 0 || size_t(index) >= entries_.size()) return nullptr;
    return entries_[size_t(index)].name.c_str();
}

int VariableTable::removeByName(std::string_view name) {
    int i = find(name);
    if (i < 0) return 0;
    entries_.erase(entries_.begin() + i);
    return 1;
}

int VariableTable::removeAt(int index) {
    if (index >= 0 && size_t(index) < entries_.size()) entries_.erase(entries_.begin() + index);
    return 1;
}

void VariableTable::removePrefix(std::string_view prefix, size_t n) {
    for (size_t i = entries_.size(); i-- > 0;)
        if (prefixAgrees(entries_[i].name, prefix, n)) entries_.erase(entries_.begin() + std::ptrdiff_t(i));
}

void VariableTable::clear() { entries_.clear(); }

void VariableTable::substitute(std::string& text) const {
    if (entries_.empty()) return;
    std::string work = text;
    bool changed = false;
    int replacements = 0;
    size_t workDone = 0;
    size_t scan = 0;
    for (;;) {
        size_t p = work.find('$', scan);
        if (p == std::string::npos) break;
        size_t end = nameEnd(work, p);
        std::string_view name(work.data() + p, end - p);
        const char* value = getText(name);
        if (!value) {
            scan = end;
            continue;
        }
        if (++replacements > kMaxReplacements) break;
        // Each replacement rewrites the text after p; a value that keeps bringing its own
        // name back must not turn one statement into seconds of copying.
        workDone += work.size() - p;
        if (workDone > kMaxSubstitutionWork) break;
        // Every whole occurrence from here on is replaced; text before p has no "$" left
        // to look at, so it is copied as it is.
        std::string_view v(value);
        std::string next(work, 0, p);
        size_t i = p;
        while (i < work.size()) {
            size_t q = work.find('$', i);
            if (q == std::string::npos) break;
            size_t qEnd = nameEnd(work, q);
            next.append(work, i, q - i);
            if (qEnd - q == name.size() && work.compare(q, name.size(), name) == 0)
                next.append(v);
            else
                next.append(work, q, qEnd - q);
            i = qEnd;
        }
        if (i < work.size()) next.append(work, i, std::string::npos);
        if (next.size() > kMaxSubstitutedLength) break;
        work = std::move(next);
        changed = true;
        // The scan stays at p, so a value holding "$" is examined in turn.
        scan = p;
    }
    if (changed) text = std::move(work);
}

size_t VariableTable::write(ByteWriter& out) const {
    size_t start = out.size();
    out.u32(uint32_t(entries_.size()));
    for (const VariableEntry& entry : entries_) {
        out.u32(entry.totalLength());
        out.u32(entry.valueOffset());
        out.i32(entry.type);
        out.text(entry.name);
        out.u8(0);
        if (entry.value) {
            out.text(*entry.value);
            out.u8(0);
        }
    }
    return out.size() - start;
}

size_t VariableTable::read(ByteReader& in, bool* complete) {
    entries_.clear();
    size_t start = in.position();
    if (complete) *complete = false;
    if (in.remaining() < 4) {
        in.skip(in.remaining());
        return in.position() - start;
    }
    uint32_t count = in.u32();
    // Every entry takes at least its 12-byte header, so a count larger than the bytes can
    // hold simply ends at the end of the data; nothing is reserved from the count.
    for (uint32_t n = 0; n < count; ++n) {
        if (in.remaining() < 12) {
            in.skip(in.remaining());
            break;
        }
        uint32_t totalLength = in.u32();
        uint32_t valueOffset = in.u32();
        int32_t type = in.i32();
        if (totalLength > in.remaining()) {
            // A block cut short by the end of the data: what is left belongs to it.
            in.skip(in.remaining());
            break;
        }
        std::string bytes(totalLength, '\0');
        in.bytes(bytes.data(), totalLength);
        const std::string_view block(bytes);

        // The name is the text at the start of the block and the value the text at
        // valueOffset, each ending at a NUL or at the end of the block. A valueOffset
        // past the block gives an empty value; the stored type is kept as it was.
        VariableEntry entry;
        entry.name = std::string(cText(block));
        if (valueOffset != 0) {
            entry.value = valueOffset < block.size() ? std::string(cText(block.substr(valueOffset))) : std::string();
        }
        entry.type = type;
        entries_.push_back(std::move(entry));
    }
    if (complete) *complete = entries_.size() == count;
    return in.position() - start;
}

bool hasSystemDataTag(const uint8_t* data, size_t size) {
    return size >= kSystemDataTag.size() &&
           equalsIgnoringCase(std::string_view(reinterpret_cast<const char*>(data), kSystemDataTag.size()),
                              kSystemDataTag);
}

} // namespace zre
