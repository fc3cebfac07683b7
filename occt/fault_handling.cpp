#include <tagtrack/occt/fault_handling.h>

#include <OSD.hxx>
#include <OSD_Exception.hxx>

namespace TPI_OCCT {

void turn_faults_into_failures() {
  OSD::SetSignal(OSD_SignalMode_Set, Standard_False);
}

std::string failure_reason(const std::string& what, const Standard_Failure& failure) {
  const char* message = failure.GetMessageString();
  const std::string said = message == nullptr ? std::string() : std::string(message);
  if (failure.IsKind(STANDARD_TYPE(OSD_Exception))) {
    return "the " + what + " failed inside Open CASCADE: " + failure.DynamicType()->Name() +
           (said.empty() ? std::string() : ": " + said);
  }
  return "Open CASCADE failed: " + said;
}

}  // namespace TPI_OCCT
