#include "printer/device/DeviceLink.h"

namespace qvset {

bool WriteDeviceDocument(const DeviceOpener& open, const DeviceAddress& address,
                         std::span<const std::uint8_t> bytes, std::chrono::milliseconds deadline,
                         std::string& problem, std::uint64_t* written) {
    if (written != nullptr) *written = 0;
    problem.clear();
    std::unique_ptr<DeviceLink> link = open ? open(address, deadline, problem) : nullptr;
    if (!link) {
        if (problem.empty()) problem = "this program cannot open such a device";
        return false;
    }
    const bool sent = link->Write(bytes) && link->Finish();
    if (written != nullptr) *written = link->Written();
    problem = sent ? std::string() : link->Problem();
    return sent;
}

}  // namespace qvset
