#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "printer/HexCodec.h"
#include "settings/FlagCommands.h"
#include "ticket/TicketGeometry.h"

namespace qvset::testing {

// Documents of one to three commands that each set a stored switch or a ticket distance, drawn with a
// fixed seed: later documents overwrite earlier ones, so the state they leave depends on their order.
inline std::vector<std::vector<std::uint8_t>> SettingDocuments(std::size_t count, unsigned seed) {
    std::vector<std::string> commands;
    for (const int item : {1, 2, 3, 4, 5, 6}) {
        for (const std::int16_t code : std::initializer_list<std::int16_t>{99, 88})
            commands.push_back(BuildFlagCommand(item, code));
    }
    for (int baud = 1; baud <= 8; ++baud)
        commands.push_back(BuildFlagCommand(11, static_cast<std::int16_t>(baud)));
    for (const std::uint8_t fn : std::initializer_list<std::uint8_t>{4, 6}) {
        for (const char* millimetres : {"100", "127.5", "152", "200"}) {
            commands.push_back(*BuildGeometryCommand(fn, millimetres));
        }
    }
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, commands.size() - 1);
    std::uniform_int_distribution<int> length(1, 3);
    std::vector<std::vector<std::uint8_t>> documents;
    for (std::size_t i = 0; i < count; ++i) {
        std::string hex;
        for (int n = length(random); n > 0; --n) hex += commands[pick(random)];
        documents.push_back(*DecodeHex(hex));
    }
    return documents;
}

}  // namespace qvset::testing
