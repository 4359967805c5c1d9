#include "cipher/module1.h"
#include "tests/support/controls.h"
#include "tests/support/fixture.h"
#include "tests/support/testtext.h"
#include "window/keyprompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Module1;

// The key prompt: the real dialog, driven from the window, and the key line's counted form.
class TestKeyPrompt : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void realPromptAsksWithEmptyLine();
    void keyLineShowsWhatEachCharacterCountsAs_data();
    void keyLineShowsWhatEachCharacterCountsAs();
    void keyPromptShowsCountedKeyAsItIsTyped();
};

void TestKeyPrompt::init()
{
    Fixture::clear();
}

void TestKeyPrompt::cleanup()
{
    Fixture::clear();
}

void TestKeyPrompt::realPromptAsksWithEmptyLine()
{
    ScriptedUser user({QStringLiteral("inicial")});
    TestWindow c(
        [&](QWidget *parent) {
            return user.prompts++ == 0 ? QStringLiteral("inicial") : AskKeyWithDialog(parent);
        },
        user.report());
    QVERIFY(c.found);
    c.form.show();

    struct Seen
    {
        QString title, label, line, ok, cancel;
    };
    const auto answer = [&](Seen &seen, const QString &typed, int result) {
        QTimer::singleShot(0, &c.form, [&seen, typed, result] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            seen = {dialog->windowTitle(), dialog->labelText(), dialog->textValue(), dialog->okButtonText(),
                    dialog->cancelButtonText()};
            dialog->setTextValue(typed);
            dialog->done(result);
        });
    };

    Seen first;
    answer(first, QStringLiteral("Secreto"), QDialog::Accepted);
    press(c.command4);
    QCOMPARE(first.title, QStringLiteral("Clave"));
    QCOMPARE(first.label, QStringLiteral("Ingrese la clave de codificación: "));
    QVERIFY(first.line.isEmpty());
    QCOMPARE(first.ok, QStringLiteral("Aceptar"));
    QCOMPARE(first.cancel, QStringLiteral("Cancelar"));
    QCOMPARE(CipherKey, QStringLiteral("Secreto"));

    // The key is never shown again, and cancelling leaves no key even when text was typed.
    Seen second;
    answer(second, QStringLiteral("escrito y cancelado"), QDialog::Rejected);
    press(c.command4);
    QVERIFY(second.line.isEmpty());
    QVERIFY(CipherKey.isEmpty());
}

void TestKeyPrompt::keyLineShowsWhatEachCharacterCountsAs_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("Latin letters stay as typed, letter case included")
        << QStringLiteral("Llave ñandú") << QStringLiteral("Llave ñandú");
    QTest::newRow("Greek letters have no capital in the code page")
        << QStringLiteral("Ωμέγα") << QStringLiteral("?????");
    QTest::newRow("micro sign's capital is Greek") << QStringLiteral("5µm") << QStringLiteral("5?m");
    QTest::newRow("y with diaeresis has its capital in the code page")
        << QStringLiteral("ÿ") << QStringLiteral("ÿ");
    QTest::newRow("each half of an emoji counts as ?") << QStringLiteral("a😀") << QStringLiteral("a??");
    QTest::newRow("control characters stay themselves") << QStringLiteral("\t") << QStringLiteral("\t");
}

void TestKeyPrompt::keyLineShowsWhatEachCharacterCountsAs()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);

    QCOMPARE(KeyAsCounted(typed), shown);
    // The same key to the cipher: every code passes alike.
    const QString all = TestText::AllCodes();
    QCOMPARE(EncryptText(all, shown), EncryptText(all, typed));
}

void TestKeyPrompt::keyPromptShowsCountedKeyAsItIsTyped()
{
    ScriptedUser user;
    TestWindow c(AskKeyWithDialog, user.report());
    QVERIFY(c.found);

    QString seen;
    QTimer::singleShot(0, &c.form, [&] {
        auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto *line = dialog->findChild<QLineEdit *>(QStringLiteral("KeyLine"));
        QVERIFY(line);
        for (const QString &typed : {QStringLiteral("Ω"), QStringLiteral("a")}) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, typed);
            QApplication::sendEvent(line, &key);
        }
        line->insert(QStringLiteral("ΣB")); // as pasted
        line->insert(QStringLiteral("n\u0303andu\u0301")); // decomposed, as some programs copy it
        line->insert(QStringLiteral("!"));
        seen = line->text();
        dialog->done(QDialog::Accepted);
    });
    c.form.findChild<QPushButton *>(QStringLiteral("Command4"))->click();
    QCOMPARE(seen, QStringLiteral("?a?Bñandú!"));
    QCOMPARE(CipherKey, QStringLiteral("?a?Bñandú!"));
}

QTEST_MAIN(TestKeyPrompt)
#include "tst_keyprompt.moc"
