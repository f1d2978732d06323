#include "window/Screen.h"

namespace kinpath {

const ControlView* Screen::Control(int id) const {
    const int index = ControlIndex(id);
    return index < 0 ? nullptr : &controls[static_cast<std::size_t>(index)];
}

ControlView* Screen::Control(int id) {
    const int index = ControlIndex(id);
    return index < 0 ? nullptr : &controls[static_cast<std::size_t>(index)];
}

bool Screen::Usable(int id) const {
    const ControlView* control = Control(id);
    return control != nullptr && control->enabled && control->visible;
}

Screen TemplateScreen() {
    Screen screen;
    for (std::size_t i = 0; i < DialogControls.size(); ++i) {
        const ControlTemplate& t = DialogControls[i];
        // The pane's text lives in Screen::pane.
        screen.controls[i] = {t.kind == ControlKind::Pane ? "" : t.text, t.enabled, true, false};
    }
    return screen;
}

}  // namespace kinpath
