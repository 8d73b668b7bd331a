// The number reader and what is built from it (the two millimetre encodings, the format checks) over
// arbitrary texts. The input is split at NUL bytes into the texts of L, P and B.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ticket/NumericText.h"
#include "ticket/TicketGeometry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qvset;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::string_view texts[3];
    for (auto& text : texts) {
        const std::size_t nul = rest.find('\0');
        text = rest.substr(0, nul);
        rest = nul == std::string_view::npos ? std::string_view() : rest.substr(nul + 1);
    }
    for (const auto& text : texts) {
        const double value = NumericValue(text);
        const double rounded = RoundHalfEven(value);
        if (std::isfinite(value) && (std::fabs(rounded - value) > 0.5 || rounded != std::floor(rounded))) {
            std::abort();
        }
        if (const auto whole = RoundToInt32(value); whole && static_cast<double>(*whole) != rounded)
            std::abort();
        if (const auto item = EncodeItemValue(text); item && item->size() % 2 != 0) std::abort();
        if (const auto set = EncodeFormatSetValue(text); set && set->size() != 4) std::abort();
        static_cast<void>(BuildGeometryCommand(0x04, NormaliseItemText(text, "152")));
    }
    for (const int style : {1, 2}) {
        if (!CheckTicketFormat(style, texts[0], texts[1], texts[2])) {
            static_cast<void>(BuildTicketFormatCommand(style, NormaliseFormatSetText(texts[0]),
                                                       NormaliseFormatSetText(texts[1]),
                                                       NormaliseFormatSetText(texts[2])));
        }
    }
    return 0;
}
