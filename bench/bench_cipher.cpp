#include "cipher/module1.h"
#include "tests/support/testtext.h"

#include <benchmark/benchmark.h>

using namespace Module1;

namespace {

constexpr qsizetype TextLength = MaxTextLength;

const QString &benchText()
{
    static const QString text = [] {
        QRandomGenerator random(1);
        return TestText::RandomCodePage(random, TextLength);
    }();
    return text;
}

const QString Key = QStringLiteral("Secreto");

// The routine written out step by step: the key upper-cased, and for each character its code and
// the key character's code looked up, the sum reduced and one character appended.
QString literalEncryptText(const QString &text, QString key)
{
    key = key.toUpper();
    if (key.isEmpty())
        return text;
    const qsizetype n = text.size();
    if (n > 32767)
        throw OverflowError();
    QString result;
    const qsizetype keyLength = key.size();
    for (qsizetype i = 1; i <= n; ++i) {
        const int t = CharCode(text.at(i - 1));
        const qsizetype j = (i % keyLength) + 1;
        const int kc = CharCode(key.at(j - 1));
        result += CodeToChar(std::uint8_t((t + kc) & 0xFF));
    }
    if (n == 32767)
        throw OverflowError();
    return result;
}

void perCharacter(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * TextLength);
    state.SetBytesProcessed(state.iterations() * TextLength * qsizetype(sizeof(QChar)));
}

void BM_EncryptText(benchmark::State &state)
{
    const QString &text = benchText();
    for (auto _ : state)
        benchmark::DoNotOptimize(EncryptText(text, Key));
    perCharacter(state);
}

void BM_DecryptText(benchmark::State &state)
{
    const QString encoded = EncryptText(benchText(), Key);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecryptText(encoded, Key));
    perCharacter(state);
}

void BM_LiteralEncryptText(benchmark::State &state)
{
    const QString &text = benchText();
    for (auto _ : state)
        benchmark::DoNotOptimize(literalEncryptText(text, Key));
    perCharacter(state);
}

// The floor: a deep copy of the text, what any routine that returns a new text must do.
void BM_CopyText(benchmark::State &state)
{
    const QString &text = benchText();
    for (auto _ : state) {
        QString copy(text.constData(), text.size());
        benchmark::DoNotOptimize(copy.data());
    }
    perCharacter(state);
}

} // namespace

BENCHMARK(BM_EncryptText);
BENCHMARK(BM_DecryptText);
BENCHMARK(BM_LiteralEncryptText);
BENCHMARK(BM_CopyText);

BENCHMARK_MAIN();
