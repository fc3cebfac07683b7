// Files the command writes appear whole or not at all: a reader never finds half a picture or half
// a report, whether the disk filled or memory ran out on the way.
#pragma once

#include <string>

namespace tagtrack_tool {

// Writes `text` to a file beside `path`, then renames it to `path`, replacing what was there. False
// when it cannot, with `path` as it was and nothing else left behind.
bool write_whole_file(const std::string& path, const std::string& text);

}  // namespace tagtrack_tool
