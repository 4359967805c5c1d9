#include "application.h"
#include "captionfit.h"
#include "config-zentolar.h"
#include "controls.h"
#include "form1.h"
#include "module1.h"
#include "testtext.h"
#include "textfield.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QGlyphRun>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTranslator>

#include <algorithm>
#include <memory>

using namespace Module1;

namespace {

QString answerKey(QWidget *)
{
    return QStringLiteral("Llave");
}

// No action may fail in these tests: a report fails the test, and the test stops at its next
// QVERIFY(noError()).
void ignoreErrors(QWidget *, const QString &message)
{
    QTest::qFail(qPrintable(message), __FILE__, __LINE__);
}

bool noError()
{
    return !QTest::currentTestFailed();
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void windowHasFixedClientArea();
    void controlsSitAtTheirPlaces_data();
    void controlsSitAtTheirPlaces();
    void captionsFitTheirControls_data();
    void captionsFitTheirControls();
    void focusStartsOnEncryptAndTabFollowsTheOrder();
    void tabInAFieldMovesOn();
    void noButtonIsDefaultAndEnterInAFieldBreaksTheLine();
    void buttonsArePressedFromTheKeyboard_data();
    void buttonsArePressedFromTheKeyboard();
    void captionsHaveNoAccessKeys();
    void fieldsAreNamedByTheirLabels();
    void qtTextsAreSpanish();
    void contextMenusAreSpanish_data();
    void contextMenusAreSpanish();
    void qtTranslationIsFoundUnderEitherName_data();
    void qtTranslationIsFoundUnderEitherName();
    void applicationIsNamedVersionedAndHasItsIcon();

    void encryptedTextSurvivesTheRoadThroughTheButtons_data();
    void encryptedTextSurvivesTheRoadThroughTheButtons();
    void screenshot();
    void everyCodeWithoutAGlyphIsABoxOfItsOwn();
};

void TestLayout::initTestCase()
{
    QVERIFY(SetUpApplication(*qApp));
}

void TestLayout::init()
{
    TestWindow::clearGlobals();
}

void TestLayout::windowHasFixedClientArea()
{
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QCOMPARE(c.form.windowTitle(), QStringLiteral(ZENTOLAR_NAME));
    QCOMPARE(c.form.size(), QSize(486, 214));
    QCOMPARE(c.form.minimumSize(), QSize(486, 214));
    QCOMPARE(c.form.maximumSize(), QSize(486, 214));
}

void TestLayout::controlsSitAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    // Twips divided by 15.
    QTest::newRow("Label1 above the plain text") << "Label1"
                                                 << "Codigo sin codificar" << QRect(16, 8, 169, 17);
    QTest::newRow("Text1 on the left") << "Text1"
                                       << "" << QRect(16, 32, 169, 169);
    QTest::newRow("Command1 first in the column") << "Command1"
                                                  << "Encriptar =>" << QRect(192, 32, 97, 25);
    QTest::newRow("Command2 48 pixels lower") << "Command2"
                                              << "<= Desenciptar " << QRect(192, 80, 97, 25);
    QTest::newRow("Command3 48 pixels lower") << "Command3"
                                              << "Limpiar" << QRect(192, 128, 97, 25);
    QTest::newRow("Command4 last") << "Command4"
                                   << "Cambiar Clave" << QRect(192, 176, 97, 25);
    QTest::newRow("Label2 above the encoded text") << "Label2"
                                                   << "Codigo codificado" << QRect(296, 8, 169, 17);
    QTest::newRow("Text3 on the right") << "Text3"
                                        << "" << QRect(296, 32, 169, 169);
}

void TestLayout::controlsSitAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QWidget *widget = c.named(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    QVERIFY(widget->isVisible());
    if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), caption);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->alignment(), Qt::AlignCenter);
    }
    if (auto *text = qobject_cast<TextField *>(widget))
        QVERIFY(text->text().isEmpty());

    // No control overlaps another.
    for (QWidget *other : c.form.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != widget)
            QVERIFY2(!other->geometry().intersects(geometry), qPrintable(other->objectName()));
    }
}

void TestLayout::captionsFitTheirControls_data()
{
    QTest::addColumn<QString>("change"); // "", "font" or the name of a style that takes over
    QTest::newRow("at the style's own font") << "";
    QTest::newRow("after the application font grew by half") << "font";
    // Every style this build carries: on Windows, Qt's Windows 11 and Vista styles among them.
    for (const QString &style : QStyleFactory::keys())
        QTest::addRow("after the %s style took over", qPrintable(style)) << style;
}

void TestLayout::captionsFitTheirControls()
{
    QFETCH(QString, change);

    const QFont before = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(before); });
    std::unique_ptr<QStyle> style;
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    if (change == QLatin1String("font")) {
        QFont larger = before;
        larger.setPointSizeF(before.pointSizeF() * 1.5);
        QApplication::setFont(larger);
        QTRY_COMPARE(c.form.font().pointSizeF(), larger.pointSizeF());
    } else if (!change.isEmpty()) {
        style.reset(QStyleFactory::create(change));
        QVERIFY(style);
        c.form.setStyle(style.get());
    }
    // Every caption is whole in its control, the first and last letters' edges included.
    const QList<QList<QWidget *>> groups
        = {{c.command1, c.command2, c.command3, c.command4}, {c.label1, c.label2}};
    for (const QList<QWidget *> &group : groups) {
        const QFont font = group.first()->font();
        for (QWidget *control : group) {
            QVERIFY2(CaptionFit::fits(control, control->font()), qPrintable(control->objectName()));
#ifdef Q_OS_WIN
            // Windows' dialog font, Segoe UI at 9 points, holds every caption at its normal size.
            if (change.isEmpty()) {
                QCOMPARE(QApplication::font().pointSizeF(), 9.0);
                QVERIFY2(
                    !control->testAttribute(Qt::WA_SetFont),
                    qPrintable(control->objectName() + QLatin1String(" at ") + control->font().toString()));
            }
#endif
            // One common size for the group.
            QCOMPARE(control->font().pointSizeF(), font.pointSizeF());
            QCOMPARE(control->font().stretch(), font.stretch());
        }
        // Made smaller only as far as needed: half a point larger, one of them would be cut.
        if (group.first()->testAttribute(Qt::WA_SetFont)) {
            QFont larger = font;
            larger.setPointSizeF(font.pointSizeF() + 0.5);
            QVERIFY(!std::all_of(group.cbegin(), group.cend(),
                                 [&](QWidget *control) { return CaptionFit::fits(control, larger); }));
        }
    }
}

void TestLayout::focusStartsOnEncryptAndTabFollowsTheOrder()
{
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&c.form));
    QCOMPARE(QApplication::focusWidget(), c.command1);

    const QStringList order = {"Text1", "Command2", "Text3", "Command3", "Command4", "Command1"};
    for (const QString &next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command4"));
}

void TestLayout::tabInAFieldMovesOn()
{
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&c.form));
    c.text3->setFocus();
    QTest::keyClick(c.text3, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command3"));
    QVERIFY(c.text3->text().isEmpty());
}

void TestLayout::noButtonIsDefaultAndEnterInAFieldBreaksTheLine()
{
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&c.form));
    for (auto *button : c.form.findChildren<QPushButton *>()) {
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }

    TextField *text1 = c.text1;
    text1->setFocus();
    QTest::keyClicks(text1, QStringLiteral("uno"));
    QTest::keyClick(text1, Qt::Key_Return);
    QTest::keyClick(text1, Qt::Key_Enter);
    QCOMPARE(text1->text(), QStringLiteral("uno\r\n\r\n"));
    QVERIFY(c.text3->text().isEmpty()); // nothing was encrypted
}

void TestLayout::buttonsArePressedFromTheKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Enter") << int(Qt::Key_Return);
}

void TestLayout::buttonsArePressedFromTheKeyboard()
{
    QFETCH(int, key);

    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&c.form));
    c.text1->setText(QStringLiteral("hola"));
    QWidget *encrypt = c.command1;
    QCOMPARE(QApplication::focusWidget(), encrypt);
    QTest::keyClick(encrypt, Qt::Key(key));
    QVERIFY(noError());
    QCOMPARE(c.text3->text(), EncryptText(QStringLiteral("hola"), QStringLiteral("Llave")));
}

void TestLayout::captionsHaveNoAccessKeys()
{
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QVERIFY(QTest::qWaitForWindowActive(&c.form));
    c.text1->setText(QStringLiteral("hola"));
    c.text3->setText(QStringLiteral("sigue"));
    // Alt with the first letter of each caption presses nothing.
    for (Qt::Key key : {Qt::Key_E, Qt::Key_D, Qt::Key_L, Qt::Key_C})
        QTest::keyClick(&c.form, key, Qt::AltModifier);
    QCOMPARE(c.text1->text(), QStringLiteral("hola"));
    QCOMPARE(c.text3->text(), QStringLiteral("sigue"));
    QCOMPARE(CipherKey, QStringLiteral("Llave"));
    for (auto *button : c.form.findChildren<QPushButton *>())
        QVERIFY(!button->text().contains(QLatin1Char('&')));
}

void TestLayout::fieldsAreNamedByTheirLabels()
{
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    const auto name = [&](const char *widget) {
        QAccessibleInterface *accessible
            = QAccessible::queryAccessibleInterface(c.named(QLatin1String(widget)));
        return accessible ? accessible->text(QAccessible::Name) : QString();
    };
    QCOMPARE(name("Text1"), QStringLiteral("Codigo sin codificar"));
    QCOMPARE(name("Text3"), QStringLiteral("Codigo codificado"));
    QCOMPARE(name("Command2"), QStringLiteral("<= Desenciptar "));
}

void TestLayout::qtTextsAreSpanish()
{
    // The fields' context menu and Qt's standard dialogs.
    QCOMPARE(QCoreApplication::translate("QWidgetTextControl", "&Undo"), QStringLiteral("&Deshacer"));
    QCOMPARE(QCoreApplication::translate("QWidgetTextControl", "Select All"),
             QStringLiteral("Seleccionar todo"));
    QCOMPARE(QLocale().language(), QLocale::Spanish);
}

void TestLayout::contextMenusAreSpanish_data()
{
    QTest::addColumn<QString>("widget");
    QTest::newRow("the plain-text field") << "Text1";
    QTest::newRow("the encoded field") << "Text3";
    QTest::newRow("the key prompt's line") << "KeyPrompt";
}

void TestLayout::contextMenusAreSpanish()
{
    QFETCH(QString, widget);

    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    QLineEdit keyLine;
    std::unique_ptr<QMenu> menu;
    if (widget == QLatin1String("KeyPrompt")) {
        menu.reset(keyLine.createStandardContextMenu());
    } else {
        TextField *field = c.field(widget);
        QVERIFY(field);
        menu.reset(field->createStandardContextMenu(QPoint(5, 5)));
    }
    QVERIFY(menu);
    QStringList texts;
    for (QAction *action : menu->actions())
        texts << action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
    for (const char *spanish : {"Deshacer", "Rehacer", "Cortar", "Copiar", "Pegar", "Seleccionar todo"})
        QVERIFY2(texts.contains(QLatin1String(spanish)), qPrintable(texts.join(QLatin1String(", "))));
}

void TestLayout::qtTranslationIsFoundUnderEitherName_data()
{
    QTest::addColumn<QStringList>("catalogs"); // folder/catalog files to lay out, folders "a" and "b"
    QTest::addColumn<QString>("expected"); // the file that is loaded, or empty for none

    QTest::newRow("the combined catalog of a Windows deployment")
        << QStringList {"a/qt_es.qm"} << "a/qt_es.qm";
    QTest::newRow("the qtbase catalog of a Linux distribution")
        << QStringList {"a/qtbase_es.qm"} << "a/qtbase_es.qm";
    QTest::newRow("the combined catalog before qtbase in the same folder")
        << QStringList {"a/qtbase_es.qm", "a/qt_es.qm"} << "a/qt_es.qm";
    QTest::newRow("the running Qt's folder before the copy built in")
        << QStringList {"a/qtbase_es.qm", "b/qt_es.qm"} << "a/qtbase_es.qm";
    QTest::newRow("the second folder when the first has none")
        << QStringList {"b/qtbase_es.qm"} << "b/qtbase_es.qm";
    QTest::newRow("no catalog in either folder") << QStringList {"a/qtbase_fr.qm"} << "";
}

void TestLayout::qtTranslationIsFoundUnderEitherName()
{
    QFETCH(QStringList, catalogs);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString &catalog : catalogs) {
        QVERIFY(QDir(dir.path()).mkpath(catalog.section(QLatin1Char('/'), 0, 0)));
        QVERIFY(QFile::copy(QStringLiteral(":/i18n/qtbase_es.qm"), dir.filePath(catalog)));
    }
    QTranslator translator;
    const bool found
        = LoadQtTranslation(translator, QLocale(QLocale::Spanish, QLocale::Spain),
                            {dir.filePath(QStringLiteral("a")), dir.filePath(QStringLiteral("b"))});
    QCOMPARE(found, !expected.isEmpty());
    if (found) {
        QCOMPARE(QDir(dir.path()).relativeFilePath(translator.filePath()), expected);
        QCOMPARE(translator.translate("QWidgetTextControl", "&Undo"), QStringLiteral("&Deshacer"));
    }
}

void TestLayout::applicationIsNamedVersionedAndHasItsIcon()
{
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral(ZENTOLAR_NAME));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(ZENTOLAR_VERSION));

    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    const QList<QSize> sizes = c.form.windowIcon().availableSizes();
    for (int size : {ZENTOLAR_ICON_SIZES})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
}

void TestLayout::encryptedTextSurvivesTheRoadThroughTheButtons_data()
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

void TestLayout::encryptedTextSurvivesTheRoadThroughTheButtons()
{
    QFETCH(QString, text);
    QFETCH(QString, key);

    TestWindow c([&](QWidget *) { return key; }, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    c.text1->setText(text);
    QTest::mouseClick(c.command1, Qt::LeftButton);
    QVERIFY(noError());
    QCOMPARE(c.text3->text(), EncryptText(text, key));

    c.text1->setText(QString());
    QTest::mouseClick(c.command2, Qt::LeftButton);
    QVERIFY(noError());
    QCOMPARE(c.text1->text(), text);
}

void TestLayout::screenshot()
{
    TestWindow c(answerKey, ignoreErrors);
    QVERIFY(c.found);
    c.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.form));
    c.text1->setText(QStringLiteral("¿Hola, mundo?\r\nEste texto viaja codificado."));
    QTest::mouseClick(c.command1, Qt::LeftButton);
    QVERIFY(noError());

    const QString path = QDir(QStringLiteral(ZENTOLAR_SCREENSHOT_DIR)).filePath(QStringLiteral("form1.png"));
    QVERIFY(QDir().mkpath(QStringLiteral(ZENTOLAR_SCREENSHOT_DIR)));
    const QPixmap shot = c.form.grab();
    QVERIFY(shot.save(path));
    QCOMPARE(QImage(path).size(), QSize(486, 214) * shot.devicePixelRatio());
    qInfo("Screenshot: %s", qPrintable(path));
}

void TestLayout::everyCodeWithoutAGlyphIsABoxOfItsOwn()
{
    // All 256 codes, sixteen to a line, at the fields' own font and size.
    QString text;
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column)
            text += CodeToChar(std::uint8_t(16 * row + column));
        text += QStringLiteral("\r\n");
    }
    TextField field;
    field.setObjectName(QStringLiteral("Codes"));
    field.resize(420, 400);
    field.show();
    QVERIFY(QTest::qWaitForWindowExposed(&field));
    field.setText(text);
    QCOMPARE(field.text(), text);

    // Each code without a glyph of its own is drawn by the codes' font, each with a glyph of its own.
    QSet<quint32> glyphs;
    int boxes = 0;
    for (QTextBlock block = field.document()->firstBlock(); block.isValid(); block = block.next()) {
        QTextLayout line(block.text(), field.font());
        line.beginLayout();
        line.createLine();
        line.endLayout();
        for (const QGlyphRun &run : line.glyphRuns()) {
            if (run.rawFont().familyName() != QLatin1String("Zentolar Codigos"))
                continue;
            for (quint32 glyph : run.glyphIndexes()) {
                glyphs.insert(glyph);
                ++boxes;
            }
        }
    }
    // 0..31 but the tab, 127, the five undefined codes, 160 and 173.
    QCOMPARE(boxes, 31 + 1 + 5 + 2);
    QCOMPARE(glyphs.size(), boxes);

    // Three times the size, for the eye.
    const QImage shot = field.grab().toImage();
    const QImage zoomed = shot.scaled(shot.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QVERIFY(QDir().mkpath(QStringLiteral(ZENTOLAR_SCREENSHOT_DIR)));
    const QString path = QDir(QStringLiteral(ZENTOLAR_SCREENSHOT_DIR)).filePath(QStringLiteral("codes.png"));
    QVERIFY(zoomed.save(path));
    qInfo("Every code: %s", qPrintable(path));
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
