// The road of "添加到桌面" with the window's pieces lent by the test: a real note editor, a list
// state, the confirmation as a callable, and an installer that records what it is given.

#include "WallpaperTestSupport.h"
#include "platform/WallpaperInstaller.h"
#include "wallpaper/ApplyToDesktop.h"
#include "wallpaper/CaptureNotePicture.h"
#include "wallpaper/PictureCodecs.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace tavemo::wallpaper {
namespace {

using Ending = ApplyResult::Ending;
using test::AppDir;

class RecordingInstaller final : public platform::WallpaperInstaller {
public:
    QString name() const override { return QStringLiteral("test desktop"); }
    Outcome SetWallpaper(const QString& path) override
    {
        installed.push_back(path);
        pictures.push_back(readPicture(path).value); // what the desktop would show
        return refusal.isEmpty() ? Outcome::success() : Outcome::failedSaying(Failure::Refused, refusal);
    }
    std::vector<QString> installed;
    std::vector<QImage> pictures;
    QString refusal; // non-empty: the desktop refuses
};

// The file names of the folder with their sizes and modification times.
std::map<QString, std::pair<qint64, QDateTime>> snapshot(const QString& folder)
{
    std::map<QString, std::pair<qint64, QDateTime>> out;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden))
        out[info.fileName()] = {info.size(), info.lastModified()};
    return out;
}

class Road : public testing::Test {
protected:
    Road()
    {
        // Entries 1 to 3 are pictures of their own colour; entry 0 is the current name.
        m_app.putBackground(QStringLiteral("A1.bmp"), 640, 480, qRgb(10, 10, 10));
        m_app.putBackground(QStringLiteral("b1.bmp"), 640, 480, qRgb(0, 0, 100));
        m_app.putBackground(QStringLiteral("b2.bmp"), 640, 480, qRgb(0, 100, 0));
        m_app.putBackground(QStringLiteral("b3.bmp"), 640, 480, qRgb(100, 0, 0));
        m_state.list = {{0, QStringLiteral("b1.bmp")},
                        {1, QStringLiteral("b1.bmp")},
                        {2, QStringLiteral("b2.bmp")},
                        {3, QStringLiteral("b3.bmp")}};
        m_state.currentBackgroundName = QStringLiteral("b1.bmp");
        m_state.backgroundIndex = 3;

        m_editor.resize(411, 373);
        m_editor.setPlainText(QStringLiteral("今天要做的事：\n买菜\n写信"));
        m_editor.show();

        m_pieces.appDir = m_app.path();
        m_pieces.list = &m_state;
        m_pieces.capture = [this] { return CaptureNotePicture(m_editor, m_app.wallpaperFolder()); };
        m_pieces.askFirst = [this] { return m_askFirst; };
        m_pieces.confirm = [this] {
            ++m_confirmations;
            return m_answer;
        };
        m_pieces.repaint = [this] { ++m_repaints; };
        m_pieces.installer = &m_installer;
    }

    // One click, waiting for its end (the pause runs in the event loop).
    ApplyResult click(ApplyToDesktop& road)
    {
        std::optional<ApplyResult> result;
        road.imgAppToDeskClick([&](const ApplyResult& r) { result = r; });
        QElapsedTimer clock;
        clock.start();
        while (!result && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        EXPECT_TRUE(result.has_value());
        return result.value_or(ApplyResult{});
    }
    ApplyResult click()
    {
        ApplyToDesktop road(m_pieces);
        return click(road);
    }
    QString folderFile(const QString& name) const { return m_app.wallpaperFolder() + u'/' + name; }

    AppDir m_app;
    BackgroundListState m_state;
    QTextEdit m_editor;
    RecordingInstaller m_installer;
    ApplyPieces m_pieces;
    bool m_askFirst = false;
    int m_answer = 1;
    int m_confirmations = 0;
    int m_repaints = 0;
};

TEST_F(Road, EachApplicationStepsDownThroughTheListAndWrapsToTheLastEntry)
{
    const QRgb colourOf[] = {0, qRgb(0, 0, 100), qRgb(0, 100, 0), qRgb(100, 0, 0)};
    std::vector<QString> used;
    for (int n = 0; n < 6; ++n) {
        const std::int32_t index = m_state.backgroundIndex;
        const ApplyResult result = click();
        ASSERT_EQ(result.ending, Ending::Installed) << result.outcome.message.toStdString();
        EXPECT_TRUE(result.outcome.ok());
        used.push_back(QFileInfo(result.backgroundPath).fileName());
        // The desktop got this background, under a name it has not seen before.
        ASSERT_EQ(m_installer.pictures.size(), std::size_t(n + 1));
        const QImage& shown = m_installer.pictures.back();
        ASSERT_EQ(shown.size(), QSize(640, 480));
        const QRgb corner = shown.pixel(2, 470);
        EXPECT_NEAR(qRed(corner), qRed(colourOf[index]), 3);
        EXPECT_NEAR(qGreen(corner), qGreen(colourOf[index]), 3);
        EXPECT_NEAR(qBlue(corner), qBlue(colourOf[index]), 3);
    }
    EXPECT_EQ(used, (std::vector<QString>{"b3.bmp", "b2.bmp", "b1.bmp", "b3.bmp", "b2.bmp", "b1.bmp"}));
    EXPECT_EQ(m_state.backgroundIndex, 3);

    std::set<QString> names(m_installer.installed.begin(), m_installer.installed.end());
    EXPECT_EQ(names.size(), 6u) << "a fresh name for every application";
    // Only the copy the desktop shows now stays.
    QStringList copies;
    for (const QString& name : QDir(m_app.wallpaperFolder()).entryList(QDir::Files))
        if (isInstalledCopyName(name))
            copies << name;
    EXPECT_EQ(copies, QStringList{QFileInfo(m_installer.installed.back()).fileName()});
    EXPECT_EQ(m_confirmations, 0) << "the prompt is off";
}

TEST_F(Road, MixBmpEndsAs24BitPixelsDecodedFromMixJpg)
{
    const ApplyResult result = click();
    ASSERT_EQ(result.ending, Ending::Installed) << result.outcome.message.toStdString();
    EXPECT_EQ(result.compositePath, folderFile(QStringLiteral("Mix.bmp")));
    const QByteArray mixBmp = test::readFile(folderFile(QStringLiteral("Mix.bmp")));
    const QByteArray mixJpg = test::readFile(folderFile(QStringLiteral("Mix.Jpg")));
    ASSERT_FALSE(mixJpg.isEmpty());
    EXPECT_EQ(test::bmpBitsPerPixel(mixBmp), 24);
    const Result<QImage> fromJpeg = decodeJpeg(mixJpg);
    const Result<QImage> fromBmp = decodeBmp(mixBmp);
    ASSERT_TRUE(fromJpeg.ok() && fromBmp.ok());
    EXPECT_EQ(fromBmp.value, fromJpeg.value);
    // The desktop's copy is that file.
    EXPECT_EQ(test::readFile(result.installedPath), mixBmp);

    // And the note is on it: dark text laid over the top right corner, 10 from the edge, 30 from the top.
    const Result<QImage> content = readPicture(contentPicturePath(m_app.wallpaperFolder()));
    ASSERT_TRUE(content.ok());
    EXPECT_EQ(content.value.size(), m_editor.viewport()->size());
}

TEST_F(Road, DecliningTouchesNoFileAndMovesNothing)
{
    m_askFirst = true;
    m_answer = 0;
    const auto before = snapshot(m_app.wallpaperFolder());
    const ApplyResult result = click();
    EXPECT_EQ(result.ending, Ending::Declined);
    // Not done, so no success; but silent: the window shows only a message.
    EXPECT_EQ(result.outcome.failure, Failure::Cancelled);
    EXPECT_TRUE(result.outcome.message.isEmpty());
    EXPECT_FALSE(result.outcome.detail.isEmpty());
    EXPECT_EQ(m_confirmations, 1);
    EXPECT_EQ(m_repaints, 1);
    EXPECT_EQ(snapshot(m_app.wallpaperFolder()), before) << "not even Content.bmp";
    EXPECT_TRUE(m_installer.installed.empty());
    EXPECT_EQ(m_state.backgroundIndex, 3);
}

TEST_F(Road, AfterAConfirmationTheRoadWaitsWhileTheEventLoopRuns)
{
    m_askFirst = true;
    m_answer = 1;
    ApplyToDesktop road(m_pieces);
    std::optional<ApplyResult> result;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    QElapsedTimer clock;
    clock.start();
    road.imgAppToDeskClick([&](const ApplyResult& r) { result = r; });
    EXPECT_FALSE(result.has_value()) << "the capture comes after the pause";
    EXPECT_FALSE(QFileInfo::exists(contentPicturePath(m_app.wallpaperFolder())));
    EXPECT_EQ(m_repaints, 1);

    // A second click meanwhile does nothing.
    std::optional<ApplyResult> second;
    road.imgAppToDeskClick([&](const ApplyResult& r) { second = r; });
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->ending, Ending::Busy);

    while (!result && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    ASSERT_TRUE(result.has_value());
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_GE(ticks, 3) << "the window kept working during the pause";
    EXPECT_EQ(result->ending, Ending::Installed);
    EXPECT_EQ(m_confirmations, 1);
}

TEST_F(Road, AMissingPictureEndsTheClickAfterTheCaptureAndTheNextClickTakesTheNextEntry)
{
    QFile::remove(folderFile(QStringLiteral("b2.bmp")));
    m_state.backgroundIndex = 2;
    ApplyResult result = click();
    EXPECT_EQ(result.ending, Ending::MissingBackground);
    EXPECT_EQ(result.outcome.failure, Failure::Missing);
    EXPECT_TRUE(result.outcome.message.isEmpty()) << "nothing is shown";
    EXPECT_TRUE(QFileInfo::exists(contentPicturePath(m_app.wallpaperFolder())));
    EXPECT_FALSE(QFileInfo::exists(folderFile(QStringLiteral("Mix.bmp"))));
    EXPECT_TRUE(m_installer.installed.empty());
    EXPECT_EQ(m_state.backgroundIndex, 3);

    result = click();
    EXPECT_EQ(result.ending, Ending::Installed);
    EXPECT_EQ(QFileInfo(result.backgroundPath).fileName(), QStringLiteral("b3.bmp"));

    // Past the end the index wraps to entry 1; a missing entry 0 leaves it where it is.
    QFile::remove(folderFile(QStringLiteral("b3.bmp")));
    m_state.backgroundIndex = 3;
    EXPECT_EQ(click().ending, Ending::MissingBackground);
    EXPECT_EQ(m_state.backgroundIndex, 1);
    m_state.list = {{0, QStringLiteral("gone.bmp")}};
    m_state.backgroundIndex = 0;
    EXPECT_EQ(click().ending, Ending::MissingBackground);
    EXPECT_EQ(m_state.backgroundIndex, 0);

    // A name with a folder in it is not a picture of the wallpaper folder.
    m_state.list = {{0, QStringLiteral("../source/DeskTopBG/b1.bmp")}};
    EXPECT_EQ(click().ending, Ending::MissingBackground);

    m_state.list.clear();
    EXPECT_EQ(click().ending, Ending::EmptyList);
}

TEST_F(Road, ADesktopThatCannotBeSetIsReportedOnceNamingTheComposite)
{
    m_installer.refusal = QStringLiteral("设置被锁定。");
    ApplyResult result = click();
    EXPECT_EQ(result.ending, Ending::Failed);
    const QString mix = folderFile(QStringLiteral("Mix.bmp"));
    EXPECT_TRUE(result.outcome.message.contains(QStringLiteral("设置被锁定。")));
    EXPECT_TRUE(result.outcome.message.contains(mix)) << result.outcome.message.toStdString();
    EXPECT_TRUE(QFileInfo::exists(mix));
    EXPECT_EQ(m_state.backgroundIndex, 3) << "the index does not move";
    ASSERT_EQ(m_installer.installed.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(m_installer.installed.front())) << "the refused copy is gone";

    // No installer at all says so too.
    m_pieces.installer = nullptr;
    result = click();
    EXPECT_EQ(result.ending, Ending::Failed);
    EXPECT_TRUE(result.outcome.message.contains(mix));
    EXPECT_EQ(m_state.backgroundIndex, 3);
}

TEST_F(Road, WhenTheJpegStepFailsMixBmpHoldsTheCompositeAndTheMessageNamesIt)
{
    QDir(m_app.wallpaperFolder()).mkdir(QStringLiteral("Mix.Jpg")); // a folder where the file goes
    const ApplyResult result = click();
    EXPECT_EQ(result.ending, Ending::Failed);
    const QString mix = folderFile(QStringLiteral("Mix.bmp"));
    EXPECT_TRUE(result.outcome.message.contains(mix)) << result.outcome.message.toStdString();
    EXPECT_TRUE(result.outcome.message.contains(QStringLiteral("Mix.Jpg")));
    const Result<QImage> composite = readPicture(mix);
    ASSERT_TRUE(composite.ok());
    EXPECT_EQ(composite.value.size(), QSize(640, 480));
    EXPECT_EQ(composite.value.pixel(2, 470) & 0xFFFFFF, qRgb(100, 0, 0) & 0xFFFFFF)
        << "the exact composite, not a JPEG's";
    EXPECT_TRUE(m_installer.installed.empty());
    EXPECT_EQ(m_state.backgroundIndex, 3);
}

TEST_F(Road, ShortAndNarrowBackgroundsAreClippedNotRefused)
{
    m_app.putBackground(QStringLiteral("b1.bmp"), 120, 90, qRgb(0, 0, 100));   // smaller than the note
    m_app.putBackground(QStringLiteral("b2.bmp"), 4000, 200, qRgb(0, 100, 0)); // wide and short
    m_app.putBackground(QStringLiteral("b3.bmp"), 200, 2000, qRgb(100, 0, 0)); // narrow and tall
    for (int n = 0; n < 3; ++n) {
        const ApplyResult result = click();
        EXPECT_EQ(result.ending, Ending::Installed) << result.outcome.message.toStdString();
    }
}

TEST_F(Road, TheMonthPictureFileWinsOverTheDrawnMonthAndNothingIsWrittenForIt)
{
    m_app.putBackground(QStringLiteral("b3.bmp"), 1024, 768, qRgb(100, 0, 0));
    m_app.putBackground(QStringLiteral("b2.bmp"), 1024, 768, qRgb(0, 100, 0));
    int drawn = 0;
    m_pieces.drawnMonthPicture = [&] {
        ++drawn;
        return test::filled(311, 253, qRgb(0, 0, 0));
    };
    const QString monthFile = m_app.file(QStringLiteral("source/Month/202402.bmp"));
    m_pieces.monthPicturePath = [&] { return monthFile; };

    // No month file: the drawn month lies 25 pixels left of the note.
    ApplyResult result = click();
    ASSERT_EQ(result.ending, Ending::Installed);
    EXPECT_EQ(drawn, 1);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(monthFile).absolutePath()));
    QImage shown = m_installer.pictures.back();
    const int noteLeft = 1024 - 10 - m_editor.viewport()->width();
    const int monthLeft = noteLeft - 25 - 311;
    EXPECT_NEAR(qGreen(shown.pixel(monthLeft + 5, 40)), 0, 3); // black over black b3
    EXPECT_NEAR(qRed(shown.pixel(monthLeft + 5, 40)), 50, 3);  // half of b3's red
    EXPECT_NEAR(qRed(shown.pixel(monthLeft - 5, 40)), 100, 3); // the background beside it

    // A delivered month picture is used as it is.
    QDir().mkpath(QFileInfo(monthFile).absolutePath());
    ASSERT_TRUE(saveBmp24(test::filled(200, 100, qRgb(0, 0, 250)), monthFile).ok());
    result = click();
    ASSERT_EQ(result.ending, Ending::Installed);
    EXPECT_EQ(drawn, 1);
    shown = m_installer.pictures.back();
    EXPECT_NEAR(qBlue(shown.pixel(noteLeft - 25 - 200 + 5, 40)), 125, 3); // half of 250 over b2's 0 blue

    // A month picture that cannot be read is an error, not a silent fall-back.
    test::writeFile(monthFile, "damaged");
    result = click();
    EXPECT_EQ(result.ending, Ending::Failed);
    EXPECT_TRUE(result.outcome.message.contains(monthFile));
}

} // namespace
} // namespace tavemo::wallpaper
