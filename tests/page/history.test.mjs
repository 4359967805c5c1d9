// A field's history: what runs on as one step, and what undo and redo walk through.
import assert from "node:assert/strict";
import test from "node:test";

import { load } from "./load.mjs";

const { EditHistory, Step } = load(["history"], ["EditHistory", "Step"]);

// A step of one change: kind, start, removed, inserted (the selections do not matter here).
const step = (kind, start, removed, inserted) => Step(kind, [{ start, removed, inserted }], [start, start], [start, start]);
// The history's steps as "kind start removed>inserted", the first undone one after a "|".
const shown = (history) => history.steps.map((s, i) => (i === history.done ? "| " : "")
    + `${s.kind} ${s.changes.map((c) => `${c.start} ${c.removed}>${c.inserted}`).join(", ")}`).join("; ");

const rows = [
    ["typing where the last typing ended runs on as one step",
        [step("typing", 0, "", "a"), step("typing", 1, "", "b")], "typing 0 >ab"],
    ["typing elsewhere starts a step of its own",
        [step("typing", 0, "", "a"), step("typing", 5, "", "b")], "typing 0 >a; typing 5 >b"],
    ["a text typed over a selection takes the typing after it in",
        [step("typing", 2, "xy", "a"), step("typing", 3, "", "b")], "typing 2 xy>ab"],
    ["Backspace pressed again where the last one left the caret runs on",
        [step("backspace", 4, "d", ""), step("backspace", 3, "c", "")], "backspace 3 cd>"],
    ["Delete pressed again at the same place runs on",
        [step("delete", 2, "c", ""), step("delete", 2, "d", "")], "delete 2 cd>"],
    ["Backspace after typing starts a step of its own",
        [step("typing", 0, "", "ab"), step("backspace", 1, "b", "")], "typing 0 >ab; backspace 1 b>"],
    ["typing after a paste that ended there is a step of its own",
        [step("paste", 0, "", "ab"), step("typing", 2, "", "c")], "paste 0 >ab; typing 2 >c"],
    ["undo takes back the last step and leaves it to redo",
        [step("typing", 0, "", "a"), step("paste", 1, "", "b"), "undo"], "typing 0 >a; | paste 1 >b"],
    ["a new step drops the steps undone",
        [step("typing", 0, "", "a"), step("paste", 1, "", "b"), "undo", step("cut", 0, "a", "")],
        "typing 0 >a; cut 0 a>"],
    ["typing after an undo and a redo does not run on into the step redone",
        [step("typing", 0, "", "a"), "undo", "redo", step("typing", 1, "", "b")], "typing 0 >a; typing 1 >b"],
    ["undo with nothing done and redo with nothing undone change nothing",
        ["undo", step("typing", 0, "", "a"), "redo"], "typing 0 >a"],
];

for (const [name, actions, expected] of rows) {
    test(name, () => {
        const history = new EditHistory();
        for (const action of actions) {
            if (action === "undo")
                history.undo();
            else if (action === "redo")
                history.redo();
            else
                history.add(action);
        }
        assert.equal(shown(history), expected);
        assert.equal(history.canUndo, history.done > 0);
        assert.equal(history.canRedo, history.done < history.steps.length);
    });
}

test("undo and redo give back the step they walk over, and nothing past either end", () => {
    const history = new EditHistory();
    const typed = step("typing", 0, "", "a");
    history.add(typed);
    assert.equal(history.redo(), null);
    assert.equal(history.undo(), typed);
    assert.equal(history.undo(), null);
    assert.equal(history.redo(), typed);
});
