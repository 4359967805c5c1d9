#include "form1.h"
#include "module1.h"
#include "testtext.h"
#include "textfield.h"

#include <QApplication>
#include <QPushButton>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

const QString Key = QStringLiteral("Secreto");

// The same longest text for both benchmarks.
QString benchText()
{
    QRandomGenerator random(1);
    return TestText::RandomCodePage(random, Module1::MaxTextLength);
}

// Done when the editor has laid out and painted what it shows.
void settle(QPlainTextEdit *editor)
{
    editor->viewport()->repaint();
    QCoreApplication::processEvents();
}

// "Encriptar =>" with the longest text, until the encoded field has laid out the result.
void BM_PressEncrypt(benchmark::State &state)
{
    Form1 form([](QWidget *) { return Key; }, [](QWidget *, const QString &) {});
    form.show();
    auto *text1 = form.findChild<TextField *>(QStringLiteral("Text1"));
    auto *text3 = form.findChild<TextField *>(QStringLiteral("Text3"));
    auto *encrypt = form.findChild<QPushButton *>(QStringLiteral("Command1"));
    text1->setText(benchText());
    settle(text1);

    for (auto _ : state) {
        encrypt->click();
        settle(text3);
    }
    if (text3->text() != Module1::EncryptText(text1->text(), Key))
        state.SkipWithError("wrong result");
    state.SetItemsProcessed(state.iterations() * Module1::MaxTextLength);
}

// The floor: the same result set into a plain Qt editor of the same size.
void BM_BareEditorSetText(benchmark::State &state)
{
    QPlainTextEdit editor;
    editor.resize(169, 169);
    editor.show();
    const QString result = Module1::EncryptText(benchText(), Key);

    for (auto _ : state) {
        editor.setPlainText(result);
        settle(&editor);
    }
    state.SetItemsProcessed(state.iterations() * Module1::MaxTextLength);
}

} // namespace

BENCHMARK(BM_PressEncrypt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareEditorSetText)->Unit(benchmark::kMillisecond);

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
