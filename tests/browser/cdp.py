"""A small client of Chromium's DevTools protocol over --remote-debugging-pipe: commands go to
the browser on file descriptor 3 and answers and events come back on 4, each a JSON message ended
by a NUL byte. No socket is opened, so the browser listens on no port."""

import fcntl
import json
import os
import subprocess
import time


LAUNCH = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "launch.sh")

class Failure(Exception):
    pass


class Chromium:
    def __init__(self, work, arguments=()):
        os.makedirs(work, exist_ok=True)
        to_browser, self._commands = os.pipe()
        self._answers, from_browser = os.pipe()

        # The pipes are made not to be inherited; their copies on 3 and 4 are. Either pipe may be
        # on 3 or 4 itself, so both are first moved out of the way.
        def pipes():
            high = [fcntl.fcntl(fd, fcntl.F_DUPFD, 10) for fd in (to_browser, from_browser)]
            os.dup2(high[0], 3)
            os.dup2(high[1], 4)

        self._log = open(os.path.join(work, "chromium.log"), "w")
        # Started as every test starts a browser (tests/support/launch.sh).
        self.process = subprocess.Popen(
            ["sh", LAUNCH, "chromium", work, "--headless", "--remote-debugging-pipe", *arguments, "about:blank"],
            close_fds=False, preexec_fn=pipes,
            stdout=self._log, stderr=subprocess.STDOUT)
        os.close(to_browser)
        os.close(from_browser)
        self._buffer = b""
        self._next_id = 0
        self.events = []

    def close(self):
        try:
            self.send("Browser.close")
        except Exception:
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        os.close(self._commands)
        os.close(self._answers)
        self._log.close()

    def _message(self):
        while b"\0" not in self._buffer:
            chunk = os.read(self._answers, 1 << 20)
            if not chunk:
                raise Failure("the browser closed its pipe")
            self._buffer += chunk
        message, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, session=None, **params):
        """Sends a command and returns its result, keeping the events that came meanwhile."""
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        os.write(self._commands, json.dumps(message).encode() + b"\0")
        while True:
            answer = self._message()
            if answer.get("id") == self._next_id:
                if "error" in answer:
                    raise Failure(f"{method}: {answer['error'].get('message')}")
                return answer.get("result", {})
            self.events.append(answer)

    def page(self):
        """A new tab, attached: returns its session."""
        target = self.send("Target.createTarget", url="about:blank")["targetId"]
        return Page(self, self.send("Target.attachToTarget", targetId=target, flatten=True)["sessionId"])


class Page:
    def __init__(self, browser, session):
        self.browser = browser
        self.session = session

    def send(self, method, **params):
        return self.browser.send(method, session=self.session, **params)

    def evaluate(self, expression, awaiting=True):
        """The value of a JavaScript expression in the page; a thrown error fails."""
        result = self.send("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=awaiting, userGesture=True)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            raise Failure(f"{expression[:80]}: {details.get('exception', {}).get('description') or details}")
        return result["result"].get("value")

    def wait(self, expression, seconds=30):
        """Waits until a JavaScript expression is true."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            if self.evaluate(f"Boolean({expression})"):
                return
            time.sleep(0.02)
        raise Failure(f"waited {seconds} s in vain for {expression}")

    def tap(self, selector):
        """Touches the middle of an element with one finger, as on a phone."""
        box = self.evaluate(f"(() => {{ const r = document.querySelector({json.dumps(selector)})"
                            ".getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()")
        point = [{"x": box[0], "y": box[1]}]
        self.send("Input.dispatchTouchEvent", type="touchStart", touchPoints=point)
        self.send("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])

    def key(self, key, code, modifiers=0, text=None):
        """Presses and releases a key; modifiers: 2 for Ctrl, 8 for Shift."""
        down = {"type": "keyDown", "key": key, "code": code, "modifiers": modifiers,
                "windowsVirtualKeyCode": ord(key.upper()) if len(key) == 1 else {"Tab": 9, "Enter": 13, "Escape": 27}[key]}
        if text is not None:
            down["text"] = text
        self.send("Input.dispatchKeyEvent", **down)
        self.send("Input.dispatchKeyEvent", **{**down, "type": "keyUp", "text": ""})
