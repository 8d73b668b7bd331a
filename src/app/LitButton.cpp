#include "app/LitButton.h"

#include <QPalette>
#include <QPushButton>

namespace qvset::app {

void SetLit(QPushButton* button, bool lit) {
    if (lit) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::Button, kLitColour);
        button->setPalette(palette);
    } else {
        // An empty palette drops the button's own colour, so it inherits the system's again.
        button->setPalette(QPalette());
    }
}

bool IsLit(const QPushButton* button) {
    return button->testAttribute(Qt::WA_SetPalette) &&
           button->palette().color(QPalette::Button) == kLitColour;
}

}  // namespace qvset::app
