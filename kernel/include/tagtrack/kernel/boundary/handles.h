// The kernel's objects as the tagging-tracking library sees them: opaque handles, compared with ==
// and ordered by address, never read field by field. Everything else it needs of the kernel is
// declared in the other headers of this folder, and nothing outside this folder:
//   attributes.h  the custom-attribute framework, the kernel's array, heap and output
//   queries.h     topology and geometry queries, the faces around a vertex
//   history.h     the history stream of an entity and the default stream
// A kernel that offers these declarations with their stated effects can carry the library.
#pragma once

#include <vector>

#include <tagtrack/kernel/heap.h>
#include <tagtrack/kernel/kernel_export.h>

class ENTITY;
class BODY;
class FACE;
class LOOP;
class COEDGE;
class EDGE;
class VERTEX;
class ATTRIB;
class ATTRIB_CUSTOM;
class HISTORY_STREAM;
class surface;
class outcome;

namespace TPK {
// A std::vector whose memory comes from the kernel heap.
template <class T>
using kernel_vector = std::vector<T, heap_allocator<T>>;

// The entity behind a handle of one kind, for the calls that take any entity; null stays null.
TPK_KERNEL_EXPORT ENTITY* as_entity(BODY* body);
TPK_KERNEL_EXPORT ENTITY* as_entity(FACE* face);
TPK_KERNEL_EXPORT ENTITY* as_entity(EDGE* edge);
TPK_KERNEL_EXPORT ENTITY* as_entity(VERTEX* vertex);
TPK_KERNEL_EXPORT ENTITY* as_entity(ATTRIB_CUSTOM* attrib);
}  // namespace TPK
