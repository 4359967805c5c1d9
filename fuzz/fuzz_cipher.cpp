#include "cipher/module1.h"
#include "fuzz/fuzzinput.h"

using namespace Module1;
using FuzzInput::Check;

namespace {

// The result, or a null string for an overflow; any other failure is a broken property.
template<typename Routine>
QString run(Routine routine, const QString &text, const QString &key)
{
    try {
        const QString result = routine(text, key);
        Check(!result.isNull() || text.isNull(), "a result is never null for a text");
        return result.isNull() ? QStringLiteral("") : result;
    } catch (const OverflowError &e) {
        Check(e.number() == 6, "an overflow is error 6");
        return QString();
    }
}

} // namespace

// Input: byte 0 holds flags (1: repeat the text to a length, 2: bring the text into the code page),
// bytes 1 and 2 that length, byte 3 how many of the UTF-16 units that follow belong to the key;
// the rest of the units are the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint8_t flags = data[0];
    const qsizetype length = data[1] | data[2] << 8;
    const std::size_t units = (size - 4) / 2;
    const std::size_t keyUnits = data[3] % (units + 1);
    const QString key = FuzzInput::Units(data + 4, keyUnits);
    QString text = FuzzInput::Units(data + 4 + 2 * keyUnits, units - keyUnits);
    if ((flags & 1) && !text.isEmpty())
        text = text.repeated(length / text.size() + 1).left(length);
    if (flags & 2)
        text = TestText::AsCounted(text);

    const QString encoded = run(EncryptText, text, key);
    const QString decoded = run(DecryptText, text, key);
    if (key.isEmpty()) {
        Check(encoded == text && decoded == text, "an empty key leaves any text as it is");
        return 0;
    }
    const bool fits = text.size() <= MaxTextLength;
    Check(fits == !encoded.isNull() && fits == !decoded.isNull(),
          "under a key, a text fails exactly when it is longer than 32766");
    if (!fits)
        return 0;

    Check(encoded.size() == text.size() && decoded.size() == text.size(), "one character for each");
    Check(FuzzInput::InCodePage(encoded) && FuzzInput::InCodePage(decoded), "results are code page text");
    if (FuzzInput::InCodePage(text)) {
        Check(DecryptText(encoded, key) == text, "decoding undoes encoding");
        Check(EncryptText(decoded, key) == text, "encoding undoes decoding");
    }
    return 0;
}
