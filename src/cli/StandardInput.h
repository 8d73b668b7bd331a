#pragma once

#include <array>
#include <streambuf>

namespace qvset::cli {

// Standard input as a stream buffer that says when it could not be read. A read that fails (standard
// input is a folder, or was closed when qvctl started) throws from underflow, which an istream turns
// into badbit; std::cin would report the same as the end of an empty input.
class StandardInputBuffer final : public std::streambuf {
  public:
    // `closed`: standard input was closed at start-up (HoldClosedStandardInput), so every read fails.
    explicit StandardInputBuffer(bool closed) : m_closed(closed) {}

  protected:
    int_type underflow() override;

  private:
    bool m_closed;
    std::array<char, 1 << 16> m_buffer{};
};

}  // namespace qvset::cli
