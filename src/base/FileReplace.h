#pragma once
// Writing a file as one replacement: the new text goes to a temporary file beside the target, is
// flushed to the disk and then renamed over the old file, so a write that fails or dies half-way
// leaves the old file whole (or no file, where there was none). The settings file and the saved
// segment programs are written this way.

#include <string>
#include <string_view>

namespace Base {

// Replaces the file at `path` (created when missing) by `text`. A new file gets read and write
// permission for its owner and read permission for the others; a replaced one keeps its own. False
// when the file cannot be written; the old file is then untouched and no temporary file is left.
bool ReplaceFileContents(const std::string& path, std::string_view text);

} // namespace Base
