#!/usr/bin/env python3
"""The page's figures, each against a floor in the same run of the same engine.

- Its size in bytes, with its font and WebAssembly.
- In Chromium (headless, at a phone's size): the time from navigation to a usable key dialog,
  against a bare page with two text areas; and the same for the site (the page's folder beside it)
  on nginx on 127.0.0.1, online and then with the host stopped, from its worker's copy, against the
  bare page kept by the same worker.
- In each engine (Chromium, Firefox ESR, WebKitGTK), for four texts of the longest length (the
  32766-character line without blanks, 16383 line breaks, 700 lines of prose and a random text of
  every code): pasting it with Ctrl+V, one typed key in it, Ctrl+Z after the paste, and
  "Encriptar =>", "<= Desenciptar " and "Limpiar" with it, each to the next painted frame, against
  bare text areas of the same size paying for the same: the same paste, key and Ctrl+Z (in
  WebKitGTK, whose driver's Ctrl+Z reaches no undo, the engine's own undo command), and a bare
  button that sets their texts to the results. Medians of ROUNDS rounds (default 7).

Usage: bench_page.py PAGE [ROUNDS] [ENGINE...]"""

import os
import random
import re
import shutil
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
import engines  # noqa: E402
from host import Host  # noqa: E402

PAGE = os.path.abspath(sys.argv[1])
SITE = os.path.splitext(PAGE)[0] + "-site"
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 7
ENGINES = sys.argv[3:] or engines.NAMES
PROSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support", "prosa.txt")
LIMIT = 2.0

BARE = """<!DOCTYPE html><html lang="es"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1"><title>Dos campos</title></head>
<body><textarea id="Text1" autofocus></textarea><textarea id="Text3"></textarea></body></html>"""

# Marks the moment a page is usable: its key dialog open (the page), or its first text area focused
# (the bare page), and then one frame painted.
USABLE = """
window.__usable = null;
const painted = () => requestAnimationFrame(() => setTimeout(() => { window.__usable = performance.now(); }));
new MutationObserver((changes, observer) => {
    if (document.querySelector('dialog[open]')) { observer.disconnect(); painted(); }
}).observe(document, { subtree: true, attributes: true, attributeFilter: ['open'] });
document.addEventListener('DOMContentLoaded', () => { if (document.title === 'Dos campos') painted(); });
"""

# Times from a key to the next painted frame: the page's work and the engine's both.
TIMER = """(() => {
    window.__took = null;
    const start = () => {
        const t0 = performance.now();
        window.__took = null;
        requestAnimationFrame(() => setTimeout(() => { window.__took = performance.now() - t0; }));
    };
    addEventListener('keydown', start, true);
    return 0;
})()"""


def texts():
    """The four shapes of the longest text, as the program holds them (line breaks as CR LF)."""
    rng = random.Random(7)
    line = "".join(rng.choice([chr(c) for c in range(33, 127)] + list("áéíóúñÑ¿¡ü")) for _ in range(32766))
    with open(PROSE, encoding="utf-8") as f:
        paragraphs = [p for p in f.read().split("\n") if p]
    prose = []
    while len(prose) < 700:
        prose += paragraphs
    prose = "\r\n".join(prose[:700])[:32766]
    codes = "".join(chr(rng.randrange(256)) for _ in range(32766))
    return {"the longest line": line, "16383 line breaks": "\r\n" * 16383, "700 lines of prose": prose,
            "every code": codes}


def took(browser):
    browser.wait("window.__took !== null", 120)
    return browser.evaluate("window.__took")


def median(measure):
    return statistics.median(measure() for _ in range(ROUNDS))


def usable_in(browser):
    """Navigation to a usable page, in ms, through about:blank."""
    page = browser.page
    page.send("Page.addScriptToEvaluateOnNewDocument", source=USABLE)

    def usable(url):
        page.send("Page.navigate", url="about:blank")
        page.wait("location.href === 'about:blank'")
        page.send("Page.navigate", url=url)
        page.wait("window.__usable !== null && window.__usable !== undefined")
        return page.evaluate("window.__usable")
    return usable


def medians(usable, page, bare):
    """Median times of 21 rounds, page and bare page, after a first load of each."""
    usable(page)
    usable(bare)
    times = {"page": [], "bare": []}
    for _ in range(21):
        times["page"].append(usable(page))
        times["bare"].append(usable(bare))
    return statistics.median(times["page"]), statistics.median(times["bare"])


def startup(work):
    """Chromium: navigation to a usable key dialog, page and bare page."""
    bare = os.path.join(work, "bare.html")
    with open(bare, "w") as f:
        f.write(BARE)
    with engines.engine("chromium", os.path.join(work, "startup")) as browser:
        return medians(usable_in(browser), "file://" + PAGE, "file://" + bare)


def site_startup(work):
    """Chromium: the site's page from the host, then from its worker's copy with the host stopped,
    against the bare page kept by the same worker: {"online": (page, bare), "offline": ...}."""
    root = os.path.join(work, "www")
    shutil.copytree(SITE, os.path.join(root, "page"))
    os.makedirs(os.path.join(root, "bare"))
    with open(os.path.join(root, "bare", "index.html"), "w") as f:
        f.write(BARE.replace("</body>", "<script>navigator.serviceWorker.register('sw.js')</script></body>"))
    with open(os.path.join(SITE, "sw.js")) as f:
        worker = re.sub(r"const FILES = \[[^]]*\];", 'const FILES = ["./"];', f.read())
    with open(os.path.join(root, "bare", "sw.js"), "w") as f:
        f.write(worker)
    host = Host(root, os.path.join(work, "host"))
    host.start()
    try:
        with engines.engine("chromium", os.path.join(work, "site")) as browser:
            usable = usable_in(browser)
            page, bare = host.url("page/"), host.url("bare/")
            for url in (page, bare):
                usable(url)
                browser.wait("navigator.serviceWorker.controller")
            online = medians(usable, page, bare)
            host.stop()
            return {"online": online, "offline": medians(usable, page, bare)}
    finally:
        host.stop()


def actions(name, work, shapes):
    """The page's actions on each shape beside a bare text area's, in one engine: name -> (page, bare)."""
    figures = {}
    with engines.engine(name, os.path.join(work, name)) as browser:
        browser.open("file://" + PAGE)
        browser.wait("window.KeyPrompt && KeyPrompt.open")
        browser.type("Clave")
        browser.press("Enter")
        browser.wait("!KeyPrompt.open")
        browser.evaluate(TIMER)
        # The bare text areas: the fields' size, nothing else of the page's; a bare button sets them.
        browser.evaluate("""(() => {
            const r = Text1.getBoundingClientRect();
            for (const [id, left] of [['Bare', 0], ['Bare2', r.width]]) {
                const bare = document.createElement('textarea');
                bare.id = id;
                bare.style.cssText = `position: fixed; left: ${left}px; top: 0; width: ${r.width}px; height: ${r.height}px`;
                document.body.append(bare);
                // Used once, as a field is: an engine may set up its editing only then.
                bare.focus();
            }
            Text3.focus();
            const button = document.createElement('button');
            button.id = 'BareButton';
            button.textContent = 'Poner';
            button.style.cssText = 'position: fixed; right: 0; bottom: 0; width: 80px; height: 48px';
            button.addEventListener('click', () => { [Bare.value, Bare2.value] = window.__next; });
            document.body.append(button);
            return 0;
        })()""")
        undo_floor = "document.execCommand('undo')" if name == "webkit" else None

        def prepare(expression):
            """Sets the stage, laid out and painted, so a measure pays for its own change alone."""
            browser.evaluate(f"({expression}, 0)")
            browser.evaluate("""new Promise((done) => {
                document.documentElement.getBoundingClientRect();
                requestAnimationFrame(() => setTimeout(done));
            })""")

        def in_bare(text, action):
            prepare(f"Bare.value = {engines.js(text)}, Bare.focus(), Bare.setSelectionRange(0, 0)")
            return action()

        def key(*args, **kwargs):
            browser.press(*args, **kwargs)
            return took(browser)

        def script(change):
            """A change a script makes, to the next painted frame."""
            # The layout is asked for at once, so that each engine lays out within the time taken.
            return browser.evaluate(f"""new Promise((done) => {{
                const t0 = performance.now();
                {change};
                document.documentElement.getBoundingClientRect();
                requestAnimationFrame(() => setTimeout(() => done(performance.now() - t0)));
            }})""")

        def bare_button(before, after):
            """The bare button setting the bare text areas from texts before to texts after."""
            prepare(f"[Bare.value, Bare2.value] = {engines.js(before)}, window.__next = {engines.js(after)}")
            return script("BareButton.click()")

        for shape, text in shapes.items():
            shown = browser.evaluate(f"Core.toDisplay({engines.js(text)})")
            copied = browser.evaluate(f"Core.toClipboard({engines.js(text)}, false)")
            encoded = browser.evaluate(f"Core.toDisplay(Core.EncryptText({engines.js(text)}, 'Clave'))")
            middle = len(shown) // 2
            browser.set_clipboard(copied)

            def page_paste():
                prepare("Fields.plain.setText(''), Text1.focus()")
                return key("v", ctrl=True)

            def bare_paste():
                return in_bare("", lambda: key("v", ctrl=True))

            def page_undo():
                page_paste()
                return key("z", ctrl=True)

            def bare_undo():
                bare_paste()
                return script(undo_floor) if undo_floor else key("z", ctrl=True)

            def page_typed():
                prepare(f"Fields.plain.setText(Core.fromDisplay({engines.js(shown)})), Text1.focus(),"
                        f" Text1.setSelectionRange({middle}, {middle})")
                return key("q")

            def bare_typed():
                prepare(f"Bare.value = {engines.js(shown)}, Bare.focus(), Bare.setSelectionRange({middle}, {middle})")
                return key("q")

            def page_button(button, plain, encoded_text):
                prepare(f"Fields.plain.setText(Core.fromDisplay({engines.js(plain)})),"
                        f" Fields.encoded.setText(Core.fromDisplay({engines.js(encoded_text)}))")
                return script(f"{button}.click()")

            def page_copy(how):
                prepare(f"Fields.encoded.setText(Core.fromDisplay({engines.js(encoded)})), Text3.focus(),"
                        " Text3.select()")
                return key("c", ctrl=True) if how == "keys" else script("Copy3.click()")

            def bare_copy(how):
                prepare(f"Bare.value = {engines.js(encoded)}, Bare.focus(), Bare.select()")
                return key("c", ctrl=True) if how == "keys" else script("navigator.clipboard.writeText(Bare.value)")

            browser.set_clipboard(copied)
            figures[shape] = {
                "paste": (median(page_paste), median(bare_paste)),
                "typed key": (median(page_typed), median(bare_typed)),
                "Ctrl+Z after the paste": (median(page_undo), median(bare_undo)),
                "Encriptar =>": (median(lambda: page_button("Command1", shown, "")),
                                 median(lambda: bare_button([shown, ""], [shown, encoded]))),
                "<= Desenciptar ": (median(lambda: page_button("Command2", "", encoded)),
                                    median(lambda: bare_button(["", encoded], [shown, encoded]))),
                "Limpiar": (median(lambda: page_button("Command3", shown, encoded)),
                            median(lambda: bare_button([shown, encoded], ["", ""]))),
                "Ctrl+C of the encoded text": (median(lambda: page_copy("keys")), median(lambda: bare_copy("keys"))),
                "Copiar of the encoded text": (median(lambda: page_copy("button")),
                                               median(lambda: bare_copy("button"))),
            }
    return figures


def main():
    failed = False
    size = os.path.getsize(PAGE)
    print(f"{os.path.basename(PAGE)}: {size} bytes ({size / 1024:.1f} KB), limit 200 KB")
    failed |= size > 200 * 1024
    with tempfile.TemporaryDirectory() as work:
        if "chromium" in ENGINES:
            page_ready, bare_ready = startup(work)
            print(f"chromium: navigation to a usable key dialog {page_ready:.2f} ms; a bare page with two text areas "
                  f"{bare_ready:.2f} ms; ratio {page_ready / bare_ready:.2f} (limit 1.5)")
            failed |= page_ready > 1.5 * bare_ready
            for road, (page_ready, bare_ready) in site_startup(work).items():
                print(f"chromium: the site {road}: navigation to a usable key dialog {page_ready:.2f} ms; "
                      f"a bare page kept by the same worker {bare_ready:.2f} ms; ratio {page_ready / bare_ready:.2f} "
                      "(limit 1.5)")
                failed |= page_ready > 1.5 * bare_ready
        shapes = texts()
        for name in ENGINES:
            for shape, rows in actions(name, work, shapes).items():
                for action, (page, bare) in rows.items():
                    # A floor under a millisecond is the timer's grain: it counts as one.
                    ratio = page / max(bare, 1.0)
                    over = ratio > LIMIT and page > 16  # within a frame, nobody waits
                    failed |= over
                    print(f"{name}: {shape}: {action}: page {page:.1f} ms, bare text area {bare:.1f} ms, "
                          f"ratio {ratio:.2f}{'  OVER ' + str(LIMIT) if over else ''}", flush=True)
    return 1 if failed else 0


sys.exit(main())
