#include "cli/StandardInput.h"

#include <cstdio>
#include <ios>

namespace qvset::cli {

StandardInputBuffer::int_type StandardInputBuffer::underflow() {
    if (m_closed) throw std::ios_base::failure("standard input is closed");
    const std::size_t count = std::fread(m_buffer.data(), 1, m_buffer.size(), stdin);
    if (count == 0) {
        if (std::ferror(stdin) != 0) throw std::ios_base::failure("standard input cannot be read");
        return traits_type::eof();
    }
    setg(m_buffer.data(), m_buffer.data(), m_buffer.data() + count);
    return traits_type::to_int_type(m_buffer[0]);
}

}  // namespace qvset::cli
