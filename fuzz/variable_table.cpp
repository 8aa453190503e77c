// Variable tables from arbitrary bytes: reading never fails badly, and a table written
// back reads as the same entries. The bytes after the table also drive a substitution.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/byte_io.h"
#include "platform/message_box.h"
#include "script/variable_table.h"

namespace {

bool sameEntries(const zre::VariableTable& a, const zre::VariableTable& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const zre::VariableEntry& x = a.entries()[i];
        const zre::VariableEntry& y = b.entries()[i];
        if (x.name != y.name || x.value != y.value || x.type != y.type) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (zre::silenceMessageBoxes(), true);
    (void)quiet;

    zre::ByteReader in(data, size);
    zre::VariableTable table;
    size_t consumed = table.read(in);
    if (consumed != in.position() || consumed > size) std::abort();

    zre::ByteWriter out;
    size_t written = table.write(out);
    if (written != out.size()) std::abort();
    zre::ByteReader again(out.buffer().data(), out.size());
    zre::VariableTable copy;
    if (copy.read(again) != written) std::abort();
    if (!sameEntries(table, copy)) std::abort();

    for (size_t i = 0; i < table.size(); ++i) {
        const char* name = table.nameAt(int(i));
        if (table.find(name) < 0) std::abort();
        (void)table.getNumber(name);
    }

    std::string text(reinterpret_cast<const char*>(data) + consumed, size - consumed);
    table.substitute(text);
    return 0;
}
