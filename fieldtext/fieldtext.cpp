#include "fieldtext.h"

#include "codepage.h"

#include <array>
#include <cstdint>
#include <optional>

namespace FieldText {

namespace {

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
    return code >= 0x80 && code < 0xA0 && Module1::CodePage::ToUnicode[code] == code;
}
constexpr std::size_t UndefinedCount = [] {
    std::size_t count = 0;
    for (int code = 0x80; code < 0xA0; ++code)
        count += isUndefined(code);
    return count;
}();
constexpr std::array<char16_t, UndefinedCount> Undefined = [] {
    std::array<char16_t, UndefinedCount> codes {};
    std::size_t i = 0;
    for (int code = 0x80; code < 0xA0; ++code) {
        if (isUndefined(code))
            codes[i++] = char16_t(code);
    }
    return codes;
}();
constexpr char16_t UndefinedPictures = 0x2422;
// The codes shown as boxes, at U+2440 on: the undefined ones and the two that hide.
constexpr std::array<char16_t, UndefinedCount + 2> Hidden = [] {
    std::array<char16_t, UndefinedCount + 2> codes {};
    for (std::size_t i = 0; i < UndefinedCount; ++i)
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

enum class Shown {
    InEditor,
    PlainCopy,
    EncodedCopy,
};

constexpr bool isLineBreak(char16_t c)
{
    return c == Cr || c == Lf || c == 0x2028 || c == 0x2029;
}

// The shown character for each code, in the editor or on the clipboard; CR LF is paired up
// separately. All show control codes as their pictures; the editor shows the undefined codes and
// the two that hide as boxes, the clipboard the undefined codes as the spare pictures. An encoded
// copy shows every code that mail or chat treats as white space as a visible symbol: blanks, tabs
// and line breaks as their pictures, no-break spaces as the symbol for them.
constexpr std::array<char16_t, 256> shownTable(Shown where)
{
    std::array<char16_t, 256> table {};
    for (int code = 0; code < 256; ++code)
        table[code] = Module1::CodePage::ToUnicode[code];
    for (int code = 0; code < 0x20; ++code)
        table[code] = code == Tab ? Tab : char16_t(Pictures + code);
    table[Del] = DelPicture;
    if (where == Shown::InEditor) {
        for (std::size_t i = 0; i < Hidden.size(); ++i)
            table[Hidden[i]] = char16_t(HiddenBoxes + i);
    } else {
        for (std::size_t i = 0; i < Undefined.size(); ++i)
            table[Undefined[i]] = char16_t(UndefinedPictures + i);
    }
    if (where == Shown::EncodedCopy) {
        table[Tab] = char16_t(Pictures + Tab);
        table[Space] = SpaceSymbol;
        table[NoBreakSpace] = NoBreakSpaceSymbol;
    }
    return table;
}

constexpr std::array<char16_t, 256> Displayed = shownTable(Shown::InEditor);
constexpr std::array<char16_t, 256> CopiedPlain = shownTable(Shown::PlainCopy);
constexpr std::array<char16_t, 256> CopiedEncoded = shownTable(Shown::EncodedCopy);

enum class Breaks {
    Shown, // CR LF is one line break
    AsCodes, // CR and LF are each their picture
};

QString shownForm(const QString &text, const std::array<char16_t, 256> &table, Breaks breaks)
{
    const Module1::CodePage::FromUnicodeTable &codes = Module1::CodePage::FromUnicode();
    QString shown(text.size(), Qt::Uninitialized);
    QChar *out = shown.data();
    const QChar *in = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const std::uint8_t code = codes[in[i].unicode()];
        if (breaks == Breaks::Shown && code == Cr && i + 1 < n && in[i + 1] == QChar(Lf)) {
            *out++ = QChar(Lf);
            ++i;
        } else {
            *out++ = QChar(table[code]);
        }
    }
    shown.truncate(out - shown.constData());
    return shown;
}

enum class LineBreaks {
    Any, // LF, CR LF, lone CR, U+2028 and U+2029 are line breaks
    CrLfOnly, // only CR LF pairs are; a lone CR or LF is a raw code
};

QString textOf(QStringView shown, LineBreaks breaks)
{
    // A line break can take two characters where the shown form took one.
    const Module1::CodePage::FromUnicodeTable &codes = Module1::CodePage::FromUnicode();
    const qsizetype n = shown.size();
    QString text(2 * n, Qt::Uninitialized);
    QChar *out = text.data();
    const QChar *in = shown.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        const bool pair = c == Cr && i + 1 < n && in[i + 1] == QChar(Lf);
        if (pair || (breaks == LineBreaks::Any && isLineBreak(c))) {
            i += pair ? 1 : 0;
            *out++ = QChar(Cr);
            *out++ = QChar(Lf);
        } else if (c >= HiddenBoxes && c < HiddenBoxes + Hidden.size()) {
            *out++ = QChar(Hidden[c - HiddenBoxes]);
        } else if (c >= Pictures && c <= SpaceSymbol) {
            *out++ = QChar(char16_t(c - Pictures));
        } else if (c == DelPicture) {
            *out++ = QChar(Del);
        } else if (c >= UndefinedPictures && c < UndefinedPictures + Undefined.size()) {
            *out++ = QChar(Undefined[c - UndefinedPictures]);
        } else if (c == NoBreakSpaceSymbol) {
            *out++ = QChar(NoBreakSpace);
        } else {
            // One character outside the code page is one '?', also when it takes two units.
            if (QChar::isHighSurrogate(c) && i + 1 < n && in[i + 1].isLowSurrogate())
                ++i;
            *out++ = QChar(Module1::CodePage::ToUnicode[codes[c]]);
        }
    }
    text.truncate(out - text.constData());
    return text;
}

QString composed(QStringView text)
{
    return text.toString().normalized(QString::NormalizationForm_C);
}

// What mail and chat may add to a text: blanks, tabs and line breaks of any kind, and the
// invisible characters some put where they split a line (the soft hyphen is a code of ours).
bool isAdded(QChar c)
{
    return c.isSpace() || (c.category() == QChar::Other_Format && c != QChar(SoftHyphen));
}

// The codes' symbols in a pasted encoded copy, without what was added along the way, or nothing
// when the text is not framed as one. One mark is enough, as a selection made by hand in a mail
// may miss the other; two copies pasted one after another are read as one text.
std::optional<QString> framedSymbols(QStringView pasted)
{
    const QStringView framed = pasted.trimmed();
    if (framed.isEmpty() || (framed.front() != QChar(OpeningMark) && framed.back() != QChar(ClosingMark)))
        return std::nullopt;
    QString symbols;
    symbols.reserve(framed.size());
    for (QChar c : framed) {
        if (!isAdded(c) && c != QChar(OpeningMark) && c != QChar(ClosingMark))
            symbols += c;
    }
    return symbols;
}

} // namespace

QString ToDisplay(const QString &text)
{
    return shownForm(text, Displayed, Breaks::Shown);
}

QString ToClipboard(const QString &text, CopyForm form)
{
    if (form == CopyForm::Plain)
        return shownForm(text, CopiedPlain, Breaks::Shown);
    return QChar(OpeningMark) + shownForm(text, CopiedEncoded, Breaks::AsCodes) + QChar(ClosingMark);
}

QString FromDisplay(QStringView shown)
{
    return textOf(shown, LineBreaks::Any);
}

QString FromPasted(QStringView pasted)
{
    const QString text = composed(pasted);
    if (const std::optional<QString> symbols = framedSymbols(text))
        return textOf(*symbols, LineBreaks::Any);
    const bool windows = text.contains(QStringLiteral("\r\n"));
    return textOf(text, windows ? LineBreaks::CrLfOnly : LineBreaks::Any);
}

QString Normalize(QStringView typed)
{
    return ToDisplay(FromDisplay(composed(typed)));
}

QString NormalizePasted(QStringView pasted)
{
    return ToDisplay(FromPasted(pasted));
}

} // namespace FieldText
