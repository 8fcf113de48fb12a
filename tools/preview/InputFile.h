// Reads the files the preview takes: the printer stream and the text to
// compare with, whole, up to a limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace marvik::preview {

// The file at `path`, or standard input for "" and "-". False with the
// reason in *error when it cannot be read or is longer than `limit` bytes.
bool ReadInput(const std::string& path, size_t limit, std::vector<uint8_t>* data, std::string* error);

}  // namespace marvik::preview
