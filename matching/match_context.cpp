#include <tagtrack/matching/match_context.h>

namespace TPI_TAGGING_TRACKING {

MATCH_CONTEXT::~MATCH_CONTEXT() = default;

}  // namespace TPI_TAGGING_TRACKING
