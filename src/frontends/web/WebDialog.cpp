#include "frontends/web/WebDialog.h"

#include <emscripten/emscripten.h>

#include <string_view>

#include "app/PanePositions.h"
#include "frontends/web/WebPrintSurface.h"

namespace kinpath::web {

// The page's side, in shell.html: each call makes or draws one change.
EM_JS(void, PageClear, (), { Kinpath.clear(); });
EM_JS(void, PageCreate, (int id, const char* kind, const char* text),
      { Kinpath.create(id, UTF8ToString(kind), UTF8ToString(text)); });
EM_JS(void, PageControl, (int id, const char* text, int enabled, int visible, int checked),
      { Kinpath.control(id, UTF8ToString(text), !!enabled, !!visible, !!checked); });
EM_JS(void, PageRect, (int id, int left, int top, int width, int height),
      { Kinpath.rect(id, left, top, width, height); });
EM_JS(void, PageBar, (int id, int position, int low, int high, int red, int green, int blue),
      { Kinpath.bar(id, position, low, high, red, green, blue); });
EM_JS(void, PagePane, (const char* text), { Kinpath.pane(UTF8ToString(text)); });
EM_JS(void, PageSelectAll, (), { Kinpath.selectAll(); });
EM_JS(int, PageSelectionStart, (), { return Kinpath.selection()[0]; });
EM_JS(int, PageSelectionEnd, (), { return Kinpath.selection()[1]; });
EM_JS(void, PageTicks, (int intervalMs), { Kinpath.ticks(intervalMs); });
EM_JS(void, PageOpenFile, (const char* path), { Kinpath.openFile(UTF8ToString(path)); });
EM_JS(void, PageEnded, (), { Kinpath.ended(); });
// The one call that waits: the page's modal box answers 0 OK, 1 Yes, 2 No.
EM_ASYNC_JS(int, PageBox, (const char* caption, const char* text, int yesNo),
            { return await Kinpath.box(UTF8ToString(caption), UTF8ToString(text), !!yesNo); });

namespace {

const char* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::QuestionText:
            return "question";
        case ControlKind::Choice:
            return "choice";
        case ControlKind::Pane:
            return "pane";
        case ControlKind::Label:
            return "label";
        case ControlKind::Bar:
            return "bar";
        case ControlKind::DefaultButton:
            return "default";
        case ControlKind::Button:
            break;
    }
    return "button";
}

}  // namespace

// The page's controls, made in template order, which is also their tab order.
WebDialog::WebDialog(Session& session) : MemoryDialog(session) {
    PageClear();
    for (const ControlTemplate& t : DialogControls) PageCreate(t.id, KindName(t.kind), t.text);
}

WebDialog::~WebDialog() { PageTicks(0); }

bool WebDialog::Start() {
    const bool loaded = MemoryDialog::Start();
    RunPosted();
    Draw();
    return loaded;
}

void WebDialog::Press(int id) {
    if (boxOpen_ || Ended()) return;
    MemoryDialog::Click(id);
    RunPosted();
    Draw();
}

void WebDialog::Send(int id) {
    if (boxOpen_ || Ended()) return;
    MemoryDialog::Command(id);
    RunPosted();
    Draw();
}

void WebDialog::Tick() {
    OwnDriver().Tick();
    RunPosted();
    Draw();
}

void WebDialog::RunPosted() {
    if (!boxOpen_) {
        DispatchPosted();
        return;
    }
    for (const Posted& p : PendingPosts()) {
        if (p.kind == Posted::Kind::Command || p.kind == Posted::Kind::Close ||
            p.kind == Posted::Kind::Quit)
            return;
    }
    DispatchPosted();
}

void WebDialog::Draw() {
    for (const ControlTemplate& t : DialogControls) {
        const Control* c = FindControl(t.id);
        if (!c) continue;
        auto [shown, added] = shown_.try_emplace(t.id, *c);
        if (added || !(shown->second == *c)) {
            shown->second = *c;
            // The pane's text is drawn on its own, below.
            PageControl(t.id, c->text.c_str(), c->enabled, c->visible, c->checked);
            PageRect(t.id, c->rect.left, c->rect.top, c->rect.Width(), c->rect.Height());
        }
        const Bar* bar = FindBar(t.id);
        if (!bar) continue;
        auto [shownBar, barAdded] = shownBars_.try_emplace(t.id, *bar);
        if (barAdded || !(shownBar->second == *bar)) {
            shownBar->second = *bar;
            PageBar(t.id, bar->position, bar->low, bar->high, bar->colour.red, bar->colour.green,
                    bar->colour.blue);
        }
    }
    if (std::string pane = PaneText(); pane != shownPane_) {
        shownPane_ = std::move(pane);
        PagePane(shownPane_.c_str());
    }
    if (Ended() && !endShown_) {
        endShown_ = true;
        PageEnded();
    }
}

void WebDialog::Repaint() {
    MemoryDialog::Repaint();
    Draw();
}

void WebDialog::SelectAllPane() {
    MemoryDialog::SelectAllPane();
    PageSelectAll();
}

PaneSelection WebDialog::PaneSelectionRange() const {
    // The page's text box holds the pane's text with LF line breaks and counts
    // in UTF-16 units; the seam counts characters and each break as two.
    const std::u16string units = PaneUnits(PaneText(), u"\n");
    const std::u16string_view view(units);
    const auto start = static_cast<std::size_t>(PageSelectionStart());
    const auto end = static_cast<std::size_t>(PageSelectionEnd());
    return {PanePosition(view, start), PanePosition(view, end)};
}

BoxResult WebDialog::MessageBox(BoxOwner, std::string_view text, std::string_view caption,
                                BoxButtons buttons) {
    // The page shows what the core did before the box, and the bars keep
    // moving while it is open.
    Draw();
    OwnDriver().KeepBarsMoving();
    const std::string captionText(caption);
    const std::string boxText(text);
    boxOpen_ = true;
    const int answer = PageBox(captionText.c_str(), boxText.c_str(), buttons == BoxButtons::YesNo);
    boxOpen_ = false;
    if (buttons == BoxButtons::Ok) return BoxResult::Ok;
    return answer == 1 ? BoxResult::Yes : BoxResult::No;
}

bool WebDialog::OpenFile(const std::string& path) {
    // The browser offers the file as a download, which the user may always take.
    PageOpenFile(path.c_str());
    return true;
}

std::unique_ptr<PrintSurface> WebDialog::RunPrintDialog(bool selectionAvailable) {
    // The browser's own print dialog comes once the pages are drawn; the
    // selection, when there is one, is what gets printed.
    Draw();
    return std::make_unique<WebPrintSurface>(selectionAvailable);
}

void WebDialog::StartTicks(int intervalMs) { PageTicks(intervalMs); }

void WebDialog::StopTicks() { PageTicks(0); }

}  // namespace kinpath::web
