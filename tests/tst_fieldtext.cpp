#include "cipher/module1.h"
#include "fieldtext/fieldtext.h"
#include "tests/support/testtext.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace FieldText;

class TestFieldText : public QObject
{
    Q_OBJECT

private slots:
    void toDisplay_data();
    void toDisplay();
    void toClipboard_data();
    void toClipboard();
    void fromDisplay_data();
    void fromDisplay();
    void fromPasted_data();
    void fromPasted();
    void whatRoadsAddIsWhatUnicodeCallsSpaceOrFormat();
    void everyCodeSurvivesAtEveryPosition();
    void randomTextsRichInControlCodesSurvive();
};

void TestFieldText::toDisplay_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("CR LF is a line break") << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::newRow("a lone CR is its box") << QStringLiteral("a\rb") << QStringLiteral("a\u240Db");
    QTest::newRow("a lone LF is its box") << QStringLiteral("a\nb") << QStringLiteral("a\u240Ab");
    QTest::newRow("CR CR LF is a CR box and a line break")
        << QStringLiteral("\r\r\n") << QStringLiteral("\u240D\n");
    QTest::newRow("CR LF LF is a line break and an LF box")
        << QStringLiteral("\r\n\n") << QStringLiteral("\n\u240A");
    QTest::newRow("LF CR is two boxes") << QStringLiteral("\n\r") << QStringLiteral("\u240A\u240D");
    QTest::newRow("NUL is its box") << QString(QChar(0)) << QStringLiteral("\u2400");
    QTest::newRow("a tab is a tab") << QStringLiteral("a\tb") << QStringLiteral("a\tb");
    QTest::newRow("start of heading and unit separator are their boxes")
        << QStringLiteral("\x01\x1f") << QStringLiteral("\u2401\u241F");
    QTest::newRow("DEL is its box") << QStringLiteral("\x7f") << QStringLiteral("\u2421");
    QTest::newRow("the five undefined codes are their boxes")
        << QStringLiteral("\u0081\u008d\u008f\u0090\u009d")
        << QStringLiteral("\u2440\u2441\u2442\u2443\u2444");
    QTest::newRow("no-break space and soft hyphen, which hide, are their boxes")
        << QStringLiteral("\u00a0\u00ad") << QStringLiteral("\u2445\u2446");
    QTest::newRow("euro, florin and capital Y with diaeresis are shown as they are")
        << QStringLiteral("€ƒŸ") << QStringLiteral("€ƒŸ");
    QTest::newRow("a character outside the code page is shown as ?")
        << QStringLiteral("中") << QStringLiteral("?");
    QTest::newRow("a control picture in a text is outside the code page")
        << QStringLiteral("␀") << QStringLiteral("?");
}

void TestFieldText::toDisplay()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ToDisplay(text), shown);
}

void TestFieldText::toClipboard_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("encoded");

    QTest::newRow("CR LF is a line break and a tab a tab, encoded their pictures")
        << QStringLiteral("a\tb\r\nc") << QStringLiteral("a\tb\nc") << QStringLiteral("⟦a␉b␍␊c⟧");
    QTest::newRow("NUL, a lone CR and a lone LF are their control pictures")
        << QStringLiteral("\0\r.\n") << QStringLiteral("␀␍.␊") << QStringLiteral("⟦␀␍．␊⟧");
    QTest::newRow("DEL and the undefined codes are pictures")
        << QStringLiteral("\x7f\u0081\u009d") << QStringLiteral("␡␢␦") << QStringLiteral("⟦␡␢␦⟧");
    QTest::newRow("a plain no-break space is itself, an encoded one the symbol for it")
        << QStringLiteral("a\u00a0b\u00a0\u00a0") << QStringLiteral("a\u00a0b\u00a0\u00a0")
        << QStringLiteral("⟦a⍽b⍽⍽⟧");
    QTest::newRow("blanks, tabs and soft hyphens are plain themselves, encoded symbols")
        << QStringLiteral(" \u00ad  \t\t ") << QStringLiteral(" \u00ad  \t\t ")
        << QStringLiteral("⟦␠‐␠␠␉␉␠⟧");
    // The markers of Markdown and its chat dialects, HTML, shortcodes and links, and the quotes
    // and dashes that editors correct.
    QTest::newRow("every ASCII punctuation mark is encoded its fullwidth form, letters and digits themselves")
        << QStringLiteral("!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~")
        << QStringLiteral("!\"#$%&'()*+,-./09:;<=>?@AZ[\\]^_`az{|}~")
        << QStringLiteral("⟦！＂＃＄％＆＇（）＊＋，－．／09：；＜＝＞？＠AZ［＼］＾＿｀az｛｜｝～⟧");
    QTest::newRow("an empty text is an empty plain copy and an empty frame")
        << QString() << QString() << QStringLiteral("⟦⟧");
}

void TestFieldText::toClipboard()
{
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QFETCH(QString, encoded);
    QCOMPARE(ToClipboard(text, CopyForm::Plain), plain);
    QCOMPARE(ToClipboard(text, CopyForm::Encoded), encoded);
}

void TestFieldText::fromDisplay_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("text");

    QTest::newRow("LF is a line break") << QStringLiteral("a\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("CR LF is one line break") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb");
    QTest::newRow("a lone CR is a line break") << QStringLiteral("a\rb") << QStringLiteral("a\r\nb");
    QTest::newRow("LF LF is two line breaks") << QStringLiteral("\n\n") << QStringLiteral("\r\n\r\n");
    QTest::newRow("paragraph and line separators are line breaks")
        << QStringLiteral("\u2029\u2028") << QStringLiteral("\r\n\r\n");
    QTest::newRow("boxes give their codes") << QStringLiteral("\u2400\u240D\u240A\u2421\u2440\u2445\u2446")
                                            << QStringLiteral("\0\r\n\x7f\u0081\u00a0\u00ad");
    QTest::newRow("neighbours of the boxes that are none of ours give ?")
        << QStringLiteral("\u2427\u2447\u243F\uE001") << QStringLiteral("????");
    QTest::newRow("pictures give their codes")
        << QStringLiteral("␀␍␊␡␢␦") << QStringLiteral("\0\r\n\x7f\u0081\u009d");
    QTest::newRow("the symbol for a no-break space and a raw one both give 160")
        << QStringLiteral("⍽\u00a0") << QStringLiteral("\u00a0\u00a0");
    QTest::newRow("raw control codes stay themselves")
        << QStringLiteral("\t\x01") << QStringLiteral("\t\x01");
    QTest::newRow("the symbol for a blank gives a blank") << QStringLiteral("␠") << QStringLiteral(" ");
    QTest::newRow("the marks of an encoded copy are outside the code page")
        << QStringLiteral("⟦⟧") << QStringLiteral("??");
    QTest::newRow("characters outside the code page give ?")
        << QStringLiteral("中\u0080") << QStringLiteral("??");
    QTest::newRow("a character of two UTF-16 units gives one ?")
        << QStringLiteral("a😀b𝄞") << QStringLiteral("a?b?");
    QTest::newRow("a lone half of a pair gives one ?")
        << QString(QChar(0xD83D)) + QStringLiteral("x") + QChar(0xDE00) << QStringLiteral("?x?");
}

void TestFieldText::fromDisplay()
{
    QFETCH(QString, shown);
    QFETCH(QString, text);
    // QStringLiteral stops at nothing, so "\0" rows hold their NUL.
    QCOMPARE(FromDisplay(shown), text);
}

void TestFieldText::fromPasted_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");

    QTest::newRow("e and a combining acute accent compose to é")
        << QStringLiteral("cafe\u0301") << QStringLiteral("café");
    QTest::newRow("decomposed capitals and tilde compose too")
        << QStringLiteral("A\u0300N\u0303o\u0308") << QStringLiteral("ÀÑö");
    QTest::newRow("a combining mark with nothing to compose with gives ?")
        << QStringLiteral("q\u0301") << QStringLiteral("q?");
    QTest::newRow("Windows line breaks: a lone CR and a lone LF stay raw codes")
        << QStringLiteral("a\r\nb\rc\nd") << QStringLiteral("a\r\nb\rc\nd");
    QTest::newRow("Windows line breaks: a line separator is no line break")
        << QStringLiteral("a\r\nb\u2028") << QStringLiteral("a\r\nb?");
    QTest::newRow("without CR LF a lone CR, a lone LF and a separator are line breaks")
        << QStringLiteral("a\rb\nc\u2029") << QStringLiteral("a\r\nb\r\nc\r\n");
    QTest::newRow("control pictures and boxes give their codes either way")
        << QStringLiteral("␀\u240D\r\n") << QStringLiteral("\0\r\r\n");
    QTest::newRow("an emoji gives one ?") << QStringLiteral("👍") << QStringLiteral("?");

    // What mail and chat do to an encoded copy.
    QTest::newRow("an encoded copy reads back")
        << QStringLiteral("⟦H␠o␉l␍␊a⍽⟧") << QStringLiteral("H o\tl\r\na\u00a0");
    QTest::newRow("a short encoded copy keeps out the blank lines a mail puts around it")
        << QStringLiteral("\r\n\r\n⟦Ñ⟧\r\n") << QStringLiteral("Ñ");
    QTest::newRow("line breaks where a road wrapped or split an encoded copy are dropped")
        << QStringLiteral("⟦ab\r\ncd\nef\u2028g⟧") << QStringLiteral("abcdefg");
    QTest::newRow("blanks a road put at line ends are dropped, as format=flowed puts them")
        << QStringLiteral("⟦ab \r\ncd⟧ ") << QStringLiteral("abcd");
    QTest::newRow("no-break spaces and tabs a rich-text box adds are dropped")
        << QStringLiteral("\u00a0⟦a\u00a0\tb⟧") << QStringLiteral("ab");
    QTest::newRow("invisible characters put where a chat split a line are dropped, soft hyphens kept")
        << QStringLiteral("⟦a\u200bb\ufeff\u00adc⟧") << QStringLiteral("ab\u00adc");
    QTest::newRow("two encoded copies pasted together read as one text")
        << QStringLiteral("⟦ab⟧\n⟦cd⟧") << QStringLiteral("abcd");
    QTest::newRow("an encoded copy whose selection missed its closing mark still drops them")
        << QStringLiteral("\n⟦ab\r\ncd \n") << QStringLiteral("abcd");
    QTest::newRow("an encoded copy whose selection missed its opening mark still drops them")
        << QStringLiteral("ab\r\ncd⟧\n") << QStringLiteral("abcd");
    QTest::newRow("marks with a text around them are no frame: they are outside the code page")
        << QStringLiteral("x ⟦a b⟧ y") << QStringLiteral("x ?a b? y");
    QTest::newRow("an encoded copy's fullwidth marks and hyphen give their codes")
        << QStringLiteral("⟦a＊b＿＿‐c｀⟧") << QStringLiteral("a*b__\u00adc`");
    QTest::newRow("an older encoded copy's raw punctuation and soft hyphen read as they did")
        << QStringLiteral("⟦`a*b__\u00adc`⟧") << QStringLiteral("`a*b__\u00adc`");
    QTest::newRow("fullwidth letters and digits are no stand-ins")
        << QStringLiteral("⟦Ａ０⟧") << QStringLiteral("??");
    QTest::newRow("outside a frame a fullwidth mark and the hyphen are outside the code page")
        << QStringLiteral("a＊b‐") << QStringLiteral("a?b?");
    QTest::newRow("an older encoded copy reads as it did, raw blanks, tabs and breaks")
        << QStringLiteral("a b\tc\r\nd⍽\u00a0") << QStringLiteral("a b\tc\r\nd\u00a0\u00a0");
    QTest::newRow("an older encoded copy's lone line feeds are line breaks")
        << QStringLiteral("a\nb") << QStringLiteral("a\r\nb");
}

void TestFieldText::fromPasted()
{
    QFETCH(QString, pasted);
    QFETCH(QString, text);
    QCOMPARE(FromPasted(pasted), text);
    QCOMPARE(NormalizePasted(pasted), ToDisplay(text));
}

void TestFieldText::whatRoadsAddIsWhatUnicodeCallsSpaceOrFormat()
{
    // The core keeps its own list of white space and format characters, for the page too: it must
    // be Qt's Unicode data for every unit of the first plane.
    for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const QChar c {char16_t(unit)};
        const bool added = c.isSpace() || (c.category() == QChar::Other_Format && unit != 0xAD);
        if (Core::FieldText::IsAdded(c.unicode()) != added)
            QFAIL(qPrintable(QStringLiteral("U+%1 is%2 white space or a format character")
                                 .arg(unit, 4, 16, QLatin1Char('0'))
                                 .arg(added ? QString() : QStringLiteral(" not"))));
    }
}

void TestFieldText::everyCodeSurvivesAtEveryPosition()
{
    const QString codes = TestText::AllCodes();
    for (int shift = 0; shift < 256; ++shift) {
        const QString text = codes.mid(shift) + codes.left(shift);
        QCOMPARE(FromDisplay(ToDisplay(text)), text);
        QCOMPARE(FromDisplay(ToClipboard(text, CopyForm::Plain)), text);
        for (CopyForm form : {CopyForm::Plain, CopyForm::Encoded})
            QCOMPARE(FromPasted(ToClipboard(text, form)), text);
    }
}

void TestFieldText::randomTextsRichInControlCodesSurvive()
{
    QRandomGenerator random(31);
    for (int round = 0; round < 2000; ++round) {
        const QString text = TestText::RandomControlRich(random, 40);
        const QString shown = ToDisplay(text);
        QVERIFY(!shown.contains(QChar(0)));
        QVERIFY(!shown.contains(QLatin1Char('\r')));
        QCOMPARE(FromDisplay(shown), text);
        QCOMPARE(Normalize(shown), shown);
        for (CopyForm form : {CopyForm::Plain, CopyForm::Encoded}) {
            const QString copied = ToClipboard(text, form);
            QVERIFY(!copied.contains(QChar(0)));
            QCOMPARE(FromPasted(copied), text);
        }
        // Mail and chat find no white space in an encoded copy to reflow, collapse or change, and
        // formatters no mark to take for markup, nor an invisible soft hyphen to drop.
        const QString encoded = ToClipboard(text, CopyForm::Encoded);
        QVERIFY(std::none_of(encoded.cbegin(), encoded.cend(), [](QChar c) {
            return c.isSpace() || c.unicode() == 0xAD
                || (c.unicode() < 0x80 && (c.isPunct() || c.isSymbol()));
        }));
    }
}

QTEST_GUILESS_MAIN(TestFieldText)
#include "tst_fieldtext.moc"
