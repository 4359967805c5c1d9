#pragma once

#include "errors.h"

#include <QString>
#include <QVarLengthArray>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace Module1::Detail {

enum class Direction { Encrypt, Decrypt };

// The loop shared by EncryptText and DecryptText. The code page is a parameter so that tests can
// watch the loop work and can feed it codes outside 0..255, as a double-byte code page would.
// CodePage needs: std::int16_t charCode(QChar) const; QChar codeToChar(std::uint8_t) const.
template<Direction Way, typename CodePage>
QString Transform(const QString &text, QString key, const CodePage &codePage)
{
    constexpr int Int16Max = std::numeric_limits<std::int16_t>::max();
    constexpr int Int16Min = std::numeric_limits<std::int16_t>::min();

    // Simple case mapping keeps one character for one, so the key keeps its length.
    for (QChar &c : key)
        c = c.toUpper();
    if (key.isEmpty())
        return text;

    // The character counter is a 16-bit integer: a length it cannot hold fails before any work.
    const qsizetype length = text.size();
    if (length > Int16Max)
        throw OverflowError(length);

    // Text character i (counting from 1) takes key character (i mod L) + 1, so character 1 takes
    // key character 2. Only the first length + 1 key characters can ever be reached.
    const qsizetype used = std::min(key.size(), length + 1);
    QVarLengthArray<int, 64> keyCodes(used);
    for (qsizetype j = 0; j < used; ++j)
        keyCodes[j] = codePage.charCode(key[j]);

    QString result(length, Qt::Uninitialized);
    QChar *out = result.data();
    const QChar *in = text.constData();
    qsizetype j = 1 % used;
    for (qsizetype i = 0; i < length; ++i) {
        const int t = codePage.charCode(in[i]);
        const int s = Way == Direction::Encrypt ? t + keyCodes[j] : t - keyCodes[j];
        if (s > Int16Max || s < Int16Min)
            throw OverflowError();
        // Reduction keeps the low 8 bits of the two's complement form: -56 becomes 200.
        out[i] = codePage.codeToChar(std::uint8_t(s & 0xFF));
        if (++j == used)
            j = 0;
    }

    // After character 32767 the 16-bit counter has nowhere to go: that length fails too, but only
    // once every character has been handled.
    if (length == Int16Max)
        throw OverflowError(length);
    return result;
}

} // namespace Module1::Detail
