#include "tuning/ParameterCommands.h"

#include <array>

#include "printer/HexCodec.h"

namespace qvset {
namespace {

constexpr std::string_view kFactoryTableHeader = "1B3A451A001200";
constexpr std::array<std::string_view, 12> kFactoryPairs = {"1FFF", "4200", "2200", "9200", "FF00", "8706",
                                                            "000B", "4809", "8008", "1000", "1400", "0800"};
constexpr std::array<std::uint8_t, 5> kSaveCommandCodes = {0x1B, 0x3A, 0x00, 0x00, 0x52};
constexpr std::array<std::uint8_t, 3> kModeValuePrefix = {0x1B, 0x01, 0x40};

constexpr std::string_view kCaptionHighSpeed = "高速";
constexpr std::string_view kCaptionStandard = "标准";
constexpr std::string_view kCaptionFine = "精细";

}  // namespace

std::uint8_t ModeCode(TuningMode mode) {
    switch (mode) {
        case TuningMode::HighSpeed:
            return 0x0A;
        case TuningMode::Standard:
            return 0x0B;
        case TuningMode::Fine:
            return 0x0C;
    }
    return 0x0A;
}

std::string_view ModeCaption(TuningMode mode) {
    switch (mode) {
        case TuningMode::HighSpeed:
            return kCaptionHighSpeed;
        case TuningMode::Standard:
            return kCaptionStandard;
        case TuningMode::Fine:
            return kCaptionFine;
    }
    return kCaptionHighSpeed;
}

std::string FactoryParameterTable() {
    std::string table(kFactoryTableHeader);
    for (auto pair : kFactoryPairs) table += pair;
    return table;
}

std::string FactoryConsoleText() {
    const std::string hex = FactoryParameterTable();
    std::string text;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        if (!text.empty()) text.push_back(' ');
        text += hex.substr(i, 2);
    }
    return text;
}

Bytes SaveCommand() {
    return Bytes(kSaveCommandCodes.begin(), kSaveCommandCodes.end());
}

Bytes BuildModeValueCommand(std::uint8_t modeCode, std::uint8_t value, std::uint8_t flag) {
    Bytes command(kModeValuePrefix.begin(), kModeValuePrefix.end());
    for (char c : kCommandSignature) command.push_back(static_cast<std::uint8_t>(c));
    command.push_back(modeCode);
    command.push_back(value);
    command.push_back(flag);
    return command;
}

void RestoreFactoryParameters(PrintChannel& channel, Pause& pause) {
    channel.SendBytes(SaveCommand());
    pause.Wait(kTableLeadPauseMs);
    channel.SendHex(FactoryParameterTable());
    pause.Wait(kTableTrailPauseMs);
    channel.SendBytes(SaveCommand());
}

}  // namespace qvset
