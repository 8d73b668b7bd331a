#pragma once

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace qvset::testing {

// Switches the whole process to a locale whose decimal separator is a comma, as a window toolkit does
// at start-up under LANG=de_DE.UTF-8, and back to the locale before when the test ends. A machine
// without that locale fails the test: scripts/install-deps.sh generates it.
class DecimalCommaLocale : public ::testing::Test {
  protected:
    void SetUp() override {
        m_before = std::setlocale(LC_ALL, nullptr);
#ifdef _WIN32
        const char* name = std::setlocale(LC_ALL, "German_Germany.1252");
#else
        const char* name = std::setlocale(LC_ALL, "de_DE.UTF-8");
#endif
        ASSERT_NE(name, nullptr) << "the German locale is missing; run scripts/install-deps.sh";
        ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    }
    void TearDown() override {
        std::setlocale(LC_ALL, m_before.c_str());
    }

  private:
    std::string m_before;
};

}  // namespace qvset::testing
