// The kernel's custom-attribute framework: the definition classes whose virtual operations the
// kernel calls as it changes, copies, saves and restores entities; their contexts; attaching,
// finding and persisting attributes; the access views; and the kernel's array, heap and output.
#pragma once

#include <tagtrack/kernel/attributes/access.h>
#include <tagtrack/kernel/attributes/attrib_api.h>
#include <tagtrack/kernel/attributes/contexts.h>
#include <tagtrack/kernel/attributes/entity_def.h>
#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/heap.h>
#include <tagtrack/kernel/outcome.h>
#include <tagtrack/kernel/print.h>
#include <tagtrack/kernel/tpk_array.h>
