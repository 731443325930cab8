// Start-up of the tool, from process start to the connected INPUTS page with
// every connection read done on an emulated wheel, against a bare Qt program
// that shows a frameless 900 x 500 window with the same pictures. Both are
// started the same way, in turns, in one run; each figure is the median of
// the runs. Also the peak memory (RSS) of both. Optional argument: runs (9).

#include "bench/benchresult.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <vector>

namespace {

struct Start
{
    double ms;
    double rssKiB;
};

// From the start to the child's READY line.
Start run(const QString &program, const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    child.start(program, {});
    QByteArray out;
    while (!out.contains('\n') && clock.elapsed() < 30000) {
        child.waitForReadyRead(30000 - static_cast<int>(clock.elapsed()));
        out += child.readAllStandardOutput();
        if (child.state() == QProcess::NotRunning && !child.bytesAvailable() && !out.contains('\n'))
            break;
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    const QList<QByteArray> words = out.trimmed().split(' ');
    if (words.size() != 2 || words[0] != "READY")
        qFatal("%s did not get ready: %s", qPrintable(program), out.constData());
    if (!child.waitForFinished(10000))
        child.kill();
    return {ms, words[1].toDouble()};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 9;
    const QDir here(QCoreApplication::applicationDirPath());
    const QString tool = here.filePath(QStringLiteral("startup_nolkset"));
    const QString bare = here.filePath(QStringLiteral("startup_bare"));

    // Away from the user's settings and from a running copy's lock.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    // One start of each first, to have both in the file cache.
    run(tool, environment);
    run(bare, environment);
    std::vector<double> toolMs, bareMs, toolRss, bareRss;
    for (int i = 0; i < runs; ++i) {
        const Start t = run(tool, environment);
        const Start b = run(bare, environment);
        toolMs.push_back(t.ms);
        bareMs.push_back(b.ms);
        toolRss.push_back(t.rssKiB);
        bareRss.push_back(b.rssKiB);
    }
    const double timeRatio = median(toolMs) / median(bareMs);
    const double rssRatio = median(toolRss) / median(bareRss);
    std::printf("start-up over %d runs (median): tool %.1f ms, bare window %.1f ms\n", runs,
                median(toolMs), median(bareMs));
    std::printf("peak RSS (median): tool %.0f KiB, bare window %.0f KiB\n", median(toolRss),
                median(bareRss));
    bench::result("start-up time", median(toolMs), "ms", "<= 1.5 x the bare window", timeRatio,
                  timeRatio <= 1.5);
    bench::result("start-up peak RSS", median(toolRss) / 1024, "MiB", "<= 1.25 x the bare window",
                  rssRatio, rssRatio <= 1.25);
    return 0;
}
