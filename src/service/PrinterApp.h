#pragma once

#include <pappl/pappl.h>

namespace qvset {

// qvset-printer-app: the QV6 printer application, one IPP Everywhere front door per QV6 printer.
// Runs PAPPL's main loop with its usual sub-commands (server, add, delete, devices, drivers, printers,
// jobs, status, shutdown, options, ...), the drivers qv640 and qv650, the devices of ServiceDevices,
// raw QV6 documents passed to the device byte for byte, every document folded into the printer's state,
// and the printer's settings as qvset-* attributes. Returns the exit status.
int RunPrinterApp(int argc, char* argv[]);

}  // namespace qvset
