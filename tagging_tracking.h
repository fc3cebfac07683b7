// tagtrack: persistent identities (tags) for the faces, edges and vertices of solid models, and
// recipes that find an entity again after the model is regenerated. Including this header gives
// every exported declaration of the library and of the modelling-kernel boundary it sits on.
#pragma once

#include "kernel/kernel.h"
