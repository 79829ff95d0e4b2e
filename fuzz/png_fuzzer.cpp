#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/png_loader.h"

// Gives every chunk its right checksum, so mutations reach the decoder
// instead of stopping at the first checksum test.
static void fixChecksums(std::vector<unsigned char>& png) {
    for (size_t at = 8; at + 12 <= png.size();) {
        size_t length = size_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (length > png.size() - at - 12) return;
        uLong crc = crc32(0, png.data() + at + 4, uInt(length + 4));
        for (int i = 0; i < 4; ++i) png[at + 8 + length + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
        at += length + 12;
    }
}

// Any bytes decoded as a picture: a failure is reported with no pixels kept.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    std::vector<unsigned char> png(data, data + size);
    fixChecksums(png);
    std::FILE* file = fmemopen(png.data(), size, "rb");
    if (!file) return 0;
    PngImage image;
    PngFailure failure = decodePng(image, file);
    std::fclose(file);
    if ((failure == PngFailure::None) != (image.pixels != nullptr)) std::abort();
    if (image.pixels) {  // the last pixel must be inside the buffer
        volatile unsigned char last = image.pixels[size_t(image.width) * image.height * 4 - 1];
        (void)last;
    }
    std::free(image.pixels);
    return 0;
}
