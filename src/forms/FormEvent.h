#pragma once

#include <string>
#include <string_view>

namespace qvset::forms {

enum class EventKind {
    Click,     // a button pressed, a check box clicked (its new tick in `checked`)
    Change,    // a text box's or combo box's text changed by the user (the new text in `text`)
    Pick,      // an entry of a combo box's list picked (its index in `index`)
    OptionOn,  // an option button switched on by the user
    Tick,      // a timer's interval came round (the timer's name in `control`)
    Close,     // the user asked the window to close (the window's name in `control`)
};

// One event of a face, named by the control it came from.
struct FormEvent {
    EventKind kind;
    std::string control;
    std::string text;
    int index = -1;
    bool checked = false;

    static FormEvent Click(std::string_view control, bool checked = false) {
        return {EventKind::Click, std::string(control), {}, -1, checked};
    }
    static FormEvent Change(std::string_view control, std::string_view text) {
        return {EventKind::Change, std::string(control), std::string(text), -1, false};
    }
    static FormEvent Pick(std::string_view control, int index) {
        return {EventKind::Pick, std::string(control), {}, index, false};
    }
    static FormEvent OptionOn(std::string_view control) {
        return {EventKind::OptionOn, std::string(control), {}, -1, true};
    }
    static FormEvent Tick(std::string_view timer) {
        return {EventKind::Tick, std::string(timer), {}, -1, false};
    }
    static FormEvent Close(std::string_view form) {
        return {EventKind::Close, std::string(form), {}, -1, false};
    }
};

}  // namespace qvset::forms
