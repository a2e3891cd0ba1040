// Placeholder: picking is being written.
#include "shapes/ktShape.h"
bool ktShape::pointInside(float, float) { return false; }
bool ktShape::shapeInRect(float, float, float, float, bool) { return false; }
bool ktShape::shapeInCircle(float, float, float, bool) { return false; }
bool pointInTriangle(float, float, ktVec3f&, ktVec3f&, ktVec3f&) { return false; }
