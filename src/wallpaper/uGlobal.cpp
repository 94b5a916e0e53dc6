#include "wallpaper/uGlobal.h"

#include "files/LineFile.h"
#include "paths/AppPath.h"
#include "wallpaper/PictureCodecs.h"

#include <QFileInfo>

namespace tavemo::wallpaper {

namespace {

Result<QString> convertToBmp(const QString& path)
{
    const Result<QImage> picture = readPicture(path);
    if (!picture.ok())
        return {QString(), picture.outcome};
    const QString target = bitmapPathFor(path);
    if (const Outcome written = saveBmp24(picture.value, target); !written.ok())
        return {QString(), written};
    return {target, {}};
}

} // namespace

QString backgroundListPath(const QString& appDir)
{
    return paths::appPath(appDir, QStringLiteral("Data\\BGPicList.ini"));
}

QString wallpaperFolder(const QString& appDir) { return paths::appPath(appDir, QStringLiteral("source\\DeskTopBG")); }

QString wallpaperFile(const QString& appDir, const QString& fileName)
{
    if (fileName.isEmpty() || fileName == u"." || fileName == u".." || fileName.contains(u'/') ||
        fileName.contains(u'\\'))
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

Result<bool> LoadBackgroundList(BackgroundListState& state, const QString& appDir, bool selectCurrent)
{
    const Result<QStringList> file = readBackgroundListFile(appDir);
    if (file.ok()) {
        applyBackgroundListLines(state, file.value, selectCurrent);
        return {false, {}};
    }
    if (file.outcome.failure != Failure::Missing)
        return {false, file.outcome};
    const Outcome written = writeDefaultBackgroundListFile(appDir);
    state.currentBackgroundName = kDefaultBackgroundName;
    state.list = {{0, kDefaultBackgroundName}, {1, kDefaultBackgroundName}};
    state.backgroundIndex = 0;
    return {true, written};
}

Result<QStringList> readBackgroundListFile(const QString& appDir)
{
    Result<QStringList> text = files::readLines(backgroundListPath(appDir));
    if (!text.ok() && text.outcome.failure != Failure::Missing)
        text.outcome = text.outcome.saying(QStringLiteral("背景图片列表读取失败：%1").arg(text.outcome.message));
    return text;
}

Outcome writeBackgroundListFile(const QString& appDir, const QString& currentName, const QStringList& entries)
{
    return files::writeLines(backgroundListPath(appDir), QStringList{currentName} + entries);
}

Outcome writeDefaultBackgroundListFile(const QString& appDir)
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

Result<QString> PictureToBmp(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    QString extension = dot < 0 ? QString() : name.mid(dot);
    for (QChar& c : extension)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + 32);
    if (extension == u".bmp")
        return {path, {}};
    if (extension == u".jpg" || extension == u".jpeg")
        return JpegToBmp(path);
    if (extension == u".gif")
        return GifToBmp(path);
    if (extension == u".png")
        return PngToBmp(path);
    return {QString(),
            Outcome::failedSaying(
                Failure::BadInput,
                QStringLiteral("%1 不是可以使用的图片格式（可用的格式：BMP、JPG、JPEG、GIF、PNG）。").arg(name))};
}

Result<QString> JpegToBmp(const QString& path) { return convertToBmp(path); }

Result<QString> GifToBmp(const QString& path) { return convertToBmp(path); }

Result<QString> PngToBmp(const QString& path) { return convertToBmp(path); }

} // namespace tavemo::wallpaper
