#!/usr/bin/env python3
"""The page's two fields in one engine, edited as a user edits them.

First a table of step sequences, each with the texts, selections and histories it must leave,
worked out by hand. Then random sequences of the same steps against a plain model of the page:
each field a text, a selection and a linear history, and the program's rules asked of the
program's own code (ORACLE). Page and model are compared after every step; a difference prints
the seed and the sequence shrunk to the form of a row of the table.

Usage: check_page_fields.py ENGINE PAGE ORACLE WORK
  ZENTOLAR_PAGE_SEED      the first sequence's seed (default 1; "random" for a new one)
  ZENTOLAR_PAGE_SEQUENCES how many sequences (default 10)
  ZENTOLAR_PAGE_STEPS     steps in each (default 30)
  ZENTOLAR_PAGE_ROWS      only the rows whose names hold this text
  ZENTOLAR_PAGE_TRACE=1   prints each step"""

import os
import random
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import engines  # noqa: E402
from engines import js  # noqa: E402
from shrink import shrunk  # noqa: E402
from rules import Rules  # noqa: E402

FIELDS = ("Text1", "Text3")
RUNS_ON = ("typing", "backspace", "delete")
CP1252 = [chr(c) for c in range(32, 127)] + list("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ ¡¢£¤¥¦§¨©ª«¬®¯°±²³´µ¶·¸¹º»¼½¾¿") \
    + [chr(c) for c in range(0xC0, 0x100)]
PICTURES = ["\u2400", "\u240d", "\u240a", "\u2409", "\u2421", "\u2440", "\u2420", "\u237d"]
OUTSIDE = ["Ω", "中", "\u0301", "\u200b"]


class Field:
    """What a field holds: its text as shown, its selection and its history, linear: undo takes
    back the steps done, a new step drops those undone. A step is [kind, changes, before, after],
    each change [start, removed, inserted]."""

    def __init__(self):
        self.text, self.selection = "", (0, 0)
        self.steps, self.done, self.open = [], 0, False

    def replace(self, start, end, inserted):
        self.text = self.text[:start] + inserted + self.text[end:]

    def edit(self, kind, changes, after):
        """Makes changes (start, end, inserted; each on the text the one before left) as one
        step; a step that changes nothing is none."""
        before, made = self.selection, []
        for start, end, inserted in changes:
            removed = self.text[start:end]
            self.replace(start, end, inserted)
            if removed != inserted:
                made.append([start, removed, inserted])
        self.selection = after
        if not made:
            return
        del self.steps[self.done:]
        if not (self.open and self.merge(self.steps[-1], kind, made, after)):
            self.steps.append([kind, made, before, after])
        self.done = len(self.steps)
        self.open = kind in RUNS_ON

    @staticmethod
    def merge(last, kind, made, after):
        """Typing runs on: typed text where the last typing ended, Backspace or Delete again where
        the last one left the caret."""
        if kind != last[0] or len(made) != 1 or len(last[1]) != 1:
            return False
        was, (start, removed, inserted) = last[1][0], made[0]
        if kind == "typing" and not removed and start == was[0] + len(was[2]):
            was[2] += inserted
        elif kind == "backspace" and not inserted and start + len(removed) == was[0]:
            was[0], was[1] = start, removed + was[1]
        elif kind == "delete" and not inserted and start == was[0]:
            was[1] += removed
        else:
            return False
        last[3] = after
        return True

    def insert(self, kind, inserted):
        start, end = self.selection
        self.edit(kind, [(start, end, inserted)], (start + len(inserted),) * 2)

    def undo(self):
        self.open = False
        if self.done:
            self.done -= 1
            _, changes, before, _ = self.steps[self.done]
            for start, removed, inserted in reversed(changes):
                self.replace(start, start + len(inserted), removed)
            self.selection = before

    def redo(self):
        self.open = False
        if self.done < len(self.steps):
            _, changes, _, after = self.steps[self.done]
            for start, removed, inserted in changes:
                self.replace(start, start + len(removed), inserted)
            self.done += 1
            self.selection = after

    def history(self):
        return (self.done, len(self.steps))


class Model:
    """The page as its user sees it: the two fields, which one has the focus, the key and the
    field the last result went to."""

    def __init__(self, key):
        self.fields = {name: Field() for name in FIELDS}
        self.focus, self.key, self.last_result = None, key, None

    def field(self):
        return self.fields[self.focus]


STATE = """(() => {
    const field = (area, f) => [area.value, area.selectionStart, area.selectionEnd, f.history.done, f.history.steps.length];
    return [field(Text1, Fields.plain), field(Text3, Fields.encoded), document.activeElement.id,
            KeyPrompt.open, ErrorBox.open];
})()"""


class Driver:
    """Plays steps on the page in an engine and on the model at once, and compares the two."""

    def __init__(self, browser, rules, url, trace=False):
        self.browser, self.rules, self.url, self.trace = browser, rules, url, trace

    def start(self, key="Clave"):
        b = self.browser
        b.open(self.url)
        b.wait("window.KeyPrompt && KeyPrompt.open && window.Fields && Fields.plain")
        if key is None:
            b.tap("#KeyCancel")
        else:
            b.type(key)
            b.tap("#KeyOk")
        b.wait("!KeyPrompt.open && !document.getElementById('Form1').hidden")
        self.model = Model(self.rules.counted(key or ""))

    def differences(self, clipboard=None):
        text1, text3, focused, prompt, error = self.browser.evaluate(STATE)
        found = []
        for name, (text, start, end, done, total) in zip(FIELDS, (text1, text3)):
            f = self.model.fields[name]
            if text != f.text:
                at = next((i for i, (a, b) in enumerate(zip(text, f.text)) if a != b), min(len(text), len(f.text)))
                found.append(f"{name}: from unit {at} on the page holds {text[at:at + 40]!r} ({len(text)} in all), "
                             f"the model {f.text[at:at + 40]!r} ({len(f.text)})")
            elif (start, end) != f.selection:
                found.append(f"{name}: the page selects {(start, end)}, the model {f.selection}")
            if (done, total) != f.history():
                found.append(f"{name}: the page's history is {(done, total)} (done, steps), the model's {f.history()}")
        if prompt or error:
            found.append("a dialog stayed open")
        if clipboard is not None:
            got = self.browser.clipboard()
            if self.browser.blanks_nbsp:  # the engine's own loss, on every plain-text write
                clipboard = clipboard.replace("\u00a0", " ")
            if got != clipboard:
                found.append(f"the clipboard holds {got[:60]!r}, the model {clipboard[:60]!r}")
        return found

    def point(self, name, fx, fy):
        """A point of field name at fractions of its box, and where in its text a click there puts
        the caret, as the engine places it; the focus, the selection and the scroll are then as
        they were."""
        # An engine may still be scrolling the field to show its selection (Firefox, a frame or
        # more after Ctrl+A): the scroll must rest, for the click and the drop to hit one place.
        rest = f"""new Promise((done) => {{
            let last = -1, frames = 0;
            const look = () => {{
                if (({name}.scrollTop === last && ++frames >= 3) || frames > 60) return done({name}.scrollTop);
                if ({name}.scrollTop !== last) [last, frames] = [{name}.scrollTop, 0];
                requestAnimationFrame(look);
            }};
            look();
        }})"""
        self.browser.evaluate(f"({name}.scrollIntoView({{ block: 'nearest' }}), 0)")
        x, y, was = self.browser.evaluate(f"""(() => {{
            const r = {name}.getBoundingClientRect();
            // Inside the padding and the scroll bar.
            return [Math.round(r.x + 12 + {fx} * (r.width - 36)), Math.round(r.y + 14 + {fy} * (r.height - 28)),
                    [document.activeElement.id, {name}.selectionStart, {name}.selectionEnd, {name}.selectionDirection]];
        }})()""")
        focused, start, end, direction = was
        # Setting the selection back may scroll the field to show it (Firefox): then the click is
        # tried again where the field rests, until clicking and setting back leave it in place.
        for _ in range(4):
            top = self.browser.evaluate(rest)
            self.browser.click(x, y)
            at = self.browser.evaluate(f"{name}.selectionStart")
            self.browser.evaluate(f"""(() => {{
                const focused = document.getElementById({js(focused)});
                focused ? focused.focus({{ preventScroll: true }}) : document.activeElement.blur();
                {name}.setSelectionRange({start}, {end}, {js(direction)});
                return 0;
            }})()""")
            self.browser.evaluate(rest)
            self.browser.evaluate(f"({name}.scrollTop = {top}, 0)")
            if self.browser.evaluate(rest) == top:
                break
        if self.trace:
            print(f"  a click at {x}, {y} puts the caret at {at}", flush=True)
        return x, y, at

    def play(self, step):
        """Plays one step; returns the clipboard the model expects after it, if the step copied."""
        b, m, rules = self.browser, self.model, self.rules
        what, args = step[0], step[1:]
        if self.trace:
            print("  step", step, flush=True)
        if what == "focus":
            b.evaluate(f"({args[0]}.focus(), 0)")
            m.focus = args[0]
        elif what == "select":
            b.evaluate(f"({m.focus}.setSelectionRange({args[0]}, {args[1]}), 0)")
            n = len(m.field().text)
            m.field().selection = (min(args[0], n), min(args[1], n))
        elif what == "type":
            f = m.field()
            for c in args[0]:
                b.type(c)
                if c == "\n":
                    f.insert("line", "\n")
                else:
                    f.insert("typing", rules.typed(c))
        elif what == "compose":
            b.compose(args[0], args[1])
            # The page takes a composition in once the engine has finished committing it.
            b.evaluate("new Promise((done) => setTimeout(done, 20))")
            m.field().insert("typing", rules.typed(args[1]))
        elif what == "key":
            return self.key(*args)
        elif what == "paste":
            b.set_clipboard(args[0])
            b.press("v", ctrl=True)
            m.field().insert("paste", rules.pasted(args[0]))
        elif what in ("cut", "copy"):
            f = m.field()
            start, end = f.selection
            key = "x" if what == "cut" else "c"
            if start == end:
                b.press(key, ctrl=True)
                return None
            b.set_clipboard("nada copiado")
            b.press(key, ctrl=True)
            copied = rules.copy(f.text[start:end], m.focus == "Text3")
            if what == "cut":
                f.insert("cut", "")
            return copied
        elif what == "drop":
            text, name, fx, fy = args
            x, y, at = self.point(name, fx, fy)
            b.drop(x, y, text)
            m.focus = name
            shown = rules.pasted(text)
            m.field().edit("drop", [(at, at, shown)], (at + len(shown),) * 2)
        elif what == "drag":
            self.drag(*args)
        elif what in ("undo", "redo"):
            self.history(what, *args)
        elif what == "button":
            self.button(args[0])
        elif what == "key dialog":
            b.tap("#Command4")
            b.wait("KeyPrompt.open")
            b.type(args[0])
            b.tap("#KeyOk" if args[1] else "#KeyCancel")
            b.wait("!KeyPrompt.open")
            m.key = rules.counted(args[0]) if args[1] else ""
            m.focus = None
        else:
            raise ValueError(step)
        return None

    def key(self, name, modifier=""):
        b, m = self.browser, self.model
        f = m.field()
        start, end = f.selection
        b.press(name, ctrl=modifier == "ctrl", shift=modifier == "shift")
        if name == "Enter":
            f.insert("line", "\n")
        elif name in ("Backspace", "Delete") and (not modifier or start != end):
            if start != end:  # with Ctrl too, a selection goes and nothing else
                f.edit("edit", [(start, end, "")], (start, start))
            elif name == "Backspace" and start > 0:
                f.edit("backspace", [(start - 1, start, "")], (start - 1, start - 1))
            elif name == "Delete" and start < len(f.text):
                f.edit("delete", [(start, start + 1, "")], (start, start))
        else:
            # Where the caret goes, and what a word is, are the engine's: the model takes them from
            # the page, and for Ctrl+Backspace and Ctrl+Delete only a word next to the caret may go.
            text, got_start, got_end = b.evaluate(f"[{m.focus}.value, {m.focus}.selectionStart, {m.focus}.selectionEnd]")
            if text != f.text:
                gone = len(f.text) - len(text)
                at = got_start
                word = modifier == "ctrl" and name in ("Backspace", "Delete") and gone > 0 and got_start == got_end \
                    and f.text[:at] + f.text[at + gone:] == text \
                    and (at + gone == start if name == "Backspace" else at == start) and start == end
                if word:
                    f.edit("edit", [(at, at + gone, "")], (at, at))
                return None
            f.selection = (got_start, got_end)
        return None

    def drag(self, target, fx, fy):
        m = self.model
        source, f = m.focus, m.field()
        start, end = f.selection
        x, y, at = self.point(target, fx, fy)
        self.browser.drag(source, x, y)
        if start == end:  # nothing dragged
            return
        moved = f.text[start:end]
        m.focus = target
        if target == source:
            if start <= at <= end:
                return
            to = at - (end - start) if at > end else at
            f.edit("drop", [(start, end, ""), (to, to, self.rules.pasted(moved))], (to + len(moved),) * 2)
        else:
            f.edit("drag", [(start, end, "")], (start, start))
            shown = self.rules.pasted(moved)
            m.fields[target].edit("drop", [(at, at, shown)], (at + len(shown),) * 2)

    def history(self, what, how, name=None):
        b, m = self.browser, self.model
        if how == "button":  # Deshacer or Rehacer under field name, the focus staying where it is
            b.tap(f"#{'Undo' if what == 'undo' else 'Redo'}{name[-1]}")
        elif how == "outside":  # with the focus on a button: the last result's field
            b.evaluate("(Command1.focus(), 0)")
            name = m.last_result
            m.focus = None
            b.press("z", ctrl=True, shift=what == "redo")
            if name is None:
                return
        elif how == "own":
            name = m.focus
            b.own(what)
        else:
            name = m.focus
            b.press("y" if how == "ctrl+y" else "z", ctrl=True, shift=what == "redo" and how != "ctrl+y")
        getattr(m.fields[name], what)()

    def button(self, command):
        b, m, rules = self.browser, self.model, self.rules
        b.tap(f"#{command}")
        plain, encoded = m.fields["Text1"], m.fields["Text3"]
        m.focus = None

        def result(f, text):
            f.edit("result", [(0, len(f.text), text)], (0, 0))

        if command == "Command3":
            result(plain, "")
            result(encoded, "")
            m.last_result = "Text3"
            return
        encrypt = command == "Command1"
        source, target = (plain, encoded) if encrypt else (encoded, plain)
        shown = rules.result(source.text, m.key, encrypt)
        if shown is None:  # too long: the error is shown and closed, the field kept
            b.wait("ErrorBox.open")
            b.tap("#ErrorOk")
            b.wait("!ErrorBox.open")
            return
        result(target, shown)
        m.last_result = "Text3" if encrypt else "Text1"

    def run(self, steps, wanted=None):
        """Plays steps from a fresh page, comparing after each; then the wanted state, if given.
        Returns the differences found, with the step they came after."""
        self.start(*([steps[0][1]] if steps and steps[0][0] == "start" else []))
        steps = steps[1:] if steps and steps[0][0] == "start" else steps
        for i, step in enumerate(steps):
            found = self.differences(self.play(step))
            if found:
                return i, found
        if wanted:
            found = []
            for name, want in wanted.items():
                if name == "clipboard":
                    got = self.browser.clipboard()
                elif name.startswith("history "):
                    got = self.model.fields[name[8:]].history()
                else:
                    f = self.model.fields[name]
                    got = (f.text,) + f.selection
                if got != want:
                    found.append(f"{name}: wanted {want!r}, page and model hold {got!r}")
            if found:
                return len(steps), found
        return None


def can(browser, step):
    """Whether the engine can play a step the way a user would."""
    return {"drop": browser.drops, "drag": browser.drops, "compose": browser.composes}.get(step[0], True)


# Worked out by hand. A row: its name, its steps (from a page given the key "Clave", or the key a
# first ("start", KEY) step names, None for cancelled), and what the fields hold at its end: a
# field's text and selection, "history NAME" as (steps done, steps kept), or the clipboard.
ROWS = [
    ("a run of typing is one step, undone at once",
     [("focus", "Text1"), ("type", "hola"), ("undo", "keys")], {"Text1": ("", 0, 0), "history Text1": (0, 1)}),
    ("typed characters outside the code page count as a question mark each",
     [("focus", "Text1"), ("type", "añoΩ中\u0301")], {"Text1": ("año???", 6, 6), "history Text1": (1, 1)}),
    ("Enter is a step, and the typing after it another",
     [("focus", "Text1"), ("type", "ab\ncd"), ("undo", "keys")], {"Text1": ("ab\n", 3, 3), "history Text1": (2, 3)}),
    ("Backspace pressed again is one step",
     [("focus", "Text1"), ("type", "abcd"), ("key", "Backspace"), ("key", "Backspace"), ("undo", "keys")],
     {"Text1": ("abcd", 4, 4), "history Text1": (1, 2)}),
    ("Delete pressed again is one step",
     [("focus", "Text1"), ("type", "abcd"), ("select", 1, 1), ("key", "Delete"), ("key", "Delete")],
     {"Text1": ("ad", 1, 1), "history Text1": (2, 2)}),
    ("typing over a selection takes the typing after it in, and undo selects what it replaced",
     [("focus", "Text1"), ("type", "abcd"), ("select", 1, 3), ("type", "xy"), ("undo", "keys")],
     {"Text1": ("abcd", 1, 3), "history Text1": (1, 2)}),
    ("typing over a selection that ends in the letter typed takes the typing after it in",
     [("focus", "Text1"), ("type", "abcx"), ("select", 1, 4), ("type", "xy"), ("undo", "keys")],
     {"Text1": ("abcx", 1, 4), "history Text1": (1, 2)}),
    ("typing where the last typing did not end is a step of its own",
     [("focus", "Text1"), ("type", "abc"), ("key", "ArrowLeft"), ("type", "d"), ("undo", "keys")],
     {"Text1": ("abc", 2, 2), "history Text1": (1, 2)}),
    ("two pastes in a row are two steps",
     [("focus", "Text1"), ("paste", "P"), ("paste", "Q"), ("undo", "keys")], {"Text1": ("P", 1, 1), "history Text1": (1, 2)}),
    ("a paste after typing is a step of its own",
     [("focus", "Text1"), ("type", "ñ"), ("paste", "P"), ("undo", "keys")], {"Text1": ("ñ", 1, 1), "history Text1": (1, 2)}),
    ("typing after a paste is a step of its own",
     [("focus", "Text1"), ("paste", "P"), ("type", ";gj4C"), ("undo", "keys")], {"Text1": ("P", 1, 1), "history Text1": (1, 2)}),
    ("the encoded copy as mail brings it back pastes as the text it stands for",
     [("focus", "Text3"), ("paste", "\r\n\r\n  ⟦”°\r\n Â¦⟧ \r\n")], {"Text3": ("”°Â¦", 4, 4)}),
    ("the program's plain copy pastes with its line breaks and codes",
     [("focus", "Text1"), ("paste", "a\r\nb\u2400\tc\u00a0")], {"Text1": ("a\nb\u2400\tc\u2445", 7, 7)}),
    ("raw text pastes with its line breaks, composed, and what the code page lacks as '?'",
     [("focus", "Text1"), ("paste", "e\u0301\nΩ\r")], {"Text1": ("é\n?\n", 4, 4)}),
    ("a cut copies the encoded field's form and is a step",
     [("focus", "Text3"), ("paste", "a\tb c"), ("key", "a", "ctrl"), ("cut",)],
     {"Text3": ("", 0, 0), "clipboard": "⟦a␉b␠c⟧", "history Text3": (2, 2)}),
    ("a copy leaves the text and the history as they were",
     [("focus", "Text1"), ("type", "hola"), ("select", 1, 3), ("copy",)],
     {"Text1": ("hola", 1, 3), "clipboard": "ol", "history Text1": (1, 1)}),
    ("redo brings back the text and the caret after it",
     [("focus", "Text1"), ("type", "hola"), ("select", 1, 3), ("type", "X"), ("undo", "keys"), ("redo", "keys")],
     {"Text1": ("hXa", 2, 2), "history Text1": (2, 2)}),
    ("Ctrl+Y redoes too",
     [("focus", "Text1"), ("type", "ab"), ("undo", "keys"), ("redo", "ctrl+y")], {"Text1": ("ab", 2, 2)}),
    ("an edit after undo drops what there was to redo",
     [("focus", "Text1"), ("type", "ab"), ("undo", "keys"), ("type", "c"), ("redo", "keys")],
     {"Text1": ("c", 1, 1), "history Text1": (1, 1)}),
    ("each field's Ctrl+Z undoes that field alone",
     [("focus", "Text1"), ("type", "uno"), ("focus", "Text3"), ("type", "dos"), ("undo", "keys")],
     {"Text1": ("uno", 3, 3), "Text3": ("", 0, 0)}),
    ("after Limpiar, Ctrl+Z in the plain field brings back its own text only",
     [("focus", "Text1"), ("type", "uno"), ("focus", "Text3"), ("type", "dos"), ("button", "Command3"),
      ("focus", "Text1"), ("undo", "keys")],
     {"Text1": ("uno", 3, 3), "Text3": ("", 0, 0), "history Text3": (2, 2)}),
    ("after encoding and decoding, Ctrl+Z in the encoded field takes back its own result",
     [("focus", "Text1"), ("type", "Hola"), ("button", "Command1"), ("focus", "Text1"), ("type", "!"),
      ("button", "Command2"), ("focus", "Text3"), ("undo", "keys")],
     {"Text1": ("Hola", 0, 0), "Text3": ("", 0, 0), "history Text1": (2, 2), "history Text3": (0, 1)}),
    ("Ctrl+Z with the focus on a button takes back the last result",
     [("focus", "Text1"), ("type", "Hola"), ("button", "Command1"), ("undo", "outside")],
     {"Text3": ("", 0, 0), "history Text3": (0, 1), "Text1": ("Hola", 4, 4)}),
    ("Deshacer and Rehacer act on their own field",
     [("focus", "Text1"), ("type", "uno"), ("focus", "Text3"), ("type", "dos"), ("focus", "Text1"),
      ("undo", "button", "Text3"), ("undo", "button", "Text1"), ("redo", "button", "Text1"), ("undo", "button", "Text1")],
     {"Text1": ("", 0, 0), "Text3": ("", 0, 0), "history Text3": (0, 1)}),
    ("the browser's own Undo takes back typing in its field",
     [("focus", "Text1"), ("type", "hola"), ("focus", "Text3"), ("type", "x"), ("focus", "Text1"), ("undo", "own")],
     {"Text1": ("", 0, 0), "Text3": ("x", 1, 1)}),
    ("a dropped text lands where it falls, as a step",
     [("focus", "Text1"), ("type", "uno"), ("drop", "dos\u2400", "Text1", 0.95, 0.0), ("undo", "keys")],
     {"Text1": ("uno", 3, 3), "history Text1": (1, 2)}),
    ("text dragged within a field moves there in one step",
     [("focus", "Text1"), ("type", "uno dos"), ("select", 0, 4), ("drag", "Text1", 0.95, 0.0)],
     {"Text1": ("dosuno ", 7, 7), "history Text1": (2, 2)}),
    ("text dragged to the other field leaves its own, a step in each",
     [("focus", "Text1"), ("type", "uno dos"), ("select", 0, 3), ("drag", "Text3", 0.95, 0.0)],
     {"Text1": (" dos", 0, 0), "Text3": ("uno", 3, 3), "history Text1": (2, 2), "history Text3": (1, 1)}),
    ("an input method's composition goes in as typing, brought into the code page",
     [("focus", "Text1"), ("compose", ["n", "ñ"], "ñ"), ("type", "o"), ("compose", ["か"], "か")],
     {"Text1": ("ño?", 3, 3), "history Text1": (1, 1)}),
    ("without a key, Encriptar => copies the text",
     [("start", None), ("focus", "Text1"), ("type", "Hola"), ("button", "Command1")], {"Text3": ("Hola", 0, 0)}),
    ("Cambiar Clave then Cancelar leaves no key",
     [("key dialog", "otra", False), ("focus", "Text1"), ("type", "Hola"), ("button", "Command1")],
     {"Text3": ("Hola", 0, 0)}),
    ("a key typed in small letters encodes as in capitals",
     [("key dialog", "clave", True), ("focus", "Text1"), ("type", "Hola"), ("button", "Command1")],
     {"Text3": ("”°Â¦", 0, 0)}),
    ("a text over the limit leaves the encoded field as it was",
     [("focus", "Text3"), ("type", "antes"), ("focus", "Text1"), ("paste", "a" * 32767), ("button", "Command1")],
     {"Text3": ("antes", 5, 5), "history Text3": (1, 1)}),
    # Found by the random driver.
    ("with the focus on a button and no result yet, Ctrl+Z changes nothing",
     [("focus", "Text3"), ("type", "Y"), ("undo", "outside")], {"Text3": ("Y", 1, 1), "history Text3": (1, 1)}),
    ("a drop below the last line lands at the end of the text",
     [("focus", "Text1"), ("type", "uno\ndos"), ("focus", "Text3"), ("drop", "X", "Text1", 0.5, 0.95)],
     {"Text1": ("uno\ndosX", 8, 8)}),
    ("a tap on Deshacer with nothing to undo leaves the focus in its field",
     [("focus", "Text3"), ("undo", "button", "Text1"), ("paste", "P")], {"Text3": ("P", 1, 1)}),
    ("typing after Shift+Down on the last line goes in",
     [("focus", "Text3"), ("type", "ð"), ("key", "ArrowDown", "shift"), ("type", " x")],
     {"Text3": ("ð x", 3, 3), "history Text3": (1, 1)}),
    # Where a wrapped line starts depends on the font: the page is held to the model, which asks
    # where a click there puts the caret.
    ("a drop at the start of a wrapped line lands there, not at the text's end",
     [("focus", "Text3"), ("paste", "x" * 200), ("drop", "¯", "Text3", 0.0, 0.3)], {}),
    ("a composition that replaces a '?' with what counts as '?' is no step",
     [("focus", "Text3"), ("type", "ab?"), ("select", 2, 3), ("compose", ["か"], "か")],
     {"Text3": ("ab?", 3, 3), "history Text3": (1, 1)}),
    ("a drop on the middle one of three empty lines lands there",
     [("start", "x"), ("focus", "Text3"), ("focus", "Text1"), ("paste", "\r\n\r\n ⟦␍␊⟧ \r\n"), ("key", "Enter"),
      ("drop", "é)Ø_", "Text1", 0.91, 0.33)], {"Text1": ("\né)Ø_\n", 5, 5)}),
    ("text dragged onto an empty second line lands there",
     [("start", None), ("focus", "Text1"), ("drop", "\n\n·Ü+«$t»uq7ÊÊË¯ç˜¢á«0z¾ŠÊõ§Ô½", "Text3", 0.82, 0.72),
      ("select", 9, 18), ("drag", "Text3", 0.41, 0.16)],
     {"Text3": ("\nuq7ÊÊË¯ç˜\n·Ü+«$t»¢á«0z¾ŠÊõ§Ô½", 10, 10), "history Text3": (2, 2)}),
    ("Ctrl+Backspace with a selection takes the selection alone",
     [("focus", "Text1"), ("type", "uno dos"), ("select", 1, 5), ("key", "Backspace", "ctrl")],
     {"Text1": ("uos", 1, 1), "history Text1": (2, 2)}),
]


def random_text(rng, length, extra=()):
    pool = CP1252 + ["\n"] * 8 + list(extra)
    return "".join(rng.choice(pool) for _ in range(length))


def random_paste(rng, rules):
    """What a user pastes: a copy of either field, a copy as mail brings it back, or any text."""
    length = rng.choice([1, 3, 12, 60, 400, 3000])
    text = random_text(rng, length, PICTURES + OUTSIDE)
    way = rng.randrange(4)
    if way == 0:
        return rules.copy(rules.pasted(text), False)
    if way == 1:
        copy = rules.copy(rules.pasted(text), True)
        cut = [copy[i:i + 9] for i in range(0, len(copy), 9)]
        return "\r\n\r\n " + "\r\n".join(cut) + " \r\n"
    if way == 2:
        return text.replace("\n", "\r\n")
    return text


def random_sequence(rng, browser, rules, count):
    """Steps in random order; what a step needs (the focus, a selection) comes first."""
    steps = [("start", rng.choice(["Clave", "Clave", "x", None]))]
    focus = None
    while len(steps) < count:
        choice = rng.choices(["type", "key", "select", "paste", "cut", "copy", "undo", "redo", "focus",
                              "button", "drop", "drag", "compose", "key dialog"],
                             [14, 12, 6, 8, 3, 2, 8, 5, 4, 4, 2, 2, 2, 1])[0]
        if choice == "focus" or (focus is None and choice in ("type", "key", "select", "paste", "cut", "copy",
                                                                "redo", "drag", "compose")):
            focus = rng.choice(FIELDS)
            steps.append(("focus", focus))
            if choice == "focus":
                continue
        if choice == "type":
            steps.append(("type", random_text(rng, rng.choice([1, 1, 2, 5]), OUTSIDE + PICTURES)))
        elif choice == "key":
            name = rng.choice(["Backspace", "Backspace", "Delete", "Enter", "ArrowLeft", "ArrowRight", "Home",
                               "End", "ArrowUp", "ArrowDown"])
            # Shift+Delete cuts on Linux and Windows; Shift with Backspace deletes as Backspace does.
            modifier = rng.choice(["", "", "ctrl"] + (["shift"] if name.startswith(("Arrow", "Home", "End")) else []))
            modifier = "" if name == "Enter" else modifier
            steps.append(("key", name, modifier) if modifier else ("key", name))
            if rng.random() < 0.1:
                steps.append(("key", "a", "ctrl"))
        elif choice == "select":
            steps.append(("select", "random"))
        elif choice == "paste":
            steps.append(("paste", random_paste(rng, rules)))
        elif choice in ("cut", "copy"):
            steps += [("select", "random"), (choice,)]
        elif choice in ("undo", "redo"):
            # Not the engine's own Undo and Redo: an engine offers them only while its own history
            # holds something (the table tries them where it does).
            how = rng.choice(["keys", "keys", "button"] + (["ctrl+y"] if choice == "redo" else ["outside"]))
            if how in ("keys", "ctrl+y") and focus is None:
                focus = rng.choice(FIELDS)
                steps.append(("focus", focus))
            steps.append((choice, how, rng.choice(FIELDS)) if how == "button" else (choice, how))
            if how == "outside":
                focus = None
        elif choice == "button":
            steps.append(("button", rng.choice(["Command1", "Command2", "Command3"])))
            focus = None
        elif choice == "drop" and browser.drops:
            target = rng.choice(FIELDS)
            steps.append(("drop", random_text(rng, rng.choice([1, 4, 30]), PICTURES), target,
                          round(rng.random(), 2), round(rng.random(), 2)))
            focus = target
        elif choice == "drag" and browser.drops:
            target = rng.choice(FIELDS)
            steps += [("select", "random"), ("drag", target, round(rng.random(), 2), round(rng.random(), 2))]
            focus = target
        elif choice == "compose" and browser.composes:
            commit = rng.choice(["ñ", "é", "か", "ü", "Ω"])
            steps.append(("compose", [commit[:1]], commit))
        elif choice == "key dialog":
            steps.append(("key dialog", rng.choice(["Clave", "otra", ""]), rng.random() < 0.8))
            focus = None
    return steps


def play_random(driver, steps, rng):
    """Plays a random sequence, drawing each random selection from the model's text; returns the
    steps as played (a row) and the differences, if any."""
    played = []
    start = steps[0]
    driver.start(start[1])
    played.append(start)
    for step in steps[1:]:
        if step == ("select", "random"):
            if driver.model.focus is None:
                continue
            n = len(driver.model.field().text)
            a, b = sorted((rng.randint(0, n), rng.randint(0, n)))
            step = ("select", a, b)
        played.append(step)
        found = driver.differences(driver.play(step))
        if found:
            return played, found
    return played, None


def shrink(driver, steps, found, deadline):
    """The sequence shrunk while it still fails the same way (the same first difference, numbers
    aside), until no single step can go or time is up."""
    def kind(differences):
        return "".join(c for c in differences[0][:40] if not c.isdigit())

    def fails(tried):
        if time.monotonic() >= deadline:
            return False
        try:
            outcome = driver.run(tried)
        except Exception:  # a sequence the model cannot play (a step that needs the focus, say)
            return False
        return outcome is not None and kind(outcome[1]) == kind(found)

    return shrunk(steps, fails)


def main():
    name, page, oracle, work = sys.argv[1], *map(os.path.abspath, sys.argv[2:5])
    seed = os.environ.get("ZENTOLAR_PAGE_SEED", "1")
    seed = random.randrange(1, 10**9) if seed == "random" else int(seed)
    sequences = int(os.environ.get("ZENTOLAR_PAGE_SEQUENCES", "10"))
    length = int(os.environ.get("ZENTOLAR_PAGE_STEPS", "30"))
    trace = os.environ.get("ZENTOLAR_PAGE_TRACE") == "1"
    failed = False
    rules = Rules(oracle)
    with engines.engine(name, work) as browser:
        driver = Driver(browser, rules, "file://" + page, trace)
        only = os.environ.get("ZENTOLAR_PAGE_ROWS", "")
        for row, steps, wanted in ROWS:
            if only not in row:
                continue
            if not all(can(browser, step) for step in steps):
                print(f"SKIP: {row} ({name} cannot play it as a user would)")
                continue
            try:
                outcome = driver.run(steps, wanted)
            except Exception as e:
                outcome = (None, [f"{type(e).__name__}: {e}"])
            if outcome:
                failed = True
                print(f"FAIL: {row}: after step {outcome[0]}:", *outcome[1], sep="\n    ")
            else:
                print(f"PASS: {row}")

        print(f"{sequences} random sequences of {length} steps in {name}, seeds {seed} to {seed + sequences - 1}",
              flush=True)
        clean = 0
        for n in range(seed, seed + sequences):
            rng = random.Random(n)
            steps = random_sequence(rng, browser, rules, length)
            try:
                played, found = play_random(driver, steps, rng)
            except Exception as e:
                played, found = steps, [f"{type(e).__name__}: {e}"]
            if not found:
                clean += 1
                continue
            failed = True
            print(f"FAIL: random sequence, seed {n}, after {len(played) - 1} steps:", *found, sep="\n    ")
            short = shrink(driver, played, found, time.monotonic() + 120)
            print(f"    shrunk to {len(short)} steps, as a row:\n    (\"seed {n}\", {short!r}, {{}}),", flush=True)
        print(f"{'PASS' if clean == sequences else 'FAIL'}: {clean} of {sequences} random sequences ran clean in {name}")
    rules.close()
    return 1 if failed else 0


sys.exit(main())
