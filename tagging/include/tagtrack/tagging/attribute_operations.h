// Changing and reading the tags of an entity through its tag attribute. The changing functions
// never edit the attribute's definition in place: they change a copy and hand it to the kernel
// (tag_attrib_def::update_attribute_with_this_def), so the change is recorded in the history, heard
// by the tag manager and undone by roll back. Each gives false, changing nothing, for an attribute
// whose definition is not a generic_tag_attrib_def.
#pragma once

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/tagtrack_export.h>

namespace TPI_TAGGING_TRACKING {

// Appends `id` (or -id when `negate`) to the operation ids of every tag. An id below 1 changes
// nothing, and still gives true.
TAGTRACK_EXPORT bool prepend_operation_id_for_attrib(ATTRIB_CUSTOM* attrib, int id, bool negate);

// Give the first tag this primary id (respectively secondary id); a later tag that becomes equal
// to it is dropped. False, without calling the kernel, when the attribute has no tags.
TAGTRACK_EXPORT bool update_primary_Id_for_attrib(ATTRIB_CUSTOM* attrib,
                                                  TPK::tpk_array<char> primary_id);
TAGTRACK_EXPORT bool update_secondary_id_for_attrib(ATTRIB_CUSTOM* attrib, int secondary_id);

// Appends the operation ids of every tag, tag by tag, to `ids`; false, leaving `ids` alone, for a
// definition without a list.
TAGTRACK_EXPORT bool get_operation_ids_from_attrib(const ATTRIB_CUSTOM* attrib,
                                                   TPK::tpk_array<int>& ids);

}  // namespace TPI_TAGGING_TRACKING
