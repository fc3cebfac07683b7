// Attaching, finding and persisting custom attributes.
#pragma once

#include <cstddef>

#include <tagtrack/kernel/attributes/entity_def.h>
#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/kernel_export.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/tpk_array.h>

namespace TPI_CUSTOM_ENTITY {

// Attaches a new custom attribute carrying `def` at the end of `owner`'s attribute list; the
// attribute owns `def` from then on and `attrib` receives it. Fails, leaving `def` with the caller
// and `attrib` untouched, for a null owner or definition, an owner that is itself an attribute, or
// a definition already held by an attribute.
TPK_KERNEL_EXPORT outcome add_attrib(ENTITY* owner, attrib_def* def, ATTRIB_CUSTOM*& attrib);

// Fills `found` with the custom attributes of `owner` in order of attachment: those whose
// definition's type_name() equals `name`, or all of them for a null name. A null owner has none.
TPK_KERNEL_EXPORT outcome find_attrib(ENTITY* owner, const char* name,
                                      TPK::tpk_array<ATTRIB_CUSTOM*>& found);

// The custom attribute of `owner` that follows `after` in order of attachment (the first one for a
// null `after`), or null when there is none: the attributes one by one, without making a list.
TPK_KERNEL_EXPORT ATTRIB_CUSTOM* next_custom_attrib(ENTITY* owner, ATTRIB_CUSTOM* after);

// Registers `factory` (not owned; it must outlive its registration) under `name`, replacing an
// earlier registration of that name; a null factory removes the registration.
TPK_KERNEL_EXPORT outcome set_save_restore_def(const char* name, save_restore_def* factory);

// The factory registered under `name`, or null.
TPK_KERNEL_EXPORT save_restore_def* find_save_restore_def(const char* name);

// The registered factories in order of first registration, for a writer that looks for the first
// factory accepting a definition: fills `names` and `factories` in step.
TPK_KERNEL_EXPORT std::size_t registered_save_restore_defs(const char** names,
                                                           save_restore_def** factories,
                                                           std::size_t capacity);

}  // namespace TPI_CUSTOM_ENTITY
