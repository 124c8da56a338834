#pragma once
// Writing a file as one replacement: the new text goes to a temporary file beside the target, is
// flushed to the disk and then renamed over the old file, and the folder is flushed after the
// rename, so a write that fails or dies half-way leaves the old file whole (or no file, where there
// was none). The settings file and the saved segment programs are written this way.
//
// A symbolic link is written through: its final target is replaced and the link stays a link. A
// file that nobody may write (no write permission bit, whoever we run as) is refused rather than
// replaced behind the owner's back. A process that dies between making the temporary file and
// the rename leaves that file behind; it carries a name of its own (`<file>.replacing-XXXXXX`), so
// that RemoveStaleReplacements can find it at the next start without touching anything else.

#include <string>
#include <string_view>
#include <vector>

namespace Base {

// Replaces the file at `path` (created when missing) by `text`. A new file gets read and write
// permission for its owner and read permission for the others; a replaced one keeps its own. False
// when the file cannot be written or is read-only; the old file is then untouched and no temporary
// file is left. False also when the folder cannot be flushed after the rename: the new text is then
// in place but not known to be on the disk.
bool ReplaceFileContents(const std::string& path, std::string_view text);

// The file a replacement of `path` really writes: the final target of a symbolic link (a relative
// link read from the link's own folder), `path` itself otherwise.
std::string ReplacementTarget(const std::string& path);

// Removes the temporary files that replacements of `path` (through its link, as above) left
// behind, and gives the paths removed. Only regular files of the temporary name pattern go.
std::vector<std::string> RemoveStaleReplacements(const std::string& path);

} // namespace Base
