#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "printer/device/DeviceLink.h"

namespace qvset::testing {

// Devices in memory: every document that reached the end of a device, every step in one log in order
// ("open URI", "write URI N", "finish URI"), and ways to fail at each step. A URI is the address's
// DeviceUriOf, with a serial port's settings. Several threads (a fleet's workers) may use it at once.
class FakeDevices {
  public:
    struct Failure {
        std::string openProblem;            // the open fails with it
        std::size_t writeAfter = SIZE_MAX;  // the device goes away after taking this many bytes
        std::string finishProblem;          // the finish fails with it (a reset)
    };

    DeviceOpener Opener() {
        return [this](const DeviceAddress& address, std::chrono::milliseconds deadline,
                      std::string& problem) -> std::unique_ptr<DeviceLink> {
            const std::string uri = DeviceUriOf(address);
            const std::lock_guard guard(lock);
            log.push_back("open " + uri);
            deadlines.push_back(deadline);
            const Failure failure = failures.count(uri) != 0 ? failures.at(uri) : Failure{};
            if (!failure.openProblem.empty()) {
                problem = failure.openProblem;
                return nullptr;
            }
            return std::make_unique<Link>(*this, uri, failure);
        };
    }

    std::mutex lock;
    std::map<std::string, Failure> failures;
    std::vector<std::string> log;
    std::vector<std::chrono::milliseconds> deadlines;
    // The documents each device finished, by URI.
    std::map<std::string, std::vector<std::vector<std::uint8_t>>> documents;

  private:
    class Link final : public DeviceLink {
      public:
        Link(FakeDevices& devices, std::string uri, Failure failure)
            : m_devices(devices), m_uri(std::move(uri)), m_failure(std::move(failure)) {}
        bool Write(std::span<const std::uint8_t> bytes) override {
            const std::lock_guard guard(m_devices.lock);
            m_devices.log.push_back("write " + m_uri + " " + std::to_string(bytes.size()));
            for (const std::uint8_t byte : bytes) {
                if (m_bytes.size() >= m_failure.writeAfter) {
                    m_problem = "write: Input/output error";
                    return false;
                }
                m_bytes.push_back(byte);
            }
            return true;
        }
        bool Finish() override {
            const std::lock_guard guard(m_devices.lock);
            m_devices.log.push_back("finish " + m_uri);
            if (!m_failure.finishProblem.empty()) {
                m_problem = m_failure.finishProblem;
                return false;
            }
            m_devices.documents[m_uri].push_back(m_bytes);
            return true;
        }
        std::uint64_t Written() const override { return m_bytes.size(); }

      private:
        FakeDevices& m_devices;
        std::string m_uri;
        Failure m_failure;
        std::vector<std::uint8_t> m_bytes;
    };
};

}  // namespace qvset::testing
