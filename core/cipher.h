#pragma once

#include "config-zentolar.h"
#include "core/codepage.h"

namespace Core {

// The cipher's sums and its character counter are 16-bit integers.
inline constexpr int Int16Max = 32767;
inline constexpr int Int16Min = -32768;

// The longest text that the cipher handles under a non-empty key. The counter reaches the length
// plus one, so the limit is the counter's largest value less one: the fact the messages and the
// metainfo state can say nothing else than what Transform does.
inline constexpr int MaxTextLength = ZENTOLAR_MAX_TEXT_LENGTH;
static_assert(MaxTextLength == Int16Max - 1, "the 16-bit character counter sets the limit");

enum class Direction { Encrypt, Decrypt };

enum class Outcome {
    Done,
    // The text is longer than MaxTextLength: the 16-bit character counter cannot hold its length.
    TextTooLong,
    // A sum or difference of two codes left the 16-bit range (only codes outside 0..255 can).
    CodesOverflow,
};

// Code page 1252, as the cipher sees it.
struct Cp1252
{
    constexpr int16_t charCode(char16_t c) const { return CodePage::CodeOf(c); }
    constexpr char16_t codeToChar(uint8_t code) const { return CodePage::ToUnicode[code]; }
};

// Encodes or decodes text under key into out, which has room for length units. The key is
// counted upper-cased, so letter case does not matter; an empty key copies the text as it is.
// The code page is a parameter so that tests can watch the loop work and can feed it codes
// outside 0..255, as a double-byte code page would. Codes needs:
// int16_t charCode(char16_t) const; char16_t codeToChar(uint8_t) const.
template<Direction Way, typename Codes = Cp1252>
Outcome Transform(const char16_t *text, size_t length, const char16_t *key, size_t keyLength, char16_t *out,
                  const Codes &codePage = {})
{
    if (keyLength == 0) {
        for (size_t i = 0; i < length; ++i)
            out[i] = text[i];
        return Outcome::Done;
    }

    // A length the character counter cannot hold fails before any work.
    if (length > size_t(MaxTextLength) + 1)
        return Outcome::TextTooLong;

    // The codes of the key's capitals, worked out once where a key is of a usual length. Upper-
    // casing keeps one character for one, so the key keeps its length.
    constexpr size_t Kept = 256;
    int16_t keptCodes[Kept];
    const size_t kept = keyLength <= Kept ? keyLength : 0;
    for (size_t j = 0; j < kept; ++j)
        keptCodes[j] = codePage.charCode(CodePage::Capital(key[j]));

    // Text character i (counting from 1) takes key character (i mod L) + 1, so character 1 takes
    // key character 2.
    size_t j = 1 % keyLength;
    for (size_t i = 0; i < length; ++i) {
        const int t = codePage.charCode(text[i]);
        const int k = kept ? keptCodes[j] : codePage.charCode(CodePage::Capital(key[j]));
        const int s = Way == Direction::Encrypt ? t + k : t - k;
        if (s > Int16Max || s < Int16Min)
            return Outcome::CodesOverflow;
        // Reduction keeps the low 8 bits of the two's complement form: -56 becomes 200.
        out[i] = codePage.codeToChar(uint8_t(s & 0xFF));
        if (++j == keyLength)
            j = 0;
    }

    // After the last character the counter has nowhere to go past the limit: that length fails too,
    // but only once every character has been handled.
    return length > size_t(MaxTextLength) ? Outcome::TextTooLong : Outcome::Done;
}

// The key as it counts, for showing while it is typed: every character whose capital the code
// page cannot hold becomes the '?' it counts as; every other stays as typed, letter case
// included. Writes keyLength units to out.
constexpr void KeyAsCounted(const char16_t *key, size_t keyLength, char16_t *out)
{
    for (size_t i = 0; i < keyLength; ++i) {
        const bool held = CodePage::KeyCodeOf(key[i]) != CodePage::Substitute;
        out[i] = held ? key[i] : char16_t(CodePage::Substitute);
    }
}

} // namespace Core
