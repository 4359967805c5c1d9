// The form, Form1: its two fields, its four actions and the four strings they keep, and what it
// shows: the key's state, the status line and the error box.

const Text1 = $("Text1");
const Text3 = $("Text3");

// The four strings the actions keep. The key lives here only, as long as the page is open.
let ResultText = "";
let PlainText = "";
let CipherText = "";
let CipherKey = "";

function showError(message) {
    $("ErrorText").textContent = message;
    $("ErrorBox").showModal();
    $("ErrorOk").focus();
}

function showKeyState() {
    const notice = CipherKey === "" ? W.NoKeyNotice : "";
    for (const [field, note] of [[Text1, "NoKey1"], [Text3, "NoKey3"]]) {
        field.placeholder = notice;
        $(note).textContent = notice;
    }
}

// The two fields; Ctrl+Z with the focus outside them takes back the last result.
const Fields = {
    plain: null,
    encoded: null,
    lastResult: null,

    setText(field, text) {
        field.setText(text);
        this.lastResult = field;
    },

    focused() {
        return [this.plain, this.encoded].find((field) => field.area === document.activeElement) || null;
    },

    // Undo and redo reach a field by this one road: from its keys and the engine's own command, from
    // the buttons under it, and from Ctrl+Z on a button, for the field of the last result.
    undoRedo(field, redo) {
        if (field)
            redo ? field.redo() : field.undo();
    },

    // Ctrl+Z undoes and Ctrl+Shift+Z or Ctrl+Y redo in the field with the focus (not while an input
    // method composes, nor Ctrl+Shift+Y there), or with the focus on a button in the field of the
    // last result; not the engine's own undo, which would take back the last edit of either field.
    onKey(event) {
        const key = event.key.toLowerCase();
        if (!(event.ctrlKey || event.metaKey) || event.altKey || (key !== "z" && key !== "y"))
            return;
        const redo = key === "y" || event.shiftKey;
        const field = this.focused();
        if (field) {
            if (field.composing || (key === "y" && event.shiftKey))
                return;
        } else if (event.defaultPrevented || document.activeElement instanceof HTMLInputElement
                   || document.querySelector("dialog[open]")) {
            return;
        }
        event.preventDefault();
        this.undoRedo(field || this.lastResult, redo);
    },
};

const Form1 = {
    OnEncrypt() {
        PlainText = Fields.plain.text();
        ResultText = Core.EncryptText(PlainText, CipherKey);
        Fields.setText(Fields.encoded, ResultText);
    },
    OnDecrypt() {
        CipherText = Fields.encoded.text();
        ResultText = Core.DecryptText(CipherText, CipherKey);
        Fields.setText(Fields.plain, ResultText);
    },
    OnClear() {
        Fields.setText(Fields.plain, "");
        Fields.setText(Fields.encoded, "");
        ResultText = "";
    },
    OnChangeKey() {
        CipherKey = "";
        showKeyState();
        return Form1.AskForKey();
    },
    async AskForKey() {
        CipherKey = await KeyDialog.ask();
        showKeyState();
    },
};

// Failures end the action here and are told to the user.
function run(action) {
    $("Status").textContent = "";
    try {
        const done = action();
        if (done instanceof Promise)
            done.catch((failure) => showError(errorMessage(failure)));
    } catch (failure) {
        showError(errorMessage(failure));
    }
}

function start() {
    document.title = W.Name;
    $("Caption").textContent = W.Name;
    for (const id of ["Label1", "Label2", "Command1", "Command2", "Command3", "Command4"])
        $(id).textContent = W[id];
    $("KeyTitle").textContent = W.KeyTitle;
    $("KeyLabel").textContent = W.KeyMessage;
    $("KeyOk").textContent = W.Accept;
    $("KeyCancel").textContent = W.Cancel;
    $("ErrorTitle").textContent = W.Name;
    $("ErrorOk").textContent = W.Accept;
    $("EncryptDescription").textContent = W.PageEncryptDescription;
    $("DecryptDescription").textContent = W.PageDecryptDescription;
    $("Command1").setAttribute("aria-describedby", "NoKey1 EncryptDescription");
    $("Command2").setAttribute("aria-describedby", "NoKey1 DecryptDescription");
    $("Command3").setAttribute("aria-description", W.ClearDescription);
    $("Command4").setAttribute("aria-description", W.ChangeKeyDescription);

    Fields.plain = new Field(Text1, false);
    Fields.encoded = new Field(Text3, true);
    for (const [field, n, label] of [[Fields.plain, 1, W.Label1], [Fields.encoded, 3, W.Label2]]) {
        const [undo, redo, copy] = ["Undo", "Redo", "Copy"].map((name) => $(name + n));
        for (const [button, name] of [[undo, W.Undo], [redo, W.Redo], [copy, W.Copy]]) {
            button.textContent = name;
            button.setAttribute("aria-label", format(W.ControlLabel, name, label));
        }
        // Marked, not disabled: a tap on a disabled button would take the focus from the field.
        // Marked only when that changes, so a typed key restyles nothing.
        const mark = (button, can) => {
            if (button.getAttribute("aria-disabled") !== String(!can))
                button.setAttribute("aria-disabled", String(!can));
        };
        field.onChange = () => {
            mark(undo, field.history.canUndo);
            mark(redo, field.history.canRedo);
        };
        field.onChange();
        field.onHistoryCommand = (redo) => Fields.undoRedo(Fields.focused() || field, redo);
        // A tap on them leaves the focus, and a phone's keyboard, in the field.
        for (const button of [undo, redo])
            button.addEventListener("mousedown", (event) => event.preventDefault());
        undo.addEventListener("click", () => run(() => Fields.undoRedo(field, false)));
        redo.addEventListener("click", () => run(() => Fields.undoRedo(field, true)));
        copy.addEventListener("click", () => run(async () => {
            await field.copyAll();
            $("Status").textContent = format(W.Copied, label);
        }));
    }
    $("Command1").addEventListener("click", () => run(Form1.OnEncrypt));
    $("Command2").addEventListener("click", () => run(Form1.OnDecrypt));
    $("Command3").addEventListener("click", () => run(Form1.OnClear));
    $("Command4").addEventListener("click", () => run(Form1.OnChangeKey));
    KeyDialog.listen();
    document.addEventListener("keydown", (event) => Fields.onKey(event));

    // The key is asked for before anything else; then the window shows, with the focus on
    // "Encriptar =>".
    run(async () => {
        await Form1.AskForKey();
        $("Form1").hidden = false;
        $("Command1").focus();
    });
}
