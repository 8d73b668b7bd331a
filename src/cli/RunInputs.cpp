#include "cli/RunInputs.h"

namespace qvset::cli {

DescriptionRead RunInputs::Description(const std::string& fileName) {
    const std::lock_guard hold(m_lock);
    const auto found = m_descriptions.find(fileName);
    if (found != m_descriptions.end()) return found->second;
    DescriptionRead read;
    read.outcome = ReadTicketFile(PathFromUtf8(fileName), read.description);
    return m_descriptions.emplace(fileName, std::move(read)).first->second;
}

}  // namespace qvset::cli
