#include "config-zentolar.h"
#include "tests/support/controls.h"
#include "tests/support/fixture.h"
#include "window/application.h"
#include "window/textfield.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <memory>

// What the program sets up before its window: its name, version and icon, and Spanish from Qt.
class TestApplication : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void qtTextsAreSpanish();
    void contextMenusAreSpanish_data();
    void contextMenusAreSpanish();
    void qtTranslationIsFoundUnderEitherName_data();
    void qtTranslationIsFoundUnderEitherName();
    void applicationIsNamedVersionedAndHasItsIcon();
};

void TestApplication::initTestCase()
{
    QVERIFY(SetUpApplication(*qApp));
}

void TestApplication::init()
{
    Fixture::clear();
}

void TestApplication::cleanup()
{
    Fixture::clear();
}

void TestApplication::qtTextsAreSpanish()
{
    // The fields' context menu and Qt's standard dialogs.
    QCOMPARE(QCoreApplication::translate("QWidgetTextControl", "&Undo"), QStringLiteral("&Deshacer"));
    QCOMPARE(QCoreApplication::translate("QWidgetTextControl", "Select All"),
             QStringLiteral("Seleccionar todo"));
    QCOMPARE(QLocale().language(), QLocale::Spanish);
}

void TestApplication::contextMenusAreSpanish_data()
{
    QTest::addColumn<QString>("widget");
    QTest::newRow("the plain-text field") << "Text1";
    QTest::newRow("the encoded field") << "Text3";
    QTest::newRow("the key prompt's line") << "KeyPrompt";
}

void TestApplication::contextMenusAreSpanish()
{
    QFETCH(QString, widget);

    UserWindow c({QStringLiteral("Llave")});
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

void TestApplication::qtTranslationIsFoundUnderEitherName_data()
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

void TestApplication::qtTranslationIsFoundUnderEitherName()
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

void TestApplication::applicationIsNamedVersionedAndHasItsIcon()
{
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral(ZENTOLAR_NAME));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral(ZENTOLAR_VERSION));

    UserWindow c({QStringLiteral("Llave")});
    QVERIFY(c.found);
    const QList<QSize> sizes = c.form.windowIcon().availableSizes();
    for (int size : {ZENTOLAR_ICON_SIZES})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
}

QTEST_MAIN(TestApplication)
#include "tst_application.moc"
