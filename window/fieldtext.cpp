#include "fieldtext.h"

#include "codepage.h"

#include <array>
#include <cstdint>

namespace FieldText {

namespace {

constexpr char16_t Cr = 0x0D;
constexpr char16_t Lf = 0x0A;
constexpr char16_t Del = 0x7F;
constexpr char16_t Pictures = 0x2400; // control picture for code 0
constexpr char16_t DelPicture = 0x2421;
constexpr std::array<char16_t, 5> Undefined = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
constexpr char16_t UndefinedPictures = 0x2422;

constexpr bool isLineBreak(char16_t c)
{
    return c == Cr || c == Lf || c == 0x2028 || c == 0x2029;
}

// The shown character for each code; CR LF is paired up separately.
constexpr std::array<char16_t, 256> Shown = [] {
    std::array<char16_t, 256> table {};
    for (int code = 0; code < 256; ++code)
        table[code] = Module1::CodePage::ToUnicode[code];
    for (int code = 0; code < 0x20; ++code)
        table[code] = char16_t(Pictures + code);
    table[Del] = DelPicture;
    for (std::size_t i = 0; i < Undefined.size(); ++i)
        table[Undefined[i]] = char16_t(UndefinedPictures + i);
    return table;
}();

} // namespace

QString ToDisplay(const QString &text)
{
    const Module1::CodePage::FromUnicodeTable &codes = Module1::CodePage::FromUnicode();
    QString shown(text.size(), Qt::Uninitialized);
    QChar *out = shown.data();
    const QChar *in = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const std::uint8_t code = codes[in[i].unicode()];
        if (code == Cr && i + 1 < n && in[i + 1] == QChar(Lf)) {
            *out++ = QChar(Lf);
            ++i;
        } else {
            *out++ = QChar(Shown[code]);
        }
    }
    shown.truncate(out - shown.constData());
    return shown;
}

QString FromDisplay(QStringView shown)
{
    // A line break can take two characters where the shown form took one.
    const Module1::CodePage::FromUnicodeTable &codes = Module1::CodePage::FromUnicode();
    const qsizetype n = shown.size();
    QString text(2 * n, Qt::Uninitialized);
    QChar *out = text.data();
    const QChar *in = shown.data();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = in[i].unicode();
        if (isLineBreak(c)) {
            if (c == Cr && i + 1 < n && in[i + 1] == QChar(Lf))
                ++i;
            *out++ = QChar(Cr);
            *out++ = QChar(Lf);
        } else if (c >= Pictures && c < Pictures + 0x20) {
            *out++ = QChar(char16_t(c - Pictures));
        } else if (c == DelPicture) {
            *out++ = QChar(Del);
        } else if (c >= UndefinedPictures && c < UndefinedPictures + Undefined.size()) {
            *out++ = QChar(Undefined[c - UndefinedPictures]);
        } else {
            *out++ = QChar(Module1::CodePage::ToUnicode[codes[c]]);
        }
    }
    text.truncate(out - text.constData());
    return text;
}

QString Normalize(QStringView shown)
{
    return ToDisplay(FromDisplay(shown));
}

} // namespace FieldText
