// One picture decoder (FUZZ_DECODER: decodeBmp, decodeJpeg, decodeGif or decodePng) on arbitrary
// bytes: an error, or a picture that our bitmap writer keeps exactly.

#include "FuzzSupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    tavemo::wallpaper::fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    return tavemo::wallpaper::fuzz::checkDecoded(
        tavemo::wallpaper::FUZZ_DECODER(bytes, tavemo::wallpaper::fuzz::kFuzzMaxPixels));
}
