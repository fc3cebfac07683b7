// An index of the tags of a model's bodies, for a caller that resolves many recipes against the
// same unchanged model. Built once over the bodies (lazily, per kind of entity, at the first
// recipe that needs it), it answers the matchers' tag-candidate search without enumerating the
// bodies: the entities whose tags hold a tag of the recipe are looked up, not searched for.
//
// Opt in by handing it to the match context (MATCH_CONTEXT::use_tag_index). The matchers give
// exactly what they give without it, in the same order, repeats and tie-breaks included. The index
// is used only for a context over the very bodies it was built on (in the same order), and it
// notices when any model has changed since it was built (the kernel's change count): it then
// rebuilds before answering, so it never gives a stale answer. A change made outside the kernel
// (editing a tag definition in place, which the library's own functions never do) is not seen.
// Like a match context's, the bodies must exist (deleted ones are fine until their history stream
// frees them) while the index is used.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/tagging/tag_info.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

class TAGTRACK_EXPORT tag_index {
 public:
  explicit tag_index(const std::vector<BODY*>& bodies);
  tag_index(const tag_index&) = delete;
  tag_index& operator=(const tag_index&) = delete;
  ~tag_index();

  const std::vector<BODY*>& bodies() const;
  // False once a model may have changed since the index was (re)built.
  bool current() const;

  // The tag candidates of `recipe_tags` among the faces, edges or vertices of the bodies, as the
  // matchers' linear search gives them (see matching's candidate search). Rebuilds first when the
  // model changed.
  std::vector<FACE*> candidates(const tag_info& recipe_tags, FACE* kind);
  std::vector<EDGE*> candidates(const tag_info& recipe_tags, EDGE* kind);
  std::vector<VERTEX*> candidates(const tag_info& recipe_tags, VERTEX* kind);

 private:
  struct impl;
  std::unique_ptr<impl> m_impl;
};

}  // namespace TPI_TAGGING_TRACKING
