#pragma once

#include <iosfwd>
#include <string_view>

#include "printer/MemorySpooler.h"
#include "seams/Pause.h"

namespace qvset::cli {

// The printer the dry run's spooler offers as the current one; --printer names another.
inline constexpr std::string_view kDryRunPrinter = "dry-run";

// What qvctl --dry-run sends to and waits with instead of the platform's spooler and pause: an
// in-memory spooler that takes every document, and a pause that does not wait. Each document is
// written to `out` decoded, as "document N (B bytes):" and its listing, each pause as "(pause MS ms)",
// in the order the command sent and waited, so the output reads as the command's sequence.
class DryRun final : public Pause {
  public:
    explicit DryRun(std::ostream& out);

    Spooler& GetSpooler() { return m_spooler; }
    void Wait(int milliseconds) override;

  private:
    void Show(const MemorySpooler::Document& document);

    std::ostream& m_out;
    MemorySpooler m_spooler;
    int m_shown = 0;
};

}  // namespace qvset::cli
