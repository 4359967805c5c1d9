#!/usr/bin/env python3
"""zentolar.html in Debian's Chromium, headless, at a phone's size with touch, driven through the
DevTools protocol: the key dialog, encoding and decoding hand-worked known answers, the copy
control and Ctrl+Z; random texts of every code against the program's own code (ORACLE) in the
same run; and proof from Chromium's own network log and a real server on 127.0.0.1 that the page
asks for nothing and keeps nothing.

Usage: check_page.py PAGE ORACLE WORK"""

import base64
import http.server
import json
import os
import random
import shutil
import subprocess
import sys
import threading
import time
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cdp import Chromium  # noqa: E402

PAGE, ORACLE, WORK = (os.path.abspath(a) for a in sys.argv[1:4])
HERE = os.path.dirname(os.path.abspath(__file__))
URL = "file://" + PAGE
CONTROL_TARGET = "http://127.0.0.1:{port}/control"

failed = False


def check(name, condition, detail=""):
    global failed
    if condition:
        print("PASS:", name)
    else:
        failed = True
        print("FAIL:", name, detail)


def js(value):
    return json.dumps(value)


# Code page 1252: the character for each code (the five undefined codes are the controls of the
# same value), written out by hand as the page's users know it.
CP1252 = [chr(c) for c in range(256)]
for code, char in zip(range(0x80, 0xA0), "€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8dŽ\x8f\x90‘’“”•–—˜™š›œ\x9džŸ"):
    CP1252[code] = char
NOT_IN_PAGE = ["Ω", "中", "😀", "\ud800", "\udfff", "\u0301", "\u200b", "\u2028", "\ufeff", "\u27e6", "\u27e7"]


def utf16(text):
    """The UTF-16 units of a Python string; lone surrogates stay themselves."""
    data = text.encode("utf-16-le", "surrogatepass")
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]


def units(text):
    """A string as the oracle's hex."""
    return "".join(f"{u:04x}" for u in utf16(text)) or "-"


def from_units(hex_text):
    data = b"" if hex_text == "-" else bytes.fromhex(hex_text)
    return bytes(b for i in range(0, len(data), 2) for b in (data[i + 1], data[i])).decode("utf-16-le", "surrogatepass")


def oracle(cases):
    lines = "".join(f"{units(t)} {units(k)} {units(p)}\n" for t, k, p in cases)
    out = subprocess.run([ORACLE], input=lines, capture_output=True, text=True, check=True).stdout.split("\n")
    return [line.split(" ") for line in out[: len(cases)]]


def page_results(page, cases):
    """The same eight results as the oracle's, from the page's own functions."""
    # Strings go in as arrays of units, so that lone surrogates arrive as they are.
    arrays = [[utf16(s) for s in case] for case in cases]
    return page.evaluate(f"""(() => {{
        const s = (u) => String.fromCharCode(...u);
        const big = (u) => {{ let r = ""; for (let i = 0; i < u.length; i += 8192) r += s(u.slice(i, i + 8192)); return r; }};
        // Results go back as the oracle's hex, so that no unit is changed on the way.
        const hex = (r) => {{ let h = ""; for (let i = 0; i < r.length; ++i) h += r.charCodeAt(i).toString(16).padStart(4, "0"); return h || "-"; }};
        const tried = (f) => {{ try {{ return hex(f()); }} catch (e) {{ return "!" + hex(errorMessage(e)); }} }};
        return {js(arrays)}.map(([t, k, p]) => {{
            const text = big(t), key = big(k), pasted = big(p);
            return [tried(() => Core.EncryptText(text, key)), tried(() => Core.DecryptText(text, key)),
                    Core.toDisplay(text), Core.toClipboard(text, false), Core.toClipboard(text, true),
                    Core.fromPasted(pasted), Shown.typed(pasted), Core.keyAsCounted(key)].map((r, i) => i < 2 ? r : hex(r));
        }});
    }})()""")


def random_cases(rng, count):
    names = ["encoded", "decoded", "shown", "plain copy", "encoded copy", "pasted", "typed", "key"]
    cases = []
    for i in range(count):
        length = rng.choice([0, 1, 2, 7, 40, 300])
        text = "".join(rng.choice(CP1252) for _ in range(length))
        if i % 5 == 0:  # characters the code page cannot hold count as '?'
            text += "".join(rng.choice(NOT_IN_PAGE) for _ in range(3))
        key = "".join(rng.choice(CP1252 + NOT_IN_PAGE + ["ı", "ſ", "µ", "ÿ", "ß"]) for _ in range(rng.choice([0, 1, 2, 5, 40])))
        # What comes back to be pasted: an encoded copy as mail and chat bring it, a plain copy, or
        # anything at all.
        way = i % 4
        if way == 0:
            codes = [CP1252.index(c) if c in CP1252 else 63 for c in text]
            copy = "⟦" + "".join(CP1252[b] if b > 32 else chr(0x2400 + b) for b in codes) + "⟧"
            cut = [copy[j:j + 7] for j in range(0, len(copy), 7)]
            pasted = "\n\n  " + "\r\n ".join(cut) + "\t\u200b\n"
        elif way == 1:
            pasted = text.replace("\r\n", "\n")
        elif way == 2:
            pasted = unicodedata.normalize("NFD", text)
        else:
            pasted = "".join(rng.choice(CP1252 + NOT_IN_PAGE + ["\r\n", "\u2424", "\u2440", "⍽"]) for _ in range(30))
        cases.append((text, key, pasted))
    # The limit: the longest text, and one more; every UTF-16 unit in a key.
    cases.append(("".join(rng.choice(CP1252) for _ in range(32766)), "Clave", ""))
    cases.append(("a" * 32767, "Clave", ""))
    cases.append(("a" * 40000, "", ""))
    cases.append(("", "".join(chr(u) for u in range(0x10000)), ""))
    # Composition: decomposed Spanish prose, and every letter of the code page decomposed.
    with open(os.path.join(HERE, "..", "support", "prosa.txt"), encoding="utf-8") as f:
        prose = f.read()
    cases.append(("", "", unicodedata.normalize("NFD", prose)))
    cases.append(("", "", unicodedata.normalize("NFD", "".join(CP1252[0xC0:]) + " ñÑ ¿¡ ü")))
    return cases, names


class Listener(http.server.BaseHTTPRequestHandler):
    """A real server on 127.0.0.1 that counts whatever reaches it."""
    hits = 0

    def do_GET(self):
        Listener.hits += 1
        self.send_response(200)
        self.end_headers()

    do_POST = do_GET

    def log_message(self, *args):
        pass


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    server = http.server.HTTPServer(("127.0.0.1", 0), Listener)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    port = server.server_address[1]
    netlog = os.path.join(WORK, "netlog.json")
    browser = Chromium(WORK, ["--log-net-log=" + netlog])
    try:
        run(browser, port)
    finally:
        browser.close()
        server.shutdown()

    # Chromium's own log of every request its network stack started. The browser's own (updates,
    # time; sent nowhere here) have no initiator; a page's have its origin. The control page, which
    # has no policy, shows that a request from a page is seen, and is the only one.
    with open(netlog) as f:
        log = json.load(f)
    started = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
    events = log["events"]
    from_pages = [(e["params"]["initiator"], e["params"]["url"]) for e in events if "url" in e.get("params", {})
                  and e["type"] == started and e["params"].get("initiator", "not an origin") != "not an origin"]
    check("Chromium's network log holds one request from a page, the control page's",
          [url for _, url in from_pages] == [CONTROL_TARGET.format(port=port)], from_pages)
    check("the server on 127.0.0.1 was reached once, by the control page", Listener.hits == 1, Listener.hits)
    return 1 if failed else 0


def run(browser, port):
    browser.send("Browser.grantPermissions", permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
    page = browser.page()
    page.send("Network.enable")
    page.send("Runtime.enable")
    page.send("Emulation.setDeviceMetricsOverride", width=360, height=740, deviceScaleFactor=2, mobile=True)
    page.send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
    page.send("Emulation.setFocusEmulationEnabled", enabled=True)
    page.send("Page.navigate", url=URL)
    page.wait("document.getElementById('KeyPrompt') && KeyPrompt.open")
    W = page.evaluate("W")

    # The key dialog, before anything else.
    check("the key dialog opens first, alone, titled Clave, with its message",
          page.evaluate("[$('Form1').hidden, KeyTitle.textContent, KeyLabel.textContent, KeyLine.labels[0] === KeyLabel,"
                        " document.activeElement === KeyLine, KeyLine.value]")
          == [True, "Clave", "Ingrese la clave de codificación: ", True, True, ""])
    inside = []
    for _ in range(4):
        page.key("Tab", "Tab")
        inside.append(page.evaluate("KeyPrompt.contains(document.activeElement) || document.activeElement === document.body"))
    check("Tab keeps the focus in the key dialog", all(inside) and page.evaluate("!$('Form1').contains(document.activeElement)"))
    page.evaluate("KeyLine.focus()")
    page.send("Input.insertText", text="Clave")
    page.tap("#KeyOk")
    page.wait("!KeyPrompt.open && !$('Form1').hidden")
    check("after the key the form shows, focus on Encriptar =>", page.evaluate("document.activeElement === Command1"))

    page.key("Tab", "Tab")
    focus = page.evaluate("(() => { const s = getComputedStyle(document.activeElement);"
                          " return [document.activeElement.id, s.outlineStyle, parseFloat(s.outlineWidth)]; })()")
    check("a control reached with Tab shows that it has the focus", focus[:2] == ["Command2", "solid"] and focus[2] >= 2, focus)
    page.evaluate("Command1.focus()")
    fonts = page.evaluate("document.fonts.load('16px \"Zentolar Codigos\"', '\u2400\u2440')"
                          ".then((faces) => faces.map((face) => face.status))")
    check("the codes' font is the page's own and loads", fonts == ["loaded"], fonts)

    # The phone's layout.
    layout = page.evaluate("""(() => {
        const r = (e) => e.getBoundingClientRect();
        const controls = [...document.querySelectorAll('#Form1 button, #Form1 textarea')];
        return { stacked: r(Text1).bottom <= r(Command1).top && r(Command4).bottom <= r(Text3).top,
                 small: controls.filter((e) => r(e).height < 44 || r(e).width < 44).map((e) => e.id),
                 wide: document.documentElement.scrollWidth - innerWidth,
                 captions: ['Label1', 'Label2', 'Command1', 'Command2', 'Command3', 'Command4'].map((id) => document.getElementById(id).textContent),
                 labelled: Text1.labels[0] === Label1 && Text3.labels[0] === Label2 };
    })()""")
    check("at 360 x 740 the fields stack with the buttons between them", layout["stacked"])
    check("every control is at least 44 x 44 CSS pixels", not layout["small"], layout["small"])
    check("nothing scrolls sideways", layout["wide"] <= 0, layout["wide"])
    check("the labels and captions are the program's, the labels tied to their fields",
          layout["captions"] == ["Codigo sin codificar", "Codigo codificado", "Encriptar =>", "<= Desenciptar ",
                                 "Limpiar", "Cambiar Clave"] and layout["labelled"], layout)

    def paste(selector, text):
        """A real paste: the text on the browser's clipboard, then Ctrl+V in the field."""
        page.evaluate(f"navigator.clipboard.writeText({js(text)})")
        page.evaluate(f"document.querySelector({js(selector)}).focus(); document.querySelector({js(selector)}).select()")
        page.send("Input.dispatchKeyEvent", type="keyDown", key="v", code="KeyV", modifiers=2,
                  windowsVirtualKeyCode=86, commands=["paste"])
        page.send("Input.dispatchKeyEvent", type="keyUp", key="v", code="KeyV", modifiers=2, windowsVirtualKeyCode=86)

    def copied(selector):
        page.tap(selector)
        return page.evaluate("navigator.clipboard.readText()")

    def new_key(typed, cancel=False):
        page.tap("#Command4")
        page.wait("KeyPrompt.open")
        page.send("Input.insertText", text=typed)
        shown = page.evaluate("KeyLine.value")
        page.tap("#KeyCancel" if cancel else "#KeyOk")
        page.wait("!KeyPrompt.open")
        return shown

    # Known answers worked out by hand. Under "Clave" (C 67, L 76, A 65, V 86, E 69) text character
    # 1 takes key character 2: H 72 + 76 = 148 (”), o 111 + 65 = 176 (°), l 108 + 86 = 194 (Â),
    # a 97 + 69 = 166 (¦).
    paste("#Text1", "Hola")
    page.tap("#Command1")
    check("Hola under Clave encodes to ”°Â¦", page.evaluate("Text3.value") == "”°Â¦", page.evaluate("Text3.value"))
    check("the copy control copies the encoded field framed", copied("#Copy3") == "⟦”°Â¦⟧")
    check("the copy control copies the plain field as it is", copied("#Copy1") == "Hola")
    page.key("z", "KeyZ", modifiers=2)
    check("Ctrl+Z takes the result back", page.evaluate("Text3.value") == "", page.evaluate("Text3.value"))
    paste("#Text3", "\r\n\r\n  ⟦”°\r\n Â¦⟧ \r\n")
    page.tap("#Command2")
    check("the copy as mail brings it back decodes to Hola", page.evaluate("Text1.value") == "Hola")

    rows = [
        # key typed, shown in the key line, text, encoded as shown, encoded copy
        ("clave", "clave", "Hola", "”°Â¦", "⟦”°Â¦⟧"),  # letter case does not matter
        ("µ", "?", "A", "€", "⟦€⟧"),  # µ's capital is Greek: '?' 63; 65 + 63 = 128
        ("ı", "ı", "A", "Š", "⟦Š⟧"),  # dotless i counts as I 73; 65 + 73 = 138
        ("A", "A", "¿", "\u2400", "⟦\u2400⟧"),  # 191 + 65 = 256: code 0, shown as its picture
        ("A", "A", "ß", " ", "⟦\u2420⟧"),  # 223 + 65 = 288: 32, a blank
        ("ZZ", "ZZ", "ÈÈ", '""', '⟦""⟧'),  # 200 + 90 = 290: 34
        ("A", "A", "ÌÉ", "\n", "⟦\u240d\u240a⟧"),  # 204 + 65 = 13, 201 + 65 = 10: a line break
    ]
    for key, shown, text, encoded, copy in rows:
        case = f"{text!r} under {key!r}"
        check(f"the key line shows {key!r} as {shown!r}", new_key(key) == shown)
        paste("#Text1", text)
        page.tap("#Command1")
        check(f"{case} encodes to {encoded!r}", page.evaluate("Text3.value") == encoded, repr(page.evaluate("Text3.value")))
        check(f"{case}: the encoded copy is {copy!r}", copied("#Copy3") == copy)
        page.evaluate("Text1.focus(); Text1.select()")
        page.evaluate("document.execCommand('delete')")
        page.tap("#Command2")
        check(f"{case} decodes back", page.evaluate("Text1.value") == text)

    # The limit, with the program's message; the field keeps what it held.
    new_key("Clave")
    page.evaluate("Text3.focus(); Text3.select(); document.execCommand('insertText', false, 'antes')")
    paste("#Text1", "a" * 32767)
    page.tap("#Command1")
    page.wait("ErrorBox.open")
    shown = page.evaluate("[ErrorText.textContent, ErrorTitle.textContent, Text3.value]")
    check("32767 characters fail with the program's overflow message, the encoded field unchanged",
          shown == ["Error 6: desbordamiento.\nEl texto tiene 32767 caracteres, contando cada salto de línea como dos.\n"
              "Con clave, un texto puede tener como máximo 32766 caracteres.", "Zentolar", "antes"], shown)
    page.tap("#ErrorOk")
    page.wait("!ErrorBox.open")
    long = "".join(random.Random(5).choice(CP1252[33:]) for _ in range(32766))
    paste("#Text1", long)
    page.tap("#Command1")
    check("the longest line encodes and nothing scrolls sideways",
          page.evaluate("[Text3.value.length, document.documentElement.scrollWidth <= innerWidth]") == [32766, True])

    # No key: the fields say so and the buttons copy texts unchanged.
    new_key("secreto", cancel=True)
    paste("#Text1", "Hola")
    page.tap("#Command1")
    check("cancelled, there is no key: the notice shows and Encriptar => copies the text",
          page.evaluate("[Text1.placeholder, Text3.value]") == [W["NoKeyNotice"], "Hola"])
    page.tap("#Command4")
    page.wait("KeyPrompt.open")
    page.key("Escape", "Escape")
    page.wait("!KeyPrompt.open")
    check("Escape closes the key dialog without a key", page.evaluate("Text3.placeholder") == W["NoKeyNotice"])
    page.tap("#Command3")
    check("Limpiar empties both fields", page.evaluate("[Text1.value, Text3.value]") == ["", ""])

    # A picture of the page at the phone's size, for the README (docs/page-phone.png).
    new_key("Clave")
    paste("#Text1", "Nos vemos el martes a las seis\r\nen la plaza de siempre.\r\n¡No faltes!")
    page.tap("#Command1")
    page.evaluate("document.activeElement.blur()")
    shot = page.send("Page.captureScreenshot", format="png")["data"]
    with open(os.path.join(WORK, "page-phone.png"), "wb") as f:
        f.write(base64.b64decode(shot))

    # Random texts of every code, and the forms of what is pasted, against the program's own code.
    seed = int(os.environ.get("ZENTOLAR_PAGE_SEED", "2201"))
    rng = random.Random(seed)
    cases, names = random_cases(rng, 400)
    expected = oracle(cases)
    got = []
    for start in range(0, len(cases), 50):
        got += page_results(page, cases[start:start + 50])
    differences = [(i, names[j], from_units(e[j].lstrip("!"))[:40], from_units(g[j].lstrip("!"))[:40])
                   for i, (e, g) in enumerate(zip(expected, got)) for j in range(len(names)) if e[j] != g[j]]
    check(f"{len(cases)} random texts, keys and pastes give the program's results and forms "
          f"(seed {seed})",
          len(expected) == len(cases) and not differences, differences[:10])

    # Nothing leaves the page, nothing stays.
    outcome = page.evaluate(f"""(async () => {{
        const tries = [];
        try {{ await fetch('http://127.0.0.1:{port}/fetch'); tries.push('fetch sent'); }} catch {{ tries.push('fetch refused'); }}
        const image = new Image(); image.src = 'http://127.0.0.1:{port}/image';
        await new Promise((done) => {{ image.onerror = done; image.onload = done; setTimeout(done, 1000); }});
        return [document.cookie, localStorage.length, sessionStorage.length, (await indexedDB.databases()).length, tries];
    }})()""")
    check("the page's own policy refuses a request to 127.0.0.1", outcome[4] == ["fetch refused"], outcome)
    check("no cookie, local or session storage or IndexedDB", outcome[:4] == ["", 0, 0, 0], outcome)
    cookies = browser.send("Storage.getCookies")["cookies"]
    check("Chromium holds no cookie", cookies == [], cookies)
    blocked = {e["params"]["requestId"] for e in browser.events
               if e.get("method") == "Network.loadingFailed" and e["params"].get("blockedReason") == "csp"}
    sent = [e["params"]["request"]["url"][:40] for e in browser.events if e.get("method") == "Network.requestWillBeSent"
            and e["params"]["requestId"] not in blocked and not e["params"]["request"]["url"].startswith("data:")]
    check("the page loaded nothing but itself and its own data, the test's tries blocked by its policy",
          sent == [URL[:40]] and len(blocked) == 1, (sent, blocked))

    # The control: a page without the policy does reach the server, and the network log sees it.
    control = os.path.join(WORK, "control.html")
    with open(control, "w") as f:
        f.write(f"<script>fetch('{CONTROL_TARGET.format(port=port)}')</script>")
    other = browser.page()
    other.send("Page.navigate", url="file://" + control)
    deadline = time.monotonic() + 10
    while Listener.hits == 0 and time.monotonic() < deadline:
        time.sleep(0.05)


sys.exit(main())
