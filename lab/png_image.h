// A canvas as an 8-bit RGB PNG image, pixel for pixel.
#pragma once

#include <cstdio>

#include "display/canvas.h"

namespace morvane::lab {

// Writes `canvas` to `out` as PNG; throws LabError when libpng reports a failure.
void WritePng(std::FILE* out, const Canvas& canvas);

} // namespace morvane::lab
