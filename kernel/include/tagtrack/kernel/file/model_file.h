// Model files: bodies saved as text with their topology, geometry and custom attributes, and
// restored from it. The format is described in docs/model_files.md.
//
// A custom attribute is written by the save/restore factory registered under its definition's
// type_name(), or else by the first registered factory whose save accepts the definition; an
// attribute that no factory accepts (or whose definition is not savable()) is left out, with a
// warning in the outcome. On restore, the factory registered under the recorded name is called with
// a restore_context whose entity() is the attribute being restored and whose
// entity_def_version() is the recorded definition version.
//
// Restoring is all or nothing: on any error the outcome names the line, column and reason, no
// body is given back, and nothing already in memory changes; an exception from inside (out of
// memory, or thrown by a factory) undoes everything the same way and is passed on. The restored
// bodies answer every query in the saved bodies' orders, and saving them again gives
// byte-identical text.
#pragma once

#include <string>
#include <vector>

#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>

namespace TPI_FILE {

// Writes the bodies, in order, to `text` (replacing its content).
TPK_KERNEL_EXPORT outcome save_bodies(const std::vector<BODY*>& bodies, std::string& text);
TPK_KERNEL_EXPORT outcome save_bodies_to_file(const std::vector<BODY*>& bodies, const char* path);

// Makes the bodies `text` holds, in the current default history stream, and appends them to
// `bodies`; on failure `bodies` is left as it was.
TPK_KERNEL_EXPORT outcome restore_bodies(const std::string& text, std::vector<BODY*>& bodies);
TPK_KERNEL_EXPORT outcome restore_bodies_from_file(const char* path, std::vector<BODY*>& bodies);

}  // namespace TPI_FILE
