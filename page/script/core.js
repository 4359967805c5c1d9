"use strict";
// The page's script is these files, joined by the build in a fixed order into the page's one
// script (page/CMakeLists.txt): the bridge to the core, the history, the change taken in from the
// engine, the field, the key prompt, the form, and the start. This one is the bridge: the core's
// rules, the program's own C++ compiled to WebAssembly, over JavaScript strings, and the words.

const $ = (id) => document.getElementById(id);

// The program's words and the core's WebAssembly, which the build writes into the page.
const W = JSON.parse($("Words").textContent);
const WASM = $("CoreModule").textContent;

class Overflow extends Error {
    constructor(length) {
        super("overflow");
        this.length = length; // -1 when a sum overflowed instead
    }
}
class OutOfMemory extends Error {}

// The core's exports (page/module.cpp), over JavaScript strings.
const Core = {
    exports: null,

    // Writes the inputs into the core's workspace, calls fn with each input's place and length,
    // then extra, then the output's place, which has room units of room.
    call(fn, inputs, room, extra = []) {
        const e = this.exports;
        const base = e.workspace(inputs.reduce((n, s) => n + s.length, room));
        if (!base)
            throw new OutOfMemory();
        const args = [];
        let at = base;
        for (const s of inputs) {
            const units = new Uint16Array(e.memory.buffer, at, s.length);
            for (let i = 0; i < s.length; ++i)
                units[i] = s.charCodeAt(i);
            args.push(at, s.length);
            at += 2 * s.length;
        }
        return { result: e[fn](...args, ...extra, at), out: at };
    },

    read(at, length) {
        const units = new Uint16Array(this.exports.memory.buffer, at, length);
        let s = "";
        for (let i = 0; i < length; i += 8192)
            s += String.fromCharCode.apply(null, units.subarray(i, Math.min(length, i + 8192)));
        return s;
    },

    form(fn, text, room, extra) {
        const { result, out } = this.call(fn, [text], room, extra);
        return this.read(out, result);
    },

    toDisplay(text) { return this.form("to_display", text, text.length); },
    toClipboard(text, encoded) { return this.form("to_clipboard", text, text.length + 2, [encoded ? 1 : 0]); },
    fromDisplay(shown) { return this.form("from_display", shown, 2 * shown.length); },
    // Composition is the browser's, as it is Qt's in the program.
    fromPasted(pasted) {
        const composed = pasted.normalize("NFC");
        return this.form("from_pasted", composed, 2 * composed.length);
    },
    keyAsCounted(key) {
        const { out } = this.call("key_as_counted", [key], key.length);
        return this.read(out, key.length);
    },
    transform(fn, text, key) {
        const { result, out } = this.call(fn, [text, key], text.length);
        if (result === 1)
            throw new Overflow(text.length);
        if (result === 2)
            throw new Overflow(-1);
        return this.read(out, text.length);
    },
    EncryptText(text, key) { return this.transform("encrypt", text, key); },
    DecryptText(text, key) { return this.transform("decrypt", text, key); },
    maxTextLength() { return this.exports.max_text_length(); },
};

// What typed and pasted text becomes in a field, as in the program's fields.
const Shown = {
    typed: (s) => Core.toDisplay(Core.fromDisplay(s.normalize("NFC"))),
    pasted: (s) => Core.toDisplay(Core.fromPasted(s)),
};

const format = (pattern, ...values) => values.reduce((s, v, i) => s.replace("%" + (i + 1), String(v)), pattern);

function errorMessage(failure) {
    if (failure instanceof Overflow) {
        const lines = [format(W.ErrorLine, W.OverflowNumber, W.OverflowDescription)];
        if (failure.length >= 0)
            lines.push(format(W.TextLengthLine, failure.length));
        lines.push(format(W.LimitLine, Core.maxTextLength()));
        return lines.join("\n");
    }
    if (failure instanceof OutOfMemory || failure instanceof RangeError)
        return W.OutOfMemory;
    return W.Unexpected;
}
