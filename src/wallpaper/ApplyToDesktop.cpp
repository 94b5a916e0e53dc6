#include "wallpaper/ApplyToDesktop.h"

#include "paths/AppPath.h"
#include "wallpaper/CaptureNotePicture.h"
#include "wallpaper/MixPictures.h"
#include "platform/WallpaperInstaller.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <unistd.h>

namespace tavemo::wallpaper {
namespace {

constexpr int kTop = 30;        // the pictures' distance from the top of the background
constexpr int kGap = 25;        // between the month picture and the note
constexpr int kPercent = 50;    // half and half
constexpr int kJpegQuality = 90;

QString compositeFailedText(const QString& reason, const QString& composite)
{
    return QStringLiteral("桌面壁纸没有更换：%1\n合成的壁纸已保存为 %2，可以手动把它设为桌面壁纸。").arg(reason, composite);
}

ApplyResult ended(ApplyResult::Outcome outcome, const QString& message, const QString& detail)
{
    ApplyResult result;
    result.outcome = outcome;
    result.message = message;
    result.detail = detail;
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
// replaced by a new file, never written in place, so the link keeps this composite), else a copy.
bool duplicateFile(const QString& from, const QString& to)
{
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    return QFile::copy(from, to);
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
    const PictureResult content = readPicture(contentPicturePath(wallpaperFolder));
    if (!content.ok()) {
        files.error = content.error;
        return files;
    }
    PictureResult background = readPicture(backgroundPath);
    if (!background.ok()) {
        files.error = background.error;
        return files;
    }
    // Handed over, so the composition works on the background's own pixels instead of a copy.
    const QImage composite = composeWallpaper(std::move(background.image), content.image, month);

    // Once through JPEG: the wallpaper is what the JPEG file holds, and Mix.bmp ends as its decoded
    // pixels. The composite goes to Mix.bmp only when the JPEG step fails (so that it is there to be
    // set by hand); on success it would be replaced at once by the decoded pixels anyway.
    auto keepComposite = [&](const QString& error) {
        files.error = error;
        if (const WriteResult written = saveBmp24(composite, files.mixBmp); !written.ok())
            files.error = written.error;
        else
            files.composed = true;
        return files;
    };
    QString reason;
    const QByteArray jpeg = encodeJpeg(composite, kJpegQuality, &reason);
    if (jpeg.isEmpty())
        return keepComposite(QStringLiteral("无法生成 JPEG 文件 %1：%2").arg(files.mixJpg, reason));
    if (const WriteResult written = saveFileAtomically(files.mixJpg, jpeg); !written.ok())
        return keepComposite(written.error);
    const QByteArray decoded = jpegToBmp24(jpeg, kMaxPicturePixels, &reason);
    if (decoded.isEmpty())
        return keepComposite(reason);
    if (const WriteResult written = saveFileAtomically(files.mixBmp, decoded); !written.ok()) {
        files.error = written.error;
        return files;
    }
    files.composed = true;
    return files;
}

ApplyResult applyNotePicture(ApplyPieces& pieces)
{
    using Outcome = ApplyResult::Outcome;
    const QString folder = wallpaperFolder(pieces.appDir);

    // The note's picture first, as it is now.
    const WriteResult captured = pieces.capture ? pieces.capture() : WriteResult{QStringLiteral("没有记事编辑框。")};
    if (!captured.ok())
        return ended(Outcome::Failed, QStringLiteral("无法保存记事的画面：%1").arg(captured.error), captured.error);

    // The background at the index. A missing picture ends the click without a word; the next click
    // takes the next entry (wrapping to entry 1).
    BackgroundListState* state = pieces.list;
    if (!state || state->list.empty())
        return ended(Outcome::EmptyList, QString(), QStringLiteral("背景图片列表是空的。"));
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
        ApplyResult result = ended(Outcome::MissingBackground, QString(),
                                   QStringLiteral("背景图片 %1 不存在。").arg(state->list[std::size_t(i)].FileName));
        result.backgroundPath = backgroundPath;
        return result;
    }

    // The month picture: the delivered file of the current month, else the month as drawn.
    QImage month;
    const QString monthPath = pieces.monthPicturePath ? pieces.monthPicturePath() : QString();
    if (!monthPath.isEmpty() && QFileInfo(monthPath).isFile()) {
        const PictureResult read = readPicture(monthPath);
        if (!read.ok())
            return ended(Outcome::Failed, QStringLiteral("无法合成壁纸：%1").arg(read.error), read.error);
        month = read.image;
    } else if (pieces.drawnMonthPicture) {
        month = pieces.drawnMonthPicture();
    }

    ApplyResult result;
    result.backgroundPath = backgroundPath;
    const CompositeFiles files = writeComposite(folder, backgroundPath, month);
    if (!files.composed) {
        result.message = QStringLiteral("无法合成壁纸：%1").arg(files.error);
        result.detail = files.error;
        return result;
    }
    result.compositePath = files.mixBmp;
    if (!files.ok()) {
        result.message = compositeFailedText(files.error, files.mixBmp);
        result.detail = files.error;
        return result;
    }

    if (!pieces.install) {
        result.outcome = Outcome::Composed;
        return result;
    }

    // A fresh name each time, so the desktop cannot keep showing the picture it has under the old one.
    if (!pieces.installer) {
        result.detail = QStringLiteral("不知道怎样设置这个桌面的壁纸。");
        result.message = compositeFailedText(result.detail, files.mixBmp);
        return result;
    }
    result.backend = pieces.installer->name();
    const QString copy = freshCopyPath(folder);
    if (!duplicateFile(files.mixBmp, copy)) {
        result.detail = QStringLiteral("无法在 %1 中复制壁纸文件。").arg(folder);
        result.message = compositeFailedText(result.detail, files.mixBmp);
        return result;
    }
    const platform::InstallResult installed = pieces.installer->SetWallpaper(copy);
    if (!installed.ok()) {
        QFile::remove(copy);
        result.detail = installed.error;
        result.message = compositeFailedText(installed.error, files.mixBmp);
        return result;
    }
    removeEarlierCopies(folder, copy);
    result.installedPath = copy;
    result.outcome = Outcome::Installed;

    // Each application steps down to the next entry, wrapping from 1 to the last.
    state->backgroundIndex -= 1;
    if (state->backgroundIndex <= 0)
        state->backgroundIndex = size - 1;
    return result;
}

ApplyToDesktop::ApplyToDesktop(ApplyPieces pieces)
    : m_pieces(std::move(pieces))
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
            done(ended(ApplyResult::Outcome::Busy, QString(), QStringLiteral("上一次更换壁纸还没有完成。")));
        return;
    }
    m_done = std::move(done);
    if (m_pieces.askFirst && m_pieces.askFirst()) {
        const int answer = m_pieces.confirm ? m_pieces.confirm() : 0;
        if (m_pieces.repaint)
            m_pieces.repaint();
        if (answer == 0) {
            finish(ended(ApplyResult::Outcome::Declined, QString(), QStringLiteral("没有更换壁纸。")));
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
