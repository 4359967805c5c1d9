#include "cipher/module1.h"
#include "core/cipher.h"
#include "tests/support/testtext.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstdint>
#include <vector>

using namespace Module1;
using namespace TestText;

namespace {

using Codes = std::vector<int>;

QString fromCodes(const Codes &codes)
{
    QString text;
    for (int code : codes)
        text += CodeToChar(std::uint8_t(code));
    return text;
}

Codes toCodes(const QString &text)
{
    Codes codes;
    for (QChar c : text)
        codes.push_back(CharCode(c));
    return codes;
}

// Code page 1252, counting the characters the loop has written.
struct CountingCodePage
{
    mutable qsizetype written = 0;

    std::int16_t charCode(char16_t c) const { return CharCode(c); }
    char16_t codeToChar(std::uint8_t code) const
    {
        ++written;
        return CodeToChar(code).unicode();
    }
};

// A code page with codes at the ends of the 16-bit range, as a double-byte code page can have.
struct WideCodePage
{
    std::int16_t charCode(char16_t c) const
    {
        if (c == u'X')
            return 32767;
        if (c == u'Y')
            return -32768;
        return CharCode(c);
    }
    char16_t codeToChar(std::uint8_t code) const { return CodeToChar(code).unicode(); }
};

enum class Way { Encrypt, Decrypt };

// The cipher's loop over a string, with code page; true when it ended without a failure.
template<Core::Direction Direction, typename CodePage>
bool transform(const QString &text, const QString &key, const CodePage &codePage, QString *result = nullptr)
{
    QString out(text.size(), Qt::Uninitialized);
    const Core::Outcome outcome
        = Core::Transform<Direction>(reinterpret_cast<const char16_t *>(text.constData()),
                                     size_t(text.size()), reinterpret_cast<const char16_t *>(key.constData()),
                                     size_t(key.size()), reinterpret_cast<char16_t *>(out.data()), codePage);
    if (result)
        *result = out;
    return outcome == Core::Outcome::Done;
}

} // namespace

Q_DECLARE_METATYPE(Codes)
Q_DECLARE_METATYPE(Way)

class TestCipher : public QObject
{
    Q_OBJECT

private slots:
    void charCode_data();
    void charCode();
    void everyCodeHasOneCharacterThatConvertsBack();
    void keyCharactersCountAsTheirCapitals();

    void knownAnswers_data();
    void knownAnswers();

    void emptyKeyLeavesTextAsItIs_data();
    void emptyKeyLeavesTextAsItIs();
    void emptyTextStaysEmpty();

    void roundTripOverAllCodes_data();
    void roundTripOverAllCodes();
    void roundTripOverRandomTexts();
    void keysDifferingInCaseEncodeAlike();

    void lengthLimits_data();
    void lengthLimits();
    void limitFailuresComeBeforeOrAfterTheWork_data();
    void limitFailuresComeBeforeOrAfterTheWork();
    void codesOutsideOneByteOverflowTheSum_data();
    void codesOutsideOneByteOverflowTheSum();
};

void TestCipher::charCode_data()
{
    QTest::addColumn<QChar>("character");
    QTest::addColumn<int>("code");

    QTest::newRow("NUL is code 0") << QChar(0) << 0;
    QTest::newRow("capital A is 65") << QChar(u'A') << 65;
    QTest::newRow("DEL is 127") << QChar(0x7F) << 127;
    QTest::newRow("euro sign is 128") << QChar(0x20AC) << 128;
    QTest::newRow("undefined 129 is the control character U+0081") << QChar(0x81) << 129;
    QTest::newRow("undefined 141 is U+008D") << QChar(0x8D) << 141;
    QTest::newRow("undefined 143 is U+008F") << QChar(0x8F) << 143;
    QTest::newRow("undefined 144 is U+0090") << QChar(0x90) << 144;
    QTest::newRow("undefined 157 is U+009D") << QChar(0x9D) << 157;
    QTest::newRow("florin is 131") << QChar(0x0192) << 131;
    QTest::newRow("trade mark is 153") << QChar(0x2122) << 153;
    QTest::newRow("capital Y with diaeresis is 159") << QChar(0x0178) << 159;
    QTest::newRow("no-break space is 160") << QChar(0xA0) << 160;
    QTest::newRow("inverted question mark is 191") << QChar(u'¿') << 191;
    QTest::newRow("capital E with grave is 200") << QChar(u'È') << 200;
    QTest::newRow("small y with diaeresis is 255") << QChar(u'ÿ') << 255;
    QTest::newRow("control U+0080 has no code: the euro took it") << QChar(0x80) << 63;
    QTest::newRow("control U+009F has no code") << QChar(0x9F) << 63;
    QTest::newRow("Greek capital mu has no code") << QChar(0x039C) << 63;
    QTest::newRow("CJK ideograph has no code") << QChar(0x4E2D) << 63;
    QTest::newRow("high surrogate half has no code") << QChar(0xD83D) << 63;
    QTest::newRow("low surrogate half has no code") << QChar(0xDE00) << 63;
    QTest::newRow("replacement character has no code") << QChar(0xFFFD) << 63;
    QTest::newRow("U+FFFF has no code") << QChar(0xFFFF) << 63;
}

void TestCipher::charCode()
{
    QFETCH(QChar, character);
    QFETCH(int, code);
    QCOMPARE(CharCode(character), code);
}

void TestCipher::keyCharactersCountAsTheirCapitals()
{
    // The key's case mapping is the core's own, for the page too: it must count every UTF-16 unit
    // as Qt's simple upper-casing would.
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const QChar c {char16_t(unit)};
        if (Core::CodePage::KeyCodeOf(c.unicode()) != CharCode(c.toUpper()))
            QFAIL(qPrintable(QStringLiteral("U+%1 counts as %2, its capital U+%3 as %4")
                                 .arg(unit, 4, 16, QLatin1Char('0'))
                                 .arg(Core::CodePage::KeyCodeOf(c.unicode()))
                                 .arg(c.toUpper().unicode(), 4, 16, QLatin1Char('0'))
                                 .arg(CharCode(c.toUpper()))));
    }
}

void TestCipher::everyCodeHasOneCharacterThatConvertsBack()
{
    QSet<QChar> seen;
    for (int code = 0; code < 256; ++code) {
        const QChar c = CodeToChar(std::uint8_t(code));
        QCOMPARE(CharCode(c), code);
        QVERIFY2(!seen.contains(c), qPrintable(QString::number(code)));
        seen.insert(c);
    }
}

void TestCipher::knownAnswers_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<Codes>("expected");

    // Worked out by hand from the code page: text character i takes key character (i mod L) + 1.
    QTest::newRow("200 under Z (90) encodes to 34, the low byte of 290")
        << Way::Encrypt << QStringLiteral("È") << QStringLiteral("Z") << Codes {34};
    QTest::newRow("34 under Z decodes to 200, the low byte of -56")
        << Way::Decrypt << QStringLiteral("\"") << QStringLiteral("Z") << Codes {200};
    QTest::newRow("ABC under abc: A+B, B+C, C+A")
        << Way::Encrypt << QStringLiteral("ABC") << QStringLiteral("abc") << Codes {131, 133, 132};
    QTest::newRow("ABC under abc decodes back")
        << Way::Decrypt << fromCodes({131, 133, 132}) << QStringLiteral("abc") << Codes {65, 66, 67};
    QTest::newRow("a one-character key is used for every character")
        << Way::Encrypt << QStringLiteral("AAA") << QStringLiteral("!") << Codes {98, 98, 98};
    QTest::newRow("a two-character key pairs character 1 with key character 2")
        << Way::Encrypt << QStringLiteral("AA") << QStringLiteral("BC") << Codes {132, 131};
    QTest::newRow("a one-character text never reaches key character 1")
        << Way::Encrypt << QStringLiteral("A") << QStringLiteral("?C") << Codes {132};
    QTest::newRow("a three-character key is used as 2, 3, 1, 2, 3, 1, 2")
        << Way::Encrypt << QString(7, QChar(0)) << QStringLiteral("ABC")
        << Codes {66, 67, 65, 66, 67, 65, 66};
    QTest::newRow("a key longer than the text uses characters 2 to n + 1")
        << Way::Encrypt << QString(3, QChar(0)) << QStringLiteral("ABCDE") << Codes {66, 67, 68};
    QTest::newRow("191 under A sums to 256 and gives code 0")
        << Way::Encrypt << QStringLiteral("¿") << QStringLiteral("A") << Codes {0};
    QTest::newRow("255 under code 1 wraps to 0")
        << Way::Encrypt << QStringLiteral("ÿ") << QString(QChar(1)) << Codes {0};
    QTest::newRow("0 under A decodes to 191")
        << Way::Decrypt << QString(QChar(0)) << QStringLiteral("A") << Codes {191};
    QTest::newRow("0 under ÿ, upper-cased to Ÿ (159), decodes to 97")
        << Way::Decrypt << QString(QChar(0)) << QStringLiteral("ÿ") << Codes {97};
    QTest::newRow("NUL inside the text is an ordinary character")
        << Way::Encrypt << QStringLiteral("A") + QChar(0) + QStringLiteral("A") << QStringLiteral("\x01")
        << Codes {66, 1, 66};
    QTest::newRow("NUL in the key adds nothing")
        << Way::Encrypt << QStringLiteral("hola") << QString(QChar(0)) << toCodes(QStringLiteral("hola"));
    QTest::newRow("CR and LF are ordinary characters")
        << Way::Encrypt << QStringLiteral("\r\n") << QString(QChar(3)) << Codes {16, 13};
    QTest::newRow("the key is upper-cased: a acts as A")
        << Way::Encrypt << QString(QChar(0)) << QStringLiteral("a") << Codes {65};
    QTest::newRow("the key's ñ acts as Ñ (209)")
        << Way::Encrypt << QString(QChar(0)) << QStringLiteral("ñ") << Codes {209};
    QTest::newRow("the key's ÿ acts as Ÿ (159)")
        << Way::Encrypt << QString(QChar(0)) << QStringLiteral("ÿ") << Codes {159};
    QTest::newRow("the key's ß has no one-character capital and stays ß (223)")
        << Way::Encrypt << QString(QChar(0)) << QStringLiteral("ß") << Codes {223};
    QTest::newRow("the key's µ becomes Greek capital mu, which counts as ?")
        << Way::Encrypt << QString(QChar(0)) << QStringLiteral("µ") << Codes {63};
    QTest::newRow("a text character outside the code page counts as ?")
        << Way::Encrypt << QStringLiteral("中") << QString(QChar(1)) << Codes {64};
    QTest::newRow("each half of a surrogate pair counts as ?")
        << Way::Encrypt << QStringLiteral("😀") << QString(QChar(1)) << Codes {64, 64};
    QTest::newRow("an unpaired surrogate half in the key counts as ?")
        << Way::Encrypt << QString(QChar(0)) << QString(QChar(0xD800)) << Codes {63};
}

void TestCipher::knownAnswers()
{
    QFETCH(Way, way);
    QFETCH(QString, text);
    QFETCH(QString, key);
    QFETCH(Codes, expected);

    const QString textBefore = text;
    const QString keyBefore = key;
    const QString result = way == Way::Encrypt ? EncryptText(text, key) : DecryptText(text, key);
    QCOMPARE(toCodes(result), expected);
    QCOMPARE(result, fromCodes(expected));
    QCOMPARE(text, textBefore);
    QCOMPARE(key, keyBefore);
}

void TestCipher::emptyKeyLeavesTextAsItIs_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("an empty text") << QString();
    QTest::newRow("a word") << QStringLiteral("hola");
    QTest::newRow("characters outside the code page are not substituted") << QStringLiteral("中😀");
    QTest::newRow("a text longer than any keyed text may be") << QString(100000, QChar(u'x'));
}

void TestCipher::emptyKeyLeavesTextAsItIs()
{
    QFETCH(QString, text);
    QCOMPARE(EncryptText(text, QString()), text);
    QCOMPARE(DecryptText(text, QString()), text);
}

void TestCipher::emptyTextStaysEmpty()
{
    QVERIFY(EncryptText(QString(), QStringLiteral("clave")).isEmpty());
    QVERIFY(DecryptText(QString(), QStringLiteral("clave")).isEmpty());
}

void TestCipher::roundTripOverAllCodes_data()
{
    QTest::addColumn<QString>("key");

    QTest::newRow("a one-letter key") << QStringLiteral("a");
    QTest::newRow("a word in mixed case") << QStringLiteral("Secreto");
    QTest::newRow("a key of accented letters and symbols") << QStringLiteral("ñandú€œ™ß");
    QTest::newRow("a key of every code") << AllCodes();
    QTest::newRow("a key with characters outside the code page") << QStringLiteral("中文 key 😀");
    QTest::newRow("a key longer than the text") << QString(1000, QChar(u'k'));
}

void TestCipher::roundTripOverAllCodes()
{
    QFETCH(QString, key);
    // Every code at every key position: the text repeats the code table under several offsets.
    QString text;
    for (int shift = 0; shift < 7; ++shift)
        text += AllCodes().mid(shift) + AllCodes().left(shift);

    const QString encoded = EncryptText(text, key);
    QCOMPARE(encoded.size(), text.size());
    QCOMPARE(DecryptText(encoded, key), text);
    QCOMPARE(EncryptText(DecryptText(text, key), key), text);
}

void TestCipher::roundTripOverRandomTexts()
{
    QRandomGenerator random(20261208);
    for (int round = 0; round < 300; ++round) {
        const qsizetype length = round == 0 ? MaxTextLength : random.bounded(3000);
        const QString text = RandomCodePage(random, length);
        const QString key = RandomCodePage(random, 1 + random.bounded(40));
        const QString encoded = EncryptText(text, key);
        QCOMPARE(encoded.size(), text.size());
        QCOMPARE(DecryptText(encoded, key), text);
        QCOMPARE(EncryptText(DecryptText(text, key), key), text);
    }
}

void TestCipher::keysDifferingInCaseEncodeAlike()
{
    QRandomGenerator random(7);
    const QString text = RandomCodePage(random, 500);
    const QString expected = EncryptText(text, QStringLiteral("ÁRBOL ÑANDÚ ŒUVRE"));
    QCOMPARE(EncryptText(text, QStringLiteral("árbol ñandú œuvre")), expected);
    QCOMPARE(EncryptText(text, QStringLiteral("ÁrBoL ñAnDú ŒuVrE")), expected);
    QCOMPARE(DecryptText(expected, QStringLiteral("árbol ñandú œuvre")), text);
}

void TestCipher::lengthLimits_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("fails");

    QTest::newRow("32766 characters are handled") << 32766 << false;
    QTest::newRow("32767 characters overflow") << 32767 << true;
    QTest::newRow("32768 characters overflow") << 32768 << true;
    QTest::newRow("100000 characters overflow") << 100000 << true;
}

void TestCipher::lengthLimits()
{
    QFETCH(int, length);
    QFETCH(bool, fails);

    const QString text(length, QChar(u'a'));
    for (Way way : {Way::Encrypt, Way::Decrypt}) {
        try {
            const QString result = way == Way::Encrypt ? EncryptText(text, QStringLiteral("k"))
                                                       : DecryptText(text, QStringLiteral("k"));
            QVERIFY2(!fails, "expected an overflow");
            QCOMPARE(result.size(), text.size());
        } catch (const OverflowError &e) {
            QVERIFY2(fails, "unexpected overflow");
            QCOMPARE(e.number(), 6);
            QCOMPARE(e.textLength(), length); // the user is told how long the text was
        }
    }
}

void TestCipher::limitFailuresComeBeforeOrAfterTheWork_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("written");

    QTest::newRow("32767 characters fail after all of them were handled") << 32767 << 32767;
    QTest::newRow("32768 characters fail before any was handled") << 32768 << 0;
}

void TestCipher::limitFailuresComeBeforeOrAfterTheWork()
{
    QFETCH(int, length);
    QFETCH(int, written);

    const CountingCodePage codePage;
    QVERIFY(
        !transform<Core::Direction::Encrypt>(QString(length, QChar(u'a')), QStringLiteral("k"), codePage));
    QCOMPARE(codePage.written, written);
}

void TestCipher::codesOutsideOneByteOverflowTheSum_data()
{
    QTest::addColumn<Way>("way");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1 for an overflow

    QTest::newRow("32767 plus A overflows") << Way::Encrypt << QStringLiteral("X") << -1;
    QTest::newRow("32767 minus A is 32702, low byte 190") << Way::Decrypt << QStringLiteral("X") << 190;
    QTest::newRow("-32768 minus A overflows") << Way::Decrypt << QStringLiteral("Y") << -1;
    QTest::newRow("-32768 plus A is -32703, low byte 65") << Way::Encrypt << QStringLiteral("Y") << 65;
}

void TestCipher::codesOutsideOneByteOverflowTheSum()
{
    QFETCH(Way, way);
    QFETCH(QString, text);
    QFETCH(int, expected);

    QString result;
    const bool done = way == Way::Encrypt
        ? transform<Core::Direction::Encrypt>(text, QStringLiteral("A"), WideCodePage {}, &result)
        : transform<Core::Direction::Decrypt>(text, QStringLiteral("A"), WideCodePage {}, &result);
    QCOMPARE(done, expected >= 0);
    if (done)
        QCOMPARE(toCodes(result), Codes {expected});
}

QTEST_GUILESS_MAIN(TestCipher)
#include "tst_cipher.moc"
