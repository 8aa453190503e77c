// Expressions and text cleaning on arbitrary text: every evaluation ends, without
// undefined behaviour, and cleaning is idempotent outside quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/message_box.h"
#include "script/evaluator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (zre::silenceMessageBoxes(), true);
    (void)quiet;

    std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)zre::evaluate(text);

    std::string stripped = zre::strippedText(text);
    if (stripped.size() > size) std::abort();
    std::string inPlace(text);
    zre::stripText(inPlace);
    if (inPlace != stripped) std::abort();
    // Without quotes a cleaned text has nothing left to remove.
    if (stripped.find('"') == std::string::npos && text.find('"') == std::string_view::npos &&
        zre::strippedText(stripped) != stripped)
        std::abort();
    return 0;
}
