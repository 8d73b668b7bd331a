#pragma once

#include "forms/FormLogic.h"

namespace qvset::forms {

// The help window "说明": a heading and seven numbered lines, nothing to click. Non-modal; the main
// window's "帮助" shows it, and closing it only hides it until the next "帮助".
class Form2 final : public FormLogic {
  public:
    Form2() : FormLogic(Form2Layout()) {}

  private:
    void Dispatch(const FormEvent& event) override {
        if (event.kind == EventKind::Close) TheView().HideForm("Form2");
    }
};

}  // namespace qvset::forms
