#!/usr/bin/env python3
"""zentolar.html checked by axe-core, run in the page in headless Chromium through the DevTools
protocol, at a phone's size, in each state a user meets: the key dialog open, after a result, the
overflow message shown and without a key, each in the light and the dark colour scheme. Every
violation fails, whatever its impact. Then, under forced colours (Windows' high contrast), every
control, the focus ring and the fields' text must stay visible.

Usage: check_page_axe.py PAGE AXE WORK   (AXE: axe-core's axe.min.js)"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import engines  # noqa: E402

PAGE, AXE, WORK = (os.path.abspath(a) for a in sys.argv[1:4])

# What forced colours leave of each control: its text, border and outline against its background.
FORCED = """(() => {
    const seen = (a, b) => a !== b && !(a.startsWith('rgba(') && a.endsWith(', 0)')) && a !== 'transparent';
    const out = [];
    const controls = [...document.querySelectorAll('textarea, button')].filter((e) => e.offsetParent);
    for (const e of controls) {
        const s = getComputedStyle(e);
        const back = s.backgroundColor === 'rgba(0, 0, 0, 0)' ? getComputedStyle(document.body).backgroundColor
                                                              : s.backgroundColor;
        if (!seen(s.color, back)) out.push(`${e.id}: its text ${s.color} on ${back}`);
        if (parseFloat(s.borderTopWidth) < 1 || !seen(s.borderTopColor, back))
            out.push(`${e.id}: its border ${s.borderTopWidth} ${s.borderTopColor} on ${back}`);
    }
    return out;
})()"""
RING = """(() => {
    const s = getComputedStyle(document.activeElement);
    const back = getComputedStyle(document.body).backgroundColor;
    return s.outlineStyle === 'none' || parseFloat(s.outlineWidth) < 2 || s.outlineColor === back
        ? [`${document.activeElement.id}: its focus ring ${s.outlineStyle} ${s.outlineWidth} ${s.outlineColor} on ${back}`]
        : [];
})()"""

# Every rule axe has, the best practices too.
RUN = """axe.run(document, { resultTypes: ['violations'] }).then((results) => results.violations.map((v) =>
    `${v.id} (${v.impact}): ${v.help}: ${v.nodes.map((n) => n.target.join(' ')).join(', ')}`))"""


def main():
    with open(AXE) as f:
        axe = f.read()
    failed = False
    with engines.engine("chromium", WORK) as b:
        b.open("file://" + PAGE)
        b.wait("window.KeyPrompt && KeyPrompt.open")
        b.evaluate(axe + "; 0")

        def media(**features):
            b.page.send("Emulation.setEmulatedMedia",
                        features=[{"name": k.replace("_", "-"), "value": v} for k, v in features.items()])

        def state(name):
            nonlocal failed
            for scheme in ("light", "dark"):
                media(prefers_color_scheme=scheme)
                violations = b.evaluate(RUN)
                failed |= bool(violations)
                print(("FAIL: " if violations else "PASS: ") + f"axe-core finds no violation {name}, {scheme}",
                      *violations, sep="\n    ")
            media(prefers_color_scheme="light")

        state("with the key dialog open")
        b.type("Clave")
        b.tap("#KeyOk")
        b.wait("!KeyPrompt.open && !document.getElementById('Form1').hidden")
        b.evaluate("(Text1.focus(), 0)")
        b.type("Hola")
        b.tap("#Command1")
        b.tap("#Copy3")
        b.wait("Status.textContent !== ''")
        state("after a result, copied")
        b.evaluate("(Fields.plain.setText('a'.repeat(32767)), 0)")
        b.tap("#Command1")
        b.wait("ErrorBox.open")
        state("with the overflow message shown")
        b.tap("#ErrorOk")
        b.tap("#Command4")
        b.wait("KeyPrompt.open")
        b.tap("#KeyCancel")
        b.wait("!KeyPrompt.open")
        state("without a key")

        # Forced colours, with a text of codes shown as boxes and the focus on a control by the keyboard.
        media(forced_colors="active")
        b.evaluate("(Fields.encoded.setText('a\\u0000b\\u00a0'), Command1.focus(), 0)")
        b.press("Tab")
        lost = b.evaluate(FORCED) + b.evaluate(RING)
        failed |= bool(lost)
        print(("FAIL: " if lost else "PASS: ") + "under forced colours every control and the focus ring stay visible",
              *lost, sep="\n    ")
    return 1 if failed else 0


sys.exit(main())
