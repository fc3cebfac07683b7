// tagtrack: persistent identities (tags) for the faces, edges and vertices of solid models, and
// recipes that find an entity again after the model is regenerated. Including this header gives
// every exported declaration of the library and of the modelling-kernel boundary it sits on.
#pragma once

#include "kernel/kernel.h"
#include "matching/match_context.h"
#include "recipes/recipe.h"
#include "recipes/recipe_comparison.h"
#include "recipes/recipe_queries.h"
#include "recipes/recipe_text.h"
#include "tag_manager/copy_callback.h"
#include "tag_manager/tag_manager.h"
#include "tagging/attribute_operations.h"
#include "tagging/generic_tag_attrib_def.h"
#include "tagging/generic_tag_attrib_def_savres.h"
#include "tagging/tag_data.h"
#include "tagging/tag_info.h"
#include "tracking/track_context.h"
#include "tracking/trackable.h"
#include "tracking/tracker.h"
#include "tracking/uv_order_data.h"
