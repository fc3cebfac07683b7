#include "kernel/file/model_file.h"
