// Placeholder: normal calculation is being written.
#include "shapes/ktShape.h"
void ktShape::calculateNormals() {}
