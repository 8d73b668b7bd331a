#include "record/BaudFollowing.h"

#include <algorithm>
#include <utility>

#include "decode/CommandDecoder.h"
#include "decode/PrinterState.h"
#include "printer/device/DeviceAddress.h"
#include "ticket/Catalogue.h"

namespace qvset {
namespace {

constexpr int kBaseRate = 9600;
// ESC 'B' n: the switch's n is the command's third byte.
constexpr std::size_t kSwitchByte = 2;

}  // namespace

std::optional<int> BaudRateSetBy(std::span<const std::uint8_t> document) {
    PrinterState state;
    state.Apply(DecodeDocument(document), "");
    const auto baud = state.Switches().find(kItemBaudRate);
    if (baud == state.Switches().end() || baud->second.bytes.size() <= kSwitchByte) return std::nullopt;
    const std::uint8_t n = baud->second.bytes[kSwitchByte];
    for (const SwitchChoice& choice : SwitchChoices()) {
        // The command line's word of a baud choice is its multiple of 9600.
        if (choice.item == kItemBaudRate && choice.n == n)
            return kBaseRate * std::stoi(std::string(choice.choiceWord));
    }
    return std::nullopt;
}

bool BaudFollowingSpooler::WriteRawDocument(const std::string& deviceName, std::string_view documentName,
                                            std::span<const std::uint8_t> payload) {
    const bool taken = Inner().WriteRawDocument(deviceName, documentName, payload);
    std::string problem;
    auto address =
        taken && LooksLikeDeviceUri(deviceName) ? ParseDeviceUri(deviceName, problem) : std::nullopt;
    if (!address || address->kind != DeviceKind::Serial) return taken;
    const auto rate = BaudRateSetBy(payload);
    if (!rate) return taken;
    const auto known = std::find_if(m_changes.begin(), m_changes.end(),
                                    [&](const BaudChange& change) { return change.uri == deviceName; });
    if (*rate == address->serial.baud) {
        // Set back to the URI's own rate: nothing to follow any more.
        if (known != m_changes.end()) m_changes.erase(known);
        return taken;
    }
    address->serial.baud = *rate;
    BaudChange change{deviceName, *rate, DeviceUriOf(*address)};
    if (known != m_changes.end()) {
        *known = change;
    } else {
        m_changes.push_back(change);
    }
    return taken;
}

std::vector<BaudChange> BaudFollowingSpooler::TakeChanges() {
    return std::exchange(m_changes, {});
}

}  // namespace qvset
