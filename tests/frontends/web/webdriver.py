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
KEYS = {"Enter": "\ue007", "Escape": "\ue00c", "Tab": "\ue004"}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, timeout=10, what="condition"):
    """The condition's first true value, polled until timeout seconds passed."""
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
        """Presses keys on whatever has the focus ("Enter", "Tab", "1", ...)."""
        actions = []
        for name in names:
            key = KEYS.get(name, name)
            actions += [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]
        self._call("POST", "/actions", {"actions": [{"type": "key", "id": "k", "actions": actions}]})

    def print_pdf(self):
        """The page as the printer gets it: US Letter, no margins."""
        pdf = self._call("POST", "/print", {"page": {"width": 21.59, "height": 27.94},
                                            "margin": {"top": 0, "bottom": 0, "left": 0,
                                                       "right": 0},
                                            "shrinkToFit": False})
        return base64.b64decode(pdf)

    def cdp(self, command, **params):
        return self._call("POST", "/goog/cdp/execute", {"cmd": command, "params": params})

    def screenshot(self, path):
        with open(path, "wb") as shot:
            shot.write(base64.b64decode(self.cdp("Page.captureScreenshot")["data"]))


class Server:
    """A static web server for one folder on 127.0.0.1 that counts requests."""

    def __init__(self, folder):
        self.requests = []
        log = self.requests

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                pass

            def do_GET(self):
                log.append(self.path)
                super().do_GET()

        handler = functools.partial(Handler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join()


def file_url(path):
    return "file://" + os.path.abspath(path)
