#include "wallpaper/uGlobal.h"

#include "paths/AppPath.h"
#include "wallpaper/PictureCodecs.h"
#include "files/TextLines.h"

#include <QFileInfo>

namespace tavemo::wallpaper {

using files::readTextLines;
using files::TextFileResult;
using files::writeTextLines;

namespace {

BmpResult convertToBmp(const QString& path)
{
    const PictureResult picture = readPicture(path);
    if (!picture.ok())
        return {QString(), picture.error};
    const QString target = bitmapPathFor(path);
    if (const WriteResult written = saveBmp24(picture.image, target); !written.ok())
        return {QString(), written.error};
    return {target, QString()};
}

} // namespace

QString backgroundListPath(const QString& appDir)
{
    return paths::appPath(appDir, QStringLiteral("Data\\BGPicList.ini"));
}

QString wallpaperFolder(const QString& appDir)
{
    return paths::appPath(appDir, QStringLiteral("source\\DeskTopBG"));
}

QString wallpaperFile(const QString& appDir, const QString& fileName)
{
    if (fileName.isEmpty() || fileName == u"." || fileName == u".." || fileName.contains(u'/')
        || fileName.contains(u'\\'))
        return {};
    return paths::appPath(appDir, QStringLiteral("source/DeskTopBG/") + fileName);
}

void applyBackgroundListLines(BackgroundListState& state, const QStringList& lines, bool selectCurrent)
{
    state.entryCount = std::int32_t(lines.size());
    if (lines.isEmpty())
        return; // line 1 is unreadable: everything stays as it was
    state.currentBackgroundName = lines.first();
    state.list.clear();
    state.list.reserve(std::size_t(lines.size()));
    for (qsizetype i = 0; i < lines.size(); ++i)
        state.list.push_back({std::int32_t(i), lines[i]});
    for (const TPicBGList& entry : state.list)
        if (entry.FileName == state.currentBackgroundName)
            state.backgroundIndex = selectCurrent ? entry.Index : std::int32_t(lines.size() - 1);
}

ListResult LoadBackgroundList(BackgroundListState& state, const QString& appDir, bool selectCurrent)
{
    const ListFileLines file = readBackgroundListFile(appDir);
    if (!file.error.isEmpty())
        return {file.error, false};
    if (!file.missing) {
        applyBackgroundListLines(state, file.lines, selectCurrent);
        return {};
    }
    const QString written = writeDefaultBackgroundListFile(appDir);
    state.currentBackgroundName = kDefaultBackgroundName;
    state.list = {{0, kDefaultBackgroundName}, {1, kDefaultBackgroundName}};
    state.backgroundIndex = 0;
    return {written, true};
}

ListFileLines readBackgroundListFile(const QString& appDir)
{
    const QString path = backgroundListPath(appDir);
    if (!QFileInfo::exists(path))
        return {{}, true, QString()};
    TextFileResult text = readTextLines(path);
    if (!text.ok())
        return {{}, false, QStringLiteral("背景图片列表读取失败：%1").arg(text.error)};
    return {text.lines, false, QString()};
}

QString writeBackgroundListFile(const QString& appDir, const QString& currentName, const QStringList& entries)
{
    return writeTextLines(backgroundListPath(appDir), QStringList{currentName} + entries);
}

QString writeDefaultBackgroundListFile(const QString& appDir)
{
    return writeBackgroundListFile(appDir, kDefaultBackgroundName, {kDefaultBackgroundName});
}

QString bitmapPathFor(const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString stem = dot < 0 ? name : name.left(dot);
    return paths::appPath(info.absolutePath(), stem + QStringLiteral(".bmp"));
}

BmpResult PictureToBmp(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    QString extension = dot < 0 ? QString() : name.mid(dot);
    for (QChar& c : extension)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    if (extension == u".bmp")
        return {path, QString()};
    if (extension == u".jpg" || extension == u".jpeg")
        return JpegToBmp(path);
    if (extension == u".gif")
        return GifToBmp(path);
    if (extension == u".png")
        return PngToBmp(path);
    return {QString(), QStringLiteral("%1 不是可以使用的图片格式（可用的格式：BMP、JPG、JPEG、GIF、PNG）。").arg(name)};
}

BmpResult JpegToBmp(const QString& path)
{
    return convertToBmp(path);
}

BmpResult GifToBmp(const QString& path)
{
    return convertToBmp(path);
}

BmpResult PngToBmp(const QString& path)
{
    return convertToBmp(path);
}

} // namespace tavemo::wallpaper
