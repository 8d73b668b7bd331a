#pragma once

#include <string>

#include "printer/ForwardingSpooler.h"

namespace qvset {

// Sends to a named printer instead of the default one, without changing the default: the command
// line's --printer option. Everything else is passed through.
class PrinterOverrideSpooler final : public ForwardingSpooler {
  public:
    PrinterOverrideSpooler(Spooler& inner, std::string deviceName)
        : ForwardingSpooler(inner), m_deviceName(std::move(deviceName)) {}

    std::string CurrentPrinter() override { return m_deviceName; }

  private:
    std::string m_deviceName;
};

}  // namespace qvset
