// Part files read into bodies: STEP (.step, .stp), IGES (.iges, .igs) and Open CASCADE's own
// BREP text (.brep, .brp), told apart by the file name's extension, in any case.
#pragma once

#include <vector>

#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/topology/topology.h>
#include <tagtrack/occt/occt_export.h>

namespace TPI_OCCT {

// Appends to `bodies` one body per solid of the file, in the order Open CASCADE's reader gives
// them, each instance of an assembly's part its own located body; then one per shell outside any
// solid, then one per face outside any shell. All or nothing: on failure (a file that cannot be
// read, holds no face, or a shape the kernel cannot hold) `bodies` is as it was, and the reason
// names the file.
TAGTRACK_OCCT_EXPORT outcome read_part_file(const char* path, std::vector<BODY*>& bodies);

}  // namespace TPI_OCCT
