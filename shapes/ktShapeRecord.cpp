// Placeholder: the shape record is being written.
#include "shapes/ktShape.h"
void ktShape::writeToFile(FILE*) {}
void ktShape::readFromFile(FILE*) {}
