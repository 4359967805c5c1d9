#include "fieldtext.h"
#include "module1.h"
#include "testtext.h"

#include <QRandomGenerator>
#include <QTest>

using namespace FieldText;

class TestFieldText : public QObject
{
    Q_OBJECT

private slots:
    void toDisplay_data();
    void toDisplay();
    void fromDisplay_data();
    void fromDisplay();
    void everyCodeSurvivesAtEveryPosition();
    void randomTextsRichInControlCodesSurvive();
};

void TestFieldText::toDisplay_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");

    QTest::newRow("CR LF is a line break") << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::newRow("a lone CR is its picture") << QStringLiteral("a\rb") << QStringLiteral("a␍b");
    QTest::newRow("a lone LF is its picture") << QStringLiteral("a\nb") << QStringLiteral("a␊b");
    QTest::newRow("CR CR LF is a CR picture and a line break")
        << QStringLiteral("\r\r\n") << QStringLiteral("␍\n");
    QTest::newRow("CR LF LF is a line break and an LF picture")
        << QStringLiteral("\r\n\n") << QStringLiteral("\n␊");
    QTest::newRow("LF CR is two pictures") << QStringLiteral("\n\r") << QStringLiteral("␊␍");
    QTest::newRow("NUL is its picture") << QString(QChar(0)) << QStringLiteral("␀");
    QTest::newRow("tab and unit separator are their pictures")
        << QStringLiteral("\t\x1f") << QStringLiteral("␉␟");
    QTest::newRow("DEL is its picture") << QStringLiteral("\x7f") << QStringLiteral("␡");
    QTest::newRow("the five undefined codes get the five spare pictures")
        << QStringLiteral("\u0081\u008d\u008f\u0090\u009d") << QStringLiteral("␢␣␤␥␦");
    QTest::newRow("no-break space and soft hyphen are shown as they are")
        << QStringLiteral("\u00a0\u00ad") << QStringLiteral("\u00a0\u00ad");
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
    QTest::newRow("pictures give their codes")
        << QStringLiteral("␀␍␊␡␢␦") << QStringLiteral("\0\r\n\x7f\u0081\u009d");
    QTest::newRow("raw control codes stay themselves")
        << QStringLiteral("\t\x01") << QStringLiteral("\t\x01");
    QTest::newRow("symbol for space is not a picture of ours") << QStringLiteral("␠") << QStringLiteral("?");
    QTest::newRow("characters outside the code page give ?")
        << QStringLiteral("中😀\u0080") << QStringLiteral("????");
}

void TestFieldText::fromDisplay()
{
    QFETCH(QString, shown);
    QFETCH(QString, text);
    // QStringLiteral stops at nothing, so "\0" rows hold their NUL.
    QCOMPARE(FromDisplay(shown), text);
}

void TestFieldText::everyCodeSurvivesAtEveryPosition()
{
    const QString codes = TestText::AllCodes();
    for (int shift = 0; shift < 256; ++shift) {
        const QString text = codes.mid(shift) + codes.left(shift);
        QCOMPARE(FromDisplay(ToDisplay(text)), text);
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
    }
}

QTEST_GUILESS_MAIN(TestFieldText)
#include "tst_fieldtext.moc"
