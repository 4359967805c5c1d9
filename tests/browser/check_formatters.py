#!/usr/bin/env python3
"""An encoded copy sent through the chats and forums that format text, in one engine.

Random texts (every code, Spanish prose, the longest text and a short one) are encoded under
random keys and copied as "Codigo codificado" copies them, by the program's own code (ORACLE).
Each copy goes through the formatters chats use (formatters.mjs: markdown-it, commonmark, marked,
simple-markdown, GramJS's two Telegram parsers; and Debian's cmark-gfm, GitHub's), is shown as the
chat shows it (the HTML, or Telegram's text without its markers) and copied out as a reader does:
Ctrl+A, Ctrl+C. What the reader copied must read back as the encoded text by the program's paste
rule, and pasted with Ctrl+V into the page's fields too.

Usage: check_formatters.py ENGINE PAGE ORACLE WORK
  ZENTOLAR_FORMATTER_SEED   the texts' seed (default 1; "random" for a new one)
  ZENTOLAR_FORMATTER_TEXTS  how many texts (default 20), the longest and a short one among them"""

import html
import json
import os
import random
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import engines  # noqa: E402
from engines import js  # noqa: E402
from rules import Rules, batch, from_units  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
PROSE = os.path.join(HERE, "..", "support", "prosa.txt")
CP1252 = bytes(range(256)).decode("cp1252", errors="replace")
# A chat's message: the HTML as it shows it, or Telegram's text with its line breaks.
CHAT = """<!doctype html><meta charset="utf-8"><title>chat</title>
<style>body { font: 15px sans-serif; } .text { white-space: pre-wrap; }</style>
<body><div id="Message"></div>"""


def texts(rng, count, maximum):
    """count texts: the longest first, then a short one, then every code and prose by turns."""
    with open(PROSE, encoding="utf-8") as f:
        prose = f.read().replace("\r\n", "\n").replace("\n", "\r\n")
    out = []
    for i in range(count):
        if i == 0:
            out.append("".join(rng.choice(CP1252) for _ in range(maximum)))
        elif i == 1:
            out.append(rng.choice(CP1252))
        elif i % 2:
            out.append("".join(rng.choice(CP1252) for _ in range(rng.choice([3, 40, 400, 1500]))))
        else:
            start = rng.randrange(len(prose) // 2)
            out.append(prose[start:start + rng.choice([20, 200, 1500])])
    return out


def render(copies):
    """What each formatter makes of each copy."""
    node = subprocess.run(["node", os.path.join(HERE, "formatters.mjs")], cwd=HERE, check=True, text=True,
                          input="".join(json.dumps(c) + "\n" for c in copies), capture_output=True).stdout
    shown = [json.loads(line) for line in node.splitlines()]
    for copy, formats in zip(copies, shown):
        formats["cmark-gfm"] = subprocess.run(
            ["cmark-gfm", "--extension", "autolink", "--extension", "strikethrough", "--extension", "table",
             "--extension", "tagfilter", "--smart"], input=copy, text=True, capture_output=True, check=True).stdout
    return shown


def copied_out(browser, message, is_html):
    """The message shown as a chat shows it, selected and copied as a reader does."""
    browser.evaluate(f"""(() => {{
        const m = document.getElementById('Message');
        m.className = {js('' if is_html else 'text')};
        m[{js('innerHTML' if is_html else 'textContent')}] = {js(message)};
        document.body.focus();
        return 0;
    }})()""")
    browser.set_clipboard("nada copiado")
    browser.press("a", ctrl=True)
    browser.press("c", ctrl=True)
    return browser.clipboard()


def main():
    name, page, oracle, work = sys.argv[1], *map(os.path.abspath, sys.argv[2:5])
    seed = os.environ.get("ZENTOLAR_FORMATTER_SEED", "1")
    seed = random.randrange(1, 10**9) if seed == "random" else int(seed)
    count = int(os.environ.get("ZENTOLAR_FORMATTER_TEXTS", "20"))
    rng = random.Random(seed)
    maximum = 32766
    cases = []
    for text in texts(rng, count, maximum):
        key = "".join(rng.choice(CP1252[32:]) for _ in range(rng.choice([1, 5, 12])))
        cases.append((text, key, ""))
    encoded = [from_units(answer["encoded"]) for answer in batch(oracle, cases)]
    copies = [from_units(answer["encoded copy"]) for answer in batch(oracle, [(e, "", "") for e in encoded])]
    formats = render(copies)
    names = list(formats[0])

    rules = Rules(oracle)
    os.makedirs(work, exist_ok=True)
    chat = os.path.join(work, "chat.html")
    with open(chat, "w", encoding="utf-8") as f:
        f.write(CHAT)
    print(f"{count} texts from seed {seed} through {len(names)} formatters in {name}", flush=True)
    failed = 0
    with engines.engine(name, work) as browser:
        browser.open("file://" + chat)
        browser.wait("document.getElementById('Message')")
        out = {n: [copied_out(browser, f[n], not n.startswith("telegram")) for f in formats]
               for n in names}
        # Pasted into the page's fields, each copy by turns into either.
        browser.open("file://" + page)
        browser.wait("window.KeyPrompt && KeyPrompt.open && window.Fields && Fields.plain")
        browser.tap("#KeyCancel")
        browser.wait("!KeyPrompt.open && !document.getElementById('Form1').hidden")
        for n in names:
            wrong = []
            for i, (reader, text) in enumerate(zip(out[n], encoded)):
                want = rules.shown(text)
                program = rules.pasted(reader)
                field = ("Text1", "Text3")[i % 2]
                browser.set_clipboard(reader)
                browser.evaluate(f"({field}.focus(), {field}.select(), 0)")
                browser.press("v", ctrl=True)
                got = browser.evaluate(f"{field}.value")
                for where, came in (("the program", program), ("the page", got)):
                    if came != want:
                        at = next((j for j, (a, b) in enumerate(zip(came, want)) if a != b), min(len(came), len(want)))
                        wrong.append(f"text {i} ({len(text)} codes) in {where}, from unit {at} on: "
                                     f"{came[at:at + 20]!r} for {want[at:at + 20]!r}; the chat showed "
                                     f"{html.unescape(formats[i][n])[max(0, at - 10):at + 30]!r}")
            if wrong:
                failed += 1
                print(f"FAIL: {n} in {name}, seed {seed}: {len(wrong)} of {2 * count} pastes differ", *wrong[:5],
                      sep="\n    ")
            else:
                print(f"PASS: {n} in {name}: {count} of {count} copies read back exactly, in the program and "
                      "in the page")
    rules.close()
    return 1 if failed else 0


sys.exit(main())
