// tagtrack: persistent identities (tags) for the faces, edges and vertices of solid models, and
// recipes that find an entity again after the model is regenerated. Including this header gives
// every exported declaration of the library and the modelling-kernel boundary it sits on; the
// reference kernel's construction, operations and model files are in <tagtrack/kernel/kernel.h>.
#pragma once

#include <tagtrack/kernel/boundary/attributes.h>
#include <tagtrack/kernel/boundary/history.h>
#include <tagtrack/kernel/boundary/queries.h>
#include <tagtrack/matching/match_context.h>
#include <tagtrack/matching/match_explanation.h>
#include <tagtrack/matching/matches.h>
#include <tagtrack/matching/tag_index.h>
#include <tagtrack/recipes/recipe.h>
#include <tagtrack/recipes/recipe_comparison.h>
#include <tagtrack/recipes/recipe_owners.h>
#include <tagtrack/recipes/recipe_queries.h>
#include <tagtrack/recipes/recipe_text.h>
#include <tagtrack/recipes/recipe_text_problem.h>
#include <tagtrack/recipes/uv_order_data.h>
#include <tagtrack/tag_manager/copy_callback.h>
#include <tagtrack/tag_manager/tag_manager.h>
#include <tagtrack/tag_manager/tag_manager_scope.h>
#include <tagtrack/tagging/attribute_operations.h>
#include <tagtrack/tagging/entity_tags.h>
#include <tagtrack/tagging/generic_tag_attrib_def.h>
#include <tagtrack/tagging/generic_tag_attrib_def_savres.h>
#include <tagtrack/tagging/tag_data.h>
#include <tagtrack/tagging/tag_info.h>
#include <tagtrack/tracking/make_recipe.h>
#include <tagtrack/tracking/track_context.h>
#include <tagtrack/tracking/trackable.h>
#include <tagtrack/tracking/tracker.h>
