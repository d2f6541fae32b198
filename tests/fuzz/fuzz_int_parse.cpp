// Holds the INI number parser to the standard stream it imitates, on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>
#include <string>

#include "settings/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::istringstream stream(text);
    stream.imbue(std::locale::classic());
    int32_t expected = 0;
    stream >> expected;
    const auto parsed = tideglass::parseInteger(text);
    if (parsed.has_value() == stream.fail())
        std::abort();
    if (parsed && *parsed != expected)
        std::abort();
    if (parsed && tideglass::parseInteger(tideglass::formatInteger(*parsed)) != parsed) {
        std::abort();
    }

    if (const auto real = tideglass::parseReal(text)) {
        const auto again = tideglass::parseReal(tideglass::formatReal(*real));
        if (!again && *real != 0.0 && std::abs(*real) < 1e300)
            std::abort();
    }
    return 0;
}
