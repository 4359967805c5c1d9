#!/usr/bin/env python3
"""zentolar.html in one engine, as a new user would try it: Chromium (headless, at a phone's size
with touch), Firefox ESR or WebKitGTK (on a private display, in a narrow window). The key dialog,
encoding and decoding hand-worked known answers, the copy control and Ctrl+Z; random texts of every
code against the program's own code (ORACLE) in the same run; and proof that the page asks for
nothing and keeps nothing: every request the browser makes goes to a real server on 127.0.0.1 (in
Chromium, which it reaches directly and whose own network log is read too; in Firefox and
WebKitGTK, as their proxy), which a control page without the page's policy reaches once.

Usage: check_page.py ENGINE PAGE ORACLE WORK"""

import http.server
import json
import os
import random
import shutil
import sys
import threading
import time
import unicodedata

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import checks  # noqa: E402
import engines  # noqa: E402
from checks import check  # noqa: E402
from engines import js  # noqa: E402
from rules import KNOWN_ANSWERS, batch, from_units, utf16  # noqa: E402

ENGINE = sys.argv[1]
PAGE, ORACLE, WORK = (os.path.abspath(a) for a in sys.argv[2:5])
HERE = os.path.dirname(os.path.abspath(__file__))
URL = "file://" + PAGE


# Code page 1252: the character for each code (the five undefined codes are the controls of the
# same value), written out by hand as the page's users know it.
CP1252 = [chr(c) for c in range(256)]
for code, char in zip(range(0x80, 0xA0), "€\x81‚ƒ„…†‡ˆ‰Š‹Œ\x8dŽ\x8f\x90‘’“”•–—˜™š›œ\x9džŸ"):
    CP1252[code] = char
NOT_IN_PAGE = ["Ω", "中", "😀", "\ud800", "\udfff", "\u0301", "\u200b", "\u2028", "\ufeff", "\u27e6", "\u27e7"]


def page_results(page, cases):
    """The same results as the oracle's, from the page's own functions."""
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
            return {{
                "encoded": tried(() => Core.EncryptText(text, key)), "decoded": tried(() => Core.DecryptText(text, key)),
                "shown": hex(Core.toDisplay(text)), "plain copy": hex(Core.toClipboard(text, false)),
                "encoded copy": hex(Core.toClipboard(text, true)), "pasted": hex(Core.fromPasted(pasted)),
                "typed": hex(Shown.typed(pasted)), "key": hex(Core.keyAsCounted(key)),
                "from shown": hex(Core.fromDisplay(pasted)),
            }};
        }});
    }})()""")


def random_cases(rng, count):
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
    return cases


class Listener(http.server.BaseHTTPRequestHandler):
    """A real server on 127.0.0.1 that keeps whatever reaches it: the address asked for, in full
    where it is the browser's proxy."""
    hits = []

    def do_GET(self):
        Listener.hits.append(self.path)
        self.send_response(200)
        self.end_headers()

    do_POST = do_CONNECT = do_GET

    def log_message(self, *args):
        pass


# Where Firefox itself goes, through the proxy the test gives it: Mozilla's services (its remote
# settings, which no preference stops in a release build) and the update services of its media
# plugins (Mozilla's, and Google's for Widevine).
FIREFOX_OWN = (".mozilla.com", ".mozilla.org", "update.googleapis.com")


def own_requests():
    """What reached the server but Firefox's own requests, which its proxy sees too."""
    return [hit for hit in Listener.hits if not (ENGINE == "firefox" and hit.split(":")[0].endswith(FIREFOX_OWN))]


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    server = http.server.HTTPServer(("127.0.0.1", 0), Listener)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    port = server.server_address[1]
    proxy = f"127.0.0.1:{port}"
    netlog = os.path.join(WORK, "netlog.json")
    if ENGINE == "chromium":
        # Chromium reaches the server itself; its network log is read too.
        options, control = {"arguments": ["--log-net-log=" + netlog]}, f"http://127.0.0.1:{port}/control"
    elif ENGINE == "firefox":
        # Every request Firefox makes, to 127.0.0.1 as well, goes to the server as its proxy; the
        # control page asks for an address that exists nowhere else.
        options = {"prefs": {"network.proxy.type": 1, "network.proxy.http": "127.0.0.1", "network.proxy.http_port": port,
                             "network.proxy.ssl": "127.0.0.1", "network.proxy.ssl_port": port,
                             "network.proxy.no_proxies_on": "", "network.proxy.allow_hijacking_localhost": True}}
        control = "http://control.invalid/control"
    else:
        options, control = {"proxy": proxy}, "http://control.invalid/control"
    with engines.engine(ENGINE, WORK, **options) as browser:
        run(browser, port, control)

    if ENGINE == "chromium":
        # Chromium's own log of every request its network stack started. The browser's own
        # (updates, time; sent nowhere here) have no initiator; a page's have its origin.
        with open(netlog) as f:
            log = json.load(f)
        started = log["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
        from_pages = [e["params"]["url"] for e in log["events"] if "url" in e.get("params", {})
                      and e["type"] == started and e["params"].get("initiator", "not an origin") != "not an origin"]
        check("Chromium's network log holds one request from a page, the control page's", from_pages == [control],
              from_pages)
    # The control page, which has no policy, shows that a request from a page is seen.
    check("the server on 127.0.0.1 was reached once, by the control page",
          [hit.endswith("/control") for hit in own_requests()] == [True], Listener.hits)
    server.shutdown()
    return checks.status()


def run(b, port, control):
    b.open(URL)
    b.wait("window.KeyPrompt && KeyPrompt.open")
    W = b.evaluate("W")

    # The key dialog, before anything else.
    check("the key dialog opens first, alone, titled Clave, with its message",
          b.evaluate("[document.getElementById('Form1').hidden, KeyTitle.textContent, KeyLabel.textContent,"
                     " KeyLine.labels[0] === KeyLabel, document.activeElement === KeyLine, KeyLine.value]")
          == [True, "Clave", "Ingrese la clave de codificación: ", True, True, ""])
    inside = []
    for _ in range(4):
        b.press("Tab")
        inside.append(b.evaluate("KeyPrompt.contains(document.activeElement) || document.activeElement === document.body"))
    check("Tab keeps the focus in the key dialog",
          all(inside) and b.evaluate("!document.getElementById('Form1').contains(document.activeElement)"))
    b.evaluate("(KeyLine.focus(), 0)")
    b.type("Clave")
    b.tap("#KeyOk")
    b.wait("!KeyPrompt.open && !document.getElementById('Form1').hidden")
    check("after the key the form shows, focus on Encriptar =>", b.evaluate("document.activeElement === Command1"))

    b.press("Tab")
    focus = b.evaluate("(() => { const s = getComputedStyle(document.activeElement);"
                       " return [document.activeElement.id, s.outlineStyle, parseFloat(s.outlineWidth),"
                       " document.activeElement.matches(':focus-visible')]; })()")
    if focus[3]:
        check("a control reached with Tab shows that it has the focus",
              focus[:2] == ["Command2", "solid"] and focus[2] >= 2, focus)
    else:
        print(f"SKIP: a control reached with Tab shows that it has the focus ({ENGINE}'s driver's Tab does not "
              "count as the keyboard's for :focus-visible)")
    b.evaluate("(Command1.focus(), 0)")
    fonts = b.evaluate("document.fonts.load('16px \"Zentolar Codigos\"', '\u2400\u2440')"
                       ".then((faces) => faces.map((face) => face.status))")
    check("the codes' font is the page's own and loads", fonts == ["loaded"], fonts)

    # A phone's layout, at the narrowest window the engine opens.
    layout = b.evaluate("""(() => {
        const r = (e) => e.getBoundingClientRect();
        const controls = [...document.querySelectorAll('#Form1 button, #Form1 textarea')];
        return { width: innerWidth, stacked: r(Text1).bottom <= r(Command1).top && r(Command4).bottom <= r(Text3).top,
                 small: controls.filter((e) => r(e).height < 44 || r(e).width < 44).map((e) => e.id),
                 wide: document.documentElement.scrollWidth - innerWidth,
                 captions: ['Label1', 'Label2', 'Command1', 'Command2', 'Command3', 'Command4'].map((id) => document.getElementById(id).textContent),
                 labelled: Text1.labels[0] === Label1 && Text3.labels[0] === Label2 };
    })()""")
    check(f"at {layout['width']} CSS pixels the fields stack with the buttons between them", layout["stacked"], layout)
    check("every control is at least 44 x 44 CSS pixels", not layout["small"], layout["small"])
    check("nothing scrolls sideways", layout["wide"] <= 0, layout["wide"])
    check("the labels and captions are the program's, the labels tied to their fields",
          layout["captions"] == ["Codigo sin codificar", "Codigo codificado", "Encriptar =>", "<= Desenciptar ",
                                 "Limpiar", "Cambiar Clave"] and layout["labelled"], layout)

    def paste(field, text):
        """A real paste: the text on the clipboard, then Ctrl+V in the field, all of it selected."""
        b.set_clipboard(text)
        b.evaluate(f"({field}.focus(), {field}.select(), 0)")
        b.press("v", ctrl=True)

    def copied(button):
        b.set_clipboard("nada copiado")
        b.tap(button)
        b.wait("Status.textContent !== ''")
        return b.clipboard()

    def new_key(typed, cancel=False):
        b.tap("#Command4")
        b.wait("KeyPrompt.open")
        b.type(typed)
        shown = b.evaluate("KeyLine.value")
        b.tap("#KeyCancel" if cancel else "#KeyOk")
        b.wait("!KeyPrompt.open")
        return shown

    # Known answers worked out by hand, as rules.py works them out.
    paste("Text1", "Hola")
    b.tap("#Command1")
    check("Hola under Clave encodes to ”°Â¦", b.evaluate("Text3.value") == "”°Â¦", b.evaluate("Text3.value"))
    check("the copy control copies the encoded field framed", copied("#Copy3") == "⟦”°Â¦⟧")
    check("the copy control copies the plain field as it is", copied("#Copy1") == "Hola")
    b.press("z", ctrl=True)
    check("Ctrl+Z takes the result back", b.evaluate("Text3.value") == "", b.evaluate("Text3.value"))
    paste("Text3", "\r\n\r\n  ⟦”°\r\n Â¦⟧ \r\n")
    b.tap("#Command2")
    check("the copy as mail brings it back decodes to Hola", b.evaluate("Text1.value") == "Hola")

    for key, shown, text, encoded, copy in KNOWN_ANSWERS:
        case = f"{text!r} under {key!r}"
        check(f"the key line shows {key!r} as {shown!r}", new_key(key) == shown)
        paste("Text1", text)
        b.tap("#Command1")
        check(f"{case} encodes to {encoded!r}", b.evaluate("Text3.value") == encoded, repr(b.evaluate("Text3.value")))
        check(f"{case}: the encoded copy is {copy!r}", copied("#Copy3") == copy)
        b.evaluate("(Fields.plain.setText(''), 0)")
        b.tap("#Command2")
        check(f"{case} decodes back", b.evaluate("Text1.value") == text)

    # The limit, with the program's message; the field keeps what it held.
    new_key("Clave")
    b.evaluate("(Fields.encoded.setText('antes'), 0)")
    paste("Text1", "a" * 32767)
    b.tap("#Command1")
    b.wait("ErrorBox.open")
    shown = b.evaluate("[ErrorText.textContent, ErrorTitle.textContent, Text3.value]")
    check("32767 characters fail with the program's overflow message, the encoded field unchanged",
          shown == ["Error 6: desbordamiento.\nEl texto tiene 32767 caracteres, contando cada salto de línea como dos.\n"
                    "Con clave, un texto puede tener como máximo 32766 caracteres.", "Zentolar", "antes"], shown)
    b.tap("#ErrorOk")
    b.wait("!ErrorBox.open")
    long = "".join(random.Random(5).choice(CP1252[33:]) for _ in range(32766))
    paste("Text1", long)
    b.tap("#Command1")
    check("the longest line encodes and nothing scrolls sideways",
          b.evaluate("[Text3.value.length, document.documentElement.scrollWidth <= innerWidth]") == [32766, True])

    # No key: the fields say so and the buttons copy texts unchanged.
    new_key("secreto", cancel=True)
    paste("Text1", "Hola")
    b.tap("#Command1")
    check("cancelled, there is no key: the notice shows and Encriptar => copies the text",
          b.evaluate("[Text1.placeholder, Text3.value]") == [W["NoKeyNotice"], "Hola"])
    b.tap("#Command4")
    b.wait("KeyPrompt.open")
    b.press("Escape")
    b.wait("!KeyPrompt.open")
    check("Escape closes the key dialog without a key", b.evaluate("Text3.placeholder") == W["NoKeyNotice"])
    b.tap("#Command3")
    check("Limpiar empties both fields", b.evaluate("[Text1.value, Text3.value]") == ["", ""])

    # A picture of the page at the phone's size, for the README (docs/page-phone.png).
    new_key("Clave")
    paste("Text1", "Nos vemos el martes a las seis\r\nen la plaza de siempre.\r\n¡No faltes!")
    b.tap("#Command1")
    b.evaluate("(document.activeElement.blur(), 0)")
    b.screenshot(os.path.join(WORK, "page-phone.png"))
    # And in the dark colour scheme, where the engine can be told (docs/page-phone-dark.png).
    if b.name == "chromium":
        b.page.send("Emulation.setEmulatedMedia", features=[{"name": "prefers-color-scheme", "value": "dark"}])
        b.screenshot(os.path.join(WORK, "page-phone-dark.png"))
        b.page.send("Emulation.setEmulatedMedia", features=[{"name": "prefers-color-scheme", "value": "light"}])

    # Random texts of every code, and the forms of what is pasted, against the program's own code.
    seed = int(os.environ.get("ZENTOLAR_PAGE_SEED", "2201"))
    cases = random_cases(random.Random(seed), 400)
    expected = batch(ORACLE, cases)
    got = []
    for start in range(0, len(cases), 50):
        got += page_results(b, cases[start:start + 50])
    differences = [(i, name, from_units(e[name])[:40], from_units(g.get(name, "-"))[:40])
                   for i, (e, g) in enumerate(zip(expected, got)) for name in e if e[name] != g.get(name)]
    check(f"{len(cases)} random texts, keys and pastes give the program's results and forms (seed {seed})",
          len(expected) == len(cases) and not differences, differences[:10])

    # Nothing leaves the page, nothing stays.
    outcome = b.evaluate(f"""(async () => {{
        const tries = [];
        try {{ await fetch({js(control.replace('/control', '/fetch'))}); tries.push('fetch sent'); }} catch {{ tries.push('fetch refused'); }}
        const image = new Image(); image.src = {js(control.replace('/control', '/image'))};
        await new Promise((done) => {{ image.onerror = done; image.onload = done; setTimeout(done, 1000); }});
        return [document.cookie, localStorage.length, sessionStorage.length, (await indexedDB.databases()).length, tries];
    }})()""")
    check("the page's own policy refuses a request", outcome[4] == ["fetch refused"], outcome)
    check("no cookie, local or session storage or IndexedDB", outcome[:4] == ["", 0, 0, 0], outcome)
    if ENGINE == "chromium":
        cookies = b.browser.send("Storage.getCookies")["cookies"]
        check("Chromium holds no cookie", cookies == [], cookies)
    check("nothing reached the server before the control page", own_requests() == [], Listener.hits)

    # The control: a page without the policy does reach the server.
    page = os.path.join(WORK, "control.html")
    with open(page, "w") as f:
        f.write(f"<script>fetch('{control}')</script>")
    if ENGINE == "chromium":
        b.browser.page().send("Page.navigate", url="file://" + page)
    else:
        b.open("file://" + page)
    deadline = time.monotonic() + 10
    while not Listener.hits and time.monotonic() < deadline:
        time.sleep(0.05)


sys.exit(main())
