// JPEG through libjpeg. libjpeg reports fatal errors by calling error_exit, which must not
// return; ours jumps back with longjmp. A longjmp skips destructors, so each libjpeg session runs
// in one function that holds no C++ object with a destructor: plain structs and pointers only.
// Everything else (QImage, QString) lives in the callers around it.

#include "wallpaper/PictureCodecs.h"

#include "wallpaper/CodecSupport.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace tavemo::wallpaper {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void errorExit(j_common_ptr cinfo)
{
    auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
    errors->pub.format_message(cinfo, errors->message);
    std::longjmp(errors->jump, 1);
}

void silentMessage(j_common_ptr, int) {} // warnings about damaged data: libjpeg goes on as it can

// Our error handling for a session: fatal errors jump back to the session's setjmp.
jpeg_error_mgr* useErrorManager(ErrorManager* errors)
{
    errors->message[0] = '\0';
    jpeg_error_mgr* manager = jpeg_std_error(&errors->pub);
    manager->error_exit = errorExit;
    manager->emit_message = silentMessage;
    return manager;
}

// Where decoded rows go. `begin` is called once the size is known (and `cmyk` set) and returns
// where row 0 goes, with row y at row 0 + y × stride (a negative stride for bottom-up rows), or
// nullptr to give up. Pixels are `bytesPerPixel` bytes: 4 for B, G, R, X (or C, M, Y, K), 3 for
// B, G, R (colour pictures only).
struct JpegSink {
    void* context;
    unsigned char* (*begin)(void* context, unsigned width, unsigned height, bool cmyk, std::ptrdiff_t* stride);
    int bytesPerPixel;
    unsigned long long maxPixels;
    bool tooLarge;          // out: the header's size is above maxPixels
    bool cmyk;              // out: rows hold C, M, Y, K bytes instead of B, G, R, X
    bool adobeInverted;     // out: CMYK bytes stored inverted, as Adobe's programs write them
    unsigned width, height; // out: the header's size
};

// Decodes into the sink. 0 on success; otherwise `message` holds libjpeg's reason (empty when the
// sink refused or the size is too large).
int decodeJpegInto(const unsigned char* data, unsigned long size, JpegSink* sink, char* message)
{
    jpeg_decompress_struct cinfo;
    ErrorManager errors;
    message[0] = '\0';
    cinfo.err = useErrorManager(&errors);
    if (setjmp(errors.jump)) {
        std::memcpy(message, errors.message, JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&cinfo);
        return 1;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    sink->width = cinfo.image_width;
    sink->height = cinfo.image_height;
    if (cinfo.image_width == 0 || cinfo.image_height == 0 ||
        (unsigned long long)cinfo.image_width * cinfo.image_height > sink->maxPixels) {
        sink->tooLarge = true;
        jpeg_destroy_decompress(&cinfo);
        return 1;
    }
    // libjpeg's own buffers (a progressive file keeps every coefficient of the picture) stay
    // within a bound from the same pixel count; beyond it libjpeg fails instead of allocating.
    cinfo.mem->max_memory_to_use = (long)(sink->maxPixels * 8 + (64 << 20));
    // Default decompression, with the colour bytes laid out as the picture in memory wants them.
    sink->cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    sink->adobeInverted = sink->cmyk && cinfo.saw_Adobe_marker;
    cinfo.out_color_space = sink->cmyk ? JCS_CMYK : sink->bytesPerPixel == 3 ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    std::ptrdiff_t stride = 0;
    unsigned char* rows = sink->begin(sink->context, cinfo.output_width, cinfo.output_height, sink->cmyk, &stride);
    if (!rows || cinfo.output_components != (sink->cmyk ? 4 : sink->bytesPerPixel)) {
        jpeg_destroy_decompress(&cinfo);
        return 1;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rows + stride * (std::ptrdiff_t)cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 0;
}

struct JpegSource {
    const unsigned char* rows; // 4 bytes per pixel: B, G, R, X
    std::size_t stride;
    unsigned width, height;
    int quality;
};

// Encodes into a buffer from malloc (`*out`, `*outSize`; the caller frees it). 0 on success.
int encodeJpegFrom(const JpegSource* source, unsigned char** out, unsigned long* outSize, char* message)
{
    jpeg_compress_struct cinfo;
    ErrorManager errors;
    message[0] = '\0';
    cinfo.err = useErrorManager(&errors);
    if (setjmp(errors.jump)) {
        std::memcpy(message, errors.message, JMSG_LENGTH_MAX);
        jpeg_destroy_compress(&cinfo);
        return 1;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, outSize);
    cinfo.image_width = source->width;
    cinfo.image_height = source->height;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);                       // YCbCr, three components, Huffman tables, no progression
    jpeg_set_quality(&cinfo, source->quality, TRUE); // baseline tables
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(source->rows + source->stride * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 0;
}

struct DecodeTarget {
    QImage picture;
    QString error;
};

unsigned char* beginPicture(void* context, unsigned width, unsigned height, bool, std::ptrdiff_t* stride)
{
    auto* target = static_cast<DecodeTarget*>(context);
    target->picture = detail::allocatePicture(int(width), int(height), &target->error);
    if (target->picture.isNull())
        return nullptr;
    *stride = target->picture.bytesPerLine();
    return target->picture.bits();
}

struct BitmapTarget {
    QByteArray file;
    unsigned width = 0, height = 0;
    bool cmyk = false;
};

// Decoded rows go straight into a 24-bit bottom-up bitmap file. CMYK pictures are left to the
// path through a picture.
unsigned char* beginBitmap(void* context, unsigned width, unsigned height, bool cmyk, std::ptrdiff_t* stride)
{
    auto* target = static_cast<BitmapTarget*>(context);
    target->cmyk = cmyk;
    if (cmyk)
        return nullptr;
    target->file = detail::blankBmp24(int(width), int(height));
    if (target->file.isEmpty())
        return nullptr;
    target->width = width;
    target->height = height;
    const std::ptrdiff_t rowBytes = (std::ptrdiff_t(width) * 3 + 3) & ~std::ptrdiff_t(3);
    *stride = -rowBytes;
    return reinterpret_cast<unsigned char*>(target->file.data()) + detail::kBmpPixelOffset +
           rowBytes * (std::ptrdiff_t(height) - 1);
}

// C, M, Y, K bytes to opaque blue, green, red.
void cmykToRgb(QImage& picture, bool inverted)
{
    for (int y = 0; y < picture.height(); ++y) {
        auto* p = picture.scanLine(y);
        for (int x = 0; x < picture.width(); ++x, p += 4) {
            int c = p[0], m = p[1], ye = p[2], k = p[3];
            if (!inverted) {
                c = 255 - c;
                m = 255 - m;
                ye = 255 - ye;
                k = 255 - k;
            }
            // Inverted bytes are the amounts of white, so each colour is its amount times K's.
            const QRgb rgb = qRgb(c * k / 255, m * k / 255, ye * k / 255);
            *reinterpret_cast<QRgb*>(p) = rgb;
        }
    }
}

} // namespace

Result<QImage> decodeJpeg(QByteArrayView bytes, std::int64_t maxPixels)
{
    DecodeTarget target;
    JpegSink sink{&target, beginPicture, 4,     static_cast<unsigned long long>(std::max<std::int64_t>(maxPixels, 0)),
                  false,   false,        false, 0,
                  0};
    char message[JMSG_LENGTH_MAX];
    if (decodeJpegInto(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()),
                       &sink, message) != 0) {
        if (sink.tooLarge)
            return detail::unusable(detail::checkPictureSize(sink.width, sink.height, maxPixels), Failure::BadInput);
        if (!target.error.isEmpty())
            return detail::unusable(target.error, Failure::OutOfMemory);
        return detail::unusable(
            QStringLiteral("JPEG 图片已损坏或格式不受支持（%1）。").arg(QString::fromLocal8Bit(message)));
    }
    if (sink.cmyk)
        cmykToRgb(target.picture, sink.adobeInverted); // otherwise libjpeg-turbo has set every X byte to 0xFF
    return {target.picture, {}};
}

Result<QByteArray> jpegToBmp24(QByteArrayView bytes, std::int64_t maxPixels)
{
    BitmapTarget target;
    JpegSink sink{&target, beginBitmap, 3,     static_cast<unsigned long long>(std::max<std::int64_t>(maxPixels, 0)),
                  false,   false,       false, 0,
                  0};
    char message[JMSG_LENGTH_MAX];
    if (decodeJpegInto(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()),
                       &sink, message) == 0)
        return {target.file, {}}; // the padding at the end of each row was zeroed when the file was laid out
    if (target.cmyk) {
        const Result<QImage> picture = decodeJpeg(bytes, maxPixels);
        if (!picture.ok())
            return {{}, picture.outcome};
        return {encodeBmp24(picture.value), {}};
    }
    if (sink.tooLarge)
        return {{},
                Outcome::failedSaying(Failure::BadInput, detail::checkPictureSize(sink.width, sink.height, maxPixels))};
    return {{},
            Outcome::failedSaying(
                Failure::Unreadable,
                QStringLiteral("JPEG 图片已损坏或格式不受支持（%1）。").arg(QString::fromLocal8Bit(message)))};
}

Result<QByteArray> encodeJpeg(const QImage& picture, int quality)
{
    if (picture.isNull())
        return {{}, Outcome::failedSaying(Failure::BadInput, QStringLiteral("没有图片。"))};
    const QImage rgb = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
    JpegSource source{rgb.constBits(), std::size_t(rgb.bytesPerLine()), unsigned(rgb.width()), unsigned(rgb.height()),
                      std::clamp(quality, 0, 100)};
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    char message[JMSG_LENGTH_MAX];
    const int failed = encodeJpegFrom(&source, &out, &outSize, message);
    Result<QByteArray> result;
    if (!failed)
        result.value = QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
    else
        result.outcome = Outcome::failedSaying(Failure::Other, QString::fromLocal8Bit(message));
    std::free(out);
    return result;
}

} // namespace tavemo::wallpaper
