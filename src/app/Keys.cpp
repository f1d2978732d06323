#include "app/Keys.h"

#include "text/Ascii.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath {

namespace {

constexpr int PushButtons[] = {IdOk, IdSkip, IdPrint, IdExit, IdHtml};

bool IsPushButton(int id) {
    for (const int button : PushButtons) {
        if (button == id) return true;
    }
    return false;
}

KeyDecision Press(const Screen& screen, int id) {
    return {screen.Usable(id) ? KeyAction::Press : KeyAction::None, id, true};
}

}  // namespace

KeyDecision DecideKey(const Screen& screen, const KeyPress& key) {
    // A box takes its own keys; the window gets none while it waits.
    if (screen.box || screen.ended) return {};
    const bool plain = !key.ctrl && !key.alt;
    switch (key.key) {
        case KeyName::Digit:
            if (!plain || key.character < '1' || key.character >= '1' + ChoiceButtonCount)
                return {};
            return Press(screen, IdChoice1 + (key.character - '1'));
        case KeyName::Enter:
            if (!plain) return {};
            // The focused button, else the default one.
            if (IsPushButton(key.focused) && screen.Usable(key.focused))
                return Press(screen, key.focused);
            return Press(screen, IdOk);
        case KeyName::Escape:
            // The cancel command is Exit's, whatever the button shows.
            return plain ? KeyDecision{KeyAction::Press, IdExit, true} : KeyDecision{};
        case KeyName::Letter:
            if (key.ctrl && !key.alt && FoldAscii(key.character) == 'r')
                return {KeyAction::Restart, 0, true};
            if (key.ctrl && !key.alt && FoldAscii(key.character) == 'z')
                return {KeyAction::Back, 0, true};
            if (!key.alt || key.ctrl) return {};
            for (const int id : PushButtons) {
                if (FoldAscii(AccessKey(id)) == FoldAscii(key.character)) return Press(screen, id);
            }
            return {};
        case KeyName::Backspace:
            return plain ? KeyDecision{KeyAction::Back, 0, true} : KeyDecision{};
        case KeyName::F5:
            return plain ? KeyDecision{KeyAction::Restart, 0, true} : KeyDecision{};
        case KeyName::Other:
            break;
    }
    return {};
}

}  // namespace kinpath
