#include "cipher/module1.h"
#include "config-zentolar.h"
#include "tests/support/controls.h"
#include "tests/support/fixture.h"
#include "window/errorreport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <new>

using namespace Module1;

// How a failure reaches the user: the message for each kind, in the real message box.
class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void errorMessages_data();
    void errorMessages();
    void overflowShowsARealMessageBox();
};

void TestErrorReport::init()
{
    Fixture::clear();
}

void TestErrorReport::cleanup()
{
    Fixture::clear();
}

void TestErrorReport::errorMessages_data()
{
    QTest::addColumn<std::exception_ptr>("failure");
    QTest::addColumn<QString>("message");

    QTest::newRow("a text too long names its length, how line breaks count and the limit")
        << std::make_exception_ptr(OverflowError(32767))
        << QStringLiteral(
               "Error 6: desbordamiento.\nEl texto tiene 32767 caracteres, contando cada salto "
               "de línea como dos.\nCon clave, un texto puede tener como máximo 32766 caracteres.");
    QTest::newRow("an overflowing sum names the limit only")
        << std::make_exception_ptr(OverflowError())
        << QStringLiteral(
               "Error 6: desbordamiento.\nCon clave, un texto puede tener como máximo 32766 caracteres.");
    QTest::newRow("another numbered failure names its number")
        << std::make_exception_ptr(Error(5, "llamada no válida"))
        << QStringLiteral("Error 5: llamada no válida.");
    QTest::newRow("running out of memory is error 7")
        << std::make_exception_ptr(std::bad_alloc()) << QStringLiteral("Error 7: memoria insuficiente.");
    QTest::newRow("anything else is unexpected")
        << std::make_exception_ptr(42) << QStringLiteral("Error inesperado.");
}

void TestErrorReport::errorMessages()
{
    QFETCH(std::exception_ptr, failure);
    QFETCH(QString, message);
    QCOMPARE(ErrorMessage(failure), message);
}

void TestErrorReport::overflowShowsARealMessageBox()
{
    ScriptedUser user({QStringLiteral("k")});
    TestWindow c(user.prompt(), ShowErrorBox);
    QVERIFY(c.found);
    c.form.show();
    c.text1->setText(QString(40000, QChar(u'a')));

    QString title;
    QString text;
    QTimer::singleShot(0, &c.form, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        box->done(QMessageBox::Ok);
    });
    press(c.command1);

    QCOMPARE(title, QStringLiteral(ZENTOLAR_NAME));
    QCOMPARE(text, ErrorMessage(std::make_exception_ptr(OverflowError(40000))));
    QVERIFY(c.text3->text().isEmpty());

    c.text1->setText(QStringLiteral("sigue"));
    press(c.command1);
    QCOMPARE(c.text3->text(), EncryptText(QStringLiteral("sigue"), QStringLiteral("k")));
}

QTEST_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
