// Character set conversion through iconv (POSIX).
#include <iconv.h>

#include <cerrno>

#include "files/CharsetText.h"
#include "printer/Utf8.h"

namespace qvset {
namespace {

template <typename SkipFn>
std::string Convert(std::string_view input, const char* to, const char* from, std::string_view replacement,
                    SkipFn skip) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);
    std::string out;
    out.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[512];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ (no such character in the target, or malformed input) or EINVAL (cut short at the end).
        std::size_t span = skip(std::string_view(in, inLeft));
        if (span == 0) span = 1;
        out.append(replacement);
        in += span;
        inLeft -= span;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Utf8ToCharset(std::string_view utf8, const std::string& charset) {
    return Convert(utf8, charset.c_str(), "UTF-8", "?", Utf8ReplacedSpan);
}

std::string CharsetToUtf8(std::string_view text, const std::string& charset) {
    // A multibyte set's bad character spans at most its lead byte: the rest is read again.
    return Convert(text, "UTF-8", charset.c_str(), "\xEF\xBF\xBD",
                   [](std::string_view) { return std::size_t{1}; });
}

std::size_t CompleteUtf8Length(std::string_view text) {
    // Back over at most three continuation bytes to the last lead byte; keep it only when whole.
    std::size_t start = text.size();
    for (std::size_t back = 0; back < 4 && start > 0; ++back) {
        const auto c = static_cast<unsigned char>(text[start - 1]);
        --start;
        if ((c & 0xC0) != 0x80) {
            const std::size_t length = Utf8SequenceLength(c);
            return start + length <= text.size() ? text.size() : start;
        }
    }
    return text.size();
}

}  // namespace qvset
