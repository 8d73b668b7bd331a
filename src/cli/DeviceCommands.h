#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandRegistry.h"
#include "record/BaudFollowing.h"

namespace qvset::cli {

// The URI a --device argument stands for: a device URI as given, or the URI of a device of that name in
// the devices file. Nothing, with the problem, for a URI that cannot be read or a name the file lacks.
std::optional<std::string> ResolveDevice(const DeviceSetup& setup, const std::string& argument,
                                         std::string& problem);

// After documents to serial devices changed the printers' baud rate: with `follow` (--follow-baud) the
// devices of the devices file with that URI are set to the new rate and each change is said; without
// it, each change is said with what to send to from now on. Never silent. Returns kExitPrinterFailed
// when the devices file could not be changed, else kExitOk.
int FollowBaudChanges(const std::vector<BaudChange>& changes, const DeviceSetup* setup, bool follow,
                      Dialogs& dialogs);

// The devices of the devices file and the USB printers present, after the spooler's printer list.
void ShowDevices(const DeviceSetup& setup, std::ostream& out, std::ostream& err);
// The same as JSON: {"devicesFile", "devices": [{"name", "uri"}], "usb": [{"uri", "path", "deviceId"}]}.
nlohmann::ordered_json DevicesJson(const DeviceSetup& setup);

}  // namespace qvset::cli
