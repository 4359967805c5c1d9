#include "cipher/module1.h"

#include "core/codepage.h"

namespace Module1 {

QString ResultText;
QString PlainText;
QString CipherText;
QString CipherKey;

namespace {

const char16_t *units(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.constData());
}

template<Core::Direction Way>
QString transform(const QString &text, const QString &key)
{
    QString result(text.size(), Qt::Uninitialized);
    const Core::Outcome outcome
        = Core::Transform<Way>(units(text), size_t(text.size()), units(key), size_t(key.size()),
                               reinterpret_cast<char16_t *>(result.data()));
    switch (outcome) {
    case Core::Outcome::Done:
        return result;
    case Core::Outcome::TextTooLong:
        throw OverflowError(text.size());
    case Core::Outcome::CodesOverflow:
        break;
    }
    throw OverflowError();
}

} // namespace

std::int16_t CharCode(QChar c)
{
    return Core::CodePage::CodeOf(c.unicode());
}

QChar CodeToChar(std::uint8_t code)
{
    return QChar(Core::CodePage::ToUnicode[code]);
}

QString EncryptText(const QString &text, QString key)
{
    return transform<Core::Direction::Encrypt>(text, key);
}

QString DecryptText(const QString &text, QString key)
{
    return transform<Core::Direction::Decrypt>(text, key);
}

} // namespace Module1
