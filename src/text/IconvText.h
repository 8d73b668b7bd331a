#pragma once

// Text conversion through iconv (POSIX): one owner of a conversion descriptor and one conversion loop
// for every character set the program speaks (the printer's GBK, the terminal's locale).
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qvset {

// Owns one iconv conversion descriptor; throws std::runtime_error when iconv knows no such conversion.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr): iconv's failure
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " + to);
        }
    }
    ~IconvHandle() { iconv_close(m_cd); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    iconv_t Get() const { return m_cd; }

  private:
    iconv_t m_cd;
};

// Converts `input`, replacing every sequence that cannot be converted by `replacement`. `skip` says how
// many of the remaining input bytes one unconvertible character spans (at least one is skipped).
template <typename SkipFn>
std::string ConvertWithIconv(const IconvHandle& handle, std::string_view input, std::string_view replacement,
                             SkipFn skip) {
    std::string out;
    out.reserve(input.size() * 2);
    iconv(handle.Get(), nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[512];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(handle.Get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        // EILSEQ (cannot be represented, or malformed) or EINVAL (cut short at the end).
        const std::size_t span = std::max<std::size_t>(1, skip(std::string_view(in, inLeft)));
        out.append(replacement);
        in += span;
        inLeft -= span;
        iconv(handle.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

}  // namespace qvset
