#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "render/png_loader.h"

// Any bytes as a picture, each chunk given its right checksum so mutations
// reach the decoder: a failure is reported, with no pixels kept.
extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    std::vector<unsigned char> png(data, data + size);
    for (size_t at = 8, n; at + 12 <= size && (n = size_t(png[at]) << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3]) <= size - at - 12; at += n + 12)
        for (uLong crc = crc32(0, &png[at + 4], uInt(n + 4)), i = 0; i < 4; ++i) png[at + 8 + n + i] = (unsigned char)(crc >> (24 - 8 * i));
    std::FILE* file = fmemopen(png.data(), size, "rb");
    if (!file) return 0;
    PngImage image;
    bool decoded = decodePng(image, file) == PngFailure::None;
    std::fclose(file);
    if (decoded != (image.pixels != nullptr)) std::abort();
    std::free(image.pixels);
    return 0;
}
