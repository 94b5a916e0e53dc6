#include "wallpaper/CaptureNotePicture.h"

#include "paths/AppPath.h"

#include <QAbstractScrollArea>
#include <QFileInfo>
#include <QPixmap>

namespace tavemo::wallpaper {

QImage grabNotePicture(QAbstractScrollArea& editor)
{
    QWidget* viewport = editor.viewport();
    QImage picture = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
    picture.setDevicePixelRatio(1); // one picture pixel per screen pixel
    return picture;
}

QString contentPicturePath(const QString& wallpaperFolder)
{
    return paths::appPath(wallpaperFolder, QStringLiteral("Content.bmp"));
}

Outcome CaptureNotePicture(QAbstractScrollArea& editor, const QString& wallpaperFolder)
{
    if (!QFileInfo(wallpaperFolder).isDir())
        return Outcome::failedSaying(Failure::Missing, QStringLiteral("壁纸文件夹 %1 不存在。").arg(wallpaperFolder));
    const QImage picture = grabNotePicture(editor);
    if (picture.isNull())
        return Outcome::failedSaying(Failure::System, QStringLiteral("无法复制记事的画面。"));
    return saveBmp24(picture, contentPicturePath(wallpaperFolder));
}

} // namespace tavemo::wallpaper
