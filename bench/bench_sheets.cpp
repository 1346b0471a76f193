// Printing the generated cards with kinfolio-sheets' own code: the time for
// 1000 cards, and the peak memory after 100 and after 1000 cards, which must
// not grow with the number of pages (the PDF is written page by page). Then
// a card whose notes are one run without a space, of 10k, 100k and 1M
// characters: its time must grow in proportion to the run, not faster.

#include "cardgenerator.h"
#include "format/cardstore.h"
#include "sheetpainter.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

#include <unistd.h>

using namespace kinfolio;

namespace {

constexpr int Cards = 1000;
constexpr int FewCards = 100;
constexpr double TimeLimitMs = 5000;
// What 900 cards more may add to the peak: their fields, their links and
// what the PDF keeps per page (its offset table), far below a page's size.
constexpr long GrowthLimitKb = 8 * 1024;
constexpr int RunLengths[] = {10000, 100000, 1000000};
// Ten times the run in at most this many times the time; a cost in the
// square of the run would take a hundred.
constexpr double RunGrowthLimit = 15;

QTemporaryDir *scratch = nullptr;

QString cardFile(int count)
{
    const QString path = scratch->filePath(QStringLiteral("cards-%1.dat").arg(count));
    QFile f(path);
    const QByteArray bytes = bench::generatedCardFile(count);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString runCardFile(int length)
{
    CardFields card = bench::generatedCard(1);
    card[CardField::Notes] = QString(length, u'x');
    CardStore store(scratch->filePath(QStringLiteral("run-%1.dat").arg(length)));
    if (!store.appendCard(card) || !store.saveCardFile())
        qFatal("cannot write %s", qPrintable(store.filePath()));
    return store.filePath();
}

Sheets::PrintCounts print(const QString &cards)
{
    const Result<Sheets::PrintCounts> printed = Sheets::printCardFile(cards, scratch->filePath(QStringLiteral("family.pdf")), {});
    if (!printed)
        qFatal("printing failed: %s", qPrintable(printed.error()));
    return *printed;
}

long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QString thousandCards;
std::map<int, QString> runCards;

void PrintThousandCards(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(print(thousandCards).pages);
}

void PrintRun(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(print(runCards.at(int(state.range(0)))).pages);
}

// Keeps the real time of each benchmark by its name (the median when
// repetitions are asked for).
class TimeReporter : public benchmark::ConsoleReporter
{
public:
    // Colours only on a terminal, so a saved log stays readable.
    TimeReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (!run.error_occurred && (run.run_type == Run::RT_Iteration || median))
                ms[run.run_name.function_name + run.run_name.args] =
                    run.GetAdjustedRealTime() * (run.time_unit == benchmark::kMillisecond ? 1.0 : 1e-6);
        }
    }
    double of(const std::string &name) const { return ms.count(name) ? ms.at(name) : -1; }
    std::map<std::string, double> ms;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    QTemporaryDir dir;
    scratch = &dir;

    // The peaks first, smaller run first: the peak only ever rises.
    const QString fewCards = cardFile(FewCards);
    thousandCards = cardFile(Cards);
    const int fewPages = print(fewCards).pages;
    const long fewPeak = peakKb();
    const int manyPages = print(thousandCards).pages;
    const long manyPeak = peakKb();

    for (int length : RunLengths) {
        runCards[length] = runCardFile(length);
        benchmark::RegisterBenchmark("PrintRun", PrintRun)->Arg(length)->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RegisterBenchmark("PrintThousandCards", PrintThousandCards)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    TimeReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const double cardsMs = reporter.of("PrintThousandCards");
    const bool fast = cardsMs >= 0 && cardsMs <= TimeLimitMs;
    const bool flat = fewPeak > 0 && manyPeak - fewPeak <= GrowthLimitKb;
    std::printf("\nSummary\n");
    std::printf("%d cards (%d pages)            %9.0f ms   limit %6.0f ms        %s\n", Cards, manyPages,
                cardsMs, TimeLimitMs, fast ? "ok" : "MISSED");
    const auto runMs = [&reporter](int length) { return reporter.of("PrintRun" + std::to_string(length)); };
    for (int length : RunLengths)
        std::printf("Notes of one run of %7d characters      %7.0f ms\n", length, runMs(length));
    const double growth = runMs(1000000) / runMs(100000);
    const bool linear = runMs(100000) > 0 && growth >= 0 && growth <= RunGrowthLimit;
    std::printf("1M characters against 100k: %.1f times the time, limit %.0f  %s\n", growth, RunGrowthLimit,
                linear ? "ok" : "MISSED");
    std::printf("Peak memory (VmHWM) after %d cards (%d pages)   %7ld kB\n", FewCards, fewPages, fewPeak);
    std::printf("Peak memory (VmHWM) after %d cards (%d pages)  %7ld kB   growth %ld kB, limit %ld kB  %s\n", Cards,
                manyPages, manyPeak, manyPeak - fewPeak, GrowthLimitKb, flat ? "ok" : "MISSED");
    return fast && flat && linear ? 0 : 1;
}
