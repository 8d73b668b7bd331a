#pragma once

namespace qvset::forms {

// Counts one level of `depth` for as long as it lives, however the scope is left (a return, an
// exception): a handler in progress, or a face applying the logic's calls.
class NestingScope {
  public:
    explicit NestingScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~NestingScope() { --m_depth; }
    NestingScope(const NestingScope&) = delete;
    NestingScope& operator=(const NestingScope&) = delete;

  private:
    int& m_depth;
};

}  // namespace qvset::forms
