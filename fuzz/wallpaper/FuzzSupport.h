#pragma once
// What the picture fuzz targets share: an application object, and the check that whatever a
// reader takes survives our bitmap writer and Qt's bitmap reader unchanged.

#include "wallpaper/PictureCodecs.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace tavemo::wallpaper::fuzz {

// Small enough that a fuzzer's run stays quick; the size check is the same code as the program's.
inline constexpr std::int64_t kFuzzMaxPixels = 1024 * 1024;

inline void startApplication(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {}); // Qt's readers complain a lot
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    (void)app;
    // Qt loads its image readers once; that must not count as a leak of the first input.
    QImage one(1, 1, QImage::Format_RGB32);
    one.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    one.save(&buffer, "PNG");
    (void)decodePng(png);
    (void)decodeBmp(encodeBmp24(one));
}

inline int checkDecoded(const Result<QImage>& result)
{
    if (!result.ok()) {
        if (result.outcome.message.isEmpty() || !result.value.isNull()) {
            std::fprintf(stderr, "a failed decode must give an error and no picture\n");
            std::abort();
        }
        return 0;
    }
    if (result.value.format() != QImage::Format_RGB32 ||
        std::int64_t(result.value.width()) * result.value.height() > kFuzzMaxPixels) {
        std::fprintf(stderr, "decoded picture of format %d and size %dx%d\n", int(result.value.format()),
                     result.value.width(), result.value.height());
        std::abort();
    }
    const tavemo::Result<QImage> back = decodeBmp(encodeBmp24(result.value), kFuzzMaxPixels);
    if (!back.ok() || back.value.size() != result.value.size()) {
        std::fprintf(stderr, "our bitmap of the picture did not read back\n");
        std::abort();
    }
    for (int y = 0; y < back.value.height(); ++y)
        for (int x = 0; x < back.value.width(); ++x)
            if ((back.value.pixel(x, y) ^ result.value.pixel(x, y)) & 0xFFFFFF) {
                std::fprintf(stderr, "pixel %d,%d changed through our bitmap\n", x, y);
                std::abort();
            }
    return 0;
}

} // namespace tavemo::wallpaper::fuzz
