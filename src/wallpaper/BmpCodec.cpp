// Bitmaps: Qt's reader behind a size check of our own, and our writer of 24-bit files.

#include "wallpaper/PictureCodecs.h"

#include "files/AtomicFile.h"
#include "wallpaper/CodecSupport.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <vector>

namespace tavemo::wallpaper {
namespace {

constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;
constexpr int kPixelsPerMetre = 3780; // 96 dots per inch

static_assert(kFileHeaderSize + kInfoHeaderSize == detail::kBmpPixelOffset);

int rowBytes24(int width) { return (width * 3 + 3) & ~3; }

void putLe16(unsigned char* at, unsigned value)
{
    at[0] = static_cast<unsigned char>(value);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void putLe32(unsigned char* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The 54 header bytes of a 24-bit bottom-up bitmap of width × height.
std::array<unsigned char, kFileHeaderSize + kInfoHeaderSize> bmpHeader(int width, int height)
{
    const std::uint32_t imageSize = std::uint32_t(rowBytes24(width)) * std::uint32_t(height);
    std::array<unsigned char, kFileHeaderSize + kInfoHeaderSize> h{};
    h[0] = 'B';
    h[1] = 'M';
    putLe32(&h[2], kFileHeaderSize + kInfoHeaderSize + imageSize);
    putLe32(&h[10], kFileHeaderSize + kInfoHeaderSize);
    unsigned char* info = &h[kFileHeaderSize];
    putLe32(&info[0], kInfoHeaderSize);
    putLe32(&info[4], std::uint32_t(width));
    putLe32(&info[8], std::uint32_t(height)); // positive: rows bottom-up
    putLe16(&info[12], 1);                    // planes
    putLe16(&info[14], 24);                   // bits per pixel
    putLe32(&info[16], 0);                    // BI_RGB, uncompressed
    putLe32(&info[20], imageSize);
    putLe32(&info[24], kPixelsPerMetre);
    putLe32(&info[28], kPixelsPerMetre);
    return h; // no colour table, all colours important
}

// Row y of a Format_RGB32 picture as the blue, green, red bytes of a bitmap row, padding zeroed.
void packRow24(const QImage& picture, int y, unsigned char* out)
{
    const auto* src = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    const int width = picture.width();
    for (int x = 0; x < width; ++x) {
        const QRgb p = src[x];
        out[0] = static_cast<unsigned char>(p);
        out[1] = static_cast<unsigned char>(p >> 8);
        out[2] = static_cast<unsigned char>(p >> 16);
        out += 3;
    }
    for (int pad = width * 3; pad < rowBytes24(width); ++pad)
        *out++ = 0;
}

std::int64_t readLe(QByteArrayView bytes, qsizetype at, int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value |= std::uint64_t(std::uint8_t(bytes[at + i])) << (8 * i);
    return std::int64_t(value);
}

// The size the bitmap's header states: BITMAPCOREHEADER (12 bytes, unsigned 16-bit sides) or
// one of the 40-byte-and-longer headers (signed 32-bit sides, a negative height for top-down
// rows). False when the headers are not there.
bool headerSize(QByteArrayView bytes, std::int64_t& width, std::int64_t& height)
{
    if (bytes.size() < kFileHeaderSize + 4)
        return false;
    const std::int64_t infoSize = readLe(bytes, kFileHeaderSize, 4);
    if (infoSize == 12 && bytes.size() >= kFileHeaderSize + 12) {
        width = readLe(bytes, kFileHeaderSize + 4, 2);
        height = readLe(bytes, kFileHeaderSize + 6, 2);
        return true;
    }
    if (infoSize >= 40 && bytes.size() >= kFileHeaderSize + 12) {
        width = std::int32_t(readLe(bytes, kFileHeaderSize + 4, 4));
        height = std::int32_t(readLe(bytes, kFileHeaderSize + 8, 4));
        if (height < 0)
            height = -height; // top-down rows
        return true;
    }
    return false;
}

// The common bitmap, the one our writer puts out: BITMAPINFOHEADER, 24 bits, uncompressed. It is
// read straight into the picture, a row at a time; every other layout goes to Qt's reader.
struct Plain24 {
    std::int64_t width = 0, height = 0, offset = 0, stride = 0;
    bool topDown = false;
};

// Whether the headers (the first bytes of a file of `fileSize` bytes) are of that layout, with all
// of their rows inside the file.
bool plain24Layout(QByteArrayView header, std::int64_t fileSize, Plain24& layout)
{
    if (header.size() < kFileHeaderSize + kInfoHeaderSize || readLe(header, kFileHeaderSize, 4) != kInfoHeaderSize ||
        readLe(header, kFileHeaderSize + 14, 2) != 24 || readLe(header, kFileHeaderSize + 16, 4) != 0 ||
        !headerSize(header, layout.width, layout.height) || layout.width <= 0 || layout.height <= 0)
        return false;
    layout.topDown = std::int32_t(readLe(header, kFileHeaderSize + 8, 4)) < 0;
    layout.offset = readLe(header, 10, 4);
    layout.stride = rowBytes24(int(std::min<std::int64_t>(layout.width, INT32_MAX / 4)));
    return layout.offset >= kFileHeaderSize + kInfoHeaderSize &&
           layout.offset + layout.stride * layout.height <= fileSize;
}

void unpackRow24(const std::uint8_t* in, QRgb* out, int width)
{
    for (int x = 0; x < width; ++x, in += 3)
        out[x] = 0xFF000000u | std::uint32_t(in[2]) << 16 | std::uint32_t(in[1]) << 8 | in[0];
}

// `rows(first, count)` gives the bytes of `count` file rows from file row `first` on, or nullptr.
template <typename Rows>
Result<QImage> readPlain24Rows(const Plain24& layout, Rows rows)
{
    QString error;
    QImage picture = detail::allocatePicture(int(layout.width), int(layout.height), &error);
    if (picture.isNull())
        return detail::unusable(error, Failure::OutOfMemory);
    const int height = int(layout.height);
    const int block = int(std::max<std::int64_t>(1, (1 << 20) / layout.stride));
    for (int first = 0; first < height; first += block) {
        const int count = std::min(block, height - first);
        const std::uint8_t* data = rows(first, count);
        if (!data)
            return detail::unusable(QStringLiteral("BMP 图片读取失败。"));
        for (int i = 0; i < count; ++i) {
            const int fileRow = first + i;
            const int y = layout.topDown ? fileRow : height - 1 - fileRow;
            unpackRow24(data + std::size_t(i) * std::size_t(layout.stride),
                        reinterpret_cast<QRgb*>(picture.scanLine(y)), int(layout.width));
        }
    }
    return {picture, {}};
}

const QImage& asRgb32(const QImage& picture, QImage& converted)
{
    if (picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32)
        return picture;
    converted = picture.convertToFormat(QImage::Format_RGB32);
    return converted;
}

} // namespace

namespace detail {

QByteArray blankBmp24(int width, int height)
{
    const auto header = bmpHeader(width, height);
    const qsizetype stride = rowBytes24(width);
    QByteArray file;
    try {
        file = QByteArray(qsizetype(header.size()) + stride * height, Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return {};
    }
    std::copy(header.begin(), header.end(), file.data());
    const int padding = int(stride) - width * 3;
    if (padding > 0)
        for (int y = 0; y < height; ++y)
            std::fill_n(file.data() + kBmpPixelOffset + y * stride + width * 3, padding, '\0');
    return file;
}

bool readPlainBmpFile(QFile& file, std::int64_t maxPixels, Result<QImage>& result)
{
    const QByteArray header = file.peek(kFileHeaderSize + kInfoHeaderSize);
    Plain24 layout;
    if (!plain24Layout(header, file.size(), layout))
        return false;
    if (QString error = checkPictureSize(layout.width, layout.height, maxPixels); !error.isEmpty()) {
        result = detail::unusable(error, Failure::BadInput);
        return true;
    }
    std::vector<std::uint8_t> buffer;
    result = readPlain24Rows(layout, [&](int first, int count) -> const std::uint8_t* {
        const qint64 size = qint64(count) * layout.stride;
        buffer.resize(std::size_t(size));
        if (!file.seek(layout.offset + first * layout.stride) ||
            file.read(reinterpret_cast<char*>(buffer.data()), size) != size)
            return nullptr;
        return buffer.data();
    });
    return true;
}

} // namespace detail

Result<QImage> decodeBmp(QByteArrayView bytes, std::int64_t maxPixels)
{
    // The size is checked from the header before Qt's reader sees the file.
    std::int64_t width = 0, height = 0;
    if (!headerSize(bytes, width, height))
        return detail::unusable(QStringLiteral("BMP 图片已损坏或格式不受支持。"));
    if (QString error = detail::checkPictureSize(width, height, maxPixels); !error.isEmpty())
        return detail::unusable(error, Failure::BadInput);
    if (Plain24 layout; plain24Layout(bytes, bytes.size(), layout))
        return readPlain24Rows(layout, [&](int first, int) {
            return reinterpret_cast<const std::uint8_t*>(bytes.data() + layout.offset + first * layout.stride);
        });
    QString reason;
    QImage image = detail::readWithQt(bytes, "bmp", maxPixels, 4, &reason);
    if (image.isNull())
        return detail::unusable(QStringLiteral("BMP 图片已损坏或格式不受支持（%1）。").arg(reason));
    // Many programs write 0 into every fourth byte of a 32-bit bitmap: that is no transparency.
    image = detail::toOpaqueRgb32(std::move(image), true);
    image.setDotsPerMeterX(0);
    image.setDotsPerMeterY(0);
    return {image, {}};
}

QByteArray encodeBmp24(const QImage& picture)
{
    if (picture.isNull())
        return {};
    QImage converted;
    const QImage& rgb = asRgb32(picture, converted);
    const int width = rgb.width();
    const int height = rgb.height();
    const auto header = bmpHeader(width, height);
    const qsizetype stride = rowBytes24(width);
    QByteArray out(qsizetype(header.size()) + stride * height, Qt::Uninitialized);
    auto* at = reinterpret_cast<unsigned char*>(out.data());
    std::copy(header.begin(), header.end(), at);
    at += header.size();
    for (int y = height - 1; y >= 0; --y, at += stride)
        packRow24(rgb, y, at);
    return out;
}

Outcome saveBmp24(const QImage& picture, const QString& path)
{
    if (picture.isNull())
        return Outcome::failedSaying(Failure::BadInput, QStringLiteral("没有可以写入 %1 的图片。").arg(path));
    QImage converted;
    const QImage& rgb = asRgb32(picture, converted);
    files::AtomicFile file(path);
    file.open();
    const auto header = bmpHeader(rgb.width(), rgb.height());
    file.write(QByteArrayView(reinterpret_cast<const char*>(header.data()), qsizetype(header.size())));
    // Rows go out in blocks of about a megabyte, so a large picture is never held twice. A failed
    // write makes the later ones do nothing; commit() reports it.
    const int stride = rowBytes24(rgb.width());
    const int rowsPerBlock = std::max(1, (1 << 20) / stride);
    std::vector<unsigned char> block(std::size_t(stride) * std::size_t(rowsPerBlock));
    for (int y = rgb.height() - 1; y >= 0;) {
        int rows = 0;
        for (; rows < rowsPerBlock && y >= 0; ++rows, --y)
            packRow24(rgb, y, block.data() + std::size_t(rows) * std::size_t(stride));
        if (!file.write(QByteArrayView(reinterpret_cast<const char*>(block.data()), qsizetype(rows) * stride)).ok())
            break;
    }
    return file.commit();
}

} // namespace tavemo::wallpaper
