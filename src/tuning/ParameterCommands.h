#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "printer/PrintChannel.h"
#include "seams/Pause.h"

namespace qvset {

using Bytes = std::vector<std::uint8_t>;

// The three tuning modes, in the order every job lists them.
enum class TuningMode { HighSpeed, Standard, Fine };
inline constexpr TuningMode kTuningModes[] = {TuningMode::HighSpeed, TuningMode::Standard, TuningMode::Fine};

// Mode code of the mode value command: 0x0A high speed, 0x0B standard, 0x0C fine.
std::uint8_t ModeCode(TuningMode mode);
// Caption of the mode's option button: "高速", "标准", "精细".
std::string_view ModeCaption(TuningMode mode);

// Flag byte of the mode value command.
inline constexpr std::uint8_t kStoreFlag = 0x00;
inline constexpr std::uint8_t kTestFlag = 0xFF;

// Five printable characters (two capitals, three digits) that the printer expects in every mode value
// command after ESC 01 '@'.
inline constexpr std::string_view kCommandSignature = "QV600";

// The factory parameter table as a hex command string: ESC ':' 'E', the count 26 (little endian), the
// fixed word 0x0012 and twelve opaque data pairs. Sent unchanged; never decoded or edited.
std::string FactoryParameterTable();

// The same 31 bytes for the console: upper-case pairs separated by single blanks.
std::string FactoryConsoleText();

// ESC ':' NUL NUL 'R': stores the printer's parameters. Sent alone or at the very end of a job.
Bytes SaveCommand();

// ESC 01 '@', the signature, mode code, value byte, flag: eleven bytes.
Bytes BuildModeValueCommand(std::uint8_t modeCode, std::uint8_t value, std::uint8_t flag);

// Command7 "恢复出厂": SaveCommand, 2,500 ms, the factory table, 1,000 ms, SaveCommand; three documents.
void RestoreFactoryParameters(PrintChannel& channel, Pause& pause);

// Pauses around a parameter table: after the first SaveCommand and before the second.
inline constexpr int kTableLeadPauseMs = 2500;
inline constexpr int kTableTrailPauseMs = 1000;

}  // namespace qvset
