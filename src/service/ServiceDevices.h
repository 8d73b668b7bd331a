#pragma once

#include <pappl/pappl.h>

#include <string>
#include <string_view>

namespace qvset {

// The device schemes of the printer application beside PAPPL's usb://, socket:// and file://:
//   qvprinter:/FOLDER   the virtual QV6 printer of FOLDER: each job becomes one job of the folder, as
//                       the qvprinter CUPS backend and qvprinter-listen make them (numbered after the
//                       folder's jobs, listed, then drawn by qvprinter-draw when it is installed)
//   serial:PORT?...     a serial port with its line settings, as qvctl --device reads them
//                       (serial:/dev/ttyUSB0?baud=19200&flow=rtscts)
// Added once, before the framework's main loop.
void AddServiceDeviceSchemes();

// Ends the current job on a device at a job's end: on a virtual printer the bytes written since the
// last job's end become one job of the folder, titled `title`; on every other device it only flushes.
// False, with the reason, when the job could not be stored.
bool FinishDeviceJob(pappl_device_t* device, std::string_view deviceUri, std::string_view title,
                     std::string& problem);

inline constexpr std::string_view kVirtualPrinterScheme = "qvprinter";
inline constexpr std::string_view kSerialScheme = "serial";

}  // namespace qvset
