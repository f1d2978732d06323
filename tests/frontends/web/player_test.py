"""The page as players meet it, found by role and accessible name: Back and
the browser's history, a reload that resumes, a draft that keeps its place,
one run at a time, scripts that are none, the keys of the buttons.

Each case gets the Case of web_test.py; web_test.py runs them with its own.
"""

import os

from web_test import file_url, wait_for


def script_of(questions, points="wizpts=5", final=""):
    """A script of questions named Q1 ... with two choices each ("Yes n",
    "No n"), the first worth points."""
    text = ""
    for n in range(1, questions + 1):
        text += ("<QUESTION>\nname=Q%d\ntext=Yes %d\ntext=No %d\n<ANSWER>\ntype=1\n"
                 "explanationtext=Yes to %d.\n%s\n</ANSWER>\n<ANSWER>\ntype=2\nbarbpts=3\n"
                 "</ANSWER>\n</QUESTION>\n" % (n, n, n, n, points))
    return text + final


def sample(t):
    with open(os.path.join(t.args.examples, "script.txt"), encoding="utf-8") as f:
        return f.read()


def questions(script):
    return sum(1 for line in script.splitlines() if line.strip() == "<QUESTION>")


def at(t, number, count):
    wait_for(lambda: t.progress() == "Question %d of %d" % (number, count),
             what="question %d of %d" % (number, count))


def choices(t):
    """The names of the choices on screen, in order."""
    return t.js("return [...document.querySelectorAll('#choices label:not([hidden])')]"
                ".map(l => l.textContent)")


def choose(t, answers):
    """Each answer a choice number, or 's' to skip, by role and name."""
    for a in answers:
        wait_for(lambda: t.usable("button", "Skip") or t.box(), what="a question")
        if a == "s":
            t.press("button", "Skip")
        else:
            t.press("radio", choices(t)[a - 1])
            t.press("button", "OK")


def checked(t):
    return [n for r, n, _, p in t.ax_nodes() if r == "radio" and p.get("checked") == "true"]


def focus(t, role, name):
    element = wait_for(lambda: t.find_role(role, name), what="%s %r" % (role, name))
    t.js("arguments[0].focus()", element)


def ended(t):
    return t.js("return !document.getElementById('end').hidden")


# --- Back and the browser's history

def test_back_and_the_browsers_history_step_through_the_questions(t):
    script = sample(t)
    n = questions(script)
    t.open(t.serve(t.folder("back", script)).url)
    at(t, 1, n)
    assert t.focused() == ("radio", choices(t)[0]), t.focused()
    assert not t.usable("button", "Back")  # nothing to take back yet
    choose(t, [1, 2, 1])
    at(t, 4, n)
    third = None
    t.rest()
    t.press("button", "Back")
    at(t, 3, n)
    # At once, and exact: no bar moves, the answer given stands checked.
    assert t.js("return window.__intervals.size") == 0
    third = choices(t)[0]
    assert checked(t) == [third] and t.focused() == ("radio", third), (checked(t), t.focused(), third, t.js("return document.activeElement.outerHTML"))
    t.browser.keys("Backspace")
    at(t, 2, n)
    t.browser.back()
    at(t, 1, n)
    t.browser.forward()
    at(t, 2, n)
    assert checked(t) == [choices(t)[1]]
    t.browser.forward()
    at(t, 3, n)
    # In the report Backspace is the text box's.
    t.js("document.querySelector('textarea').focus()")
    t.browser.keys("Backspace")
    assert t.progress() == "Question 3 of %d" % n
    # A new answer where one was taken back: the page equals a straight run's.
    answers = [1, 2, 2] + [(i % 2) + 1 for i in range(n - 3)]
    choose(t, answers[2:])
    assert t.saved_page() == t.cli_page(script, [str(a) for a in answers])
    # From the results Back returns to the last question.
    t.press("button", "Back")
    at(t, n, n)


def test_a_reload_resumes_the_run_and_another_script_starts_afresh(t):
    folder = t.folder("resume", None, page=False)
    first, second = script_of(4), script_of(3, "clrpts=7")
    with open(os.path.join(folder, "quiz.txt"), "w", encoding="utf-8") as f:
        f.write(first)
    assert t.cli(folder, [], "--publish", "quiz.txt").returncode == 0
    url = file_url(os.path.join(folder, "quiz.html"))
    t.open(url)
    choose(t, [1, 2, "s"])
    at(t, 4, 4)
    t.browser.refresh()
    at(t, 4, 4)
    assert t.box() is None
    t.rest()
    assert t.js("return window.__ticks") == 0  # resumed at once, the bars standing
    t.press("button", "Back")
    at(t, 3, 4)
    t.browser.refresh()
    at(t, 3, 4)
    t.browser.forward()
    at(t, 4, 4)
    choose(t, [1])
    assert t.saved_page() == t.cli_page(first, ["1", "2", "s", "1"])
    # Published again with other questions: the same address starts afresh.
    with open(os.path.join(folder, "quiz.txt"), "w", encoding="utf-8") as f:
        f.write(second)
    assert t.cli(folder, [], "--publish", "quiz.txt").returncode == 0
    t.browser.refresh()
    at(t, 1, 3)
    assert t.box() is None


def test_a_draft_reloaded_after_an_edit_keeps_the_answers_before_the_change(t):
    folder = t.folder("draft", script_of(5))
    t.open(t.serve(folder).url)
    choose(t, [1, 2, 1, 1])
    at(t, 5, 5)
    t.browser.refresh()
    at(t, 5, 5)
    assert t.box() is None

    def write(text):
        with open(os.path.join(folder, "script.txt"), "w", encoding="utf-8") as f:
            f.write(text)

    # Cut short for a moment (an editor writing it): the results of what is
    # left, and every answer back once the draft is whole again.
    write(script_of(2))
    t.browser.refresh()
    wait_for(t.box, what="the box that says the draft ends sooner")
    assert t.box()[1] == ("script.txt was read again.\nIt now ends after question 2: the results "
                          "count your answers up to it.\nYour other answers were kept: they come "
                          "back when it is read again with its questions."), t.box()
    t.answer_box("OK")
    write(script_of(5))
    t.browser.refresh()
    at(t, 5, 5)
    assert t.box() is None and checked(t) == []

    edited = script_of(5).replace("name=Q3\n", "name=Q3, reworded\n")
    write(edited)
    t.browser.refresh()
    wait_for(t.box, what="the box that says where the run stopped")
    assert t.box() == ["Kinpath", "script.txt was read again.\nIt has changed from question 3 "
                       "on: your answers before it were kept.", ["OK"]], t.box()
    t.answer_box("OK")
    at(t, 3, 5)
    assert t.js("return document.getElementById('c1008').textContent") == "Q3, reworded"
    choose(t, [2, 2, 2])
    assert t.saved_page() == t.cli_page(edited, ["1", "2", "2", "2", "2"])

    # A file of one's own, picked again after a reload, goes on where it was.
    mine = os.path.join(t.folder("picked", None), "mine.txt")
    with open(mine, "w", encoding="utf-8") as f:
        f.write(script_of(4))
    t.open(file_url(os.path.join(os.path.dirname(mine), "index.html")))
    t.browser.type_into("#picker", mine)
    choose(t, [1, 1])
    at(t, 3, 4)
    t.browser.refresh()
    wait_for(lambda: t.js("return !document.getElementById('source').hidden"), what="the picker")
    t.browser.type_into("#picker", mine)
    at(t, 3, 4)


def test_the_pages_back_never_leaves_the_page(t):
    # Chromium keeps 50 entries a tab: a run of 60 steps after another page
    # loses some of its own, then a draft edited at question 6 is reloaded.
    folder = t.folder("long", script_of(60))
    server = t.serve(folder)
    t.browser.fresh_tab()
    t.browser.go(server.url + "script.txt")
    t.open(server.url, resume=True)
    for edit in (True, False):
        at(t, 1, 60)
        t.browser.keys(*["1", "Enter"] * 59)
        at(t, 60, 60)
        if edit:
            with open(os.path.join(folder, "script.txt"), "w", encoding="utf-8") as f:
                f.write(script_of(60).replace("name=Q6\n", "name=Q6, reworded\n"))
            t.browser.refresh()
            t.answer_box("OK")
        # The browser's entry is the step's, not one it no longer has.
        assert t.js("return history.state.depth") == (5 if edit else 59)
        for number in range(6 if edit else 60, 1, -1):
            at(t, number, 60)
            t.browser.keys("Backspace")
        at(t, 1, 60)
        assert t.js("return location.href") == server.url


# --- Starting

def test_one_run_at_a_time(t):
    script = sample(t)
    n = questions(script)
    server = t.serve(t.folder("starts", script))
    t.open(server.url)
    at(t, 1, n)
    # Two thousand starts, each ending the run before it cleanly; then OK
    # (in four calls, each within WebDriver's time for a script on a busy machine).
    for _ in range(4):
        t.js("for (let i = 0; i < 500; ++i) Module.ccall('KinpathStart', null, ['string'], [''])")
    choose(t, [1])
    at(t, 2, n)
    assert t.js("return window.__errors") == []
    # "Start again" while script.txt is on its way starts no second load.
    t.browser.keys("Escape")
    t.answer_box("Leave")
    wait_for(lambda: ended(t), what="the end")
    loads = server.requests.count("/script.txt")
    server.hold("/script.txt")
    t.js("const again = document.getElementById('again'); again.click(); again.click()")
    wait_for(lambda: t.js("return !document.getElementById('loading').hidden"), what="loading")
    wait_for(lambda: server.requests.count("/script.txt") == loads + 1, what="the load")
    server.release("/script.txt")
    at(t, 1, n)
    assert server.requests.count("/script.txt") == loads + 1


def missing_boxes(t):
    """The boxes kinpath-cli shows where script.txt is missing."""
    return t.cli(t.folder("cli-missing-%d" % len(os.listdir(t.scratch)), None, page=False),
                 []).stderr.decode().splitlines()


def shown_boxes(t, count):
    shown = []
    while len(shown) < count:
        caption, text, _ = wait_for(t.box, what="a box")
        shown.append("%s: %s" % (caption, text))
        t.answer_box("OK")
    return shown


def test_what_is_no_script_shows_the_boxes_of_a_missing_one(t):
    expected = missing_boxes(t)
    # script.txt a folder, served as its listing; a host's "not found" page
    # answered with 200; both are no script.
    listing = t.folder("listing")
    os.mkdir(os.path.join(listing, "script.txt"))
    assert t.cli(listing, []).stderr.decode().splitlines() == expected
    server = t.serve(listing)
    t.open(server.url)
    assert shown_boxes(t, len(expected)) == expected
    wait_for(lambda: ended(t), what="the end")
    # No placeholder ever showed: the window stayed hidden behind the boxes.
    assert t.js("return document.getElementById('window').hidden")
    host = t.serve(t.folder("host"))
    for kind, body in (("text/html", b"<!DOCTYPE html><title>Not found</title>"),
                       ("text/plain", b"404: Not Found")):
        host.pages["/script.txt"] = (kind, body)
        t.open(host.url)
        assert shown_boxes(t, len(expected)) == expected
    # A picked file that cannot be read, and one that would not fit in the
    # page's memory (here made small: the rest of it taken).
    mine = os.path.join(t.folder("unreadable", None), "mine.txt")
    with open(mine, "w", encoding="utf-8") as f:
        f.write(script_of(2500))
    for spoil in ("File.prototype.arrayBuffer = () => Promise.reject(new DOMException('no', "
                  "'NotReadableError'))", "Module._malloc(Module._KinpathRoom() * 3 - 6e5)"):
        t.open(file_url(os.path.join(os.path.dirname(mine), "index.html")))
        t.js(spoil)
        t.browser.type_into("#picker", mine)
        assert shown_boxes(t, len(expected)) == expected


# --- Keys and bytes

def test_keys_press_the_focused_button_and_the_download_keeps_its_bytes(t):
    # A Windows-1252 script: its bytes reach the questionnaire as they are.
    script = script_of(3).replace("name=Q1", "name=Caf\u00e9 or th\u00e9?").replace(
        "Yes to 1.", "Na\u00efve, 10 \u20ac.").encode("cp1252")
    server = t.serve(t.folder("keys", script))
    t.open(server.url)
    at(t, 1, 3)
    assert t.control(1008)["text"] == "Caf\u00e9 or th\u00e9?"
    focus(t, "button", "Skip")
    t.browser.keys("Enter")
    at(t, 2, 3)
    # Exit before the results asks first, by Enter on it or by its access key.
    focus(t, "button", "Exit")
    t.browser.keys("Enter")
    wait_for(t.box, what="the question before leaving")
    assert t.box() == ["Kinpath", "Leave the questionnaire? Your answers will be lost.",
                       ["Leave", "Stay"]]
    assert t.focused() == ("button", "Stay"), (t.focused(), t.js("return document.activeElement.outerHTML"))
    t.browser.keys("Escape")  # Escape stays
    wait_for(lambda: t.box() is None, what="the box to go")
    assert t.focused() == ("button", "Exit") and t.progress() == "Question 2 of 3", (t.focused(), t.progress())
    t.browser.keys("Alt+x")
    wait_for(t.box, what="the question before leaving")
    t.answer_box("Leave")
    wait_for(lambda: ended(t), what="the end")
    t.press("button", "Start again")
    at(t, 1, 3)
    choose(t, [1, 2, 1])
    # The download holds the page's own Windows-1252 bytes.
    saved = t.saved_page()
    assert saved == t.cli_page(script, ["1", "2", "1"]) and b"Na\xefve, 10 \x80." in saved
    # After the results Exit ends at once.
    focus(t, "button", "Exit")
    t.browser.keys("Enter")
    wait_for(lambda: ended(t), what="the end")


# --- Where am I, the results, the device

SIZES = ((1280, 800), (375, 667), (667, 375))

# Rectangles and reading order of what the page shows, in CSS pixels.
RECT = "const r = arguments[0].getBoundingClientRect(); return [r.left, r.top, r.width, r.height];"


def rect(t, role, name):
    element = wait_for(lambda: t.find_role(role, name), what="%s %r" % (role, name))
    return t.js(RECT, element)


def size(t, width, height, scale=1):
    t.emulate("Emulation.setDeviceMetricsOverride", width=width, height=height,
              deviceScaleFactor=scale, mobile=width < 700)


def tab_order(t, count):
    """Where the focus goes on each of count Tabs: [(name, left, top)]."""
    order = []
    for _ in range(count):
        t.browser.keys("Tab")
        order.append(t.js("const e = document.activeElement, r = e.getBoundingClientRect();"
                          "return [(e.labels && e.labels[0] || e).textContent, r.left, r.top]"))
    return order


def in_reading_order(places):
    """Each place below the one before, or beside it to the right."""
    return all(b[2] > a[2] + 4 or (abs(b[2] - a[2]) <= 4 and b[1] > a[1])
               for a, b in zip(places, places[1:]))


def test_players_know_where_they_are_and_the_buttons_stay_put(t):
    script = sample(t)
    n = questions(script)
    server = t.serve(t.folder("where", script))
    try:
        for width, height in SIZES:
            size(t, width, height)
            t.open(server.url)
            at(t, 1, n)
            # "Question 1 of 36" above the question, read out as it changes.
            assert any(r == "status" and "Question 1 of %d" % n in (name or "") + (value or "")
                       for r, name, value, _ in t.ax_nodes()) or t.js(
                "return document.getElementById('progress').getAttribute('role')") == "status"
            progress = t.js(RECT, t.js("return document.getElementById('progress')"))
            question = t.js(RECT, t.js("return document.getElementById('c1008')"))
            assert progress[1] + progress[3] <= question[1] + 1, (progress, question)
            assert t.focused() == ("radio", choices(t)[0])
            places = {}
            for answer in [1] * 7:
                count = len(choices(t))
                # As many choices as the question has, none empty.
                assert len([1 for r, _, _, _ in t.ax_nodes() if r == "radio"]) == count
                places.setdefault("OK", set()).add(tuple(round(v) for v in rect(t, "button", "OK")[:2]))
                choose(t, [answer])
                # The next question in sight, its first choice focused, nothing scrolled.
                assert t.js("return scrollY") == 0
                top = t.js(RECT, t.js("return document.getElementById('c1008')"))[1]
                assert 0 <= top < height, top
                assert t.focused() == ("radio", choices(t)[0]), t.focused()
            # The button row stands in one place whatever the number of choices.
            assert len(places["OK"]) == 1, places
            ok, skip, back = (rect(t, "button", b) for b in ("OK", "Skip", "Back"))
            assert abs(ok[1] - skip[1]) < 2 and abs(skip[1] - back[1]) < 2
            if width < 700:
                # Tap targets of a phone: 44 by 44 CSS pixels at least.
                targets = t.js("return [...document.querySelectorAll('#window button, #choices label')]"
                               ".filter(e => e.getClientRects().length)"
                               ".map(e => [e.textContent, e.offsetWidth, e.offsetHeight])")
                assert all(w >= 44 and h >= 44 for _, w, h in targets), targets
            # Tab follows what the eye sees: from the choice on.
            t.js("document.querySelector('#choices input:not([disabled])').focus()")
            assert in_reading_order(tab_order(t, 4)), tab_order(t, 4)
    finally:
        t.emulate("Emulation.clearDeviceMetricsOverride")


def point_distribution(pane):
    """The report's rows "Name: score", in order."""
    lines = pane.split("\n")
    start = next(i for i, line in enumerate(lines) if "Point Distribution" in line) + 2
    return [tuple(line.rsplit(": ", 1)) for line in lines[start:] if ": " in line]


def test_the_results_explain_the_pick_and_can_be_shared(t):
    script = sample(t)
    n = questions(script)
    server = t.serve(t.folder("verdict", script))
    try:
        for width, height in SIZES:
            size(t, width, height)
            t.open(server.url)
            # Shared through the system's sheet where the browser has one.
            t.js("window.__shared = []; navigator.share = (data) => "
                 "(window.__shared.push(data), Promise.resolve())")
            choose(t, [2] * n)
            wait_for(lambda: t.usable("button", "Share"), what="the results")
            assert t.focused() == ("heading", "Erudite Cleric") and t.js("return scrollY") == 0
            assert t.progress() == ""  # no "Question 0 of 36"
            if t.args.shots and width == 1280:
                t.rest()
                t.browser.screenshot(os.path.join(t.args.shots, "kinpath-web-results.png"))
            nodes = t.ax_nodes()
            headings = [name for r, name, _, _ in nodes if r == "heading"]
            assert {"Races", "Classes", "Why"} <= set(headings), headings
            # Every race and class with the score the report gives it, in its order.
            rows = t.js("return [...document.querySelectorAll('#verdict li')].filter(l => "
                        "l.children.length === 3).map(l => [l.children[0].textContent, "
                        "l.children[2].textContent])")
            report = point_distribution(t.js("return document.querySelector('textarea').value"))
            assert [tuple(r) for r in rows] == report and len(rows) == 27, (rows, report)
            reasons = t.js("return [...document.querySelectorAll('#verdict-reasons li')]"
                           ".map(l => l.textContent)")
            assert "Troll 81: the game has no Troll Cleric." in reasons, reasons
            assert any(r.startswith("Erudite and Gnome tied at 72") for r in reasons), reasons
            # The pick above the report; the buttons in the order they read.
            verdict = rect(t, "heading", "Erudite Cleric")
            pane = t.js(RECT, t.js("return document.querySelector('textarea')"))
            assert verdict[1] < pane[1]
            row = [rect(t, "button", b) for b in ("Back", "Print", "HTML", "Share", "Exit")]
            assert [r[0] for r in row] == sorted(r[0] for r in row), row
            t.press("button", "Share")
            sentence = "Kinpath says the best race for me is Erudite and the best class is Cleric."
            wait_for(lambda: t.js("return window.__shared.length"), what="the share sheet")
            assert t.js("return window.__shared[0].text") == sentence
        # Elsewhere the sentence goes to the clipboard, and the page says so.
        t.open(server.url)
        t.browser.cdp("Browser.grantPermissions",
                      permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        t.js("delete Navigator.prototype.share")
        choose(t, [2] * n)
        t.press("button", "Share")
        wait_for(lambda: t.js("return !document.getElementById('share-note').hidden"),
                 what="the note")
        assert t.js("return document.getElementById('copied').hidden") is False
        assert t.js("return navigator.clipboard.readText()") == sentence
        # The report and the saved page are the programs' all the same.
        assert t.saved_page() == t.cli_page(script, ["2"] * n)
    finally:
        t.emulate("Emulation.clearDeviceMetricsOverride")


# Contrast as WCAG measures it, of every text, bar and the focus ring against
# what stands behind them.
CONTRAST = """
const rgb = (c) => c.startsWith('#') ? [1, 3, 5].map((i) => parseInt(c.slice(i, i + 2), 16)).concat(1)
  : c.match(/[\\d.]+/g).map(Number).concat(1);
const lum = (c) => { const v = rgb(c).slice(0, 3).map((x) => x / 255)
  .map((x) => x <= 0.03928 ? x / 12.92 : ((x + 0.055) / 1.055) ** 2.4);
  return 0.2126 * v[0] + 0.7152 * v[1] + 0.0722 * v[2]; };
const ratio = (a, b) => { const [x, y] = [lum(a), lum(b)].sort((p, q) => q - p);
  return (x + 0.05) / (y + 0.05); };
const back = (e) => { for (; e; e = e.parentElement) { const c = getComputedStyle(e).backgroundColor;
  if (rgb(c)[3] !== 0) return c; } return 'rgb(255, 255, 255)'; };
const low = [];
for (const e of document.querySelectorAll('body *')) {
  if (!e.getClientRects().length || e.closest('#print')) continue;
  const text = [...e.childNodes].some((c) => c.nodeType === 3 && c.textContent.trim());
  const r = ratio(getComputedStyle(e).color, back(e));
  if (text && r < 4.5) low.push([e.id || e.tagName, e.textContent.slice(0, 20), r]);
}
for (const b of document.querySelectorAll('.bar > div, .fill')) {
  const r = ratio(getComputedStyle(b).backgroundColor, back(b.parentElement));
  if (b.getClientRects().length && r < 4.5) low.push(['bar', b.parentElement.id, r]);
}
const root = getComputedStyle(document.documentElement);
const ring = ratio(root.getPropertyValue('--focus').trim(), root.getPropertyValue('--surface').trim());
if (ring < 4.5) low.push(['focus ring', ring]);
return {low: low, page: lum(back(document.getElementById('client')))};
"""


def test_the_page_follows_the_device(t):
    script = sample(t)
    n = questions(script)
    server = t.serve(t.folder("device", script))
    try:
        for scheme in ("light", "dark"):
            t.emulate("Emulation.setEmulatedMedia",
                      features=[{"name": "prefers-color-scheme", "value": scheme}])
            for width, height in SIZES:
                size(t, width, height)
                t.open(server.url)
                choose(t, [1, 2])
                t.press("radio", choices(t)[0])  # OK usable: the primary button's text counts
                t.rest()
                if t.args.shots and scheme == "dark" and width == 375:
                    t.browser.screenshot(os.path.join(t.args.shots, "kinpath-web-dark.png"))
                seen = t.js(CONTRAST)
                assert seen["low"] == [], (scheme, width, seen["low"])
                assert (seen["page"] < 0.2) == (scheme == "dark"), seen
        t.emulate("Emulation.setEmulatedMedia", features=[])
        # The reader's own text size and zoom: one column wherever the window
        # would set its text smaller than that, never smaller text.
        for width, height, scale, font in ((1280, 800, 1, 16), (640, 400, 2, 16),
                                           (1280, 800, 1, 24)):
            size(t, width, height, scale)
            t.emulate("Page.setFontSizes", fontSizes={"standard": font, "fixed": 13})
            t.open(server.url)
            at(t, 1, n)
            smallest = t.js("return Math.min(...[...document.querySelectorAll('#window *')]"
                            ".filter(e => e.getClientRects().length && e.childElementCount === 0"
                            " && e.textContent.trim()).map(e => parseFloat(getComputedStyle(e).fontSize)))")
            assert smallest >= font, (width, font, smallest)
            bars_beside = t.js("return document.getElementById('c1039').getBoundingClientRect().left >"
                               " document.querySelector('#choices label').getBoundingClientRect().right")
            assert bars_beside == (width == 1280 and font == 16), (width, font)
    finally:
        t.emulate("Page.setFontSizes", fontSizes={"standard": 16, "fixed": 13})
        t.emulate("Emulation.clearDeviceMetricsOverride")


def test_loading_says_so_and_gives_up_after_thirty_seconds(t):
    script = script_of(2)
    server = t.serve(t.folder("slow", script))
    server.hold("/script.txt")
    t.browser.go(server.url)
    wait_for(lambda: t.js("const l = document.getElementById('loading');"
                          "return !l.hidden && getComputedStyle(l).visibility === 'visible'"),
             what="the loading note")
    assert t.js("return document.getElementById('loading').textContent.trim()") == \
        "Loading the questionnaire\u2026"
    assert t.js("return document.getElementById('window').hidden")
    server.release("/script.txt")
    at(t, 1, 2)
    # A script that does not come within 30 seconds is no script (the page's
    # clock is sped up here: 30 seconds pass at once).
    expected = missing_boxes(t)
    server.hold("/script.txt")
    t.browser.cdp("Page.addScriptToEvaluateOnNewDocument", source=(
        "const wait = setTimeout; window.setTimeout = (f, ms, ...a) => "
        "wait(f, ms >= 30000 ? 0 : ms, ...a);"))
    t.browser.refresh()
    assert shown_boxes(t, len(expected)) == expected
    server.release("/script.txt")
