// GIF through giflib: the first image of the file, placed on the logical screen. Pixels the image
// does not cover and transparent pixels are white, the colour the wallpaper treats as empty.

#include "wallpaper/PictureCodecs.h"

#include "wallpaper/CodecSupport.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>

namespace tavemo::wallpaper {
namespace {

struct MemoryInput {
    const GifByteType* data;
    std::size_t size;
    std::size_t position;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(std::size_t(std::max(wanted, 0)), in->size - in->position);
    std::memcpy(out, in->data + in->position, n);
    in->position += n;
    return int(n);
}

QString gifError(int code)
{
    const char* reason = GifErrorString(code);
    return QStringLiteral("GIF 图片已损坏或格式不受支持（%1）。").arg(QString::fromLatin1(reason ? reason : "?"));
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

} // namespace

Result<QImage> decodeGif(QByteArrayView bytes, std::int64_t maxPixels)
{
    MemoryInput input{reinterpret_cast<const GifByteType*>(bytes.data()), std::size_t(bytes.size()), 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&input, readFromMemory, &error));
    if (!gif)
        return detail::unusable(gifError(error));

    int transparent = NO_TRANSPARENT_COLOR; // from the graphic control block before the image
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            return detail::unusable(gifError(gif->Error));
        if (record == TERMINATE_RECORD_TYPE)
            return detail::unusable(QStringLiteral("GIF 文件中没有图像。"));
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
                return detail::unusable(gifError(gif->Error));
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                GraphicsControlBlock control;
                if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                    transparent = control.TransparentColor;
            }
            while (block) {
                if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                    return detail::unusable(gifError(gif->Error));
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;

        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            return detail::unusable(gifError(gif->Error));
        const GifImageDesc& frame = gif->Image;
        const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        if (!colours || frame.Width <= 0 || frame.Height <= 0)
            return detail::unusable(QStringLiteral("GIF 图片已损坏：第一幅图像没有颜色表或大小为 0。"));
        // The screen holds the image; a screen smaller than the image (or of size 0) grows to it.
        const std::int64_t width = std::max<std::int64_t>(gif->SWidth, std::int64_t(frame.Left) + frame.Width);
        const std::int64_t height = std::max<std::int64_t>(gif->SHeight, std::int64_t(frame.Top) + frame.Height);
        if (QString tooLarge = detail::checkPictureSize(width, height, maxPixels); !tooLarge.isEmpty())
            return detail::unusable(tooLarge, Failure::BadInput);
        QString memoryError;
        QImage picture = detail::allocatePicture(int(width), int(height), &memoryError);
        if (picture.isNull())
            return detail::unusable(memoryError, Failure::OutOfMemory);
        picture.fill(Qt::white);

        std::vector<QRgb> palette(256, qRgb(0, 0, 0)); // indexes past the colour table are black
        for (int i = 0; i < std::min(colours->ColorCount, 256); ++i) {
            const GifColorType& c = colours->Colors[i];
            palette[std::size_t(i)] = qRgb(c.Red, c.Green, c.Blue);
        }
        if (transparent >= 0 && transparent < 256)
            palette[std::size_t(transparent)] = qRgb(255, 255, 255);

        // Interlaced images send rows in four passes.
        static constexpr int passStart[] = {0, 4, 2, 1};
        static constexpr int passStep[] = {8, 8, 4, 2};
        const bool interlaced = frame.Interlace;
        std::vector<GifPixelType> line(std::size_t(frame.Width));
        for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass) {
            const int start = interlaced ? passStart[pass] : 0;
            const int step = interlaced ? passStep[pass] : 1;
            for (int y = start; y < frame.Height; y += step) {
                if (DGifGetLine(gif.get(), line.data(), frame.Width) == GIF_ERROR)
                    return detail::unusable(gifError(gif->Error));
                auto* row = reinterpret_cast<QRgb*>(picture.scanLine(frame.Top + y)) + frame.Left;
                for (int x = 0; x < frame.Width; ++x)
                    row[x] = palette[line[std::size_t(x)]];
            }
        }
        return {picture, {}};
    }
}

} // namespace tavemo::wallpaper
