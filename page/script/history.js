// A field's history of steps, linear, with typing run on as one step as in the program.

// A step of a field's history: the changes it made, each `removed` at `start` replaced by
// `inserted`, in order, and the selection before and after it, which undo and redo bring back.
const Step = (kind, changes, before, after) => ({ kind, changes, before, after });

// Typing runs on as one step, as in the program: text typed where the last typing ended, and
// Backspace or Delete pressed again where the last one left the caret. A typed text that replaced
// a selection takes the typing after it in too.
function mergeInto(last, step) {
    if (step.kind !== last.kind || step.changes.length !== 1 || last.changes.length !== 1)
        return false;
    const [was, now] = [last.changes[0], step.changes[0]];
    if (step.kind === "typing" && now.removed === "" && now.start === was.start + was.inserted.length)
        was.inserted += now.inserted;
    else if (step.kind === "backspace" && now.inserted === "" && now.start + now.removed.length === was.start)
        [was.start, was.removed] = [now.start, now.removed + was.removed];
    else if (step.kind === "delete" && now.inserted === "" && now.start === was.start)
        was.removed += now.removed;
    else
        return false;
    last.after = step.after;
    return true;
}
const RunsOn = ["typing", "backspace", "delete"];

// One field's history, linear: undo takes back the steps done, redo brings back the steps undone
// until a new step drops them.
class EditHistory {
    constructor() {
        this.steps = [];
        this.done = 0;
        this.open = false; // whether the last step takes in the next edit of its kind
    }

    get canUndo() { return this.done > 0; }
    get canRedo() { return this.done < this.steps.length; }

    add(step) {
        this.steps.length = this.done;
        if (!(this.open && mergeInto(this.steps[this.done - 1], step))) {
            this.steps.push(step);
            this.done = this.steps.length;
        }
        this.open = RunsOn.includes(step.kind);
    }

    undo() {
        this.open = false;
        return this.canUndo ? this.steps[--this.done] : null;
    }

    redo() {
        this.open = false;
        return this.canRedo ? this.steps[this.done++] : null;
    }
}
