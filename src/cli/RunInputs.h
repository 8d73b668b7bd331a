#pragma once

#include <map>
#include <mutex>
#include <string>

#include "ticket/TicketDescription.h"
#include "ticket/TicketFiles.h"

namespace qvset::cli {

// A description file as it was read: how the read ended and what it gave.
struct DescriptionRead {
    TicketFileRead outcome = TicketFileRead::Unreadable;
    TicketDescription description;
};

// What one command line reads once for all the printers it serves: each file is read the first time a
// printer's run asks for it, and every later run of the same command line (the other printers of a
// fleet, served at once by several workers) gets what that read gave, even when the file has changed.
class RunInputs {
  public:
    DescriptionRead Description(const std::string& fileName);

  private:
    std::mutex m_lock;
    std::map<std::string, DescriptionRead> m_descriptions;
};

}  // namespace qvset::cli
