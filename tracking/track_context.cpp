#include <tagtrack/tracking/track_context.h>

namespace TPI_TAGGING_TRACKING {

TRACK_CONTEXT::~TRACK_CONTEXT() = default;

}  // namespace TPI_TAGGING_TRACKING
