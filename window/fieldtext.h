#pragma once

#include <QString>

// How a field's text (code page 1252 characters, line breaks as CR LF) is shown in the editor.
// Control codes have no glyph of their own, a lone CR or LF is no line break and a NUL would end
// the text on the clipboard, so each control code is shown as a visible picture instead:
//   CR LF                    -> a line break ('\n')
//   0..31 (lone CR, LF too)  -> U+2400..U+241F, the Unicode control pictures
//   127                      -> U+2421
//   129, 141, 143, 144, 157  -> U+2422..U+2426, the five pictures no other code uses
// All other characters are shown as they are.
namespace FieldText {

// The shown form of text. Characters outside code page 1252 are shown as the '?' they count as.
QString ToDisplay(const QString &text);

// The text for any shown string, typed or pasted: each picture gives back its code, any line break
// (LF, CR LF, lone CR, U+2028, U+2029) gives CR LF, a raw control code stays itself and a character
// outside the code page gives '?'. Always a string of code page 1252 characters, and
// FromDisplay(ToDisplay(text)) == text.
QString FromDisplay(QStringView shown);

// What a typed or pasted string becomes in the editor: ToDisplay(FromDisplay(shown)).
QString Normalize(QStringView shown);

} // namespace FieldText
