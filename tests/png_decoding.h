// Reading a PNG the lab wrote back into RGB bytes, for the tests of its figures.
#pragma once

#include <png.h>

#include <string>

namespace morvane::labtest {

// `Picture` is any struct with `width`, `height` (png_uint_32) and `rgb` (a vector of
// png_byte), three bytes a pixel, row by row. An empty picture when the bytes are no PNG.
template <typename Picture> Picture DecodePngAs(const std::string& bytes)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture decoded;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return decoded;
    image.format = PNG_FORMAT_RGB;
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr)) return {};
    decoded.width = image.width;
    decoded.height = image.height;
    return decoded;
}

} // namespace morvane::labtest
