// Faults inside Open CASCADE's algorithms as failures. Some of Open CASCADE's algorithms fault on
// valid input (a chamfer that dereferences a null pointer inside ChFi3d_Builder on a block after
// two booleans), which ends the process. Open CASCADE can turn such faults into its exceptions,
// thrown where the fault happened; every operation of this library already catches those and
// fails with the reason, leaving its bodies as they were. Installing that handling is a choice
// for the whole process, so the library never makes it by itself: an application opts in once.
#pragma once

#include <string>

#include <Standard_Failure.hxx>

#include <tagtrack/occt/occt_export.h>

namespace TPI_OCCT {

// Installs Open CASCADE's signal handling (OSD::SetSignal) for the whole process, replacing the
// handlers of segmentation faults, bus errors, illegal instructions and the like: a fault in any
// thread that has Open CASCADE code on its stack becomes a Standard_Failure (an OSD_Exception)
// thrown there. Floating-point traps stay off, as they are by default. Call it early, from the
// main thread, before other threads start; calling it again does no harm. A fault outside Open
// CASCADE's code is then also thrown as an exception, which an application that does not catch
// it sees as std::terminate instead of the signal.
TAGTRACK_OCCT_EXPORT void turn_faults_into_failures();

// The reason to give for a Standard_Failure thrown while Open CASCADE ran the operation `what`
// ("chamfer"): "the chamfer failed inside Open CASCADE: " followed by the fault's kind and
// message for a fault turned into a failure, "Open CASCADE failed: " followed by the message for
// any other failure.
TAGTRACK_OCCT_EXPORT std::string failure_reason(const std::string& what,
                                                const Standard_Failure& failure);

}  // namespace TPI_OCCT
