#pragma once

#include <pappl/pappl.h>

#include <cstddef>
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

// The bytes a device has taken so far, as the framework counts what each of its writes took. A job's
// count at its start goes to FinishDeviceJob.
std::size_t DeviceBytesTaken(pappl_device_t* device);

// Ends the current job on a device at a job's end: the framework's buffer is flushed, and the job's
// `bytes` must all have been taken since the count was `takenBefore` (the framework's flush says
// nothing of a failed write: a full disk or a closed socket is only seen in the count). Then on a
// virtual printer the bytes written since the last job's end become one job of the folder, titled
// `title`. False, with the reason, when the device did not take the job or it could not be stored.
bool FinishDeviceJob(pappl_device_t* device, std::string_view deviceUri, std::string_view title,
                     std::size_t takenBefore, std::size_t bytes, std::string& problem);

inline constexpr std::string_view kVirtualPrinterScheme = "qvprinter";
inline constexpr std::string_view kSerialScheme = "serial";

}  // namespace qvset
