// Times Create through the real builder, launcher and zip.exe, and reports
// what the builder adds beyond the archiver's own running time.
// Usage: corvane_bench_create <map folder> <program folder> [rounds]
#include "app/Form1.h"
#include "package/PackageDescription.h"
#include "packaging/CmpOptions.h"
#include "platform/DesktopPlatform.h"

#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace corvane;

namespace {

// Counts the time each archiver run takes, from its start to its end.
class TimedProcess : public LaunchedProcess {
public:
    TimedProcess(std::unique_ptr<LaunchedProcess> inner, qint64 &total)
        : m_inner(std::move(inner))
        , m_total(total)
    {
        m_clock.start();
    }
    bool started() const override { return m_inner->started(); }
    QString startError() const override { return m_inner->startError(); }
    qint64 taskId() const override { return m_inner->taskId(); }
    ProcessOutcome waitForEnd(const QString &busyText) override
    {
        ProcessOutcome outcome = m_inner->waitForEnd(busyText);
        m_total += m_clock.nsecsElapsed();
        return outcome;
    }

private:
    std::unique_ptr<LaunchedProcess> m_inner;
    qint64 &m_total;
    QElapsedTimer m_clock;
};

// The desktop platform with its questions answered: strongest level, OK.
class BenchPlatform : public DesktopPlatform {
public:
    using DesktopPlatform::DesktopPlatform;
    qint64 archiverNanoseconds = 0;
    QStringList messages;

    std::unique_ptr<LaunchedProcess> launch(const QString &commandLine, WindowStyle style) override
    {
        return std::make_unique<TimedProcess>(DesktopPlatform::launch(commandLine, style), archiverNanoseconds);
    }
    int messageBox(const QString &text, int, const QString &, const QString &) override
    {
        messages << text;
        return AnswerOk;
    }
    int showModal(QDialog &dialog) override
    {
        auto &options = dynamic_cast<CmpOptions &>(dialog);
        options.Slider1->setValue(2);
        options.Command1->click();
        return dialog.result();
    }
};

void fillFrom(Form1 &form, const QString &mapFolder)
{
    QDirIterator it(mapFolder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo file(it.next());
        const QString suffix = file.suffix().toLower();
        QLineEdit *slot = nullptr;
        if (suffix == QLatin1String("bsp")) {
            slot = form.BSP;
            form.ShortName->setText(file.completeBaseName());
        } else if (suffix == QLatin1String("aas")) {
            slot = form.AAS;
        } else if (suffix == QLatin1String("tga") || suffix == QLatin1String("jpg")) {
            slot = form.Levelshot;
        } else if (suffix == QLatin1String("arena")) {
            slot = form.ArenaFile;
        } else if (suffix == QLatin1String("txt")) {
            slot = form.ReadmeFile;
        } else if (suffix == QLatin1String("shader")) {
            slot = form.Shader1->text().isEmpty() ? form.Shader1 : form.Shader2;
        }
        if (slot)
            setSlot(slot, file.fileName(), file.absoluteFilePath());
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <map folder> <program folder> [rounds]\n", argv[0]);
        return 2;
    }
    const QString mapFolder = QString::fromLocal8Bit(argv[1]);
    const QString programFolder = QString::fromLocal8Bit(argv[2]);
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    std::vector<double> totals, archivers, overheads;
    for (int round = 0; round < rounds; ++round) {
        QTemporaryDir work;
        BenchPlatform platform({work.filePath("Corvane.conf"), work.filePath("data"), programFolder});
        Form1 form(platform);
        form.Form_Activate();
        QDir().mkpath(work.filePath("out"));
        form.SaveLocation->setText(work.filePath("out") + QLatin1Char('/'));
        fillFrom(form, mapFolder);

        QElapsedTimer clock;
        clock.start();
        form.CreateButton_Click();
        const double total = clock.nsecsElapsed() / 1e9;
        if (platform.messages.value(1) != QLatin1String("The operation seems to have been a success.")) {
            std::fprintf(stderr, "Create did not succeed: %s\n",
                         qPrintable(platform.messages.join(QLatin1String(" / "))));
            return 1;
        }
        const double archiver = platform.archiverNanoseconds / 1e9;
        totals.push_back(total);
        archivers.push_back(archiver);
        overheads.push_back(total - archiver);
    }
    const double overhead = median(overheads);
    const double archiver = median(archivers);
    std::printf("| Create at level \"2\", .pk3 in a .zip | seconds | archiver's own | builder overhead | overhead "
                "vs archiver |\n|---|---:|---:|---:|---:|\n");
    std::printf("| median of %d | %.3f | %.3f | %.3f | %.1f %% |\n", rounds, median(totals), archiver, overhead,
                100.0 * overhead / archiver);
    std::printf("- Create overhead <= 10 %% of the archiver's time: %s\n",
                overhead <= 0.10 * archiver ? "met" : "NOT met");
    return 0;
}
