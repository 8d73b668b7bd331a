#include "forms/Form3.h"

#include "forms/TicketDrawing.h"

namespace qvset::forms {

Form3::Form3() : FormLogic(Form3Layout()) {}

const Drawing* Form3::DrawingOf(std::string_view control) const {
    return control == "Picture1" ? &TicketDrawing() : nullptr;
}

void Form3::Dispatch(const FormEvent& event) {
    if (event.kind == EventKind::Click && event.control == "Command19") Command19_Click();
    if (event.kind == EventKind::Close) TheView().HideForm("Form3");
}

void Form3::Command19_Click() {
    TheView().ShowForm("Form1");
}

}  // namespace qvset::forms
