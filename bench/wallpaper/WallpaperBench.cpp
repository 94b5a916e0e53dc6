// The whole road from the files in the wallpaper folder to the wallpaper file: read the note's
// picture (411 × 373), the month picture (311 × 253) and the background, lay both over the
// background, write Mix.bmp, write Mix.Jpg at quality 90 and decode it back into Mix.bmp. Beside
// it, ImageMagick doing the same blend and conversions, at 1920 × 1080 and 3840 × 2160.
//
// Goal: the road at least 3 times as fast as ImageMagick.

#include "calendar_view/MonthPicture.h"
#include "wallpaper/ApplyToDesktop.h"
#include "wallpaper/DefaultBackground.h"
#include "wallpaper/PictureCodecs.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <map>

namespace {

using namespace tavemo::wallpaper;
namespace calendar_view = tavemo::calendar_view;

const QString kImageMagick = QStringLiteral("/usr/bin/convert");

// One folder per background size, with the three pictures the road reads.
struct Folder {
    QTemporaryDir dir;
    QString background;
    QString month;
    QString path(const QString& name) const { return dir.path() + u'/' + name; }
};

const Folder& folderFor(int width, int height)
{
    static std::map<std::pair<int, int>, std::unique_ptr<Folder>> folders;
    auto& folder = folders[{width, height}];
    if (folder)
        return *folder;
    folder = std::make_unique<Folder>();
    folder->background = folder->path(QStringLiteral("A1.bmp"));
    folder->month = folder->path(QStringLiteral("month.bmp"));
    saveBmp24(drawDefaultBackground(QSize(width, height)), folder->background);
    saveBmp24(calendar_view::drawMonthPicture(QDate(2024, 2, 10)), folder->month);
    // A note: dark lines of text on white, as the editor shows it.
    QImage note(411, 373, QImage::Format_RGB32);
    note.fill(Qt::white);
    QPainter p(&note);
    p.setPen(QColor(20, 20, 20));
    for (int line = 0; line < 18; ++line)
        p.drawText(8, 20 + 19 * line, QStringLiteral("第%1行：今天要做的事，买菜、写信、看书。").arg(line + 1));
    p.end();
    saveBmp24(note, folder->path(QStringLiteral("Content.bmp")));
    return *folder;
}

void BM_Road(benchmark::State& state)
{
    const Folder& folder = folderFor(int(state.range(0)), int(state.range(1)));
    for (auto _ : state) {
        const tavemo::Result<QImage> month = readPicture(folder.month);
        const CompositeFiles files = writeComposite(folder.dir.path(), folder.background, month.value);
        if (!files.outcome.ok()) {
            state.SkipWithError(qPrintable(files.outcome.text()));
            return;
        }
    }
}
BENCHMARK(BM_Road)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImageMagickRoad(benchmark::State& state)
{
    if (!QFileInfo(kImageMagick).isExecutable()) {
        state.SkipWithError("ImageMagick is not installed (apt-get install imagemagick)");
        return;
    }
    const int width = int(state.range(0));
    const Folder& folder = folderFor(width, int(state.range(1)));
    // White is transparent, everything else dissolved half and half; 4:2:0 like libjpeg's default.
    const QStringList arguments = {
        folder.background,
        QStringLiteral("("),
        folder.path(QStringLiteral("Content.bmp")),
        QStringLiteral("-transparent"),
        QStringLiteral("white"),
        QStringLiteral(")"),
        QStringLiteral("-geometry"),
        QStringLiteral("+%1+30").arg(width - 10 - 411),
        QStringLiteral("-compose"),
        QStringLiteral("dissolve"),
        QStringLiteral("-define"),
        QStringLiteral("compose:args=50"),
        QStringLiteral("-composite"),
        QStringLiteral("("),
        folder.month,
        QStringLiteral("-transparent"),
        QStringLiteral("white"),
        QStringLiteral(")"),
        QStringLiteral("-geometry"),
        QStringLiteral("+%1+30").arg(width - 10 - 411 - 25 - 311),
        QStringLiteral("-compose"),
        QStringLiteral("dissolve"),
        QStringLiteral("-define"),
        QStringLiteral("compose:args=50"),
        QStringLiteral("-composite"),
        QStringLiteral("-type"),
        QStringLiteral("TrueColor"),
        QStringLiteral("-write"),
        QStringLiteral("BMP3:") + folder.path(QStringLiteral("im-Mix.bmp")),
        QStringLiteral("-quality"),
        QStringLiteral("90"),
        QStringLiteral("-sampling-factor"),
        QStringLiteral("2x2"),
        QStringLiteral("-write"),
        folder.path(QStringLiteral("im-Mix.jpg")),
        QStringLiteral("+delete"),
        folder.path(QStringLiteral("im-Mix.jpg")),
        QStringLiteral("BMP3:") + folder.path(QStringLiteral("im-Mix.bmp")),
    };
    for (auto _ : state) {
        QProcess convert;
        convert.start(kImageMagick, arguments);
        if (!convert.waitForFinished(60000) || convert.exitCode() != 0) {
            state.SkipWithError(convert.readAllStandardError().constData());
            return;
        }
    }
}
BENCHMARK(BM_ImageMagickRoad)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
