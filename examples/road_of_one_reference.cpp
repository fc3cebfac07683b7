// The road of one reference: an application remembers an edge of its model as a recipe, keeps the
// recipe as text, regenerates the model from its features with changed parameters, and finds the
// same edge again in the new model.
#include "road.h"

int main() {
  return feature_demo::run_road_of_one_reference();
}
