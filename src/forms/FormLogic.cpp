#include "forms/FormLogic.h"

#include <stdexcept>

#include "forms/NestingScope.h"

namespace qvset::forms {

FormLogic::FormLogic(const FormLayout& layout) : m_layout(layout), m_controls(layout) {}

const Drawing* FormLogic::DrawingOf(std::string_view) const {
    return nullptr;
}

View& FormLogic::TheView() {
    if (m_view == nullptr) throw std::logic_error(std::string(m_layout.name) + " has no face attached");
    return *m_view;
}

void FormLogic::Attach(View& view) {
    m_view = &view;
    m_controls.Attach(view);
    {
        const NestingScope scope(m_depth);
        Load();
        Paint();
    }
    HandlerReturned();
}

void FormLogic::PaintNow() {
    Paint();
    TheView().RepaintNow();
}

void FormLogic::OnEvent(const FormEvent& event) {
    if (m_view == nullptr) return;
    const bool ofControl = event.kind != EventKind::Tick && event.kind != EventKind::Close;
    if (ofControl && (m_layout.Find(event.control) == nullptr || !m_controls.Of(event.control).enabled))
        return;
    if (m_depth > 0) {
        DispatchNested(event);
        Paint();
        return;
    }
    m_controls.Note(event);
    {
        const NestingScope scope(m_depth);
        if (m_hooks.starts) m_hooks.starts(event);
        Dispatch(event);
        Paint();
        if (m_hooks.ends) m_hooks.ends();
    }
    HandlerReturned();
}

}  // namespace qvset::forms
