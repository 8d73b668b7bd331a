#include "cli/TerminalText.h"

#include <algorithm>
#include <ostream>

#include "cli/ExitStatus.h"
#include "printer/HexCodec.h"
#include "text/Utf8.h"

namespace qvset::cli {
namespace {

constexpr unsigned char kDelete = 0x7F;
constexpr unsigned char kC1Lead = 0xC2;  // U+0080 to U+009F are C2 80 to C2 9F in UTF-8
constexpr unsigned char kC1First = 0x80;
constexpr unsigned char kC1Last = 0x9F;

bool IsC0OrDelete(unsigned char c) {
    return c < 0x20 || c == kDelete;
}

void AppendEscaped(std::string& out, unsigned char c) {
    out += "\\x";
    out += HexPair(c);
}

}  // namespace

std::string TerminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsC0OrDelete(c)) {
            AppendEscaped(out, c);
        } else if (c == kC1Lead && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= kC1First &&
                   static_cast<unsigned char>(text[i + 1]) <= kC1Last) {
            AppendEscaped(out, c);
            AppendEscaped(out, static_cast<unsigned char>(text[++i]));
        } else if (c >= 0x80) {
            // A byte of no well-formed UTF-8 character (a name in another character set) is shown as
            // \xHH: a terminal may take a lone byte such as 9B for the start of an escape sequence.
            const Utf8Character character = ReadUtf8Character(text.substr(i));
            const std::size_t span = std::max<std::size_t>(1, character.span);
            if (character.code) {
                out.append(text.substr(i, span));
            } else {
                for (std::size_t k = 0; k < span; ++k)
                    AppendEscaped(out, static_cast<unsigned char>(text[i + k]));
            }
            i += span - 1;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string TerminalSafeJson(std::string_view json) {
    std::string out;
    out.reserve(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        auto c = static_cast<unsigned char>(json[i]);
        const bool c1 = c == kC1Lead && i + 1 < json.size() &&
                        static_cast<unsigned char>(json[i + 1]) >= kC1First &&
                        static_cast<unsigned char>(json[i + 1]) <= kC1Last;
        if (c != kDelete && !c1) {
            out.push_back(json[i]);
            continue;
        }
        if (c1) c = static_cast<unsigned char>(json[++i]);
        out += "\\u00";
        out += LowerHexPair(c);
    }
    return out;
}

bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        if (IsC0OrDelete(static_cast<unsigned char>(c))) return true;
    }
    return false;
}

int StatusAfterOutput(int status, std::ostream& out, std::ostream& err,
                      const std::function<bool()>& readerGone) {
    out.flush();
    if (out) return status;
    if (readerGone && readerGone()) return kExitReaderGone;
    err << kMsgOutputFailed << '\n' << std::flush;
    return status == kExitOk ? kExitPrinterFailed : status;
}

}  // namespace qvset::cli
