"""The three browser engines a page is tested in, behind one small interface, each driven as its
own tests drive it: Chromium through the DevTools protocol (cdp.py, over a pipe), Firefox ESR
through Marionette (its own remote control) and WebKitGTK through WebKitWebDriver, the W3C
WebDriver of Debian's webkit2gtk-driver, with its MiniBrowser. Firefox and WebKitGTK run on a
private Xvfb display; every listening socket is on 127.0.0.1.

    with engine("firefox", work) as browser:
        browser.open(url)
        browser.evaluate("document.title")
        browser.press("z", ctrl=True)
"""

import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "mail"))
import cdp  # noqa: E402
from marionette import Marionette  # noqa: E402

NAMES = ["chromium", "firefox", "webkit"]
# Every X server and browser is started as every test starts them.
LAUNCH = cdp.LAUNCH


class Failure(Exception):
    pass


# W3C WebDriver's code points for the keys the tests press (Chromium takes their names).
KEYS = {"Backspace": "\ue003", "Tab": "\ue004", "Enter": "\ue007", "Shift": "\ue008", "Control": "\ue009",
        "Alt": "\ue00a", "Escape": "\ue00c", "PageUp": "\ue00e", "PageDown": "\ue00f", "End": "\ue010",
        "Home": "\ue011", "ArrowLeft": "\ue012", "ArrowUp": "\ue013", "ArrowRight": "\ue014",
        "ArrowDown": "\ue015", "Insert": "\ue016", "Delete": "\ue017", " ": " "}
# Windows' virtual key codes, which Chromium's key events carry.
VIRTUAL = {"Backspace": 8, "Tab": 9, "Enter": 13, "Escape": 27, " ": 32, "PageUp": 33, "PageDown": 34,
           "End": 35, "Home": 36, "ArrowLeft": 37, "ArrowUp": 38, "ArrowRight": 39, "ArrowDown": 40,
           "Insert": 45, "Delete": 46}
CODES = {" ": "Space"}


def js(value):
    """A Python value as a JavaScript literal."""
    return json.dumps(value)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until(what, test, seconds=30):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = test()
        if value:
            return value
        time.sleep(0.05)
    raise Failure(f"waited {seconds} s in vain for {what}")


class Display:
    """A private Xvfb display, for the engines that draw on X11."""

    def __init__(self, work):
        self.state = os.path.join(work, "display")
        started = subprocess.run(["sh", LAUNCH, "display", self.state], capture_output=True, text=True)
        if started.returncode != 0:
            raise Failure("Xvfb did not start: " + started.stderr)
        self.name = started.stdout.strip()

    def close(self):
        with open(os.path.join(self.state, "xvfb.pid")) as f:
            pid = int(f.read())
        os.kill(pid, signal.SIGTERM)
        wait_until("Xvfb to end", lambda: not os.path.exists(f"/proc/{pid}") or _zombie(pid), 10)


def _zombie(pid):
    with open(f"/proc/{pid}/stat") as f:
        return f.read().split(")")[-1].split()[0] == "Z"


class Engine:
    """What every engine offers. Scripts are expressions; a promise is awaited."""
    name = ""
    # Whether the engine's driver can type through an input method's composition.
    composes = False
    # Whether the engine emulates a phone's touch screen.
    touches = False
    # Whether a text dropped on a point of a text area lands there: the engine tells the page where
    # a point is in a text area's text, and its driver can drop a text there.
    drops = False
    # Whether the engine turns no-break spaces into blanks on every plain-text clipboard write.
    blanks_nbsp = False

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def wait(self, expression, seconds=30):
        wait_until(expression, lambda: self.evaluate(f"Boolean({expression})"), seconds)

    def tap(self, selector):
        """Touches or clicks the middle of an element."""
        raise NotImplementedError

    def click(self, x, y):
        """Clicks a point of the page with the mouse."""
        raise NotImplementedError

    def press(self, key, ctrl=False, shift=False):
        raise NotImplementedError

    def type(self, text):
        raise NotImplementedError

    def own(self, command):
        """Runs the engine's own "undo" or "redo", as its Edit menu does."""
        raise NotImplementedError

    def drop(self, x, y, text):
        """Drops a text from elsewhere at a point of the page."""
        raise NotImplementedError

    def set_clipboard(self, text):
        self.evaluate(f"navigator.clipboard.writeText({js(text)})")

    def clipboard(self):
        return self.evaluate("navigator.clipboard.readText()")

    def screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.png()))

    def drag(self, source, x, y):
        """Drags the selection of text area source (an id) to a point of the page, as the engine's
        drag events would; no driver here moves a real pointer through a drag."""
        self.evaluate(f"""(() => {{
            const from = document.getElementById({js(source)});
            const data = new DataTransfer();
            data.setData('text/plain', from.value.slice(from.selectionStart, from.selectionEnd));
            const drag = (target, type, init = {{}}) => target.dispatchEvent(new DragEvent(type,
                {{ dataTransfer: data, bubbles: true, cancelable: true, ...init }}));
            drag(from, 'dragstart');
            drag(document.elementFromPoint({x}, {y}), 'drop', {{ clientX: {x}, clientY: {y} }});
            drag(from, 'dragend');
            return 0;
        }})()""")


class ChromiumEngine(Engine):
    name = "chromium"
    composes = True
    touches = True
    drops = True

    def __init__(self, work, arguments=(), phone=True):
        self.browser = cdp.Chromium(work, arguments)
        self.browser.send("Browser.grantPermissions", permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        self.page = self.browser.page()
        self.page.send("Runtime.enable")
        self.page.send("Page.enable")
        if phone:
            self.page.send("Emulation.setDeviceMetricsOverride", width=360, height=740, deviceScaleFactor=2, mobile=True)
            self.page.send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
        self.page.send("Emulation.setFocusEmulationEnabled", enabled=True)

    def close(self):
        self.browser.close()

    def open(self, url):
        self.page.send("Page.navigate", url=url)
        self.wait("document.readyState === 'complete'")

    def evaluate(self, expression):
        return self.page.evaluate(expression)

    def tap(self, selector):
        self.page.tap(selector)

    def click(self, x, y):
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.page.send("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def press(self, key, ctrl=False, shift=False):
        modifiers = (2 if ctrl else 0) | (8 if shift else 0)
        single = len(key) == 1
        typing = (single and not ctrl) or key == "Enter"
        down = {"type": "keyDown" if typing else "rawKeyDown", "key": key, "modifiers": modifiers,
                "code": CODES.get(key, "Key" + key.upper() if single and key.isalpha() else key),
                "windowsVirtualKeyCode": VIRTUAL.get(key, ord(key.upper()) if single else 0)}
        if single and not ctrl:
            down["text"] = down["unmodifiedText"] = key.upper() if shift else key
        if key == "Enter":
            down["text"] = "\r"
        # Headless Chromium has no platform key bindings: the editing commands come with the key,
        # as the platform would name them.
        command = {("z", True, False): "undo", ("z", True, True): "redo", ("y", True, False): "redo",
                   ("v", True, False): "paste", ("x", True, False): "cut", ("c", True, False): "copy",
                   ("a", True, False): "selectAll", ("Backspace", True, False): "deleteWordBackward",
                   ("Delete", True, False): "deleteWordForward"}.get((key.lower() if single else key, ctrl, shift))
        if command:
            down["commands"] = [command]
        self.page.send("Input.dispatchKeyEvent", **down)
        self.page.send("Input.dispatchKeyEvent", **{**down, "type": "keyUp", "text": "", "commands": []})

    def type(self, text):
        # A key at a time, as a keyboard types; a line break is Enter.
        for c in text:
            if c == "\n":
                self.press("Enter")
            else:
                self.page.send("Input.insertText", text=c)

    def own(self, command):
        self.page.send("Input.dispatchKeyEvent", type="rawKeyDown", key="Unidentified", commands=[command])
        self.page.send("Input.dispatchKeyEvent", type="keyUp", key="Unidentified")

    def drop(self, x, y, text):
        data = {"items": [{"mimeType": "text/plain", "data": text}], "dragOperationsMask": 1}
        for kind in ("dragEnter", "dragOver", "drop"):
            self.page.send("Input.dispatchDragEvent", type=kind, x=x, y=y, data=data)

    def compose(self, steps, commit):
        """An input method's composition: each step shown in turn, then commit committed."""
        for shown in steps:
            self.page.send("Input.imeSetComposition", text=shown, selectionStart=len(shown), selectionEnd=len(shown))
        self.page.send("Input.insertText", text=commit)

    def png(self):
        return self.page.send("Page.captureScreenshot", format="png")["data"]


class WebDriverEngine(Engine):
    """The W3C WebDriver commands both other engines take: Marionette names them WebDriver:*."""

    def command(self, name, parameters):
        raise NotImplementedError

    def open(self, url):
        self.command("Navigate", {"url": url})

    def evaluate(self, expression):
        script = ("const done = arguments[arguments.length - 1];"
                  f"Promise.resolve().then(() => ({expression}))"
                  ".then((value) => done({value}), (e) => done({error: String(e) + '\\n' + (e && e.stack)}));")
        result = self.command("ExecuteAsyncScript", {"script": script, "args": []})
        if isinstance(result, dict) and "error" in result:
            raise Failure(f"{expression[:80]}: {result['error']}")
        return result.get("value") if isinstance(result, dict) else result

    def actions(self, actions):
        self.command("PerformActions", {"actions": actions})
        self.command("ReleaseActions", {})

    def press(self, key, ctrl=False, shift=False):
        code = KEYS.get(key, key)
        held = ([KEYS["Control"]] if ctrl else []) + ([KEYS["Shift"]] if shift else [])
        steps = [{"type": "keyDown", "value": k} for k in held] + [{"type": "keyDown", "value": code},
                                                                   {"type": "keyUp", "value": code}]
        steps += [{"type": "keyUp", "value": k} for k in reversed(held)]
        self.actions([{"type": "key", "id": "keyboard", "actions": steps}])

    def type(self, text):
        steps = []
        for c in text:
            c = KEYS["Enter"] if c == "\n" else c
            steps += [{"type": "keyDown", "value": c}, {"type": "keyUp", "value": c}]
        self.actions([{"type": "key", "id": "keyboard", "actions": steps}])

    def tap(self, selector):
        x, y = self.evaluate(f"(() => {{ const r = document.querySelector({js(selector)})"
                             ".getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")
        self.click(x, y, "touch" if self.touches else "mouse")

    def click(self, x, y, pointer="mouse"):
        self.actions([{"type": "pointer", "id": pointer, "parameters": {"pointerType": pointer}, "actions": [
            {"type": "pointerMove", "x": round(x), "y": round(y), "origin": "viewport"},
            {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}])

    def png(self):
        return self.command("TakeScreenshot", {})


class FirefoxEngine(WebDriverEngine):
    name = "firefox"
    drops = True
    composes = True

    def __init__(self, work, display, prefs=None):
        # The test's own preferences, which the launcher puts after every test's.
        profile = os.path.join(work, "profile")
        shutil.rmtree(profile, ignore_errors=True)
        os.makedirs(profile)
        with open(os.path.join(profile, "test.js"), "w") as f:
            for name, value in (prefs or {}).items():
                f.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        self.log = open(os.path.join(work, "firefox.log"), "w")
        self.process = subprocess.Popen(["sh", LAUNCH, "firefox", work, "--marionette", "-remote-allow-system-access",
                                         "--width", "360", "--height", "740", "about:blank"],
                                        env=dict(os.environ, DISPLAY=display.name), stdout=self.log,
                                        stderr=subprocess.STDOUT)
        port_file = os.path.join(profile, "MarionetteActivePort")
        wait_until("Firefox's Marionette", lambda: os.path.exists(port_file) and os.path.getsize(port_file), 60)
        with open(port_file) as f:
            self.marionette = Marionette(int(f.read()), context="content")

    def command(self, name, parameters):
        # Marionette wraps what WebDriver answers as it is.
        answer = self.marionette.command("WebDriver:" + name, parameters)
        return answer.get("value") if isinstance(answer, dict) else answer

    def own(self, command):
        # The command of Firefox's own Edit menu, run in its window.
        self.chrome(f"goDoCommand('cmd_{command}')")

    def chrome(self, script, *args):
        """Runs a script in Firefox's own window, with its privileges."""
        self.marionette.command("Marionette:SetContext", {"value": "chrome"})
        try:
            return self.marionette.command("WebDriver:ExecuteScript", {"script": script, "args": list(args)})
        finally:
            self.marionette.command("Marionette:SetContext", {"value": "content"})

    def compose(self, steps, commit):
        # Firefox's own text input processor, through which an input method's composition reaches
        # the focused page as it does from the system's.
        self.chrome("""
            const tip = Cc["@mozilla.org/text-input-processor;1"].createInstance(Ci.nsITextInputProcessor);
            if (!tip.beginInputTransactionForTests(window))
                throw new Error("no input transaction");
            for (const shown of arguments[0]) {
                tip.setPendingCompositionString(shown);
                tip.appendClauseToPendingComposition(shown.length, tip.ATTR_RAW_CLAUSE);
                tip.setCaretInPendingComposition(shown.length);
                tip.flushPendingComposition();
            }
            tip.commitCompositionWith(arguments[1]);""", steps, commit)

    def drop(self, x, y, text):
        # Marionette drags nothing in from outside the page: the drop event such a drag ends with.
        self.evaluate(f"""(() => {{
            const data = new DataTransfer();
            data.setData('text/plain', {js(text)});
            document.elementFromPoint({x}, {y}).dispatchEvent(new DragEvent('drop',
                {{ dataTransfer: data, clientX: {x}, clientY: {y}, bubbles: true, cancelable: true }}));
            return 0;
        }})()""")

    def close(self):
        try:
            self.marionette.command("Marionette:Quit", {})
        except Exception:
            pass
        try:
            self.process.wait(20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        self.log.close()


class WebKitEngine(WebDriverEngine):
    name = "webkit"
    blanks_nbsp = True

    def __init__(self, work, display, proxy=None):
        self.display = display
        self.port = free_port()
        env = dict(os.environ, DISPLAY=display.name, HOME=work)
        self.log = open(os.path.join(work, "webkit.log"), "w")
        self.process = subprocess.Popen(["WebKitWebDriver", f"--port={self.port}", "--host=127.0.0.1"],
                                        env=env, stdout=self.log, stderr=subprocess.STDOUT)
        minibrowser = subprocess.run(["sh", LAUNCH, "minibrowser"], capture_output=True, text=True, check=True).stdout.strip()
        capabilities = {"webkitgtk:browserOptions": {"binary": minibrowser, "args": ["--automation"]}}
        if proxy:
            capabilities["proxy"] = {"proxyType": "manual", "httpProxy": proxy, "sslProxy": proxy}
        answer = wait_until("WebKitWebDriver", lambda: self._request("POST", "/session", {
            "capabilities": {"alwaysMatch": capabilities}}, quiet=True), 30)
        self.session = answer["sessionId"]
        self.command("SetWindowRect", {"width": 360, "height": 740})

    def _request(self, method, path, body=None, quiet=False):
        data = json.dumps(body).encode() if body is not None else None
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}{path}", data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=300) as f:
                return json.load(f)["value"]
        except urllib.error.HTTPError as e:
            raise Failure(f"{method} {path}: {json.load(e)['value']}")
        except (ConnectionError, urllib.error.URLError):
            if quiet:
                return None
            raise

    COMMANDS = {"Navigate": ("POST", "url"), "ExecuteAsyncScript": ("POST", "execute/async"),
                "PerformActions": ("POST", "actions"), "ReleaseActions": ("DELETE", "actions"),
                "TakeScreenshot": ("GET", "screenshot"), "SetWindowRect": ("POST", "window/rect")}

    def command(self, name, parameters):
        method, path = self.COMMANDS[name]
        return self._request(method, f"/session/{self.session}/{path}", parameters if method == "POST" else None)

    def set_clipboard(self, text):
        # The X clipboard, as another program on the display sets it; xclip stays to serve it, and
        # may take the clipboard a moment after it returns.
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text.encode(),
                       env=dict(os.environ, DISPLAY=self.display.name), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)
        wait_until("the clipboard to hold the text", lambda: self.clipboard() == text, 10)

    def clipboard(self):
        return subprocess.run(["xclip", "-selection", "clipboard", "-o"], capture_output=True,
                              env=dict(os.environ, DISPLAY=self.display.name)).stdout.decode()

    def own(self, command):
        # The driver's Ctrl+Z reaches no undo here; the engine's own command does.
        self.evaluate(f"document.execCommand({js(command)})")

    def close(self):
        try:
            self._request("DELETE", f"/session/{self.session}")
        except Exception:
            pass
        self.process.terminate()
        self.process.wait()
        self.log.close()


class engine:
    """Starts the named engine with a work folder of its own (and a display where it needs one)."""

    def __init__(self, name, work, **options):
        self.name, self.work, self.options = name, work, options
        self.display = None

    def __enter__(self):
        os.makedirs(self.work, exist_ok=True)
        if self.name == "chromium":
            self.browser = ChromiumEngine(self.work, **self.options)
            return self.browser
        self.display = Display(self.work)
        try:
            cls = FirefoxEngine if self.name == "firefox" else WebKitEngine
            self.browser = cls(self.work, self.display, **self.options)
        except BaseException:
            self.display.close()
            raise
        return self.browser

    def __exit__(self, *exc):
        try:
            self.browser.close()
        finally:
            if self.display:
                self.display.close()
