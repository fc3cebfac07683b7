#include <tagtrack/scenario_runner/verdict.h>

namespace tagtrack::scenarios {

const char* verdict_word(verdict v) {
  switch (v) {
    case verdict::right:
      return "right";
    case verdict::wrong:
      return "wrong";
    case verdict::ambiguous:
      return "ambiguous";
    case verdict::lost:
      return "lost";
    case verdict::right_lost:
      return "right (lost)";
    case verdict::failed:
      break;
  }
  return "failed";
}

const char* verdict_meaning(verdict v) {
  switch (v) {
    case verdict::right:
      return "exactly one entity was found, and it is the expected one";
    case verdict::wrong:
      return "exactly one entity was found, and it is another one, or the entity is gone and "
             "one was found all the same";
    case verdict::ambiguous:
      return "several entities were found; (in) or (out) says whether the expected one is "
             "among them";
    case verdict::lost:
      return "nothing was found, though the entity is still there";
    case verdict::right_lost:
      return "nothing was found, and the entity is really gone: right";
    case verdict::failed:
      break;
  }
  return "the reference could not be resolved, because a feature it depends on failed for "
         "this method";
}

}  // namespace tagtrack::scenarios
