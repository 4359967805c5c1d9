#!/usr/bin/env python3
"""zentolar.html checked by axe-core, run in the page in headless Chromium through the DevTools
protocol, at a phone's size, in each state a user meets: the key dialog open, after a result, the
overflow message shown and without a key. Every violation fails, whatever its impact.

Usage: check_page_axe.py PAGE AXE WORK   (AXE: axe-core's axe.min.js)"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import engines  # noqa: E402

PAGE, AXE, WORK = (os.path.abspath(a) for a in sys.argv[1:4])

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

        def state(name):
            nonlocal failed
            violations = b.evaluate(RUN)
            failed |= bool(violations)
            print(("FAIL: " if violations else "PASS: ") + f"axe-core finds no violation {name}", *violations,
                  sep="\n    ")

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
    return 1 if failed else 0


sys.exit(main())
