// Placeholder: shape drawing is being written.
#include "shapes/ktShape.h"
void ktShape::draw() {}
