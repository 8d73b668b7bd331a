#pragma once

#include "cli/CommandRegistry.h"

namespace qvset::cli {

// Whether "printer-state" without a folder shows the state the record implies rather than a virtual
// printer's folder: --printer was given and names a printer that is not a virtual printer.
bool ShowsRecordedState(CliContext& context);

// "printer-state" for the record of the current printer: the state its documents imply, listed as a
// virtual printer's state is (with --json, that state's JSON).
int ShowRecordedState(CliContext& context, bool json);

}  // namespace qvset::cli
