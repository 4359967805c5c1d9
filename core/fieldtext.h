#pragma once

#include <stddef.h>

// How a field's text (code page 1252 characters, line breaks as CR LF) is shown in the editor and
// put on the clipboard, in the desktop program and in the page alike.
//
// In the editor, CR LF is a line break, a tab is a tab, and every code without a glyph of its own
// and the two that hide (160, a no-break space that looks like a blank, and 173, a soft hyphen
// that shows nothing) is shown as a character that the fields' own font draws as the code's two
// hex digits in a box:
//   0..31 but the tab (a lone CR or LF too)  -> U+2400..U+241F, the Unicode control pictures
//   127                                      -> U+2421
//   129, 141, 143, 144, 157, 160, 173        -> U+2440..U+2446
//
// On the clipboard, control codes are the Unicode control pictures (U+2400..U+241F, U+2421 for
// DEL, U+2422..U+2426 for the five undefined codes); no raw NUL ever reaches it.
// - A plain text is for the programs it is pasted into: line breaks, tabs, blanks, 160 and 173
//   are themselves.
// - An encoded text is sent by mail or chat and must come back exactly. Those roads reflow lines,
//   collapse runs of blanks, turn tabs into blanks and no-break spaces into blanks, and add blank
//   lines around a text. So an encoded copy holds no white space at all: each code is one visible
//   character, a blank U+2420, a tab U+2409 and a CR and an LF U+240D and U+240A (their pictures),
//   160 U+237D (the symbol for a no-break space). The whole copy is framed by U+27E6 and U+27E7,
//   "⟦" and "⟧", so a paste is known for one even when it is short and holds none of them, and
//   whatever white space a road put around or into it is dropped. Chats and forums format what
//   they are sent (Markdown and its dialects, HTML, emoji shortcodes, links) and editors correct
//   quotes and dashes: so every ASCII punctuation mark is its fullwidth form (U+FF01..U+FF5E,
//   "!" is "！"), which none of them takes for markup, and the soft hyphen, which shows nothing
//   and which a road may drop, is U+2010, a hyphen that always shows. Letters and digits are
//   themselves, so the copy still reads like the text it stands for.
//
// Each function writes into out, which has room for the number of units its comment gives, and
// returns the number it wrote.
namespace Core::FieldText {

// What a field puts on the clipboard: the text as it is for the programs it is pasted into, or a
// form that comes back exactly through the mail and chat an encoded text is sent by.
enum class CopyForm {
    Plain,
    Encoded,
};

// The editor form of text (room: length). Characters outside code page 1252 are shown as the '?'
// they count as.
size_t ToDisplay(const char16_t *text, size_t length, char16_t *out);

// The clipboard form of text (room: length + 2).
size_t ToClipboard(const char16_t *text, size_t length, CopyForm form, char16_t *out);

// The text for a string in the editor or the plain clipboard form, or typed (room: 2 * length):
// each box and each picture gives back its code (U+237D gives 160, U+2420 a blank), any line
// break (LF, CR LF, lone CR, U+2028, U+2029) gives CR LF, a raw control code stays itself and a
// character outside the code page gives one '?', also where UTF-16 needs two units for it. Always
// a string of code page 1252 characters, and FromDisplay(ToDisplay(text)) ==
// FromDisplay(ToClipboard(text, Plain)) == text.
size_t FromDisplay(const char16_t *shown, size_t length, char16_t *out);

// The text for a string pasted or dropped from anywhere, once composed (Unicode NFC, which the
// caller's platform does), so "e" and a combining acute accent give "é" (room: 2 * length).
// - A string that starts with "⟦" or ends with "⟧" (white space around it aside) is an encoded
//   copy, also where a selection made by hand missed the other mark: its white space and
//   invisible format characters other than the soft hyphen were added on the way and are dropped,
//   the stand-ins give their codes, and the rest is read as FromDisplay reads it (so an older
//   copy, with raw punctuation and soft hyphens, reads as it did). Both fields read it so, as the
//   marks are outside the code page: the encoded text may be encoded again under another key.
// - Otherwise, a string that holds a CR LF pair comes from a program with Windows line breaks:
//   there only CR LF pairs are line breaks, and a lone CR or LF stays a raw code. Any other string
//   is read as FromDisplay reads it.
// FromPasted(ToClipboard(text, form)) == text.
size_t FromPasted(const char16_t *composed, size_t length, char16_t *out);

// What mail and chat may add to a text: white space of any kind (as Unicode and Qt count it) and
// the invisible format characters some put where they split a line, the soft hyphen aside, which
// is a code of ours.
bool IsAdded(char16_t c);

} // namespace Core::FieldText
