// The key prompt (the dialog KeyPrompt), which asks for a key. The form's action that asks for one
// and keeps it is Form1.AskForKey.
const KeyDialog = {
    // Resolves to the typed key, or to the empty key when cancelled or closed.
    ask() {
        const dialog = $("KeyPrompt");
        const line = $("KeyLine");
        line.value = ""; // the current key is never shown
        dialog.returnValue = "";
        dialog.showModal();
        line.focus();
        return new Promise((resolve) => {
            dialog.addEventListener("close", () => {
                const key = dialog.returnValue === "ok" ? line.value : "";
                line.value = "";
                resolve(key);
            }, { once: true });
        });
    },

    // The key line shows what each character counts as while it is typed or pasted.
    listen() {
        const line = $("KeyLine");
        line.addEventListener("input", (event) => {
            if (!event.isComposing)
                this.showCounted(line);
        });
        line.addEventListener("compositionend", () => this.showCounted(line));
    },

    showCounted(line) {
        const composed = line.value.normalize("NFC");
        const counted = Core.keyAsCounted(composed);
        if (counted === line.value)
            return;
        const caret = line.value.slice(0, line.selectionEnd).normalize("NFC").length;
        line.value = counted;
        line.setSelectionRange(caret, caret);
    },
};
