// The kernel's printf-style output.
#pragma once

#include <cstdio>

#include <tagtrack/kernel/kernel_export.h>

// Like printf, to standard output; gives the number of characters written or a negative value.
TPK_KERNEL_EXPORT int tpk_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Like fprintf, to `stream`; a null stream writes nothing and gives -1.
TPK_KERNEL_EXPORT int tpk_fprintf(FILE* stream, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
