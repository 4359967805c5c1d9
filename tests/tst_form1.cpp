#include "errorreport.h"
#include "form1.h"
#include "keyprompt.h"
#include "module1.h"
#include "textfield.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <new>

using namespace Module1;

namespace {

// Plays the user: answers the key prompt from a script (an exhausted script cancels) and
// collects the failures the window reports.
struct ScriptedUser
{
    explicit ScriptedUser(QStringList answers = {})
        : keys(std::move(answers))
    {
    }

    QStringList keys;
    int prompts = 0;
    bool windowVisibleAtFirstPrompt = true;
    QStringList errors;

    Form1::KeyPrompt prompt()
    {
        return [this](QWidget *window) {
            if (prompts++ == 0)
                windowVisibleAtFirstPrompt = window->isVisible();
            return keys.isEmpty() ? QString() : keys.takeFirst();
        };
    }
    Form1::ErrorReport report()
    {
        return [this](QWidget *, const QString &message) { errors << message; };
    }
};

TextField *field(const Form1 &form, const char *name)
{
    auto *f = form.findChild<TextField *>(QLatin1String(name));
    Q_ASSERT(f);
    return f;
}

void press(const Form1 &form, const char *name)
{
    auto *button = form.findChild<QPushButton *>(QLatin1String(name));
    Q_ASSERT(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void keyIsAskedBeforeTheWindowAppears();
    void encryptFillsTheEncodedField();
    void decryptFillsThePlainField();
    void withoutKeyTextsAreCopiedUnchanged();
    void changeKeyThenCancelLeavesNoKey();
    void changeKeyReplacesTheKey();
    void clearEmptiesFieldsButKeepsKeyAndInputs();
    void encryptReplacesWhateverTheEncodedFieldHeld();
    void encryptingTwiceGivesTheSameResult();
    void decryptingUnderAnotherKeyReportsNothing();
    void keysTypedInAnotherCaseBehaveAlike();

    void overflowIsReportedAndTheWindowGoesOn_data();
    void overflowIsReportedAndTheWindowGoesOn();
    void overflowShowsARealMessageBox();
    void realPromptAsksWithEmptyLine();

    void errorMessages_data();
    void errorMessages();
};

void TestForm1::init()
{
    ResultText.clear();
    PlainText.clear();
    CipherText.clear();
    CipherKey.clear();
}

void TestForm1::keyIsAskedBeforeTheWindowAppears()
{
    ScriptedUser user({QStringLiteral("Clave")});
    Form1 form(user.prompt(), user.report());
    QCOMPARE(user.prompts, 0);

    form.show();
    QCOMPARE(user.prompts, 1);
    QVERIFY(!user.windowVisibleAtFirstPrompt);
    QVERIFY(form.isVisible());
    QCOMPARE(CipherKey, QStringLiteral("Clave"));
    QVERIFY(field(form, "Text1")->text().isEmpty());
    QVERIFY(field(form, "Text3")->text().isEmpty());

    // Showing the window again is no new start.
    form.hide();
    form.show();
    QCOMPARE(user.prompts, 1);
}

void TestForm1::encryptFillsTheEncodedField()
{
    ScriptedUser user({QStringLiteral("abc")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text1")->setText(QStringLiteral("ABC"));
    press(form, "Command1");

    const QString encoded = QStringLiteral("ƒ…„"); // 131, 133, 132
    QCOMPARE(field(form, "Text3")->text(), encoded);
    QCOMPARE(PlainText, QStringLiteral("ABC"));
    QCOMPARE(ResultText, encoded);
    QCOMPARE(CipherKey, QStringLiteral("abc"));
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("ABC"));
    QVERIFY(user.errors.isEmpty());
}

void TestForm1::decryptFillsThePlainField()
{
    ScriptedUser user({QStringLiteral("abc")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text3")->setText(QStringLiteral("ƒ…„"));
    press(form, "Command2");

    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("ABC"));
    QCOMPARE(CipherText, QStringLiteral("ƒ…„"));
    QCOMPARE(ResultText, QStringLiteral("ABC"));
}

void TestForm1::withoutKeyTextsAreCopiedUnchanged()
{
    ScriptedUser user; // cancels the prompt
    Form1 form(user.prompt(), user.report());
    form.show();
    QVERIFY(CipherKey.isEmpty());

    field(form, "Text1")->setText(QStringLiteral("línea uno\r\nlínea dos"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), QStringLiteral("línea uno\r\nlínea dos"));

    field(form, "Text3")->setText(QStringLiteral("otro texto"));
    press(form, "Command2");
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("otro texto"));
}

void TestForm1::changeKeyThenCancelLeavesNoKey()
{
    ScriptedUser user({QStringLiteral("clave")});
    Form1 form(user.prompt(), user.report());
    form.show();
    QCOMPARE(CipherKey, QStringLiteral("clave"));

    press(form, "Command4"); // the script is exhausted: the user cancels
    QCOMPARE(user.prompts, 2);
    QVERIFY(CipherKey.isEmpty());

    field(form, "Text1")->setText(QStringLiteral("hola"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), QStringLiteral("hola"));
}

void TestForm1::changeKeyReplacesTheKey()
{
    ScriptedUser user({QStringLiteral("A"), QStringLiteral("B")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text1")->setText(QString(QChar(0x10)));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), QStringLiteral("Q")); // 16 + 65

    press(form, "Command4");
    QCOMPARE(CipherKey, QStringLiteral("B"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), QStringLiteral("R")); // 16 + 66
}

void TestForm1::clearEmptiesFieldsButKeepsKeyAndInputs()
{
    ScriptedUser user({QStringLiteral("k")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text1")->setText(QStringLiteral("uno"));
    press(form, "Command1");
    const QString encoded = field(form, "Text3")->text();
    field(form, "Text3")->setText(QStringLiteral("dos"));
    press(form, "Command2");

    press(form, "Command3");
    QVERIFY(field(form, "Text1")->text().isEmpty());
    QVERIFY(field(form, "Text3")->text().isEmpty());
    QVERIFY(ResultText.isEmpty());
    QCOMPARE(CipherKey, QStringLiteral("k"));
    QCOMPARE(PlainText, QStringLiteral("uno"));
    QCOMPARE(CipherText, QStringLiteral("dos"));

    field(form, "Text1")->setText(QStringLiteral("uno"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), encoded);
}

void TestForm1::encryptReplacesWhateverTheEncodedFieldHeld()
{
    ScriptedUser user({QStringLiteral("k")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text3")->setText(QStringLiteral("algo que el usuario escribió"));
    press(form, "Command1"); // Text1 is empty
    QVERIFY(field(form, "Text3")->text().isEmpty());

    field(form, "Text1")->setText(QStringLiteral("bien"));
    field(form, "Text3")->setText(QStringLiteral("más cosas"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), EncryptText(QStringLiteral("bien"), QStringLiteral("k")));
}

void TestForm1::encryptingTwiceGivesTheSameResult()
{
    ScriptedUser user({QStringLiteral("clave")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text1")->setText(QStringLiteral("Un texto cualquiera"));
    press(form, "Command1");
    const QString first = field(form, "Text3")->text();
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), first);
    QVERIFY(first != QStringLiteral("Un texto cualquiera"));
}

void TestForm1::decryptingUnderAnotherKeyReportsNothing()
{
    ScriptedUser user({QStringLiteral("A"), QStringLiteral("C")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text1")->setText(QStringLiteral("ab"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), QStringLiteral("¢£")); // 97 + 65, 98 + 65
    press(form, "Command4");
    press(form, "Command2");
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("_`")); // 162 - 67, 163 - 67
    QVERIFY(user.errors.isEmpty());
}

void TestForm1::keysTypedInAnotherCaseBehaveAlike()
{
    ScriptedUser user({QStringLiteral("Ñandú"), QStringLiteral("ñANDÚ")});
    Form1 form(user.prompt(), user.report());
    form.show();

    field(form, "Text1")->setText(QStringLiteral("texto"));
    press(form, "Command1");
    const QString encoded = field(form, "Text3")->text();
    press(form, "Command4");
    press(form, "Command2");
    QCOMPARE(field(form, "Text1")->text(), QStringLiteral("texto"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), encoded);
}

void TestForm1::overflowIsReportedAndTheWindowGoesOn_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");

    QTest::newRow("encrypting too long a text") << "Command1"
                                                << "Text1"
                                                << "Text3";
    QTest::newRow("decrypting too long a text") << "Command2"
                                                << "Text3"
                                                << "Text1";
}

void TestForm1::overflowIsReportedAndTheWindowGoesOn()
{
    QFETCH(QString, button);
    QFETCH(QString, source);
    QFETCH(QString, target);
    const bool encrypting = button == QStringLiteral("Command1");

    ScriptedUser user({QStringLiteral("k")});
    Form1 form(user.prompt(), user.report());
    form.show();
    ResultText = QStringLiteral("anterior");
    field(form, qPrintable(target))->setText(QStringLiteral("sin tocar"));

    const QString tooLong(MaxTextLength + 1, QChar(u'a'));
    field(form, qPrintable(source))->setText(tooLong);
    press(form, qPrintable(button));

    QCOMPARE(user.errors.size(), 1);
    QVERIFY(user.errors.first().startsWith(QStringLiteral("Error 6: desbordamiento.")));
    QVERIFY(user.errors.first().contains(QStringLiteral("32766")));
    QCOMPARE(field(form, qPrintable(target))->text(), QStringLiteral("sin tocar"));
    QCOMPARE(field(form, qPrintable(source))->text(), tooLong);
    QCOMPARE(encrypting ? PlainText : CipherText, tooLong); // the step before the failure stays done
    QCOMPARE(ResultText, QStringLiteral("anterior"));

    // The program goes on: one character less is handled.
    field(form, qPrintable(source))->setText(QString(MaxTextLength, QChar(u'a')));
    press(form, qPrintable(button));
    QCOMPARE(user.errors.size(), 1);
    QCOMPARE(field(form, qPrintable(target))->text().size(), MaxTextLength);
}

void TestForm1::overflowShowsARealMessageBox()
{
    ScriptedUser user({QStringLiteral("k")});
    Form1 form(user.prompt(), ShowErrorBox);
    form.show();
    field(form, "Text1")->setText(QString(40000, QChar(u'a')));

    QString title;
    QString text;
    QTimer::singleShot(0, &form, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        box->done(QMessageBox::Ok);
    });
    press(form, "Command1");

    QCOMPARE(title, QStringLiteral("Zentolar"));
    QCOMPARE(text, ErrorMessage(std::make_exception_ptr(OverflowError())));
    QVERIFY(field(form, "Text3")->text().isEmpty());

    field(form, "Text1")->setText(QStringLiteral("sigue"));
    press(form, "Command1");
    QCOMPARE(field(form, "Text3")->text(), EncryptText(QStringLiteral("sigue"), QStringLiteral("k")));
}

void TestForm1::realPromptAsksWithEmptyLine()
{
    ScriptedUser user({QStringLiteral("inicial")});
    Form1 form(
        [&](QWidget *parent) {
            return user.prompts++ == 0 ? QStringLiteral("inicial") : AskKeyWithDialog(parent);
        },
        user.report());
    form.show();

    struct Seen
    {
        QString title, label, line, ok, cancel;
    };
    const auto answer = [&](Seen &seen, const QString &typed, int result) {
        QTimer::singleShot(0, &form, [&seen, typed, result] {
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
    press(form, "Command4");
    QCOMPARE(first.title, QStringLiteral("Clave"));
    QCOMPARE(first.label, QStringLiteral("Ingrese la clave de codificación: "));
    QVERIFY(first.line.isEmpty());
    QCOMPARE(first.ok, QStringLiteral("Aceptar"));
    QCOMPARE(first.cancel, QStringLiteral("Cancelar"));
    QCOMPARE(CipherKey, QStringLiteral("Secreto"));

    // The key is never shown again, and cancelling leaves no key even when text was typed.
    Seen second;
    answer(second, QStringLiteral("escrito y cancelado"), QDialog::Rejected);
    press(form, "Command4");
    QVERIFY(second.line.isEmpty());
    QVERIFY(CipherKey.isEmpty());
}

void TestForm1::errorMessages_data()
{
    QTest::addColumn<std::exception_ptr>("failure");
    QTest::addColumn<QString>("message");

    QTest::newRow("an overflow names its number and the length limit")
        << std::make_exception_ptr(OverflowError())
        << QStringLiteral("Error 6: desbordamiento.\nUn texto puede tener como máximo 32766 caracteres.");
    QTest::newRow("another numbered failure names its number")
        << std::make_exception_ptr(Error(5, "llamada no válida"))
        << QStringLiteral("Error 5: llamada no válida.");
    QTest::newRow("running out of memory is error 7")
        << std::make_exception_ptr(std::bad_alloc()) << QStringLiteral("Error 7: memoria insuficiente.");
    QTest::newRow("anything else is unexpected")
        << std::make_exception_ptr(42) << QStringLiteral("Error inesperado.");
}

void TestForm1::errorMessages()
{
    QFETCH(std::exception_ptr, failure);
    QFETCH(QString, message);
    QCOMPARE(ErrorMessage(failure), message);
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
