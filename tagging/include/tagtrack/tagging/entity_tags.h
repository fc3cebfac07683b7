// Tagging entities without the attribute machinery: a primary id from ordinary text, a tag
// attribute attached in one call, and an entity's tags read back. These sit beside the attribute
// functions and the tag attribute's own interface, which they use.
#pragma once

#include <string_view>

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagging/tag_info.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// The characters of `text`, as a primary id (tag_data, generic_tag_attrib_def and the attribute
// functions take one). Any characters are kept; an id meant for recipe texts should hold no white
// space (see survives_tag_text).
TAGTRACK_EXPORT TPK::tpk_array<char> primary_id(std::string_view text);

// Gives `entity` a new tag attribute holding one tag with primary id `id`, secondary id 0 and, when
// `operation_id` is 1 or more, that operation id. The kernel owns the attribute; null when the
// kernel refuses (nothing is then left behind). Allocation failure passes out as std::bad_alloc,
// with nothing attached and nothing leaked.
TAGTRACK_EXPORT ATTRIB_CUSTOM* tag_entity(ENTITY* entity, std::string_view id,
                                          int operation_id = 0);

// The tags of the entity's first tag attribute: not a copy, valid until the entity or its tags
// change. Null for a null entity and for one without a tag attribute.
TAGTRACK_EXPORT const tag_info* tags_on(ENTITY* entity);

}  // namespace TPI_TAGGING_TRACKING
