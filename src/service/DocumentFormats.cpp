#include "service/DocumentFormats.h"

#include "decode/CommandDecoder.h"
#include "decode/CommonCommands.h"

namespace qvset {

bool LooksLikeQv6Stream(std::span<const std::uint8_t> header) {
    for (const auto& entry : DecodeDocument(header)) {
        switch (entry.kind) {
            case CommandKind::Text:
            case CommandKind::LineFeed:
            case CommandKind::CarriageReturn:
                continue;
            case CommandKind::Unknown:
                return IsCommonCommand(entry);
            default:
                return true;  // one of the program's commands, whole or cut off by the header's end
        }
    }
    return false;
}

}  // namespace qvset
