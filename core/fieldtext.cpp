#include "core/fieldtext.h"

#include "core/codepage.h"

namespace Core::FieldText {

namespace {

using CodePage::CodeOf;
using CodePage::ToUnicode;

constexpr char16_t Tab = 0x09;
constexpr char16_t Lf = 0x0A;
constexpr char16_t Cr = 0x0D;
constexpr char16_t Space = 0x20;
constexpr char16_t Del = 0x7F;
constexpr char16_t Pictures = 0x2400; // control picture for code 0
constexpr char16_t SpaceSymbol = 0x2420;
constexpr char16_t DelPicture = 0x2421;
constexpr char16_t NoBreakSpace = 0xA0;
constexpr char16_t SoftHyphen = 0xAD;

// The codes the code page leaves undefined: those of 80-9F that stand for themselves.
constexpr bool isUndefined(int code)
{
    return code >= 0x80 && code < 0xA0 && ToUnicode[code] == code;
}
constexpr size_t UndefinedCount = [] {
    size_t count = 0;
    for (int code = 0x80; code < 0xA0; ++code)
        count += isUndefined(code);
    return count;
}();
constexpr Table<char16_t, UndefinedCount> Undefined = [] {
    Table<char16_t, UndefinedCount> codes {};
    size_t i = 0;
    for (int code = 0x80; code < 0xA0; ++code) {
        if (isUndefined(code))
            codes[i++] = char16_t(code);
    }
    return codes;
}();
constexpr char16_t UndefinedPictures = 0x2422;
// The codes shown as boxes, at U+2440 on: the undefined ones and the two that hide.
constexpr Table<char16_t, UndefinedCount + 2> Hidden = [] {
    Table<char16_t, UndefinedCount + 2> codes {};
    for (size_t i = 0; i < UndefinedCount; ++i)
        codes[i] = Undefined[i];
    codes[UndefinedCount] = NoBreakSpace;
    codes[UndefinedCount + 1] = SoftHyphen;
    return codes;
}();
constexpr char16_t HiddenBoxes = 0x2440;
constexpr char16_t NoBreakSpaceSymbol = 0x237D;
// An encoded copy is framed, so a paste can tell it from white space that mail or chat put
// around or into it.
constexpr char16_t OpeningMark = 0x27E6;
constexpr char16_t ClosingMark = 0x27E7;
// Within the frame, what a formatter, a chat or an editor may take for markup or change has a
// visible stand-in that none of them does: an ASCII punctuation mark its fullwidth form, the soft
// hyphen (which shows nothing, so a road may drop it) U+2010, a hyphen that always shows.
constexpr char16_t FullwidthOffset = 0xFF01 - 0x21;
constexpr char16_t SoftHyphenStandIn = 0x2010;

constexpr bool isAsciiPunctuation(int code)
{
    return code > 0x20 && code < 0x7F && !(code >= '0' && code <= '9') && !(code >= 'A' && code <= 'Z')
        && !(code >= 'a' && code <= 'z');
}

enum class Shown {
    InEditor,
    PlainCopy,
    EncodedCopy,
};

constexpr bool isLineBreak(char16_t c)
{
    return c == Cr || c == Lf || c == 0x2028 || c == 0x2029;
}

constexpr bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c < 0xDC00;
}

constexpr bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c < 0xE000;
}

// The shown character for each code, in the editor or on the clipboard; CR LF is paired up
// separately. All show control codes as their pictures; the editor shows the undefined codes and
// the two that hide as boxes, the clipboard the undefined codes as the spare pictures. An encoded
// copy shows every code that mail or chat treats as white space as a visible symbol: blanks, tabs
// and line breaks as their pictures, no-break spaces as the symbol for them.
constexpr Table<char16_t, 256> shownTable(Shown where)
{
    Table<char16_t, 256> table {};
    for (int code = 0; code < 256; ++code)
        table[code] = ToUnicode[code];
    for (int code = 0; code < 0x20; ++code)
        table[code] = code == Tab ? Tab : char16_t(Pictures + code);
    table[Del] = DelPicture;
    if (where == Shown::InEditor) {
        for (size_t i = 0; i < Hidden.size(); ++i)
            table[Hidden[i]] = char16_t(HiddenBoxes + i);
    } else {
        for (size_t i = 0; i < Undefined.size(); ++i)
            table[Undefined[i]] = char16_t(UndefinedPictures + i);
    }
    if (where == Shown::EncodedCopy) {
        table[Tab] = char16_t(Pictures + Tab);
        table[Space] = SpaceSymbol;
        table[NoBreakSpace] = NoBreakSpaceSymbol;
        table[SoftHyphen] = SoftHyphenStandIn;
        for (int code = 0; code < 0x80; ++code) {
            if (isAsciiPunctuation(code))
                table[code] = char16_t(code + FullwidthOffset);
        }
    }
    return table;
}

constexpr Table<char16_t, 256> Displayed = shownTable(Shown::InEditor);
constexpr Table<char16_t, 256> CopiedPlain = shownTable(Shown::PlainCopy);
constexpr Table<char16_t, 256> CopiedEncoded = shownTable(Shown::EncodedCopy);

enum class Breaks {
    Shown, // CR LF is one line break
    AsCodes, // CR and LF are each their picture
};

size_t shownForm(const char16_t *text, size_t n, const Table<char16_t, 256> &table, Breaks breaks,
                 char16_t *out)
{
    char16_t *const start = out;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t code = CodeOf(text[i]);
        if (breaks == Breaks::Shown && code == Cr && i + 1 < n && text[i + 1] == Lf) {
            *out++ = Lf;
            ++i;
        } else {
            *out++ = table[code];
        }
    }
    return size_t(out - start);
}

enum class LineBreaks {
    Any, // LF, CR LF, lone CR, U+2028 and U+2029 are line breaks
    CrLfOnly, // only CR LF pairs are; a lone CR or LF is a raw code
    InFrame, // as Any, in an encoded copy, whose stand-ins give their codes
};

// Writes at most two units for each one read, never ahead of position 2 * i + 2 after reading
// unit i: FromPasted relies on it to read from the upper half of out.
size_t textOf(const char16_t *shown, size_t n, LineBreaks breaks, char16_t *out)
{
    char16_t *const start = out;
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = shown[i];
        const bool pair = c == Cr && i + 1 < n && shown[i + 1] == Lf;
        if (breaks == LineBreaks::InFrame && c >= 0xFF01 && c <= 0xFF5E
            && isAsciiPunctuation(c - FullwidthOffset)) {
            *out++ = char16_t(c - FullwidthOffset);
        } else if (breaks == LineBreaks::InFrame && c == SoftHyphenStandIn) {
            *out++ = SoftHyphen;
        } else if (pair || (breaks != LineBreaks::CrLfOnly && isLineBreak(c))) {
            i += pair ? 1 : 0;
            *out++ = Cr;
            *out++ = Lf;
        } else if (c >= HiddenBoxes && c < HiddenBoxes + Hidden.size()) {
            *out++ = Hidden[c - HiddenBoxes];
        } else if (c >= Pictures && c <= SpaceSymbol) {
            *out++ = char16_t(c - Pictures);
        } else if (c == DelPicture) {
            *out++ = Del;
        } else if (c >= UndefinedPictures && c < UndefinedPictures + Undefined.size()) {
            *out++ = Undefined[c - UndefinedPictures];
        } else if (c == NoBreakSpaceSymbol) {
            *out++ = NoBreakSpace;
        } else {
            // One character outside the code page is one '?', also when it takes two units.
            if (isHighSurrogate(c) && i + 1 < n && isLowSurrogate(shown[i + 1]))
                ++i;
            *out++ = ToUnicode[CodeOf(c)];
        }
    }
    return size_t(out - start);
}

constexpr bool isSpace(char16_t c)
{
    // Unicode's separators (Zs, Zl, Zp) and the controls that are white space.
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680
        || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F
        || c == 0x3000;
}

// Unicode's invisible format characters (Cf) of the first plane.
constexpr bool isFormat(char16_t c)
{
    return c == SoftHyphen || (c >= 0x0600 && c <= 0x0605) || c == 0x061C || c == 0x06DD || c == 0x070F
        || c == 0x0890 || c == 0x0891 || c == 0x08E2 || c == 0x180E || (c >= 0x200B && c <= 0x200F)
        || (c >= 0x202A && c <= 0x202E) || (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x206F)
        || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

} // namespace

bool IsAdded(char16_t c)
{
    return isSpace(c) || (isFormat(c) && c != SoftHyphen);
}

size_t ToDisplay(const char16_t *text, size_t length, char16_t *out)
{
    return shownForm(text, length, Displayed, Breaks::Shown, out);
}

size_t ToClipboard(const char16_t *text, size_t length, CopyForm form, char16_t *out)
{
    if (form == CopyForm::Plain)
        return shownForm(text, length, CopiedPlain, Breaks::Shown, out);
    out[0] = OpeningMark;
    const size_t n = shownForm(text, length, CopiedEncoded, Breaks::AsCodes, out + 1);
    out[n + 1] = ClosingMark;
    return n + 2;
}

size_t FromDisplay(const char16_t *shown, size_t length, char16_t *out)
{
    return textOf(shown, length, LineBreaks::Any, out);
}

size_t FromPasted(const char16_t *composed, size_t length, char16_t *out)
{
    // Trimmed of white space, a copy framed by a mark at either end is an encoded copy. One mark
    // is enough, as a selection made by hand in a mail may miss the other; two copies pasted one
    // after another are read as one text.
    size_t first = 0;
    size_t end = length;
    while (first < end && isSpace(composed[first]))
        ++first;
    while (end > first && isSpace(composed[end - 1]))
        --end;
    if (first < end && (composed[first] == OpeningMark || composed[end - 1] == ClosingMark)) {
        // The codes' symbols, without what was added along the way, go to the upper half of out,
        // which textOf then reads without ever overtaking.
        char16_t *const symbols = out + length;
        size_t count = 0;
        for (size_t i = first; i < end; ++i) {
            const char16_t c = composed[i];
            if (!IsAdded(c) && c != OpeningMark && c != ClosingMark)
                symbols[count++] = c;
        }
        return textOf(symbols, count, LineBreaks::InFrame, out);
    }
    bool windows = false;
    for (size_t i = 0; i + 1 < length && !windows; ++i)
        windows = composed[i] == Cr && composed[i + 1] == Lf;
    return textOf(composed, length, windows ? LineBreaks::CrLfOnly : LineBreaks::Any, out);
}

} // namespace Core::FieldText
