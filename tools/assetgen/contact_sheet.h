// One picture that shows every generated picture at a glance with its file
// name, for reviewing the art.
#pragma once

#include <string>
#include <vector>

#include "generator.h"

namespace assetgen {

// Writes the sheet as a PNG; returns false if it could not be written.
bool WriteContactSheet(const std::vector<Thumbnail>& thumbnails, const std::string& file);

}  // namespace assetgen
