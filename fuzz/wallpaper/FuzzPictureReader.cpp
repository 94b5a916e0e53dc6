// One picture decoder (FUZZ_DECODER: decodeBmp, decodeJpeg, decodeGif or decodePng) on arbitrary
// bytes: an error, or a picture that our bitmap writer keeps exactly. For JPEG, the straight decode
// into bitmap rows gives the same bytes.

#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tavemo::wallpaper::fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tavemo::wallpaper;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const tavemo::Result<QImage> result = FUZZ_DECODER(bytes, fuzz::kFuzzMaxPixels);
#ifdef FUZZ_JPEG_TO_BMP
    // The road's straight decode into bitmap rows agrees with the decode into a picture.
    const QByteArray bitmap = jpegToBmp24(bytes, fuzz::kFuzzMaxPixels).value;
    if (bitmap != (result.ok() ? encodeBmp24(result.value) : QByteArray())) {
        std::fprintf(stderr, "jpegToBmp24 differs from decodeJpeg\n");
        std::abort();
    }
#endif
    return fuzz::checkDecoded(result);
}
