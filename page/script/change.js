// What the engine did to a field's text: the kind of step an edit is, and the change it made.

// What kind of step an edit the engine made is, by its input type and the selection before it.
function kindOf(inputType, before) {
    const collapsed = before[0] === before[1];
    if (["insertText", "insertCompositionText", "insertReplacementText"].includes(inputType))
        return "typing";
    if (inputType === "deleteContentBackward" && collapsed)
        return "backspace";
    if (inputType === "deleteContentForward" && collapsed)
        return "delete";
    if (inputType === "insertLineBreak" || inputType === "insertParagraph")
        return "line";
    return inputType === "deleteByDrag" ? "drag" : "edit";
}

// The change that turned text `was` into `now`: the differing middle. Where an insertion or a
// removal could sit at several places in a run of equal characters, it sits no later than `from`,
// where the selection began, and ends no earlier than `to`, where the caret is now: so typing and
// deleting runs meet end to end, and a letter typed over a selection that ends in it is typed.
function changeBetween(was, now, from, to) {
    const shorter = Math.min(was.length, now.length, from);
    let start = 0;
    while (start < shorter && was.charCodeAt(start) === now.charCodeAt(start))
        ++start;
    let [wasEnd, nowEnd] = [was.length, now.length];
    const nowFrom = Math.max(start, to);
    while (wasEnd > start && nowEnd > nowFrom && was.charCodeAt(wasEnd - 1) === now.charCodeAt(nowEnd - 1))
        [wasEnd, nowEnd] = [wasEnd - 1, nowEnd - 1];
    return { start, removed: was.slice(start, wasEnd), inserted: now.slice(start, nowEnd) };
}
