// The two small questions every tracker and matcher asks about a kernel entity: which tags it
// carries, and which faces, edges or vertices it has, in kernel order.
#pragma once

#include <vector>

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

// The tags of the entity's first tag attribute (in attachment order), not a copy: valid until the
// attribute or its entity changes. Null when the entity has no tag attribute, when that first
// attribute holds no list, and for a null entity. An empty list is a tagged entity.
tag_info* find_entity_tag_info(ENTITY* entity);

// Append the entity's faces, edges or vertices to `list` in kernel order, without clearing it;
// a failed query appends nothing.
void collect_faces(ENTITY* entity, std::vector<FACE*>& list);
void collect_edges(ENTITY* entity, std::vector<EDGE*>& list);
void collect_vertices(ENTITY* entity, std::vector<VERTEX*>& list);

}  // namespace TPI_TAGGING_TRACKING
