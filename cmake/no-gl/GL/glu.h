// Stands in for <GL/glu.h> while kt::core compiles: the core uses no OpenGL, GLU or GLUT, and a
// source that needs them belongs in kt::framework.
#error "kt::core includes an OpenGL header"
