#include "cipher/module1.h"
#include "config-zentolar.h"
#include "tests/support/controls.h"
#include "tests/support/fixture.h"
#include "tests/support/testtext.h"
#include "window/form1.h"
#include "window/textfield.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace Module1;

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

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
    void encryptedTextSurvivesTheRoadThroughTheButtons_data();
    void encryptedTextSurvivesTheRoadThroughTheButtons();

    void withoutKeyTheFieldsSaySo_data();
    void withoutKeyTheFieldsSaySo();
    void resultsAndClearingCanBeUndone_data();
    void resultsAndClearingCanBeUndone();
    void accessibleAsAWhole();
    void eachFieldCopiesItsOwnForm_data();
    void eachFieldCopiesItsOwnForm();
};

void TestForm1::init()
{
    Fixture::clear();
}

void TestForm1::cleanup()
{
    Fixture::clear();
}

void TestForm1::keyIsAskedBeforeTheWindowAppears()
{
    ScriptedUser user({QStringLiteral("Clave")});
    TestWindow c(user.prompt(), user.report());
    QVERIFY(c.found);
    QCOMPARE(user.prompts, 0);

    c.form.show();
    QCOMPARE(user.prompts, 1);
    QVERIFY(!user.windowVisibleAtFirstPrompt);
    QVERIFY(c.form.isVisible());
    QCOMPARE(CipherKey, QStringLiteral("Clave"));
    QVERIFY(c.text1->text().isEmpty());
    QVERIFY(c.text3->text().isEmpty());

    // Showing the window again is no new start.
    c.form.hide();
    c.form.show();
    QCOMPARE(user.prompts, 1);
}

void TestForm1::encryptFillsTheEncodedField()
{
    UserWindow c({QStringLiteral("abc")});
    QVERIFY(c.found);

    c.text1->setText(QStringLiteral("ABC"));
    press(c.command1);

    const QString encoded = QStringLiteral("ƒ…„"); // 131, 133, 132
    QCOMPARE(c.text3->text(), encoded);
    QCOMPARE(PlainText, QStringLiteral("ABC"));
    QCOMPARE(ResultText, encoded);
    QCOMPARE(CipherKey, QStringLiteral("abc"));
    QCOMPARE(c.text1->text(), QStringLiteral("ABC"));
    QVERIFY(c.errors.isEmpty());
}

void TestForm1::decryptFillsThePlainField()
{
    UserWindow c({QStringLiteral("abc")});
    QVERIFY(c.found);

    c.text3->setText(QStringLiteral("ƒ…„"));
    press(c.command2);

    QCOMPARE(c.text1->text(), QStringLiteral("ABC"));
    QCOMPARE(CipherText, QStringLiteral("ƒ…„"));
    QCOMPARE(ResultText, QStringLiteral("ABC"));
}

void TestForm1::withoutKeyTextsAreCopiedUnchanged()
{
    UserWindow c; // cancels the prompt
    QVERIFY(c.found);
    QVERIFY(CipherKey.isEmpty());

    c.text1->setText(QStringLiteral("línea uno\r\nlínea dos"));
    press(c.command1);
    QCOMPARE(c.text3->text(), QStringLiteral("línea uno\r\nlínea dos"));

    c.text3->setText(QStringLiteral("otro texto"));
    press(c.command2);
    QCOMPARE(c.text1->text(), QStringLiteral("otro texto"));
}

void TestForm1::changeKeyThenCancelLeavesNoKey()
{
    UserWindow c({QStringLiteral("clave")});
    QVERIFY(c.found);
    QCOMPARE(CipherKey, QStringLiteral("clave"));

    press(c.command4); // the script is exhausted: the user cancels
    QCOMPARE(c.prompts, 2);
    QVERIFY(CipherKey.isEmpty());

    c.text1->setText(QStringLiteral("hola"));
    press(c.command1);
    QCOMPARE(c.text3->text(), QStringLiteral("hola"));
}

void TestForm1::changeKeyReplacesTheKey()
{
    UserWindow c({QStringLiteral("A"), QStringLiteral("B")});
    QVERIFY(c.found);

    c.text1->setText(QString(QChar(0x10)));
    press(c.command1);
    QCOMPARE(c.text3->text(), QStringLiteral("Q")); // 16 + 65

    press(c.command4);
    QCOMPARE(CipherKey, QStringLiteral("B"));
    press(c.command1);
    QCOMPARE(c.text3->text(), QStringLiteral("R")); // 16 + 66
}

void TestForm1::clearEmptiesFieldsButKeepsKeyAndInputs()
{
    UserWindow c({QStringLiteral("k")});
    QVERIFY(c.found);

    c.text1->setText(QStringLiteral("uno"));
    press(c.command1);
    const QString encoded = c.text3->text();
    c.text3->setText(QStringLiteral("dos"));
    press(c.command2);

    press(c.command3);
    QVERIFY(c.text1->text().isEmpty());
    QVERIFY(c.text3->text().isEmpty());
    QVERIFY(ResultText.isEmpty());
    QCOMPARE(CipherKey, QStringLiteral("k"));
    QCOMPARE(PlainText, QStringLiteral("uno"));
    QCOMPARE(CipherText, QStringLiteral("dos"));

    c.text1->setText(QStringLiteral("uno"));
    press(c.command1);
    QCOMPARE(c.text3->text(), encoded);
}

void TestForm1::encryptReplacesWhateverTheEncodedFieldHeld()
{
    UserWindow c({QStringLiteral("k")});
    QVERIFY(c.found);

    c.text3->setText(QStringLiteral("algo que el usuario escribió"));
    press(c.command1); // Text1 is empty
    QVERIFY(c.text3->text().isEmpty());

    c.text1->setText(QStringLiteral("bien"));
    c.text3->setText(QStringLiteral("más cosas"));
    press(c.command1);
    QCOMPARE(c.text3->text(), EncryptText(QStringLiteral("bien"), QStringLiteral("k")));
}

void TestForm1::encryptingTwiceGivesTheSameResult()
{
    UserWindow c({QStringLiteral("clave")});
    QVERIFY(c.found);

    c.text1->setText(QStringLiteral("Un texto cualquiera"));
    press(c.command1);
    const QString first = c.text3->text();
    press(c.command1);
    QCOMPARE(c.text3->text(), first);
    QVERIFY(first != QStringLiteral("Un texto cualquiera"));
}

void TestForm1::decryptingUnderAnotherKeyReportsNothing()
{
    UserWindow c({QStringLiteral("A"), QStringLiteral("C")});
    QVERIFY(c.found);

    c.text1->setText(QStringLiteral("ab"));
    press(c.command1);
    QCOMPARE(c.text3->text(), QStringLiteral("¢£")); // 97 + 65, 98 + 65
    press(c.command4);
    press(c.command2);
    QCOMPARE(c.text1->text(), QStringLiteral("_`")); // 162 - 67, 163 - 67
    QVERIFY(c.errors.isEmpty());
}

void TestForm1::keysTypedInAnotherCaseBehaveAlike()
{
    UserWindow c({QStringLiteral("Ñandú"), QStringLiteral("ñANDÚ")});
    QVERIFY(c.found);

    c.text1->setText(QStringLiteral("texto"));
    press(c.command1);
    const QString encoded = c.text3->text();
    press(c.command4);
    press(c.command2);
    QCOMPARE(c.text1->text(), QStringLiteral("texto"));
    press(c.command1);
    QCOMPARE(c.text3->text(), encoded);
}

void TestForm1::overflowIsReportedAndTheWindowGoesOn_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("tooLong");
    QTest::addColumn<bool>("pasted");

    // 8192 lines of two letters: 16384 characters to the eye, 32768 to the program.
    const QString lines = QStringLiteral("ab\r\n").repeated(8192);
    QTest::newRow("encrypting too long a text") << "Command1"
                                                << "Text1"
                                                << "Text3" << lines << false;
    QTest::newRow("decrypting too long a text") << "Command2"
                                                << "Text3"
                                                << "Text1" << lines << false;
    QTest::newRow("decrypting 200000 pasted characters")
        << "Command2"
        << "Text3"
        << "Text1" << QStringLiteral("x9").repeated(100000) << true;
}

void TestForm1::overflowIsReportedAndTheWindowGoesOn()
{
    QFETCH(QString, button);
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, tooLong);
    QFETCH(bool, pasted);
    const bool encrypting = button == QStringLiteral("Command1");

    UserWindow c({QStringLiteral("k")});
    QVERIFY(c.found);
    ResultText = QStringLiteral("anterior");
    QVERIFY(c.field(source) && c.field(target) && c.button(button));
    c.field(target)->setText(QStringLiteral("sin tocar"));

    if (pasted) {
        c.field(source)->setText(QString());
        QApplication::clipboard()->setText(tooLong);
        c.field(source)->paste();
    } else {
        c.field(source)->setText(tooLong);
    }
    press(c.button(button));

    QCOMPARE(c.errors.size(), 1);
    QVERIFY(c.errors.first().startsWith(QStringLiteral("Error 6: desbordamiento.\n")));
    QVERIFY(c.errors.first().contains(QStringLiteral("El texto tiene %1 caracteres").arg(tooLong.size())));
    QVERIFY(c.errors.first().contains(QStringLiteral("32766")));
    QCOMPARE(c.field(target)->text(), QStringLiteral("sin tocar"));
    QCOMPARE(c.field(source)->text(), tooLong);
    QCOMPARE(encrypting ? PlainText : CipherText, tooLong); // the step before the failure stays done
    QCOMPARE(ResultText, QStringLiteral("anterior"));

    // The program goes on: one character less is handled.
    c.field(source)->setText(QString(MaxTextLength, QChar(u'a')));
    press(c.button(button));
    QCOMPARE(c.errors.size(), 1);
    QCOMPARE(c.field(target)->text().size(), MaxTextLength);
}

void TestForm1::encryptedTextSurvivesTheRoadThroughTheButtons_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("key");

    const QString all = TestText::AllCodes();
    QTest::newRow("every code under a one-letter key") << all << QStringLiteral("a");
    QTest::newRow("lines whose encoded form holds NUL, CR and LF")
        << QStringLiteral("¿Qué tal?\r\nBien.\r\n") << QStringLiteral("A");
    QTest::newRow("a text that encodes to a lone CR and a lone LF")
        << QStringLiteral("\x0c\x09") << QStringLiteral("\x01");
    QTest::newRow("the longest text, every code many times")
        << all.repeated(128).left(MaxTextLength) << QStringLiteral("Secreto");

    QRandomGenerator random(99);
    for (int i = 0; i < 5; ++i) {
        const QString text = TestText::RandomCodePage(random, random.bounded(1, 400));
        QTest::addRow("random text %d", i) << text << TestText::RandomCodePage(random, random.bounded(1, 12));
    }
}

void TestForm1::encryptedTextSurvivesTheRoadThroughTheButtons()
{
    QFETCH(QString, text);
    QFETCH(QString, key);

    UserWindow c({key});
    QVERIFY(c.found);
    c.text1->setText(text);
    press(c.command1);
    QCOMPARE(c.errors, QStringList());
    QCOMPARE(c.text3->text(), EncryptText(text, key));

    c.text1->setText(QString());
    press(c.command2);
    QCOMPARE(c.errors, QStringList());
    QCOMPARE(c.text1->text(), text);
}

void TestForm1::withoutKeyTheFieldsSaySo_data()
{
    QTest::addColumn<QStringList>("answers"); // the prompt's answers: at start, then per Cambiar Clave
    QTest::addColumn<bool>("keyless");

    QTest::newRow("the prompt cancelled at start") << QStringList {} << true;
    QTest::newRow("an empty key accepted at start") << QStringList {""} << true;
    QTest::newRow("a key given at start") << QStringList {"k"} << false;
    QTest::newRow("a key, then Cambiar Clave cancelled") << QStringList {"k", ""} << true;
    QTest::newRow("no key, then a key given") << QStringList {"", "k"} << false;
}

void TestForm1::withoutKeyTheFieldsSaySo()
{
    QFETCH(QStringList, answers);
    QFETCH(bool, keyless);

    const qsizetype changes = std::max<qsizetype>(answers.size() - 1, 0);
    UserWindow c(answers);
    QVERIFY(c.found);
    for (qsizetype i = 0; i < changes; ++i)
        press(c.command4);

    const QString notice = QStringLiteral("Sin clave: los textos se copian sin codificar.");
    auto *encrypt = c.form.findChild<QPushButton *>(QStringLiteral("Command1"));
    for (const char *name : {"Text1", "Text3"}) {
        TextField *f = c.field(QLatin1String(name));
        QVERIFY(f);
        QCOMPARE(f->placeholderText(), keyless ? notice : QString());
        QCOMPARE(f->accessibleDescription().contains(notice), keyless);
        QVERIFY(f->text().isEmpty()); // the placeholder is no text
    }
    QCOMPARE(encrypt->accessibleDescription().contains(notice), keyless);
    QVERIFY(encrypt->accessibleDescription().contains(QStringLiteral("Codifica")));

    // The placeholder never reaches an action: encoding the empty field gives the empty text.
    press(c.command1);
    QVERIFY(c.text3->text().isEmpty());
    QVERIFY(PlainText.isEmpty());
}

void TestForm1::resultsAndClearingCanBeUndone_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("result");

    const QString key = QStringLiteral("k");
    QTest::newRow("Encriptar over a text typed into Text3")
        << "Command1"
        << "Text3" << EncryptText(QStringLiteral("claro"), key);
    QTest::newRow("Desenciptar over a text typed into Text1")
        << "Command2"
        << "Text1" << DecryptText(QStringLiteral("oscuro"), key);
    QTest::newRow("Limpiar in Text1") << "Command3"
                                      << "Text1" << QString();
    QTest::newRow("Limpiar in Text3") << "Command3"
                                      << "Text3" << QString();
}

void TestForm1::resultsAndClearingCanBeUndone()
{
    QFETCH(QString, button);
    QFETCH(QString, target);
    QFETCH(QString, result);

    UserWindow c({QStringLiteral("k")});
    QVERIFY(c.found);
    c.text1->setText(QStringLiteral("claro"));
    c.text3->setText(QStringLiteral("oscuro"));
    TextField *edited = c.field(target);
    QVERIFY(edited && c.button(button));
    // What the user typed last, which the press replaces.
    edited->moveCursor(QTextCursor::End);
    QTest::keyClicks(edited, QStringLiteral(" mio"));
    const QString typed = edited->text();

    press(c.button(button));
    QCOMPARE(edited->text(), result);

    QTest::keyClick(edited, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(edited->text(), typed);
    edited->redo();
    QCOMPARE(edited->text(), result);

    // The context menu's "Deshacer" does the same.
    std::unique_ptr<QMenu> menu(edited->createStandardContextMenu(QPoint(5, 5)));
    QAction *undo = menu->findChild<QAction *>(QStringLiteral("edit-undo"));
    QVERIFY(undo);
    QVERIFY(undo->isEnabled());
    undo->trigger();
    QCOMPARE(edited->text(), typed);
    QCOMPARE(ResultText, result); // the global strings are the actions' alone

    // A new edit there leaves nothing to redo: the result does not come back over it.
    QTest::keyClicks(edited, QStringLiteral("x"));
    const QString retyped = edited->text();
    QVERIFY(retyped != typed);
    edited->redo();
    QCOMPARE(edited->text(), retyped);
}

void TestForm1::accessibleAsAWhole()
{
    UserWindow c({QStringLiteral("k")});
    QVERIFY(c.found);

    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&c.form);
    QVERIFY(window);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral(ZENTOLAR_NAME));

    // Each field is labelled by the caption above it.
    const QList<std::pair<const char *, const char *>> labelled = {{"Text1", "Label1"}, {"Text3", "Label2"}};
    for (const auto &[fieldName, labelName] : labelled) {
        QAccessibleInterface *text = QAccessible::queryAccessibleInterface(c.field(QLatin1String(fieldName)));
        QVERIFY(text);
        QAccessibleInterface *label
            = QAccessible::queryAccessibleInterface(c.form.findChild<QLabel *>(QLatin1String(labelName)));
        bool found = false;
        for (const auto &[other, relation] : text->relations(QAccessible::Label))
            found = found || (other->object() == label->object() && relation & QAccessible::Label);
        QVERIFY2(found, fieldName);
    }

    // Each button says what it does, in words.
    const QList<std::pair<const char *, const char *>> buttons = {
        {"Command1", "Codifica"}, {"Command2", "Descodifica"}, {"Command3", "Vacía"}, {"Command4", "clave"}};
    for (const auto &[name, words] : buttons) {
        QAccessibleInterface *button
            = QAccessible::queryAccessibleInterface(c.form.findChild<QPushButton *>(QLatin1String(name)));
        QVERIFY(button);
        QVERIFY2(button->text(QAccessible::Description).contains(QString::fromUtf8(words)), name);
    }
}

void TestForm1::eachFieldCopiesItsOwnForm_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("copied");

    QTest::newRow("the plain field copies a no-break space, a tab and a blank as they are")
        << QStringLiteral("Text1") << QStringLiteral("a\u00a0\tb c\u00ad␀");
    QTest::newRow("the encoded field copies them and the soft hyphen as symbols, framed")
        << QStringLiteral("Text3") << QStringLiteral("⟦a⍽␉b␠c‐␀⟧");
}

void TestForm1::eachFieldCopiesItsOwnForm()
{
    QFETCH(QString, field);
    QFETCH(QString, copied);
    UserWindow c({QStringLiteral("Clave")});
    QVERIFY(c.found);
    TextField *source = c.field(field);
    QVERIFY(source);

    const QString text = QStringLiteral("a\u00a0\tb c\u00ad\0");
    source->setText(text);
    source->selectAll();
    source->copy();
    QCOMPARE(QApplication::clipboard()->text(), copied);
    // Either form pasted into either field is the same text again.
    for (TextField *target : {c.text1, c.text3}) {
        target->setText(QString());
        target->paste();
        QCOMPARE(target->text(), text);
    }
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
