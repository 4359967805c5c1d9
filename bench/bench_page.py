#!/usr/bin/env python3
"""The page's figures, each against a floor in the same headless Chromium run (Debian's), at a
phone's size: its size in bytes with its font and WebAssembly; the time from navigation to a usable
key dialog, against a bare page with two text areas; and "Encriptar =>" on the longest text to a
painted field, against the same on a short text and against a bare text area set to the same
text. Medians of ROUNDS rounds (default 21).

Usage: bench_page.py PAGE [ROUNDS]"""

import os
import random
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "browser"))
from cdp import Chromium  # noqa: E402

PAGE = os.path.abspath(sys.argv[1])
ROUNDS = int(sys.argv[2]) if len(sys.argv) > 2 else 21
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


def ms(value):
    return f"{value:.2f} ms"


def main():
    with tempfile.TemporaryDirectory() as work:
        bare = os.path.join(work, "bare.html")
        with open(bare, "w") as f:
            f.write(BARE)
        browser = Chromium(work)
        try:
            page = browser.page()
            page.send("Page.enable")
            page.send("Emulation.setDeviceMetricsOverride", width=360, height=740, deviceScaleFactor=2, mobile=True)
            page.send("Page.addScriptToEvaluateOnNewDocument", source=USABLE)

            def usable(url):
                page.send("Page.navigate", url="about:blank")
                page.wait("location.href === 'about:blank'")
                page.send("Page.navigate", url=url)
                page.wait("window.__usable !== null && window.__usable !== undefined")
                return page.evaluate("window.__usable")

            times = {"page": [], "bare": []}
            usable("file://" + PAGE)  # the first load of each warms the caches
            usable("file://" + bare)
            for _ in range(ROUNDS):
                times["page"].append(usable("file://" + PAGE))
                times["bare"].append(usable("file://" + bare))
            page_ready = statistics.median(times["page"])
            bare_ready = statistics.median(times["bare"])

            # "Encriptar =>" to a painted field: the page with a key, the text set into the plain field.
            usable("file://" + PAGE)
            page.evaluate("KeyLine.value = 'Clave'; KeyOk.click()")
            page.wait("!KeyPrompt.open")
            rng = random.Random(7)
            letters = [chr(c) for c in range(33, 127)] + list("áéíóúñÑ¿¡ü")

            def encrypt(length):
                text = "".join(rng.choice(letters) for _ in range(length))
                page.evaluate(f"Field.setText(Text1, {text!r}); Field.setText(Text3, '')")
                return page.evaluate("""new Promise((done) => {
                    const start = performance.now();
                    Command1.click();
                    requestAnimationFrame(() => setTimeout(() => done(performance.now() - start)));
                })""")

            def bare_set(length):
                text = "".join(rng.choice(letters) for _ in range(length))
                return page.evaluate(f"""new Promise((done) => {{
                    const area = document.createElement('textarea');
                    document.body.append(area);
                    const start = performance.now();
                    area.value = {text!r};
                    requestAnimationFrame(() => setTimeout(() => {{ done(performance.now() - start); area.remove(); }}));
                }})""")

            longest = statistics.median(encrypt(32766) for _ in range(ROUNDS))
            short = statistics.median(encrypt(100) for _ in range(ROUNDS))
            floor = statistics.median(bare_set(32766) for _ in range(ROUNDS))
        finally:
            browser.close()

    size = os.path.getsize(PAGE)
    print(f"{os.path.basename(PAGE)}: {size} bytes ({size / 1024:.1f} KB), limit 200 KB")
    print(f"navigation to a usable key dialog: {ms(page_ready)}; bare page with two text areas: "
          f"{ms(bare_ready)}; ratio {page_ready / bare_ready:.2f} (limit 1.5)")
    print(f"\"Encriptar =>\" to a painted field, 32766 characters: {ms(longest)}; 100 characters: {ms(short)} "
          f"(ratio {longest / short:.2f}); a bare text area set to 32766 characters: {ms(floor)} "
          f"(ratio {longest / floor:.2f})")
    return 0 if size <= 200 * 1024 and page_ready <= 1.5 * bare_ready else 1


sys.exit(main())
