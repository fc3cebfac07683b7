// The kernel's history streams as the library uses them: the stream an entity belongs to, and the
// default stream (read, and replaced).
#pragma once

#include <tagtrack/kernel/boundary/handles.h>
#include <tagtrack/kernel/history/history.h>
