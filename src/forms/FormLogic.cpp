#include "forms/FormLogic.h"

#include <stdexcept>

namespace qvset::forms {

namespace {

// Counts a handler in progress for as long as it runs, however it leaves.
class HandlerScope {
  public:
    explicit HandlerScope(int& depth) : m_depth(depth) { ++m_depth; }
    ~HandlerScope() { --m_depth; }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

  private:
    int& m_depth;
};

}  // namespace

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
        const HandlerScope scope(m_depth);
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
        const HandlerScope scope(m_depth);
        if (m_hooks.starts) m_hooks.starts(event);
        Dispatch(event);
        Paint();
        if (m_hooks.ends) m_hooks.ends();
    }
    HandlerReturned();
}

}  // namespace qvset::forms
