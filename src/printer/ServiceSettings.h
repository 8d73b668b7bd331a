#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer/Spooler.h"

namespace qvset {

// The printer attribute by which the QV6 printer application says, for each setting its printer's
// documents set, the command the printer last got and the document it came in: one text value a
// setting, "NAME;HEX;JOB;WHEN;SENDER" ("qvset-black-mark;1B4202;job 3 #4;2026-12-09T14:02:11Z;alice@pc7").
// The job label and the time hold no ';'; the sender, last, may.
inline constexpr const char* kSettingsSentAttribute = "qvset-settings-sent";

// One value of that attribute for `setting` (its name, command, job, when and sender; its value is not
// written: NAME-default says it).
std::string SettingSentText(const ServiceSetting& setting);
// The value read back; nullopt for a text of fewer than five fields, a name that is not a qvset-
// setting's, or a command that is no hex.
std::optional<ServiceSetting> ParseSettingSent(std::string_view text);

// The settings of a printer application's answer: NAME-default values (name, value) joined with the
// entries of kSettingsSentAttribute of the same name (command, job, when, sender), in the order of
// `defaults`. A sent entry without a default is kept too (its value then empty).
std::vector<ServiceSetting> JoinServiceSettings(std::vector<ServiceSetting> defaults,
                                                const std::vector<std::string>& sent);

}  // namespace qvset
