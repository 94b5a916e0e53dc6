#include "wallpaper/ApplyToDesktop.h"

#include "files/AtomicFile.h"
#include "paths/AppPath.h"
#include "platform/WallpaperInstaller.h"
#include "wallpaper/CaptureNotePicture.h"
#include "wallpaper/MixPictures.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

namespace tavemo::wallpaper {
namespace {

constexpr int kTop = 30;     // the pictures' distance from the top of the background
constexpr int kGap = 25;     // between the month picture and the note
constexpr int kPercent = 50; // half and half
constexpr int kJpegQuality = 90;

QString compositeFailedText(const QString& reason, const QString& composite)
{
    return QStringLiteral("桌面壁纸没有更换：%1\n合成的壁纸已保存为 %2，可以手动把它设为桌面壁纸。")
        .arg(reason, composite);
}

ApplyResult ended(ApplyResult::Ending ending, Failure failure, const QString& message, const QString& detail)
{
    ApplyResult result;
    result.ending = ending;
    result.outcome = Outcome::failedSaying(failure, message, detail);
    return result;
}

// A new name for the copy the desktop gets, unused in the folder.
QString freshCopyPath(const QString& folder)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString name = QStringLiteral("Mix-%1.bmp").arg(stamp);
    for (int n = 2; QFileInfo::exists(folder + u'/' + name); ++n)
        name = QStringLiteral("Mix-%1-%2.bmp").arg(stamp).arg(n);
    return folder + u'/' + name;
}

// A second name for the file: a hard link where the file system has them (Mix.bmp is always
// replaced by a new file, never written in place, so the link keeps this composite), else a copy
// (whole or not at all, never over a file of that name).
bool duplicateFile(const QString& from, const QString& to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    return files::copyAtomically(from, to, files::AtomicFile::Replace::Never).ok();
}

void removeEarlierCopies(const QString& folder, const QString& keep)
{
    const QDir dir(folder);
    const QString kept = QFileInfo(keep).fileName();
    for (const QString& name : dir.entryList(QDir::Files))
        if (name != kept && isInstalledCopyName(name))
            QFile::remove(dir.filePath(name));
}

} // namespace

bool isInstalledCopyName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^Mix-\\d{8}-\\d{6}-\\d{3}(-\\d+)?\\.bmp$"));
    return pattern.match(fileName).hasMatch();
}

QImage composeWallpaper(QImage background, QImage content, QImage month)
{
    // Each step changes its destination in place: a reference, not a second handle that would make
    // the next step copy the whole picture first.
    int offset = content.width() + kGap;
    QImage& composite = MixPictures(content, background, 0, kTop, kPercent);
    if (month.isNull())
        return composite;
    offset += month.width();
    return MixPictures(month, composite, offset, kTop, kPercent);
}

CompositeFiles writeComposite(const QString& wallpaperFolder, const QString& backgroundPath, const QImage& month)
{
    CompositeFiles files;
    files.mixBmp = paths::appPath(wallpaperFolder, QStringLiteral("Mix.bmp"));
    files.mixJpg = paths::appPath(wallpaperFolder, QStringLiteral("Mix.Jpg"));
    const Result<QImage> content = readPicture(contentPicturePath(wallpaperFolder));
    if (!content.ok()) {
        files.outcome = content.outcome;
        return files;
    }
    Result<QImage> background = readPicture(backgroundPath);
    if (!background.ok()) {
        files.outcome = background.outcome;
        return files;
    }
    // Handed over, so the composition works on the background's own pixels instead of a copy.
    const QImage composite = composeWallpaper(std::move(background.value), content.value, month);

    // Once through JPEG: the wallpaper is what the JPEG file holds, and Mix.bmp ends as its decoded
    // pixels. The composite goes to Mix.bmp only when the JPEG step fails (so that it is there to be
    // set by hand); on success it would be replaced at once by the decoded pixels anyway.
    auto keepComposite = [&](const Outcome& failure) {
        files.outcome = failure;
        if (const Outcome written = saveBmp24(composite, files.mixBmp); !written.ok())
            files.outcome = written;
        else
            files.composed = true;
        return files;
    };
    const Result<QByteArray> jpeg = encodeJpeg(composite, kJpegQuality);
    if (!jpeg.ok())
        return keepComposite(
            jpeg.outcome.saying(QStringLiteral("无法生成 JPEG 文件 %1：%2").arg(files.mixJpg, jpeg.outcome.text())));
    if (const Outcome written = files::saveAtomically(files.mixJpg, jpeg.value); !written.ok())
        return keepComposite(written);
    const Result<QByteArray> decoded = jpegToBmp24(jpeg.value, kMaxPicturePixels);
    if (!decoded.ok())
        return keepComposite(decoded.outcome);
    files.outcome = files::saveAtomically(files.mixBmp, decoded.value);
    files.composed = files.outcome.ok();
    return files;
}

ApplyResult applyNotePicture(ApplyPieces& pieces)
{
    using Ending = ApplyResult::Ending;
    const QString folder = wallpaperFolder(pieces.appDir);

    // The note's picture first, as it is now.
    const Outcome captured = pieces.capture
                                 ? pieces.capture()
                                 : Outcome::failedSaying(Failure::NotReady, QStringLiteral("没有记事编辑框。"));
    if (!captured.ok())
        return ended(Ending::Failed, captured.failure, QStringLiteral("无法保存记事的画面：%1").arg(captured.text()),
                     captured.text());

    // The background at the index. A missing picture ends the click without a word; the next click
    // takes the next entry (wrapping to entry 1).
    BackgroundListState* state = pieces.list;
    if (!state || state->list.empty())
        return ended(Ending::EmptyList, Failure::NotReady, QString(), QStringLiteral("背景图片列表是空的。"));
    const auto size = std::int32_t(state->list.size());
    if (state->backgroundIndex < 0 || state->backgroundIndex >= size)
        state->backgroundIndex = size - 1; // a stale index: the last entry, as a fresh load gives
    const std::int32_t i = state->backgroundIndex;
    const QString backgroundPath = wallpaperFile(pieces.appDir, state->list[std::size_t(i)].FileName);
    if (backgroundPath.isEmpty() || !QFileInfo(backgroundPath).isFile()) {
        if (i != 0) {
            state->backgroundIndex = i + 1;
            if (state->backgroundIndex >= size)
                state->backgroundIndex = 1;
        }
        ApplyResult result = ended(Ending::MissingBackground, Failure::Missing, QString(),
                                   QStringLiteral("背景图片 %1 不存在。").arg(state->list[std::size_t(i)].FileName));
        result.backgroundPath = backgroundPath;
        return result;
    }

    // The month picture: the delivered file of the current month, else the month as drawn.
    QImage month;
    const QString monthPath = pieces.monthPicturePath ? pieces.monthPicturePath() : QString();
    if (!monthPath.isEmpty() && QFileInfo(monthPath).isFile()) {
        const Result<QImage> read = readPicture(monthPath);
        if (!read.ok())
            return ended(Ending::Failed, read.outcome.failure,
                         QStringLiteral("无法合成壁纸：%1").arg(read.outcome.text()), read.outcome.text());
        month = read.value;
    } else if (pieces.drawnMonthPicture) {
        month = pieces.drawnMonthPicture();
    }

    ApplyResult result;
    result.backgroundPath = backgroundPath;
    const CompositeFiles files = writeComposite(folder, backgroundPath, month);
    // Composed but not installed: the message tells where the composite is, to be set by hand.
    auto notInstalled = [&](Failure failure, const QString& reason) {
        result.outcome = Outcome::failedSaying(failure, compositeFailedText(reason, files.mixBmp), reason);
        return result;
    };
    if (!files.composed) {
        const QString reason = files.outcome.text();
        result.outcome =
            Outcome::failedSaying(files.outcome.failure, QStringLiteral("无法合成壁纸：%1").arg(reason), reason);
        return result;
    }
    result.compositePath = files.mixBmp;
    if (!files.outcome.ok())
        return notInstalled(files.outcome.failure, files.outcome.text());
    if (!pieces.install) {
        result.ending = Ending::Composed;
        return result;
    }

    // A fresh name each time, so the desktop cannot keep showing the picture it has under the old one.
    if (!pieces.installer)
        return notInstalled(Failure::Unsupported, QStringLiteral("不知道怎样设置这个桌面的壁纸。"));
    result.backend = pieces.installer->name();
    const QString copy = freshCopyPath(folder);
    if (!duplicateFile(files.mixBmp, copy))
        return notInstalled(Failure::Io, QStringLiteral("无法在 %1 中复制壁纸文件。").arg(folder));
    const Outcome installed = pieces.installer->SetWallpaper(copy);
    if (!installed.ok()) {
        QFile::remove(copy);
        return notInstalled(installed.failure, installed.text());
    }
    removeEarlierCopies(folder, copy);
    result.installedPath = copy;
    result.ending = Ending::Installed;

    // Each application steps down to the next entry, wrapping from 1 to the last.
    state->backgroundIndex -= 1;
    if (state->backgroundIndex <= 0)
        state->backgroundIndex = size - 1;
    return result;
}

ApplyToDesktop::ApplyToDesktop(ApplyPieces pieces) : m_pieces(std::move(pieces))
{
    m_pause.setSingleShot(true);
    QObject::connect(&m_pause, &QTimer::timeout, [this] {
        m_running = false;
        finish(applyNotePicture(m_pieces));
    });
}

ApplyToDesktop::~ApplyToDesktop() = default;

void ApplyToDesktop::imgAppToDeskClick(Done done)
{
    if (m_running) {
        if (done)
            done(ended(ApplyResult::Ending::Busy, Failure::Busy, QString(),
                       QStringLiteral("上一次更换壁纸还没有完成。")));
        return;
    }
    m_done = std::move(done);
    if (m_pieces.askFirst && m_pieces.askFirst()) {
        const int answer = m_pieces.confirm ? m_pieces.confirm() : 0;
        if (m_pieces.repaint)
            m_pieces.repaint();
        if (answer == 0) {
            finish(
                ended(ApplyResult::Ending::Declined, Failure::Cancelled, QString(), QStringLiteral("没有更换壁纸。")));
            return;
        }
        // The dialog has just gone: the screen needs a moment to show the note without it.
        m_running = true;
        m_pause.start(std::max(0, m_pieces.pauseMs));
        return;
    }
    finish(applyNotePicture(m_pieces));
}

void ApplyToDesktop::finish(const ApplyResult& result)
{
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result);
}

} // namespace tavemo::wallpaper
