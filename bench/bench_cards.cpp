// Benchmarks of the card store and the card window on a card file of the
// largest size the store can hold. Each measured operation runs beside a
// baseline measured in the same run, and a summary after the run prints each
// figure as a ratio of its baseline against its limit.

#include "format/ansitext.h"
#include "cardgenerator.h"
#include "commands/cardeditor.h"
#include "cardwindow.h"
#include "files/safefile.h"
#include "messagebox.h"
#include "programlook.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include <unistd.h>

using namespace kinfolio;

namespace {

constexpr int FullCount = CardStore::MaxCards;
// A value that a hand-edited or imported file may hold: 20 million characters.
constexpr qsizetype HugeValueSize = 20'000'000;

// Everything the benchmarks share, made once before the first one runs.
struct Setting
{
    QTemporaryDir dir;
    QString fullDir, emptyDir, saveDir;
    QString fullPath, emptyPath, savePath, baselinePath;
    QByteArray fileBytes;
    QString fileText;
    std::unique_ptr<CardStore> loaded; // the full file, loaded once
};
Setting *setting = nullptr;

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

void prepare()
{
    setting = new Setting;
    Setting &s = *setting;
    const QDir root(s.dir.path());
    for (const char *sub : {"full", "empty", "save"})
        root.mkdir(QString::fromLatin1(sub));
    s.fullDir = root.filePath(QStringLiteral("full"));
    s.emptyDir = root.filePath(QStringLiteral("empty"));
    s.saveDir = root.filePath(QStringLiteral("save"));
    s.fullPath = s.fullDir + QStringLiteral("/Kinfolio.dat");
    s.emptyPath = s.emptyDir + QStringLiteral("/Kinfolio.dat");
    s.savePath = s.saveDir + QStringLiteral("/Kinfolio.dat");
    s.baselinePath = s.saveDir + QStringLiteral("/baseline.dat");

    s.fileBytes = bench::generatedCardFile(FullCount);
    s.fileText = AnsiText::decode(s.fileBytes);
    writeFile(s.fullPath, s.fileBytes);
    writeFile(s.emptyPath, QByteArray());
    writeFile(s.savePath, s.fileBytes);

    s.loaded = std::make_unique<CardStore>(s.fullPath);
    if (!s.loaded->loadCardFile() || s.loaded->cardCount() != FullCount)
        qFatal("the generated card file does not load whole");
    std::printf("Card file: %d cards, %lld bytes\n", FullCount, static_cast<long long>(s.fileBytes.size()));
}

// --- loading ---

void ReadAndDecode(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(setting->fullPath);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("cannot open the card file");
        QString text = AnsiText::decode(f.readAll());
        benchmark::DoNotOptimize(text.constData());
    }
}

void loadCardFile(benchmark::State &state)
{
    for (auto _ : state) {
        auto store = std::make_unique<CardStore>(setting->fullPath);
        if (!store->loadCardFile() || store->cardCount() != FullCount)
            state.SkipWithError("the card file did not load whole");
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}

// --- saving ---

// The same bytes as SaveCardFile writes, from the whole text at once, through
// the same replace-whole-file write (which waits for the disk).
void EncodeAndWrite(benchmark::State &state)
{
    for (auto _ : state) {
        if (const Result<> written = writeFileSafely(setting->baselinePath, AnsiText::encode(setting->fileText));
            !written)
            state.SkipWithError(qPrintable(written.error()));
    }
}

// For reference: the same bytes with a plain write that does not wait for the
// disk, so the cost of the safe replacement can be told apart.
void EncodeAndWritePlain(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(setting->baselinePath);
        const QByteArray bytes = AnsiText::encode(setting->fileText);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            state.SkipWithError("cannot write the baseline file");
    }
}

void saveCardFile(benchmark::State &state)
{
    CardStore store(setting->savePath);
    if (!store.loadCardFile() || store.cardCount() != FullCount) {
        state.SkipWithError("the card file did not load whole");
        return;
    }
    for (auto _ : state) {
        if (const Result<> saved = store.saveCardFile(); !saved)
            state.SkipWithError(qPrintable(saved.error()));
    }
}

// --- the find dialog's value list ---

QWidget *openFindDialog(CardWindow *window)
{
    window->findChild<QPushButton *>(QStringLiteral("cmdFind"))->click();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("find") && w->isVisible())
            return w;
    return nullptr;
}

// Choosing "Wife's Name" in a freshly opened find dialog: the dialog fills its
// value list with the wife's name of all 32767 cards.
void FindValueList(benchmark::State &state)
{
    CardEditor editor(setting->fullPath);
    auto window = std::make_unique<CardWindow>(editor, setting->fullDir);
    window->show();
    QCoreApplication::processEvents();
    constexpr int wifesName = 9;
    for (auto _ : state) {
        state.PauseTiming();
        QWidget *dialog = openFindDialog(window.get());
        QComboBox *combo1 = dialog ? dialog->findChild<QComboBox *>(QStringLiteral("Combo1")) : nullptr;
        QComboBox *combo2 = dialog ? dialog->findChild<QComboBox *>(QStringLiteral("Combo2")) : nullptr;
        if (!combo1 || !combo2) {
            state.SkipWithError("no find dialog with Combo1 and Combo2");
            state.ResumeTiming();
            break;
        }
        QCoreApplication::processEvents();
        state.ResumeTiming();

        combo1->setCurrentIndex(wifesName);
        emit combo1->activated(wifesName);

        state.PauseTiming();
        if (combo2->count() != FullCount)
            state.SkipWithError("the value list does not hold one entry per card");
        dialog->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// For reference: a bare editable combo box given the same 32767 values in one
// addItems call, the combo box's own share of the dialog's time.
void ComboAddItems(benchmark::State &state)
{
    QStringList values;
    for (int p = 0; p < FullCount; ++p)
        values.append(setting->loaded->text(p, CardField::WifeName));
    for (auto _ : state) {
        state.PauseTiming();
        auto combo = std::make_unique<QComboBox>();
        combo->setLineEdit(new QLineEdit);
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->show();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        combo->addItems(values);
        state.PauseTiming();
        combo.reset();
        state.ResumeTiming();
    }
}

// --- opening the card window ---

void OpenCardWindow(benchmark::State &state)
{
    const bool full = state.range(0) != 0;
    const QString dir = full ? setting->fullDir : setting->emptyDir;
    for (auto _ : state) {
        state.PauseTiming();
        auto editor = std::make_unique<CardEditor>(dir + QStringLiteral("/Kinfolio.dat"));
        state.ResumeTiming();

        auto *window = new CardWindow(*editor, dir);
        window->show();
        QCoreApplication::processEvents();

        state.PauseTiming();
        if (editor->store().cardCount() != (full ? FullCount : 0))
            state.SkipWithError("the card window did not load the whole file");
        delete window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        editor.reset();
        state.ResumeTiming();
    }
}

// --- one card with a huge value: the window opens on it ---

void OpenHugeCard(benchmark::State &state)
{
    const auto field = CardField(state.range(0));
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("Kinfolio.dat")), bench::hugeValueCardFile(field, HugeValueSize));
    for (auto _ : state) {
        auto editor = std::make_unique<CardEditor>(dir.filePath(QStringLiteral("Kinfolio.dat")));
        auto *window = new CardWindow(*editor, dir.path());
        window->show();
        QCoreApplication::processEvents();

        state.PauseTiming();
        if (window->boxTexts()[field].size() < HugeValueSize)
            state.SkipWithError("the huge value did not reach its box whole");
        delete window;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        editor.reset();
        state.ResumeTiming();
    }
}

// --- deleting the first card ---

void RemoveFirstCard(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<CardStore>(*setting->loaded);
        state.ResumeTiming();

        store->removeCard(0);

        state.PauseTiming();
        if (store->cardCount() != FullCount - 1)
            state.SkipWithError("RemoveCard did not remove one card");
        store.reset();
        state.ResumeTiming();
    }
}

// Prints the runs as usual and keeps each benchmark's real time per
// iteration (the median when repetitions are asked for) for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    // Colours only on a terminal, so a saved log stays readable.
    SummaryReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred) {
                failed[run.run_name.function_name] = run.error_message;
                continue;
            }
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median) {
                const double ms = run.GetAdjustedRealTime() * toMilliseconds(run.time_unit);
                const std::string name = run.run_name.function_name
                                         + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
                if (median || !medians.count(name))
                    times[name] = ms;
                if (median)
                    medians[name] = true;
            }
        }
    }

    static double toMilliseconds(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kNanosecond: return 1e-6;
        case benchmark::kMicrosecond: return 1e-3;
        case benchmark::kMillisecond: return 1.0;
        case benchmark::kSecond: return 1e3;
        }
        return 1.0;
    }

    std::map<std::string, double> times;
    std::map<std::string, bool> medians;
    std::map<std::string, std::string> failed;
};

// One line of the summary: the figure, what it is held against, and whether
// it is within its limit (none when `limit` is 0). Returns false when it is
// not, or was not measured.
bool summaryLine(const SummaryReporter &r, const char *what, const std::string &measured,
                 double baseline, const char *baselineText, double limit)
{
    const auto it = r.times.find(measured);
    if (it == r.times.end() || baseline <= 0) {
        std::printf("%-44s not measured\n", what);
        return false;
    }
    const double ratio = it->second / baseline;
    if (limit <= 0) { // for reference only
        std::printf("%-44s %9.2f ms  vs %-40s %9.2f ms  ratio %5.2f\n", what, it->second, baselineText,
                    baseline, ratio);
        return true;
    }
    const bool ok = ratio <= limit;
    std::printf("%-44s %9.2f ms  vs %-40s %9.2f ms  ratio %5.2f  limit %4.2f  %s\n", what, it->second,
                baselineText, baseline, ratio, limit, ok ? "ok" : "MISSED");
    return ok;
}

// Python's csv module reading the same file, the milliseconds of the fastest
// of five reads as Python times them itself (its start-up not counted).
// Negative when no python3 runs.
double pythonCsvMilliseconds(const QString &path)
{
    const QString script = QStringLiteral(
        "import csv, sys, time\n"
        "best = None\n"
        "for _ in range(5):\n"
        "    start = time.perf_counter()\n"
        "    with open(sys.argv[1], encoding='cp1252', newline='') as f:\n"
        "        rows = sum(1 for _ in csv.reader(f))\n"
        "    took = (time.perf_counter() - start) * 1000\n"
        "    best = took if best is None else min(best, took)\n"
        "print(best)\n");
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, path});
    if (!python.waitForFinished(120000) || python.exitCode() != 0)
        return -1;
    bool ok = false;
    const double ms = python.readAllStandardOutput().trimmed().toDouble(&ok);
    return ok ? ms : -1;
}

double timeOf(const SummaryReporter &r, const std::string &name)
{
    const auto it = r.times.find(name);
    return it == r.times.end() ? -1.0 : it->second;
}

} // namespace

int main(int argc, char *argv[])
{
    // `--write-card-file=PATH` writes the generated card file and stops, for
    // measuring the card program itself on it.
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--write-card-file=", 18) == 0) {
            writeFile(QString::fromLocal8Bit(argv[i] + 18), bench::generatedCardFile(FullCount));
            return 0;
        }
        if (std::strncmp(argv[i], "--write-huge-notes-file=", 24) == 0) {
            writeFile(QString::fromLocal8Bit(argv[i] + 24), bench::hugeValueCardFile(CardField::Notes, HugeValueSize));
            return 0;
        }
    }

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyProgramLook();
    // No message box may stop a benchmark.
    MessageBox::startRecording();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    prepare();

    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("ReadAndDecode", ReadAndDecode)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("LoadCardFile", loadCardFile)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("EncodeAndWrite", EncodeAndWrite)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("EncodeAndWritePlain", EncodeAndWritePlain)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("SaveCardFile", saveCardFile)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("FindValueList", FindValueList)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("ComboAddItems", ComboAddItems)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("OpenCardWindow", OpenCardWindow)->Arg(FullCount)->Arg(0)->Unit(ms)->UseRealTime();
    benchmark::RegisterBenchmark("OpenHugeCard", OpenHugeCard)
        ->Arg(int(CardField::Notes))
        ->Arg(int(CardField::Name))
        ->Unit(ms)
        ->UseRealTime()
        ->Iterations(1);
    benchmark::RegisterBenchmark("RemoveFirstCard", RemoveFirstCard)->Unit(ms)->UseRealTime();

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const SummaryReporter &r = reporter;
    const double load = timeOf(r, "LoadCardFile");
    const double openEmpty = timeOf(r, "OpenCardWindow/0");
    std::printf("\nSummary (%d cards, %.1f MB; real time per operation)\n", FullCount,
                double(setting->fileBytes.size()) / 1e6);
    bool ok = true;
    ok &= summaryLine(r, "LoadCardFile", "LoadCardFile", timeOf(r, "ReadAndDecode"),
                      "read + table decode in one call", 2.0);
    ok &= summaryLine(r, "LoadCardFile", "LoadCardFile", pythonCsvMilliseconds(setting->fullPath),
                      "Python's csv module, fastest of 5", 0.1);
    ok &= summaryLine(r, "SaveCardFile", "SaveCardFile", timeOf(r, "EncodeAndWrite"),
                      "encode + safe write in one call", 2.0);
    summaryLine(r, "  (SaveCardFile against a plain write)", "SaveCardFile", timeOf(r, "EncodeAndWritePlain"),
                "encode + plain write, no disk wait", 0);
    const double combo = timeOf(r, "ComboAddItems");
    ok &= summaryLine(r, "Find value list, 32767 values", "FindValueList",
                      load >= 0 && combo >= 0 ? load + combo : -1.0, "LoadCardFile + the values in a bare combo", 1.0);
    ok &= summaryLine(r, "Open card window, 32767 cards", "OpenCardWindow/32767",
                      load >= 0 && openEmpty >= 0 ? 1.5 * load + openEmpty : -1.0,
                      "1.5 x LoadCardFile + open on empty file", 1.0);
    // Absolute: what a user waits for after a click.
    ok &= summaryLine(r, "RemoveCard at position 0", "RemoveFirstCard", 1.0, "1 ms", 1.0);
    ok &= summaryLine(r, "Open a card with 20 MB of notes", "OpenHugeCard/16", 1000.0, "1 s", 1.25);
    ok &= summaryLine(r, "Open a card with a 20 MB name", "OpenHugeCard/0", 1000.0, "1 s", 1.25);
    for (const auto &[name, error] : r.failed)
        std::printf("%s failed: %s\n", name.c_str(), error.c_str());
    ok &= r.failed.empty();
    std::printf("%s\n", ok ? "All targets met." : "Some targets were missed.");

    delete setting;
    return ok ? 0 : 1;
}
