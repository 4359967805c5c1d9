// A field of the form, as the program's fields are, and what it shares with the other field: the
// drag between them and the size of a change made through the engine.

// The largest change the page makes through the engine's own editing commands, which cost more
// the more line breaks they cross: a larger one sets the whole text.
const ThroughEngine = { units: 256, lineBreaks: 16 };

// The line breaks in s, counted up to one more than a change through the engine may cross.
const lineBreaks = (s) => {
    let n = 0;
    for (let at = s.indexOf("\n"); at >= 0 && n <= ThroughEngine.lineBreaks; at = s.indexOf("\n", at + 1))
        ++n;
    return n;
};

// A drag of text out of a field: where it started, and whether the page placed the drop itself.
const Dragging = {
    from: null,
    placed: false,

    start(field) {
        this.from = field;
        field.dragged = field.selection();
        this.placed = false;
    },

    // The engine may take the dragged text away after the drop: placed stays until the next drag.
    end() {
        this.from = null;
    },
};

// A field, as the program's fields are: its text held in the code page with line breaks as CR LF,
// and a history of its own. The engine types and deletes; the page takes each such edit into the
// history and brings what it inserted into the code page. Pastes, cuts, drops, results, undo and
// redo the page makes itself, as the engine's own editing commands cost more the more line breaks
// they cross: a small change goes through them, as fast as typing, and a larger one sets the text.
class Field {
    constructor(area, encoded) {
        this.area = area;
        this.encoded = encoded; // the form in which it copies: the encoded field's, or plain
        this.history = new EditHistory();
        this.known = area.value; // the text as the page last took it in
        this.pending = null; // the input type and selection of an edit the engine is making
        this.composing = false;
        this.applying = false; // set while the page itself changes the text
        this.dragged = null; // the selection a drag out of this field started with
        // What the field tells the form: its text or its history changed; the engine's own Undo
        // (false) or Redo (true) was asked for in it.
        this.onChange = () => {};
        this.onHistoryCommand = () => {};
        this.listen();
    }

    text() {
        return Core.fromDisplay(this.area.value);
    }

    selection() {
        const a = this.area;
        return [a.selectionStart, a.selectionEnd, a.selectionDirection];
    }

    select([start, end, direction]) {
        this.area.setSelectionRange(start, end, direction || "none");
    }

    // Sets the whole text, as a result does: one step, with the caret at the start.
    setText(text) {
        this.takeIn();
        this.edit("result", [{ start: 0, removed: this.known.length, inserted: Core.toDisplay(text) }], [0, 0]);
        this.area.scrollTop = 0;
    }

    // Replaces the selection by shown text as one step of the kind given, the caret after it.
    insert(kind, shown) {
        this.takeIn();
        const [start, end] = this.selection();
        this.edit(kind, [{ start, removed: end - start, inserted: shown }], [start + shown.length, start + shown.length]);
    }

    // Makes the changes (start, count of units removed, text inserted; each on the text the one
    // before left) as one step; a step that changes nothing is none.
    edit(kind, changes, after) {
        const before = this.selection();
        const done = changes.map(({ start, removed, inserted }) => {
            const change = { start, removed: this.known.slice(start, start + removed), inserted };
            this.replace(start, start + removed, inserted);
            return change;
        }).filter((c) => c.removed !== c.inserted);
        this.select(after);
        if (done.length) {
            this.history.add(Step(kind, done, before, after));
            this.onChange();
        }
    }

    undo() {
        this.takeIn();
        const step = this.history.undo();
        if (step) {
            for (const c of [...step.changes].reverse())
                this.replace(c.start, c.start + c.inserted.length, c.removed);
            this.select(step.before);
        }
        this.onChange();
    }

    redo() {
        this.takeIn();
        const step = this.history.redo();
        if (step) {
            for (const c of step.changes)
                this.replace(c.start, c.start + c.removed.length, c.inserted);
            this.select(step.after);
        }
        this.onChange();
    }

    // Replaces the units from start to end of the text by shown text, outside the history.
    replace(start, end, shown) {
        const area = this.area;
        const now = this.known.slice(0, start) + shown + this.known.slice(end);
        const removed = this.known.slice(start, end);
        if (!removed && !shown)
            return;
        this.applying = true;
        try {
            let done = false;
            if (document.activeElement === area && removed.length + shown.length <= ThroughEngine.units
                && lineBreaks(removed) + lineBreaks(shown) <= ThroughEngine.lineBreaks) {
                area.setSelectionRange(start, end);
                done = (shown ? document.execCommand("insertText", false, shown) : document.execCommand("delete"))
                    && area.value === now;
            }
            if (!done) {
                const top = area.scrollTop;
                area.value = now;
                area.scrollTop = top;
            }
        } finally {
            this.applying = false;
        }
        this.known = now;
    }

    // Takes an edit the engine made into the history, as one step, and brings what it inserted
    // into the code page within that step.
    takeIn() {
        if (this.composing)
            return;
        const pending = this.pending;
        this.pending = null;
        const now = this.area.value;
        if (now === this.known)
            return;
        let after = this.selection();
        const before = pending ? pending.before : after;
        const change = changeBetween(this.known, now, Math.min(before[0], after[0]), after[0]);
        this.known = now;
        const shown = Shown.typed(change.inserted);
        if (shown !== change.inserted) {
            this.replace(change.start, change.start + change.inserted.length, shown);
            change.inserted = shown;
            after = [change.start + shown.length, change.start + shown.length];
            this.select(after);
        }
        // Brought into the code page, what was typed may be what it replaced: then it is no step.
        if (change.removed !== change.inserted) {
            this.history.add(Step(kindOf(pending ? pending.type : "", before), [change], before, after));
            this.onChange();
        }
    }

    // Where in the text a point of the page is, or null where the engine cannot tell. For a point
    // below the last line Firefox answers 1, a place among its own inner nodes: that point is after
    // the text. Offset 1 is a real place only on the line that holds it, the first, or the second
    // when the text starts with a line break (an empty line, whose caret no engine tells right:
    // Chromium's is empty, Firefox's at the first line's end). So a point below that line is after
    // the text, found from the first line's top and the line height, as no caret is read.
    offsetAt(x, y) {
        const at = document.caretPositionFromPoint ? document.caretPositionFromPoint(x, y) : null;
        if (!at || at.offsetNode !== this.area)
            return null;
        if (at.offset !== 1)
            return Math.min(at.offset, this.known.length);
        const area = this.area;
        const style = getComputedStyle(area);
        const line = parseFloat(style.lineHeight) || 0;
        const top = area.getBoundingClientRect().top + area.clientTop + parseFloat(style.paddingTop) - area.scrollTop;
        const lines = this.known.startsWith("\n") ? 2 : 1;
        return line > 0 && y >= top + lines * line ? this.known.length : Math.min(1, this.known.length);
    }

    listen() {
        const area = this.area;
        area.addEventListener("beforeinput", (event) => {
            if (this.applying)
                return;
            const type = event.inputType;
            if (type === "historyUndo" || type === "historyRedo") {
                // The engine's own Undo or Redo, from its menu: the form says which field it is for.
                event.preventDefault();
                this.onHistoryCommand(type === "historyRedo");
                return;
            }
            if (type === "deleteByDrag" && Dragging.placed) {
                event.preventDefault(); // the page moved the text itself
                return;
            }
            if (type === "insertFromDrop") {
                // A drop the page could not place: the engine put the caret where it goes, and took
                // away what was dragged within the field as a step of its own, which this one joins.
                event.preventDefault();
                this.takeIn();
                const dropped = event.dataTransfer ? event.dataTransfer.getData("text/plain") : event.data;
                this.insert("drop", Shown.pasted(dropped || ""));
                this.joinDrag();
                return;
            }
            if (type === "insertText" && event.data !== null && !event.isComposing) {
                const shown = Shown.typed(event.data);
                if (shown !== event.data) {
                    event.preventDefault();
                    this.insert("typing", shown);
                    return;
                }
            }
            this.takeIn();
            if (!this.composing) {
                this.pending = { type, before: this.selection() };
                // After Shift+Up on the first line or Shift+Down on the last, Firefox holds a
                // selection it inserts nothing at, and the key typed would be lost: set again, it
                // takes the edit.
                this.select(this.pending.before);
            }
        });
        area.addEventListener("input", (event) => {
            if (!this.applying && !event.isComposing)
                this.takeIn();
        });
        area.addEventListener("compositionstart", () => {
            this.takeIn();
            this.pending = { type: "insertCompositionText", before: this.selection() };
            this.composing = true;
        });
        // An engine may still be committing the composition here (Firefox puts its own text back
        // over a change made now): it is taken in by the input event that follows, or after.
        area.addEventListener("compositionend", () => {
            this.composing = false;
            setTimeout(() => this.takeIn());
        });
        area.addEventListener("paste", (event) => {
            event.preventDefault();
            this.insert("paste", Shown.pasted(event.clipboardData.getData("text/plain")));
        });
        const copy = (event) => {
            const [start, end] = this.selection();
            if (start === end)
                return;
            event.preventDefault();
            event.clipboardData.setData("text/plain",
                                        Core.toClipboard(Core.fromDisplay(area.value.slice(start, end)), this.encoded));
            if (event.type === "cut")
                this.insert("cut", "");
        };
        area.addEventListener("copy", copy);
        area.addEventListener("cut", copy);
        area.addEventListener("dragstart", () => {
            Dragging.start(this);
        });
        area.addEventListener("dragend", () => {
            Dragging.end();
        });
        area.addEventListener("drop", (event) => {
            const dropped = event.dataTransfer.getData("text/plain");
            const at = this.offsetAt(event.clientX, event.clientY);
            if (!dropped || at === null)
                return;
            event.preventDefault();
            this.takeIn();
            area.focus({ preventScroll: true });
            const shown = Shown.pasted(dropped);
            // Text dragged from a field leaves its place, unless dragged onto itself or copied.
            const from = event.dataTransfer.dropEffect === "copy" || event.ctrlKey ? null : Dragging.from;
            const dragged = from ? from.dragged : null;
            Dragging.placed = true;
            if (from === this && at >= dragged[0] && at <= dragged[1]) {
                this.select(dragged);
                return;
            }
            const changes = [];
            let to = at;
            if (from === this) {
                changes.push({ start: dragged[0], removed: dragged[1] - dragged[0], inserted: "" });
                if (at > dragged[1])
                    to -= dragged[1] - dragged[0];
            } else if (from) {
                from.takeIn();
                from.edit("drag", [{ start: dragged[0], removed: dragged[1] - dragged[0], inserted: "" }],
                          [dragged[0], dragged[0]]);
            }
            changes.push({ start: to, removed: 0, inserted: shown });
            this.edit("drop", changes, [to + shown.length, to + shown.length]);
        });
    }

    // A drop the engine placed after taking what was dragged within the field away itself: one step.
    joinDrag() {
        const history = this.history;
        const [drag, drop] = history.steps.slice(history.done - 2, history.done);
        if (drag && drop && drag.kind === "drag" && drop.kind === "drop" && drag.after[0] === drop.before[0]) {
            drag.changes.push(...drop.changes);
            drag.kind = "drop";
            drag.after = drop.after;
            history.steps.length = --history.done;
        }
    }

    // Copies the whole field in its clipboard form with one tap.
    async copyAll() {
        const copied = Core.toClipboard(this.text(), this.encoded);
        try {
            await navigator.clipboard.writeText(copied);
        } catch {
            // Without the asynchronous clipboard (an older browser, a refused permission) the
            // field's own copy does it.
            const focused = document.activeElement;
            const selection = this.selection();
            this.area.focus({ preventScroll: true });
            this.area.select();
            document.execCommand("copy");
            this.select(selection);
            if (focused)
                focused.focus({ preventScroll: true });
        }
    }
}
