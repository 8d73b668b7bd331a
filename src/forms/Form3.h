#pragma once

#include "forms/FormLogic.h"

namespace qvset::forms {

// The preview window "设置预览页": the drawing of the ticket geometry and the button "进入设置"
// (Command19), which shows the main window; closing it only hides it.
class Form3 final : public FormLogic {
  public:
    Form3();
    const Drawing* DrawingOf(std::string_view control) const override;

  private:
    void Dispatch(const FormEvent& event) override;
    void Command19_Click();
};

}  // namespace qvset::forms
