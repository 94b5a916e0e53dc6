#include "WallpaperTestSupport.h"

#include "wallpaper/PictureCodecs.h"

#include <QDir>
#include <QFile>

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <array>

namespace tavemo::wallpaper::test {
namespace {

void putLe(QByteArray& out, quint64 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

} // namespace

QImage filled(int w, int h, QRgb colour)
{
    QImage picture(w, h, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

std::vector<QRgb> colours(const QImage& picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    std::vector<QRgb> out;
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x)
            out.push_back(rgb.pixel(x, y) & 0xFFFFFF);
    return out;
}

QByteArray buildBmp(const BmpLayout& layout)
{
    const int infoSize = layout.v5Header ? 124 : 40;
    const bool maskAfterHeader = !layout.v5Header && layout.compression == 3;
    const int masksSize = maskAfterHeader ? 4 * int(layout.masks.size()) : 0;
    const int offset = 14 + infoSize + masksSize + 4 * int(layout.palette.size());
    QByteArray out;
    out.append("BM");
    putLe(out, quint64(offset + layout.pixels.size()), 4);
    putLe(out, 0, 4);
    putLe(out, quint64(offset), 4);
    putLe(out, quint64(infoSize), 4);
    putLe(out, quint32(layout.width), 4);
    putLe(out, quint32(layout.height), 4);
    putLe(out, 1, 2);
    putLe(out, quint64(layout.bitsPerPixel), 2);
    putLe(out, quint64(layout.compression), 4);
    putLe(out, quint64(layout.pixels.size()), 4);
    putLe(out, 2835, 4);
    putLe(out, 2835, 4);
    putLe(out, quint64(layout.palette.size()), 4);
    putLe(out, 0, 4);
    if (layout.v5Header) {
        for (int i = 0; i < 4; ++i)
            putLe(out, i < int(layout.masks.size()) ? layout.masks[std::size_t(i)] : 0, 4);
        putLe(out, 0x73524742, 4); // 'sRGB'
        out.append(QByteArray(124 - 40 - 20, '\0'));
    }
    if (maskAfterHeader)
        for (quint32 mask : layout.masks)
            putLe(out, mask, 4);
    for (QRgb colour : layout.palette) {
        out.append(char(qBlue(colour)));
        out.append(char(qGreen(colour)));
        out.append(char(qRed(colour)));
        out.append('\0');
    }
    out.append(layout.pixels);
    return out;
}

static int writeToArray(GifFileType* gif, const GifByteType* data, int size)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), size);
    return size;
}

static ColorMapObject* colourMap(const std::vector<QRgb>& colours)
{
    int size = 2;
    while (size < int(colours.size()))
        size *= 2;
    ColorMapObject* map = GifMakeMapObject(size, nullptr);
    for (std::size_t i = 0; i < colours.size(); ++i)
        map->Colors[i] = {GifByteType(qRed(colours[i])), GifByteType(qGreen(colours[i])),
                          GifByteType(qBlue(colours[i]))};
    return map;
}

QByteArray makeGif(int screenW, int screenH, const std::vector<QRgb>& globalColours,
                   const std::vector<GifFrame>& frames)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, writeToArray, &error);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = globalColours.empty() ? nullptr : colourMap(globalColours);
    EGifPutScreenDesc(gif, screenW, screenH, 8, 0, global);
    for (const GifFrame& frame : frames) {
        if (frame.transparent >= 0) {
            GraphicsControlBlock control{};
            control.TransparentColor = frame.transparent;
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension);
        }
        ColorMapObject* local = frame.localColours.empty() ? nullptr : colourMap(frame.localColours);
        // giflib drops, without freeing, its copy of the previous image's local colours when this
        // image has none; free it here so that the sanitizer's leak check stays quiet.
        if (!local && gif->Image.ColorMap) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local);
        std::vector<int> order;
        if (frame.interlaced) {
            for (int pass : {0, 1, 2, 3})
                for (int y = std::array{0, 4, 2, 1}[pass]; y < frame.height; y += std::array{8, 8, 4, 2}[pass])
                    order.push_back(y);
        } else {
            for (int y = 0; y < frame.height; ++y)
                order.push_back(y);
        }
        for (int y : order) {
            std::vector<GifPixelType> line;
            for (int x = 0; x < frame.width; ++x)
                line.push_back(GifPixelType(frame.indexes[std::size_t(y * frame.width + x)]));
            EGifPutLine(gif, line.data(), frame.width);
        }
        if (local)
            GifFreeMapObject(local);
    }
    EGifCloseFile(gif, &error);
    if (global)
        GifFreeMapObject(global);
    return out;
}

int bmpBitsPerPixel(const QByteArray& file)
{
    if (file.size() < 30)
        return -1;
    return quint8(file[28]) | (quint8(file[29]) << 8);
}

AppDir::AppDir()
{
    EXPECT_TRUE(m_dir.isValid());
    QDir(m_dir.path()).mkpath(QStringLiteral("source/DeskTopBG"));
    QDir(m_dir.path()).mkpath(QStringLiteral("Data"));
}

QString AppDir::wallpaperFolder() const { return m_dir.path() + QStringLiteral("/source/DeskTopBG"); }

QString AppDir::file(const QString& relative) const { return m_dir.path() + u'/' + relative; }

void AppDir::putBackground(const QString& name, int w, int h, QRgb colour) const
{
    ASSERT_TRUE(saveBmp24(filled(w, h, colour), wallpaperFolder() + u'/' + name).ok());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace tavemo::wallpaper::test
