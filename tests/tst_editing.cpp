// No sequence of edits, pastes, clicks or results may crash a field or change its text behind the
// user's back. The real window's two fields and a plain Qt editor beside each of them (every line
// one paragraph, as any editor holds it) are given the same random sequences of what a user does,
// and compared after every step. A failing sequence is shrunk and printed in the form of the rows
// of shrunkSequencesRunClean, with its seed.

#include "tests/support/editingmodel.h"
#include "tests/support/shrink.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <optional>

using namespace Editing;

class TestEditing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void randomSequencesRunClean();
    void shrunkSequencesRunClean_data();
    void shrunkSequencesRunClean();
    void aTripleClickAfterAResultSelectsTheLineWithARealPointer();
    void theShrinkerLeavesWhatFailsAndNothingElse_data();
    void theShrinkerLeavesWhatFailsAndNothingElse();

private:
    // The fault of a sequence, if any, and the step it was found at.
    static QString runs(const QList<Step> &steps, qsizetype *failedAt = nullptr, Model *model = nullptr);
    static QList<Step> shrunk(QList<Step> steps);
};

void TestEditing::initTestCase()
{
    // Short, so that waiting it out after a double click keeps the sequences quick.
    QApplication::setDoubleClickInterval(2);
    g_previousHandler = qInstallMessageHandler(collectWarnings);
    g_stepBoundMs = qEnvironmentVariableIntValue("ZENTOLAR_EDITING_BOUND_MS") > 0
        ? qEnvironmentVariableIntValue("ZENTOLAR_EDITING_BOUND_MS")
        : 500;
}

void TestEditing::cleanupTestCase()
{
    qInstallMessageHandler(g_previousHandler);
}

QString TestEditing::runs(const QList<Step> &steps, qsizetype *failedAt, Model *given)
{
    std::optional<Model> own;
    Model &model = given ? *given : own.emplace();
    static const bool trace = qEnvironmentVariableIsSet("ZENTOLAR_EDITING_TRACE");
    for (qsizetype n = 0; n < steps.size(); ++n) {
        if (trace)
            std::fprintf(stderr, "%lld: %s\n", qlonglong(n), qPrintable(describe(steps.at(n)).left(200)));
        const QString fault = model.run(steps.at(n));
        if (!fault.isEmpty()) {
            if (failedAt)
                *failedAt = n;
            return fault;
        }
    }
    return {};
}

QList<Step> TestEditing::shrunk(QList<Step> steps)
{
    return ::shrunk(steps, [](const QList<Step> &fewer) { return !runs(fewer).isEmpty(); });
}

void TestEditing::randomSequencesRunClean()
{
    // Fixed seeds by default; "random" for a new first seed each run, printed with the result.
    const QByteArray seedSetting = qgetenv("ZENTOLAR_EDITING_SEED");
    const quint32 first = seedSetting == "random" ? QRandomGenerator::global()->bounded(1u << 30)
        : seedSetting.isEmpty()                   ? 1
                                                  : seedSetting.toUInt();
    const int count = qEnvironmentVariableIsSet("ZENTOLAR_EDITING_SEQUENCES")
        ? qEnvironmentVariableIntValue("ZENTOLAR_EDITING_SEQUENCES")
        : 150;
    const int seconds = qEnvironmentVariableIntValue("ZENTOLAR_EDITING_SECONDS");
    QElapsedTimer clock;
    clock.start();
    qint64 steps = 0;
    qint64 slowest = 0;
    QString slowestStep;
    int run = 0;
    for (; run < count && (seconds <= 0 || clock.elapsed() < seconds * 1000LL); ++run) {
        const quint32 seed = first + quint32(run);
        const QList<Step> sequence = Generator(seed).sequence();
        g_running = QStringLiteral("Crashed in the sequence of seed %1 (ZENTOLAR_EDITING_SEED=%1 "
                                   "ZENTOLAR_EDITING_SEQUENCES=1): %2\n")
                        .arg(seed)
                        .arg(describe(sequence))
                        .toUtf8();
        const auto previous = std::signal(SIGSEGV, printRunning);
        Model model;
        qsizetype failedAt = 0;
        const QString fault = runs(sequence, &failedAt, &model);
        std::signal(SIGSEGV, previous);
        steps += failedAt ? failedAt : sequence.size();
        if (model.slowest > slowest) {
            slowest = model.slowest;
            slowestStep = model.slowestStep;
        }
        if (!fault.isEmpty()) {
            const QList<Step> small = shrunk(sequence.first(failedAt + 1));
            QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3\nshrunk to: %4\nwhich fails with: %5")
                                 .arg(seed)
                                 .arg(failedAt)
                                 .arg(fault, describe(small), runs(small))));
        }
    }
    qInfo("%d sequences from seed %u, %lld steps, on %s; the slowest step took %lld ms: %s", run, first,
          steps, qPrintable(QGuiApplication::platformName()), slowest, qPrintable(slowestStep));
    QVERIFY2(slowest <= g_stepBoundMs, qPrintable(slowestStep));
}

void TestEditing::shrunkSequencesRunClean_data()
{
    QTest::addColumn<QString>("steps");

    // Each row was a fault; the steps are those a failing sequence shrank to.
    QTest::newRow("Backspace at the start of a short line after a long one")
        << "clipboard a{300}; key Ctrl+V; key Return; type abcde; key Home; key Backspace";
    QTest::newRow("Delete at the end of a line before a line in pieces")
        << "clipboard a{300}\\u000ab{2000}; key Ctrl+V; key Ctrl+Home; key Ctrl+Right; key Del";
    QTest::newRow("Ctrl+Backspace at the start of a line")
        << "clipboard a{2000}; key Ctrl+V; key Return; type abcde; key Ctrl+Left; key Ctrl+Backspace";
    QTest::newRow("Ctrl+Delete at the end of a line in pieces")
        << "clipboard a{2000}; key Ctrl+V; key Return; type abcde; key Ctrl+Home; key Ctrl+Right; key "
           "Ctrl+Del";
    QTest::newRow("typing just before the end of a full piece")
        << "clipboard a{1024}; key Ctrl+V; key Left; type b";
    QTest::newRow("pasting just before the end of a full piece")
        << "clipboard a{1024}; key Ctrl+V; key Left; clipboard xyz; key Ctrl+V";
    QTest::newRow("typing after a triple click, a result and a Shift+click goes into the field")
        << "type uno dos; key Return; type tres; press Command1; triple-click 2; press Command2; shift-click "
           "5; type X";
    QTest::newRow("typing after a double click, a result and a Shift+click replaces only the selection")
        << "type uno dos; key Return; type tres; press Command1; double-click 2; press Command2; shift-click "
           "9; type X";
    QTest::newRow("typing after a triple click, Limpiar and a Shift+click goes into the field")
        << "type uno; triple-click 1; press Command3; shift-click 0; type X";
    QTest::newRow("a triple click after a double click in a word longer than a piece selects the line")
        << "drop 0 x\\u000dy\\u0009z; drop 5 a{3000}; triple-click 3005";
    QTest::newRow("Backspace on a selection of only a soft break deletes the character before it")
        << "clipboard a{1024}b{1024}; key Ctrl+V; click 1023; key End; key Shift+Down; key Shift+Home; key "
           "Backspace";
    QTest::newRow("Delete on a selection of only a soft break deletes the character after it")
        << "clipboard a{1024}b{1024}; key Ctrl+V; click 1023; key End; key Shift+Down; key Shift+Home; key "
           "Del";
    QTest::newRow("Ctrl+Delete on a selection of only a soft break deletes to the word's end")
        << "clipboard [ab ]{700}; key Ctrl+V; click 1023; key End; key Shift+Down; key Shift+Home; key "
           "Ctrl+Del";
    QTest::newRow("copying and cutting a selection of only a soft break leave the clipboard alone")
        << "clipboard a{1024}b{1024}; key Ctrl+V; click 1023; key End; key Shift+Down; key Shift+Home; key "
           "Ctrl+C; "
           "key Ctrl+X";
    QTest::newRow("Ctrl+K deletes to the end of the whole line")
        << "clipboard [abc]{1000}; key Ctrl+V; click 10; key Ctrl+K";
    QTest::newRow("redo after undoing a result that followed an undone edit brings the result back")
        << "Text3 type xyz; Text3 key Ctrl+Z; type abc; press Command1; Text3 key Ctrl+Z; Text3 key Ctrl+Y";
    QTest::newRow("typing after an undone result leaves nothing to redo")
        << "Text3 type xyz; press Command1; Text3 key Ctrl+Z; Text3 type q; Text3 key Ctrl+Y";
    QTest::newRow("Backspace that empties a line's last piece is undone with one press")
        << "clipboard a{1025}; key Ctrl+V; key Backspace; key Ctrl+Z";
    QTest::newRow("Ctrl+Right with a selection crosses a piece break inside a word")
        << "clipboard a{1024}b{10} c; key Ctrl+V; key Ctrl+Home; key Shift+Right; key Ctrl+Right";
    QTest::newRow("Ctrl+Left with a selection crosses a piece break inside a word")
        << "clipboard c a{1024}b{10}; key Ctrl+V; key Shift+Left; key Ctrl+Left";
    QTest::newRow("a drop after two short lines and a Backspace")
        << "type uno; key Return; type dos; key Backspace; drop 2 xyz";
    // Typing in a full piece cuts it and leaves the caret at the next piece's start.
    const QString pieceStart
        = QStringLiteral("Text3 clipboard a{1024}; Text3 key Ctrl+V; Text3 click 511; Text3 type b");
    QTest::newRow("an input method's replacement at a piece start replaces the letter before it")
        << pieceStart + QStringLiteral("; Text3 replace -1 -1 1 B");
    QTest::newRow("an input method's replacement at a piece start, normalized")
        << pieceStart + QStringLiteral("; Text3 replace -1 -1 1 \\u03a9");
    QTest::newRow("an input method's replacement at a piece start, over lines")
        << pieceStart + QStringLiteral("; Text3 replace -1 -2 3 x\\u000ay");
    QTest::newRow("an input method reads the whole line at a piece start")
        << pieceStart + QStringLiteral("; Text3 query -1");
    QTest::newRow("a key whose text starts with a tab brings the rest into the code page")
        << "Text3 type \\u0009ll\\ud83d\\ude00r";
    QTest::newRow("an input method's replacement over lines after a selection keeps what it commits")
        << "Text3 type x ts ; Text3 key Shift+Home; Text3 replace -1 0 2 uno\\u000d\\u000ados";
    QTest::newRow("a typed tab in a full piece is undone with one press")
        << "clipboard a{1024}; key Ctrl+V; key Ctrl+Home; type \\u0009; key Ctrl+Z";
    QTest::newRow(
        "an input method's replacement after a selected line in pieces keeps the line break before it")
        << "clipboard c{2048}; Text3 type fz; Text3 key Return; Text3 key Ctrl+V; Text3 double-click 3002; "
           "Text3 "
           "replace -1 -3 2 xet";
    QTest::newRow("an input method's lines after a selected line in pieces keep the line break before it")
        << "clipboard c{2048}; Text3 type fz; Text3 key Return; Text3 key Ctrl+V; Text3 double-click 3002; "
           "Text3 "
           "replace -1 -3 2 x\\u000ay";
    // Where the top line is scrolled by a fraction of a pixel (after the caret was brought into
    // view), at the last pixel row of a line.
    const QString lowerEdge = QStringLiteral(
        "Text3 clipboard [abcdefghij ]{8}abc\\u000d\\u000a[abcdefghij ]{93}ab; Text3 key Ctrl+V; "
        "Text3 click 90; Text3 shift-click 914; Text3 key Del; ");
    QTest::newRow("a middle click on a line's lower edge pastes where a click there puts the caret")
        << lowerEdge + QStringLiteral("Text3 middle-click @77,15");
    QTest::newRow("a drop on a line's lower edge lands where a click there puts the caret")
        << lowerEdge + QStringLiteral("Text3 drop @77,15 XYZ");
}

void TestEditing::shrunkSequencesRunClean()
{
    QFETCH(QString, steps);
    const QString fault = runs(parse(steps));
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

void TestEditing::aTripleClickAfterAResultSelectsTheLineWithARealPointer()
{
    Input::Pointer pointer;
    if (!pointer.available())
        QSKIP("a real pointer needs an X server and xdotool");
    const int interval = QApplication::doubleClickInterval();
    QApplication::setDoubleClickInterval(400);
    const auto restore = qScopeGuard([interval] { QApplication::setDoubleClickInterval(interval); });

    // "<= Desenciptar " puts an encoded line without blanks into "Codigo sin codificar".
    const QString key = QStringLiteral("Clave");
    TestWindow window([&key](QWidget *) { return key; }, [](QWidget *, const QString &) {});
    QVERIFY(window.found);
    window.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window.form));
    const QString line = QString(5000, QChar(u'x')).replace(3, 1, QStringLiteral("k"));
    window.text3->setText(Module1::EncryptText(line, key));
    window.command2->click();
    QCOMPARE(window.text1->text(), line);

    QTextCursor at(window.text1->document());
    at.setPosition(20);
    const QPoint point = window.text1->viewport()->mapToGlobal(window.text1->cursorRect(at).center());
    pointer.run(Input::Pointer::moveTo(point)
                + QStringList {QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("3"),
                               QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
    QTRY_COMPARE_WITH_TIMEOUT(window.text1->textCursor().selectionEnd()
                                  - window.text1->textCursor().selectionStart(),
                              window.text1->document()->characterCount() - 1, 10000);
    QTest::keyClick(window.text1, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(FieldText::FromPasted(QApplication::clipboard()->text()), line);
    QCOMPARE(FieldText::FromPasted(QApplication::clipboard()->text(QClipboard::Selection)), line);
}

void TestEditing::theShrinkerLeavesWhatFailsAndNothingElse_data()
{
    // Steps 1 to 20; a sequence fails when it holds every step of `needed`, in that order.
    QTest::addColumn<QList<int>>("needed");
    QTest::newRow("one step that fails alone is left alone") << QList<int> {13};
    QTest::newRow("two steps far apart are left without the steps between") << QList<int> {3, 17};
    QTest::newRow("two steps side by side are left together") << QList<int> {10, 11};
    QTest::newRow("the first and the last step are kept with one between") << QList<int> {1, 9, 20};
    QTest::newRow("a sequence that needs every step stays whole") << [] {
        QList<int> all;
        for (int n = 1; n <= 20; ++n)
            all += n;
        return all;
    }();
}

void TestEditing::theShrinkerLeavesWhatFailsAndNothingElse()
{
    QFETCH(QList<int>, needed);
    QList<int> steps;
    for (int n = 1; n <= 20; ++n)
        steps += n;
    const auto fails = [&needed](const QList<int> &sequence) {
        qsizetype at = 0;
        for (int step : sequence)
            at += at < needed.size() && step == needed.at(at);
        return at == needed.size();
    };
    QCOMPARE(::shrunk(steps, fails), needed);
}

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
