#pragma once

#include <pappl/pappl.h>

#include <span>
#include <string>
#include <string_view>

namespace qvset {

// PAPPL 1.3.1 checks a submitted document's format against "document-format-supported" among the
// printer's own static attributes, where it never puts it (it keeps it among the driver's attributes):
// so every format is accepted at submission and a job of a format the printer cannot take is aborted
// later. The mend puts the printer's formats where the check looks and takes PAPPL's own list (which
// names raster formats this printer does not take) away, so that Get-Printer-Attributes reports the one
// list once. Then Print-Job,
// Send-Document and Validate-Job refuse any other format at once with
// client-error-document-format-not-supported.
//
// The static attributes are reached through the leading members of PAPPL 1.3.1's printer structure
// (all of public types); the mend first checks that what it found there is this printer (its id and
// name), and changes nothing when it is not. True when the check now looks at `formats`.
bool MendFormatCheck(pappl_printer_t* printer, std::span<const std::string_view> formats);

// Removes one attribute from the driver's attributes of a printer (the framework offers no way to take
// a -default value away again), through the same members and with the same check. False when nothing
// was removed.
bool RemoveDriverAttribute(pappl_printer_t* printer, const char* name);

// Puts a printer attribute of texts among the driver's attributes, in place of the one of that name
// (none when `values` is empty), through the same members and with the same check: Get-Printer-Attributes
// then reports it. False when the printer's members could not be reached.
bool SetDriverTexts(pappl_printer_t* printer, const char* name, std::span<const std::string> values);

}  // namespace qvset
