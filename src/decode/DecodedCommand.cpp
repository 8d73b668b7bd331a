#include "decode/DecodedCommand.h"

namespace qvset {

std::string_view CommandKindName(CommandKind kind) {
    switch (kind) {
        case CommandKind::Flag:
            return "flag";
        case CommandKind::Geometry:
            return "geometry";
        case CommandKind::ParameterTable:
            return "parameter-table";
        case CommandKind::Save:
            return "save";
        case CommandKind::SelfTest:
            return "self-test";
        case CommandKind::ModeValue:
            return "mode-value";
        case CommandKind::BitImage:
            return "bit-image";
        case CommandKind::FeedForward:
            return "feed-forward";
        case CommandKind::FeedBack:
            return "feed-back";
        case CommandKind::LineFeed:
            return "line-feed";
        case CommandKind::CarriageReturn:
            return "carriage-return";
        case CommandKind::FormFeed:
            return "form-feed";
        case CommandKind::Text:
            return "text";
        case CommandKind::Unknown:
            return "unknown";
    }
    return "unknown";
}

std::optional<std::int64_t> DecodedCommand::Number(std::string_view name) const {
    for (const auto& field : fields) {
        if (field.name == name) {
            if (const auto* number = std::get_if<std::int64_t>(&field.value)) return *number;
        }
    }
    return std::nullopt;
}

std::optional<bool> DecodedCommand::Flag(std::string_view name) const {
    for (const auto& field : fields) {
        if (field.name == name) {
            if (const auto* flag = std::get_if<bool>(&field.value)) return *flag;
        }
    }
    return std::nullopt;
}

std::optional<std::string> DecodedCommand::Text(std::string_view name) const {
    for (const auto& field : fields) {
        if (field.name == name) {
            if (const auto* text = std::get_if<std::string>(&field.value)) return *text;
        }
    }
    return std::nullopt;
}

}  // namespace qvset
