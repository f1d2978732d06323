"""A small WebDriver client for headless Chromium, and a local web server.

Standard library only: chromedriver is spoken to over HTTP, Chromium's
DevTools commands go through chromedriver's goog/cdp/execute.
"""

import base64
import functools
import http.server
import json
import os
import signal
import socket
import subprocess
import threading
import time
import urllib.error
import urllib.request

ELEMENT = "element-6066-11e4-a52e-4f735466cecf"
KEYS = {"Enter": "\ue007", "Escape": "\ue00c", "Tab": "\ue004", "Backspace": "\ue003",
        "Alt": "\ue00a", "Control": "\ue009", "F5": "\ue035"}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, timeout=60, what="condition"):
    """The condition's first true value, polled until timeout seconds passed
    (generous: a loaded machine slows the browser, never what it shows)."""
    end = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


class Browser:
    """One headless Chromium under chromedriver, ended by close()."""

    def __init__(self, profile, downloads):
        self.port = free_port()
        # A process group of its own: Chromium and its helpers end with it.
        self.driver = subprocess.Popen(["chromedriver", "--port=%d" % self.port],
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       start_new_session=True)
        self.session = None
        try:
            wait_for(self._ready, 30, "chromedriver")
            # As root Chromium needs --no-sandbox; the rest keeps a closed
            # network from slowing it down.
            args = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                    "--no-first-run", "--disable-background-networking",
                    "--disable-component-update", "--disable-sync", "--disable-dev-shm-usage",
                    "--user-data-dir=" + profile, "--window-size=1280,900"]
            prefs = {"download.default_directory": downloads,
                     "download.prompt_for_download": False}
            caps = {"capabilities": {"alwaysMatch": {
                "browserName": "chrome",
                "goog:chromeOptions": {"args": args, "prefs": prefs}}}}
            self.session = self._call("POST", "/session", caps)["sessionId"]
        except BaseException:
            self.close()
            raise

    def _ready(self):
        try:
            return self._call("GET", "/status", base="")["ready"]
        except (OSError, ValueError):
            return False

    def _call(self, method, path, body=None, base=None):
        if base is None:
            base = "/session/" + self.session if self.session else ""
        url = "http://127.0.0.1:%d%s%s" % (self.port, base, path)
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(url, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=120) as response:
                return json.loads(response.read())["value"]
        except urllib.error.HTTPError as error:
            raise AssertionError("WebDriver %s %s: %s" % (method, path, error.read()[:500]))

    def close(self):
        try:
            if self.session:
                self._call("DELETE", "")
        finally:
            try:
                os.killpg(self.driver.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            self.driver.wait(10)

    # --- WebDriver commands
    def go(self, url):
        self._call("POST", "/url", {"url": url})

    def js(self, script, *args):
        return self._call("POST", "/execute/sync", {"script": script, "args": list(args)})

    def find(self, css):
        return self._call("POST", "/element", {"using": "css selector", "value": css})[ELEMENT]

    def click(self, css):
        self._call("POST", "/element/%s/click" % self.find(css), {})

    def type_into(self, css, text):
        self._call("POST", "/element/%s/value" % self.find(css), {"text": text})

    def keys(self, *names):
        """Presses keys on whatever has the focus ("Enter", "Tab", "1", ...);
        "Alt+x" holds Alt (or Control) while x is pressed."""
        actions = []
        for name in names:
            *held, last = name.split("+") if len(name) > 1 else [name]
            down = [KEYS.get(k, k) for k in held + [last]]
            actions += [{"type": "keyDown", "value": k} for k in down]
            actions += [{"type": "keyUp", "value": k} for k in reversed(down)]
        self._call("POST", "/actions", {"actions": [{"type": "key", "id": "k", "actions": actions}]})
        self._call("DELETE", "/actions")

    def back(self):
        self._call("POST", "/back", {})

    def forward(self):
        self._call("POST", "/forward", {})

    def refresh(self):
        self._call("POST", "/refresh", {})

    def click_element(self, element):
        self._call("POST", "/element/%s/click" % element, {})

    def print_pdf(self):
        """The page as the printer gets it: US Letter, no margins."""
        pdf = self._call("POST", "/print", {"page": {"width": 21.59, "height": 27.94},
                                            "margin": {"top": 0, "bottom": 0, "left": 0,
                                                       "right": 0},
                                            "shrinkToFit": False})
        return base64.b64decode(pdf)

    def fresh_tab(self):
        """Goes on in a new tab, the old one closed: no history, no session storage."""
        old = self._call("GET", "/window")
        new = self._call("POST", "/window/new", {"type": "tab"})["handle"]
        self._call("DELETE", "/window")
        self._call("POST", "/window", {"handle": new})
        return old != new

    def cdp(self, command, **params):
        return self._call("POST", "/goog/cdp/execute", {"cmd": command, "params": params})

    def screenshot(self, path):
        with open(path, "wb") as shot:
            shot.write(base64.b64decode(self.cdp("Page.captureScreenshot")["data"]))


class Server:
    """A static web server for one folder on 127.0.0.1 that counts requests;
    a path in held is answered only once the test lets it go (release), a path
    in pages with (content type, bytes) and status 200."""

    def __init__(self, folder):
        self.requests = []
        self.held = {}
        self.pages = {}
        log, held, pages = self.requests, self.held, self.pages

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                try:
                    self.answer()
                except (BrokenPipeError, ConnectionResetError):
                    pass  # the page went on without this answer

            def answer(self):
                log.append(self.path)
                if self.path in held:
                    held[self.path].wait(120)
                if self.path in pages:
                    kind, body = pages[self.path]
                    self.send_response(200)
                    self.send_header("Content-Type", kind)
                    self.send_header("Content-Length", str(len(body)))
                    self.end_headers()
                    self.wfile.write(body)
                    return
                super().do_GET()

        handler = functools.partial(Handler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def hold(self, path):
        self.held[path] = threading.Event()

    def release(self, path):
        self.held.pop(path).set()

    def close(self):
        for event in self.held.values():
            event.set()
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join()


def file_url(path):
    return "file://" + os.path.abspath(path)
