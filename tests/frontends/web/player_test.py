# The page as players meet it: history, reloads, drafts, starts, keys, layout (run by web_test.py).
import os, threading
from web_test import COUNTERS, MARKUP_SCRIPT, file_url, sample, wait_for, write


def script_of(questions):  # Q1 ... with the choices "Yes n" and "No n"
    return "".join("<QUESTION>\nname=Q%d\ntext=Yes %d\ntext=No %d\n<ANSWER>\ntype=1\n"
                   "explanationtext=Yes to %d.\nwizpts=5\n</ANSWER>\n<ANSWER>\ntype=2\nbarbpts=3\n"
                   "</ANSWER>\n</QUESTION>\n" % (n, n, n, n) for n in range(1, questions + 1))


# --- Back, the browser's history, reloads

def test_back_the_browsers_history_and_reloads_step_through_and_resume_the_run(t):
    # Which step each goes to is the driver's and the history's (their tests);
    # here, that the page's Back, its key, reloads, Exit and the browser's Back
    # and Forward reach them, with what a reload carries: the run, its results
    # and the answers a draft cut short for a moment could not take.
    folder = t.folder("back", script_of(5))
    reload = lambda script: write(os.path.join(folder, "script.txt"), script) or t.driver.refresh()
    url = t.serve(folder).url
    t.open(url)
    t.answer([1])
    t.at(2, 5)
    # Another tab, the same storage: the run is offered, not forced; there the
    # page's Back steps back a question and never leaves the page.
    t.setup["Page.addScriptToEvaluateOnNewDocument"] = {"source": COUNTERS}
    t.open(url)
    assert t.js("return [...document.querySelectorAll('#opening button:not([hidden])')].map(b => "
                "b.textContent)") == ["Continue at question 2 of 5", "Start again"]
    t.click("#continue")
    t.at(2, 5)
    t.click("#c2001")
    t.at(1, 5)
    t.keys("Backspace")
    assert t.js("return location.href") == url and t.progress() == "Question 1 of 5"
    t.answer([1, 2, 1, 1])
    for step, where in ((t.driver.refresh, 5), (lambda: reload(script_of(2)) or t.answer_box("OK"), "verdict"),
                        (lambda: reload(script_of(5)), 5), (lambda: t.click("#c2001"), 4),
                        (lambda: t.keys("Backspace"), 3), (t.driver.refresh, 3),
                        (lambda: t.answer([1, 2, 1]), "verdict"), (t.driver.back, 5),
                        (t.driver.refresh, 5), (t.driver.forward, "verdict"), (lambda: t.click("#c2"), "results-again"),
                        (lambda: t.click("#results-again"), "verdict"), (lambda: t.click("#c2"), "end"),
                        (t.driver.refresh, "verdict")):
        step()
        if where in (3, 4, 5):
            t.at(where, 5)
        else:
            wait_for(lambda: t.shown(where), what=where)
    # In the report Backspace is the text box's.
    t.js("document.querySelector('textarea').focus()")
    t.keys("Backspace")
    assert t.shown("verdict")
    # Edited at question 3: the answers before it stay.
    reload(script_of(5).replace("name=Q3\n", "name=Q3, reworded\n"))
    assert "changed from question 3 on" in wait_for(t.box)[1]
    t.answer_box("OK")
    t.at(3, 5)
    # One entry of the browser's history for the questions, one for the results,
    # which a run started afresh from the end takes over.
    t.answer([1, 1, 1])
    wait_for(lambda: t.shown("verdict"), what="the results")
    t.click("#c2")
    wait_for(lambda: t.shown("end"), what="the end")
    t.click("#again")
    t.at(1, 5)
    t.answer([1] * 5)
    wait_for(lambda: t.shown("verdict"), what="the results")
    t.driver.back()
    t.at(5, 5)
    t.driver.back()
    wait_for(lambda: t.js("return location.href") != url, what="the page to be left")


# --- Starting

def test_loading_says_so_one_run_at_a_time_and_gives_up_after_thirty_seconds(t):
    server = t.serve(t.folder("starts", script_of(3)))
    server.held["/script.txt"] = threading.Event()
    t.fresh_tab()
    t.driver.get(server.url)
    assert wait_for(lambda: t.js("const l = document.getElementById('loading'); return !l.hidden"
                                 " && getComputedStyle(l).visibility === 'visible' && l.textContent.trim()"
                                 )) == "Loading the questionnaire\u2026" and not t.shown("window")
    server.held.pop("/script.txt").set()
    t.at(1, 3)
    assert t.js("return window.__errors") == []
    # "Start again" while script.txt is on its way starts no second load.
    t.keys("Escape")
    t.answer_box("Leave")
    wait_for(lambda: t.shown("end"), what="the end")
    loads = server.requests.count("/script.txt")
    server.held["/script.txt"] = threading.Event()
    t.js("const again = document.getElementById('again'); again.click(); again.click()")
    wait_for(lambda: server.requests.count("/script.txt") == loads + 1, what="the load")
    server.held.pop("/script.txt").set()
    t.at(1, 3)
    assert server.requests.count("/script.txt") == loads + 1
    # A script that does not come within 30 seconds is no script (the page's
    # clock is sped up here: 30 seconds pass at once).
    expected = t.cli(t.folder("slow-missing", page=False), []).stderr.decode().splitlines()
    server.held["/script.txt"] = threading.Event()
    t.cdp("Page.addScriptToEvaluateOnNewDocument", source="const wait = setTimeout; "
          "window.setTimeout = (f, ms, ...a) => wait(f, ms >= 30000 ? 0 : ms, ...a);")
    t.driver.refresh()
    assert t.boxes(len(expected)) == expected
    server.held.pop("/script.txt").set()


def test_what_is_no_script_shows_the_boxes_of_a_missing_one(t):
    expected = t.cli(t.folder("missing", page=False), []).stderr.decode().splitlines()
    # script.txt a folder, served as its listing; one sent as HTML, whatever it
    # holds; a host's "not found" text answered with 200: none is a script.
    os.mkdir(os.path.join(listing := t.folder("listing"), "script.txt"))
    t.open(t.serve(listing).url)
    assert t.boxes(len(expected)) == expected
    host = t.serve(folder := t.folder("host"))
    for kind, body in (("text/html", script_of(1)),  # a page, whatever it holds
                       ("text/plain", "404: Not Found")):
        write(os.path.join(folder, "script.txt"), body)
        host.kinds["/script.txt"] = kind
        t.open(host.url)
        assert t.boxes(len(expected)) == expected
    # A picked file that cannot be read, and one that would not fit in the
    # page's memory (here made small: the rest of it taken).
    mine = os.path.join(t.folder("unreadable", None), "mine.txt")
    write(mine, script_of(2500))
    for spoil in ("File.prototype.arrayBuffer = () => Promise.reject(new DOMException('no', "
                  "'NotReadableError'))", "Module._malloc(Module._KinpathRoom() * 3 - 6e5)"):
        t.open(file_url(os.path.join(os.path.dirname(mine), "index.html")))
        t.js(spoil)
        t.pick(mine)
        assert t.boxes(len(expected)) == expected


# --- Keys and bytes

def test_keys_press_the_focused_button_and_the_download_keeps_its_bytes(t):
    # A Windows-1252 script: its bytes reach the questionnaire as they are.
    script = script_of(3).replace("name=Q1", "name=Caf\u00e9 or th\u00e9?").replace(
        "Yes to 1.", "Na\u00efve, 10 \u20ac.").encode("cp1252")
    t.open(t.serve(t.folder("keys", script)).url)
    t.at(1, 3)
    t.js("document.getElementById('c3').focus()")
    t.keys("Enter")
    t.at(2, 3)
    # Exit before the results asks first, by Enter on it or by its access key.
    t.js("document.getElementById('c2').focus()")
    t.keys("Enter")
    assert wait_for(t.box) == ["Kinpath", "Leave the questionnaire? Your answers will be lost.",
                               ["Leave", "Stay"]] and t.focused() == ("button", "Stay")
    t.keys("Escape")  # Escape stays
    wait_for(lambda: t.box() is None, what="the box to go")
    assert t.focused() == ("button", "Exit") and t.progress() == "Question 2 of 3"
    t.keys("Alt+x")
    t.answer_box("Leave")
    wait_for(lambda: t.shown("end"), what="the end")
    t.click("#again")
    t.at(1, 3)
    t.answer([1, 2, 1])
    # The download holds the page's own Windows-1252 bytes.
    assert (saved := t.saved_page()) == t.cli_page(script, ["1", "2", "1"]) and b"Na\xefve, 10 \x80." in saved


# --- The layout at every size, the device's scheme and text size

def rect(t, css):
    return t.js("const r = document.querySelector(arguments[0]).getBoundingClientRect();"
                "return [r.left, r.top, r.width, r.height];", css)


def text(t):  # the window's smallest text, and whether the bars stand beside the choices
    return t.js("""return [Math.min(...[...document.querySelectorAll('#window *')]
        .filter(e => e.getClientRects().length && e.childElementCount === 0 && e.textContent.trim())
        .map(e => parseFloat(getComputedStyle(e).fontSize))),
      document.getElementById('c1039').getBoundingClientRect().left >
        document.querySelector('#choices label').getBoundingClientRect().right]""")


# Contrast as WCAG measures it of every text and bar against what stands
# behind them, and how light the page is.
CONTRAST = """
const rgba = (c) => c.match(/[\\d.]+/g).map(Number).concat(1);
const lum = (c) => rgba(c).slice(0, 3).map((x) => x / 255)
  .map((x) => x <= 0.03928 ? x / 12.92 : ((x + 0.055) / 1.055) ** 2.4)
  .reduce((sum, x, i) => sum + [0.2126, 0.7152, 0.0722][i] * x, 0);
const ratio = (a, b) => (Math.max(lum(a), lum(b)) + 0.05) / (Math.min(lum(a), lum(b)) + 0.05);
const back = (e) => { for (; e; e = e.parentElement) { const c = getComputedStyle(e).backgroundColor;
  if (rgba(c)[3] !== 0) return c; } return 'rgb(255, 255, 255)'; };
const seen = (css) => [...document.querySelectorAll(css)].filter((e) => e.getClientRects().length);
return {page: lum(back(document.getElementById('client'))), low: seen('body *').filter((e) =>
  !e.closest('#print') && [...e.childNodes].some((c) => c.nodeType === 3 && c.textContent.trim())
  && ratio(getComputedStyle(e).color, back(e)) < 4.5).map((e) => e.id || e.textContent).concat(
  seen('.bar > div, .fill').filter((b) => ratio(getComputedStyle(b).backgroundColor,
    back(b.parentElement)) < 4.5).map((b) => 'bar'))};
"""


def test_the_layout_at_every_size_and_text_size_and_the_results_explain_the_pick(t):
    script, n = sample(t)
    server = t.serve(t.folder("where", script))
    sentence = "I got Erudite Cleric on 'Kinpath Race and Class chooser'"
    for width, height in ((1280, 800), (667, 375), (375, 667)):
        t.setup["Emulation.setDeviceMetricsOverride"] = dict(
            width=width, height=height, deviceScaleFactor=1, mobile=width < 700)
        t.setup["Emulation.setEmulatedMedia"] = {"features": [  # dark on a phone held sideways
            {"name": "prefers-color-scheme", "value": "dark" if width == 667 else "light"}]}
        t.open(server.url)
        t.cdp("Browser.grantPermissions", permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        t.at(1, n)
        # "Question 1 of 36" just above the question, whose first choice has the focus.
        assert sum(rect(t, "#progress")[1::2]) <= rect(t, "#c1008")[1] + 1
        places = set()
        for _ in range(7):
            # No empty choice; the first has the focus; the buttons stay where they were.
            names = t.js("return [...document.querySelectorAll('#choices label:not([hidden])')]"
                         ".map(l => l.textContent)")
            assert all(names) and t.focused() == ("radio", names[0]), names
            places.add(tuple(round(v) for v in rect(t, "#c1")[:2]))
            t.answer([2])
            # The next question in sight, nothing scrolled.
            assert t.js("return scrollY") == 0 and 0 <= rect(t, "#c1008")[1] < height
        assert len(places) == 1, places
        t.shot({1280: "kinpath-web.png", 667: "kinpath-web-dark.png"}.get(width, "kinpath-web-phone.png"))
        assert max(tops := [rect(t, "#c%d" % b)[1] for b in (1, 3, 2001)]) - min(tops) < 2
        assert (seen := text(t))[1] == (width == 1280) and seen[0] >= (16 if width == 1280 else 14), seen
        if width < 700:
            # Tap targets of a phone: 44 by 44 CSS pixels at least; nothing sideways.
            assert t.js("return [...document.querySelectorAll('#window button, #choices label')]"
                        ".every(e => !e.getClientRects().length || Math.min(e.offsetWidth, "
                        "e.offsetHeight) >= 44)")
            assert t.js("return document.documentElement.scrollWidth - innerWidth") <= 0
        # Tab follows what the eye sees, each place below the one before or to its right.
        t.js("document.querySelector('#choices input:not([disabled])').focus()")
        order = [t.keys("Tab") or t.js("const r = document.activeElement.getBoundingClientRect();"
                                       "return [r.left, r.top]") for _ in range(4)]
        assert all(b[1] > a[1] + 4 or (abs(b[1] - a[1]) <= 4 and b[0] > a[0])
                   for a, b in zip(order, order[1:])), order
        if width < 700:  # the leaders in sight while answering, with their totals; the bars a tap away
            t.rest()
            name, value = t.js("return document.getElementById('leaders').textContent").split(
                "Leading now: ")[1].split(",")[0].split(" \u00b7 ")[0].rsplit(" ", 1)
            assert t.js("return [...document.querySelectorAll('.label')].find(l => l.textContent === arguments[0])"
                        ".nextSibling.getAttribute('aria-valuenow')", name) == value
            t.js("document.getElementById('leaders').click()")
            assert 0 < rect(t, "#races")[1] < height and not t.js("scrollTo(0, 0)")
        t.click("#c1001 input")  # OK usable: the primary button's text counts
        t.rest()
        seen = t.js(CONTRAST)
        assert seen["low"] == [] and (seen["page"] < 0.2) == (width == 667), seen
        # No share sheet on the phone: the clipboard, and the page says so.
        t.js("delete Navigator.prototype.share" if width == 375 else "window.__shared = [];"
             "navigator.share = (data) => (window.__shared.push(data), Promise.resolve());"
             "navigator.canShare = (data) => innerWidth > 700")
        t.keys("Enter", *["2", "Enter"] * (n - 8))
        # The pick in sight above the report, no "Question 0 of 36", the
        # buttons in the order they read.
        t.results()
        assert t.focused() == ("heading", "Erudite Cleric") and t.js("return scrollY") == 0 \
            and t.progress() == "", t.progress()
        t.shot(width == 1280 and "kinpath-web-results.png")
        # The pick, why, the standings and the report, read in that order and
        # announced without the report; no nameless group or empty heading.
        assert rect(t, "#verdict-title")[1] < rect(t, "#why")[1] < rect(t, ".standings")[1] < rect(t, "textarea")[1]
        assert t.js("return document.getElementById('announce').textContent").startswith(
            "Your best race and class: Erudite Cleric. ")
        assert not [n for n in t.ax_nodes() if n[0] == "radiogroup" or (n[0] == "heading" and not n[1])]
        # The bars set apart what the scores set apart.
        assert t.js("const rows = [...document.querySelectorAll('#verdict-races li')].map(r => ["
                    "+r.lastChild.textContent, r.querySelector('.fill').offsetWidth]);"
                    "return rows.every(([v, w], i) => !i || v === rows[i - 1][0] || w < rows[i - 1][1])")
        if width < 700:  # the report at its full height: the page scrolls, not a box in it
            assert t.js("const p = document.querySelector('textarea'); return p.scrollHeight <= p.clientHeight")
        row = [rect(t, "#c%d" % b) for b in (2001, 1010, 1011, 2002, 2)]
        assert [r[0] for r in row] == sorted(r[0] for r in row), row
        t.click("#c2002")
        if width == 375:  # said where the player tapped, the card there to save
            wait_for(lambda: t.shown("share-note"), what="the note")
            assert t.shown("copied") and t.js("return navigator.clipboard.readText()") == sentence + " " + server.url
            assert 0 < rect(t, "#share-note")[1] + rect(t, "#share-note")[3] <= rect(t, "#c2002")[1]
            assert t.js("return document.getElementById('save-card').href").startswith("blob:")
        else:  # with the card where files can be shared
            shared = wait_for(lambda: t.js("return window.__shared[0] && [window.__shared[0].text, "
                                           "(window.__shared[0].files || []).map(f => f.type)]"))
            assert shared == [sentence, ["image/png"] if width > 700 else []], shared
    # Why the pick came out as it did, in the player's answers (scoring's tests say the rest).
    assert 'You said "Behind the fighters, keeping them alive": +18 Cleric' in t.js(
        "return document.getElementById('verdict-reasons').innerText")
    # Scores at the 32-bit limits: the phone's standings and "Why" fit as well.
    huge = "".join("%spts=%d\n" % (row, 2**31 - 1 if up else -2**31) for row, up in (
        ("war", 1), ("wiz", 0), ("ogre", 0), ("troll", 1), ("human", 0), ("good", 1)))
    t.open(t.serve(t.folder("huge", MARKUP_SCRIPT.replace("warpts=1\n", huge))).url)
    t.answer([1, "s"])
    t.results()
    assert t.js("return document.documentElement.scrollWidth") <= 375
    # The reader's own text size and zoom: one column wherever the window
    # would set its text smaller than that, never smaller text.
    for width, height, scale, font in ((640, 400, 2, 16), (1280, 800, 1, 24), (320, 640, 1, 32)):
        t.setup["Emulation.setDeviceMetricsOverride"] = dict(
            width=width, height=height, deviceScaleFactor=scale, mobile=width < 700)
        t.setup["Page.setFontSizes"] = {"fontSizes": {"standard": font, "fixed": 13}}
        t.open(server.url)
        t.at(1, n)
        assert (seen := text(t))[0] >= font and not seen[1], (width, font, seen)
        # The buttons wrap: nothing leaves the screen.
        assert t.js("return document.documentElement.scrollWidth - innerWidth") <= 0
        # Nor do they cover a quarter of it where they take several rows.
        assert t.js("scrollTo(0, scrollY + innerHeight / 2); const r = document.getElementById("
                    "'buttons').getBoundingClientRect(); return Math.min(r.bottom, innerHeight) - "
                    "Math.max(r.top, 0)") <= height / 4
