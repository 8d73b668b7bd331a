#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "printer/device/DeviceAddress.h"

namespace qvset {

// One open device, for one document: its bytes are written whole, then Finish makes sure they left
// the machine and closes it. Each step that fails says why in Problem(), in plain words with the
// system's own reason ("connect: Connection refused"), and the link is closed; nothing is retried.
class DeviceLink {
  public:
    virtual ~DeviceLink() = default;

    // Writes every byte, waiting while the device takes them. Fails when the device went away, refused
    // the bytes, or took none for the deadline the link was opened with.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // Ends the document and closes the device: a socket is half-closed and its peer given a moment to
    // close (a reset is a failure), a serial port's output is drained first (a document is not sent
    // while bytes still wait in the driver), a file is flushed. Fails when that did not happen.
    virtual bool Finish() = 0;
    // How many bytes Write handed to the device so far.
    virtual std::uint64_t Written() const = 0;

    const std::string& Problem() const { return m_problem; }

  protected:
    std::string m_problem;
};

// Opens a device. Nothing, with the problem in words, when it cannot be opened (unknown host, refused
// connection, no such port, a line setting the port does not take). `deadline` is how long any one
// wait may take: the connection, and every wait for the device to take more bytes or drain them.
using DeviceOpener = std::function<std::unique_ptr<DeviceLink>(
    const DeviceAddress& address, std::chrono::milliseconds deadline, std::string& problem)>;

// Opens, writes every byte of one document and finishes: the whole life of a document on a device.
// False, with the problem, when any step failed; `written` tells how far the bytes got.
bool WriteDeviceDocument(const DeviceOpener& open, const DeviceAddress& address,
                         std::span<const std::uint8_t> bytes, std::chrono::milliseconds deadline,
                         std::string& problem, std::uint64_t* written = nullptr);

}  // namespace qvset
