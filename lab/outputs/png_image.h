// A canvas as an 8-bit RGB PNG image, pixel for pixel.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "display/canvas.h"
#include "lab/outputs/output.h"
#include "lab/outputs/output_file.h"

namespace morvane::lab {

// Writes `canvas` to `out` as PNG; throws LabError when libpng reports a failure.
void WritePng(std::FILE* out, const Canvas& canvas);

// --png PREFIX: PREFIX-space.png and PREFIX-graph.png, the two canvases after the run.
std::vector<std::string> PictureFiles(const std::string& prefix);
std::unique_ptr<WorldOutput> MakePicturesOutput(const std::string& prefix,
                                                const std::vector<OutputFile*>& files);

} // namespace morvane::lab
