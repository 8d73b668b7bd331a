#pragma once

#include <functional>
#include <string_view>

#include "forms/Drawing.h"
#include "forms/FormEvent.h"
#include "forms/FormLayout.h"
#include "forms/ShownControls.h"
#include "forms/View.h"

namespace qvset::forms {

// The logic of one window, without a toolkit. A face builds every control of Layout() in its
// initial state, calls Attach once, forwards each user event with OnEvent and applies the view calls
// the logic makes. The logic runs the handler of the event's control, then tells the view what changed.
class FormLogic {
  public:
    // What the program around the window is told of each handler the window runs for an event of its
    // face; an event that arrives while a handler runs starts none.
    struct HandlerHooks {
        // Before the handler runs, once the face's own change (a typed text, a new tick) was noted.
        std::function<void(const FormEvent&)> starts;
        // After it ran and the window was painted, still within it: a message box shown here waits as
        // the handler's own boxes do (a tick only moves the clock, other input waits).
        std::function<void()> ends;
    };

    explicit FormLogic(const FormLayout& layout);
    virtual ~FormLogic() = default;
    FormLogic(const FormLogic&) = delete;
    FormLogic& operator=(const FormLogic&) = delete;

    const FormLayout& Layout() const { return m_layout; }

    // Connects the face, runs the window's start-up and paints its result.
    void Attach(View& view);

    // One event of the face. An event of a disabled control is ignored. An event that arrives while a
    // handler is still running (a tick during a pause or while a message box is open) is not a new
    // handler: the window decides what of it to take.
    void OnEvent(const FormEvent& event);

    void SetHandlerHooks(HandlerHooks hooks) { m_hooks = std::move(hooks); }

    // What the face shows of a control, as far as the logic knows.
    const ControlState& Shown(std::string_view control) const { return m_controls.Of(control); }

    // The drawing a Drawing control shows; nullptr for any other control.
    virtual const Drawing* DrawingOf(std::string_view control) const;

  protected:
    // The window's start-up (Form_Load), before it is first shown.
    virtual void Load() {}
    virtual void Dispatch(const FormEvent& event) = 0;
    virtual void DispatchNested(const FormEvent&) {}
    // Shows the models' state through Controls(); runs after every event and before every block.
    virtual void Paint() {}
    // After the outermost handler has returned.
    virtual void HandlerReturned() {}

    View& TheView();
    ShownControls& Controls() { return m_controls; }
    bool Attached() const { return m_view != nullptr; }
    // Paints and has the view show it before the handler blocks.
    void PaintNow();

  private:
    const FormLayout& m_layout;
    ShownControls m_controls;
    View* m_view = nullptr;
    int m_depth = 0;
    HandlerHooks m_hooks;
};

}  // namespace qvset::forms
