// The page's entry points: the shell's script calls them for each event.
#include <emscripten/emscripten.h>
#include <emscripten/heap.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include <string>
#include <string_view>

#include "frontends/web/WebPage.h"

namespace {

kinpath::web::WebPage page;

// The browser's key, by its KeyboardEvent key and code, as the windows name it.
kinpath::KeyPress KeyOf(std::string_view key, std::string_view code) {
    using kinpath::KeyName;
    kinpath::KeyPress press;
    if (key.size() == 1 && key[0] >= '0' && key[0] <= '9') {
        press.key = KeyName::Digit;
        press.character = key[0];
    } else if (code.size() == 4 && code.substr(0, 3) == "Key") {
        // The letter of the key itself: Alt may have made the character another.
        press.key = KeyName::Letter;
        press.character = static_cast<char>(code[3] - 'A' + 'a');
    } else if (key == "Enter") {
        press.key = KeyName::Enter;
    } else if (key == "Escape") {
        press.key = KeyName::Escape;
    } else if (key == "Backspace") {
        press.key = KeyName::Backspace;
    } else if (key == "F5") {
        press.key = KeyName::F5;
    }
    return press;
}

}  // namespace

extern "C" {

// Starts a run on script.txt of the page's files (written by the page, or
// absent); the run before it ends first. source names a draft, "" for a
// script published inside the page; mode: 0 a visit, 1 the run kept, 2
// afresh; opening: the page has its opening screen.
EMSCRIPTEN_KEEPALIVE void KinpathStart(const char* source, int mode, int opening) {
    page.Start(source, static_cast<kinpath::web::WebPage::StartMode>(mode), opening != 0);
}

EMSCRIPTEN_KEEPALIVE void KinpathPress(int id, int focused) { page.Press(id, focused); }

// Whether the page took the key: the browser must not act on it as well.
EMSCRIPTEN_KEEPALIVE int KinpathKey(const char* key, const char* code, int ctrl, int alt, int shift,
                                    int focused) {
    kinpath::KeyPress press = KeyOf(key, code);
    press.ctrl = ctrl != 0;
    press.alt = alt != 0;
    press.shift = shift != 0;
    press.focused = focused;
    return page.Key(press) ? 1 : 0;
}

// A button of the page's box, by its place among the box's buttons; -1 for
// the box's cancel (Escape).
EMSCRIPTEN_KEEPALIVE void KinpathAnswer(int button, int focused) { page.Answer(button, focused); }

EMSCRIPTEN_KEEPALIVE void KinpathTick() { page.Tick(); }

// The most bytes of script the page may copy in: loading holds the bytes,
// the document made of them and the run, about three times the script at
// its peak, in what the heap can still grow to.
EMSCRIPTEN_KEEPALIVE double KinpathRoom() {
    const std::uintptr_t used = reinterpret_cast<std::uintptr_t>(::sbrk(0));
    const std::size_t most = emscripten_get_heap_max();
    return used < most ? static_cast<double>(most - used) / 3 : 0;
}

// The browser's Back or Forward reached a history entry of the page.
EMSCRIPTEN_KEEPALIVE void KinpathTravel() { page.Travel(); }

}  // extern "C"

int main() {
    // The page's file system starts with a mask that leaves new files without
    // any permission; the saved page is to be readable like on any system.
    ::umask(022);
    return 0;
}
