#pragma once

#include "cipher/errors.h"
#include "core/cipher.h"

#include <QString>

#include <cstdint>

namespace Module1 {

// The longest text that EncryptText and DecryptText handle under a non-empty key.
inline constexpr int MaxTextLength = Core::MaxTextLength;

// The character's code in code page 1252; the code of '?' for a character it cannot hold.
std::int16_t CharCode(QChar c);

// The character for a code of code page 1252; CharCode(CodeToChar(v)) == v for every code.
QChar CodeToChar(std::uint8_t code);

// Encode and decode text under key (upper-cased; letter case does not matter). An empty key
// leaves the text as it is. Throws OverflowError for texts longer than MaxTextLength under a
// non-empty key.
QString EncryptText(const QString &text, QString key);
QString DecryptText(const QString &text, QString key);

// The program-wide strings the window's actions keep.
extern QString ResultText;
extern QString PlainText;
extern QString CipherText;
extern QString CipherKey;

} // namespace Module1
