// The two number rules, one call per iteration, over texts and values such as
// the sheet's fields hold.

#include "core/numberrules.h"

#include <benchmark/benchmark.h>

#include <QLocale>
#include <QStringList>

namespace {

const QStringList fieldTexts = {
    "15230", "11.25", "0.65", "2460382.4213", "-0.5", "9,25", "", "5500",
    "10.8211343500263", "1.23456789012346E+16", " 1 2.5 ", "abc", "&H1F", "1.5d2",
};

const double results[] = {10.8211343500263, 1.0 / 3, 15230, 0.00012, -0.65,
                          5500.123, 1.23456789012346e16, 2.5, 0.0, 31};

// The rules read the default locale at every call, as in the program.
class DefaultSeparator
{
public:
    explicit DefaultSeparator(const benchmark::State &state)
    {
        QLocale::setDefault(state.range(0) ? QLocale(QLocale::Italian, QLocale::Italy)
                                           : QLocale(QLocale::English, QLocale::UnitedStates));
    }
    ~DefaultSeparator() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

void BM_Read(benchmark::State &state)
{
    const DefaultSeparator separator(state);
    qsizetype i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberRules::read(fieldTexts[i]));
        i = (i + 1) % fieldTexts.size();
    }
}

void BM_Write(benchmark::State &state)
{
    const DefaultSeparator separator(state);
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberRules::write(results[i]));
        i = (i + 1) % std::size(results);
    }
}

} // namespace

// Argument 0: "." as the separator; 1: ",".
BENCHMARK(BM_Read)->ArgName("comma")->Arg(0)->Arg(1);
BENCHMARK(BM_Write)->ArgName("comma")->Arg(0)->Arg(1);
