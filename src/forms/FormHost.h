#pragma once

#include <string_view>

namespace qvset::forms {

// What a window's face asks of the program around it: to show or hide one of the program's windows, or
// to end the program at once.
class FormHost {
  public:
    virtual ~FormHost() = default;
    virtual void ShowForm(std::string_view form) = 0;
    virtual void HideForm(std::string_view form) = 0;
    virtual void EndProgram() = 0;
};

}  // namespace qvset::forms
