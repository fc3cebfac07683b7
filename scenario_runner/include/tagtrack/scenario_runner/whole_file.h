// Files the runner and the command write appear whole or not at all: a reader never finds half a
// picture or half a report, whether the disk filled or memory ran out on the way. Files they read
// are read whole, and a file that cannot be read says why in words, with its name.
#pragma once

#include <string>

#include <tagtrack/kernel/outcome.h>

#include <tagtrack/scenario_runner/scenarios_export.h>

namespace tagtrack::scenarios {

// Writes `text` to a file beside `path`, then renames it to `path`, replacing what was there. False
// when it cannot, with `path` as it was and nothing else left behind.
TAGTRACK_SCENARIOS_EXPORT bool write_whole_file(const std::string& path, const std::string& text);

// Reads the whole file at `path` into `text`; fails, `text` unchanged, with "'<path>': " and the
// reason: no such file, is a directory, is not a regular file, cannot be opened or read (with the
// system's words).
TAGTRACK_SCENARIOS_EXPORT outcome read_whole_file(const std::string& path, std::string& text);

// Fails, with the reason, when no file can be written at `path` (its folder is missing or is not
// writable, or `path` names a directory), so that a command refuses before its work, not after.
TAGTRACK_SCENARIOS_EXPORT outcome check_writable_file(const std::string& path);

// The same for a directory a command fills: it exists and is writable, or can be made.
TAGTRACK_SCENARIOS_EXPORT outcome check_writable_directory(const std::string& path);

}  // namespace tagtrack::scenarios
