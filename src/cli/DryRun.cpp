#include "cli/DryRun.h"

#include <ostream>
#include <string_view>

#include "decode/Listing.h"

namespace qvset::cli {
DryRun::DryRun(std::ostream& out) : m_out(out), m_spooler({{std::string(kDryRunPrinter), "", ""}}) {
    m_spooler.OnDocument([this](const MemorySpooler::Document& document) { Show(document); });
}

void DryRun::Wait(int milliseconds) {
    m_out << "(pause " << milliseconds << " ms)\n";
}

void DryRun::Show(const MemorySpooler::Document& document) {
    m_out << "document " << ++m_shown << " (" << document.bytes.size()
          << (document.bytes.size() == 1 ? " byte" : " bytes") << "):\n"
          << RenderListing(document.bytes);
    // The spooler keeps nothing: a long command is not held in memory twice.
    m_spooler.ClearDocuments();
}

}  // namespace qvset::cli
