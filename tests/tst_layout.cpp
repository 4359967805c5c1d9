#include "cipher/module1.h"
#include "config-zentolar.h"
#include "tests/support/controls.h"
#include "tests/support/fixture.h"
#include "window/application.h"
#include "window/captionfit.h"
#include "window/form1.h"
#include "window/textfield.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <algorithm>
#include <cmath>
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

// The window shown, with its key given.
struct ShownWindow : TestWindow
{
    ShownWindow()
        : TestWindow(answerKey, ignoreErrors)
    {
        form.show();
    }
};

// WCAG's contrast ratio between two colours.
double contrast(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &c) {
        const auto linear
            = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double x = luminance(a);
    const double y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// The strongest contrast any pixel of a widget's picture has against a background colour: what
// is drawn there, if anything, in the widget's own colours.
double inkContrast(QWidget *widget, const QColor &background)
{
    const QImage image = widget->grab().toImage();
    double most = 1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            most = std::max(most, contrast(image.pixelColor(x, y), background));
    }
    return most;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

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

    void screenshot();
    void everythingStaysLegibleInADarkPalette();
};

void TestLayout::initTestCase()
{
    QVERIFY(SetUpApplication(*qApp));
}

void TestLayout::init()
{
    Fixture::clear();
}

void TestLayout::cleanup()
{
    Fixture::clear();
}

void TestLayout::windowHasFixedClientArea()
{
    ShownWindow c;
    QVERIFY(c.found);
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

    ShownWindow c;
    QVERIFY(c.found);
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
    ShownWindow c;
    QVERIFY(c.found);
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
    ShownWindow c;
    QVERIFY(c.found);
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
    ShownWindow c;
    QVERIFY(c.found);
    QVERIFY(QTest::qWaitForWindowActive(&c.form));
    c.text3->setFocus();
    QTest::keyClick(c.text3, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Command3"));
    QVERIFY(c.text3->text().isEmpty());
}

void TestLayout::noButtonIsDefaultAndEnterInAFieldBreaksTheLine()
{
    ShownWindow c;
    QVERIFY(c.found);
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

    ShownWindow c;
    QVERIFY(c.found);
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
    ShownWindow c;
    QVERIFY(c.found);
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
    ShownWindow c;
    QVERIFY(c.found);
    const auto name = [&](const char *widget) {
        QAccessibleInterface *accessible
            = QAccessible::queryAccessibleInterface(c.named(QLatin1String(widget)));
        return accessible ? accessible->text(QAccessible::Name) : QString();
    };
    QCOMPARE(name("Text1"), QStringLiteral("Codigo sin codificar"));
    QCOMPARE(name("Text3"), QStringLiteral("Codigo codificado"));
    QCOMPARE(name("Command2"), QStringLiteral("<= Desenciptar "));
}

void TestLayout::screenshot()
{
    ShownWindow c;
    QVERIFY(c.found);
    QVERIFY(QTest::qWaitForWindowExposed(&c.form));
    c.text1->setText(QStringLiteral("¿Hola, mundo?\r\nEste texto viaja codificado."));
    QTest::mouseClick(c.command1, Qt::LeftButton);
    QVERIFY(noError());

    const QPixmap shot = c.form.grab();
    const QString path = Fixture::saveScreenshot(shot.toImage(), QStringLiteral("form1.png"));
    QVERIFY(!path.isEmpty());
    QCOMPARE(QImage(path).size(), QSize(486, 214) * shot.devicePixelRatio());
}

void TestLayout::everythingStaysLegibleInADarkPalette()
{
    // A dark Fusion palette, as a desktop at night sets it; nothing may be drawn in a fixed colour
    // that vanishes there: the fields' texts, their codes' boxes, the no-key notice, the captions.
    const QString style = QApplication::style()->name();
    const QPalette light = QApplication::palette();
    const auto restore = qScopeGuard([&] {
        QApplication::setStyle(style);
        QApplication::setPalette(light);
    });
    QApplication::setStyle(QStringLiteral("Fusion"));
    QPalette dark;
    const QColor text(0xe8, 0xe8, 0xe6);
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2d));
    dark.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1e));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3c));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x6b, 0xa8));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText,
                                     QPalette::HighlightedText, QPalette::BrightText})
        dark.setColor(role, text);
    dark.setColor(QPalette::PlaceholderText, QColor(0xa8, 0xa8, 0xac));
    QApplication::setPalette(dark);

    TestWindow c([](QWidget *) { return QString(); }, ignoreErrors); // no key: the notice shows
    QVERIFY(c.found);
    c.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&c.form));
    c.text3->setText(QStringLiteral("Nc k\u00a0\r\n\u0001\u007f\u0081\u00ad"));
    c.text3->clearFocus();
    c.command1->setFocus();
    QApplication::processEvents();

    // The encoded field's text and boxes, the plain field's no-key notice, captions and buttons.
    const std::pair<QWidget *, QPalette::ColorRole> drawn[]
        = {{c.text3->viewport(), QPalette::Base},
           {c.text1->viewport(), QPalette::Base},
           {c.named(QStringLiteral("Label1")), QPalette::Window},
           {c.named(QStringLiteral("Label2")), QPalette::Window},
           {c.command1, QPalette::Button},
           {c.command2, QPalette::Button},
           {c.command3, QPalette::Button},
           {c.command4, QPalette::Button}};
    for (const auto &[widget, background] : drawn)
        QVERIFY2(inkContrast(widget, dark.color(background)) >= 4.5, qPrintable(widget->objectName()));

    QVERIFY(!Fixture::saveScreenshot(c.form.grab().toImage(), QStringLiteral("form1-dark.png")).isEmpty());
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
