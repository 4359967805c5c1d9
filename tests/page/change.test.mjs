// What the page takes in from an edit the engine made: the change, and the kind of step it is.
import assert from "node:assert/strict";
import test from "node:test";

import { load } from "./load.mjs";

const { changeBetween, kindOf } = load(["change"], ["changeBetween", "kindOf"]);

// The text before and after, where the selection began before the edit and where the caret is
// after it, and the change: start, removed, inserted.
const changes = [
    ["a letter typed at the end", "ab", "abc", 2, 3, [2, "", "c"]],
    ["a letter typed into a run of the same letter is where the caret was", "aa", "aaa", 1, 2, [1, "", "a"]],
    ["Backspace in a run of the same letter takes the one before the caret", "aaa", "aa", 1, 1, [1, "a", ""]],
    ["Delete in a run of the same letter takes the one after the caret", "aaa", "aa", 0, 0, [0, "a", ""]],
    ["a letter typed over a selection that ends in it replaces the whole selection", "xab", "xb", 1, 2,
        [1, "ab", "b"]],
    ["a line break typed", "ab", "a\nb", 1, 2, [1, "", "\n"]],
    ["a whole text replaced", "abc", "xyz", 0, 3, [0, "abc", "xyz"]],
    ["a word deleted backwards before the caret", "uno dos", "uno ", 4, 4, [4, "dos", ""]],
];

for (const [name, was, now, from, to, [start, removed, inserted]] of changes) {
    test(name, () => {
        assert.deepEqual({ ...changeBetween(was, now, from, to) }, { start, removed, inserted });
    });
}

// The engine's input type and the selection before the edit, and the kind of step.
const kinds = [
    ["a typed text is typing", "insertText", [3, 3], "typing"],
    ["Backspace at a caret is a backspace", "deleteContentBackward", [3, 3], "backspace"],
    ["Backspace over a selection is an edit of its own", "deleteContentBackward", [1, 3], "edit"],
    ["Delete at a caret is a delete", "deleteContentForward", [3, 3], "delete"],
    ["Delete over a selection is an edit of its own", "deleteContentForward", [1, 3], "edit"],
    ["Enter is a line", "insertLineBreak", [3, 3], "line"],
    ["text dragged away is a drag", "deleteByDrag", [1, 3], "drag"],
    ["an edit the engine did not name is an edit", "", [3, 3], "edit"],
];

for (const [name, inputType, before, kind] of kinds) {
    test(name, () => {
        assert.equal(kindOf(inputType, before), kind);
    });
}
