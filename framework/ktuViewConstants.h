// View constants of the view frames (internal): the camera placement that maps the plane z = 0
// onto the window pixel for pixel. Recomputed by updateToviViewConstants, lazily at the first
// outermost frame after the window size has changed; the load values hold until then.
#ifndef KT_FRAMEWORK_KTUVIEWCONSTANTS_H
#define KT_FRAMEWORK_KTUVIEWCONSTANTS_H

extern float viewCenterX;      // x of the camera and of the point it looks at
extern float viewCenterY;      // y of the camera and of the point it looks at
extern float viewEyeDistance;  // camera height above z = 0; the vertical field spans the window
extern float viewNear;         // near clipping distance, a tenth of the eye distance
extern float viewFar;          // far clipping distance, ten times the eye distance
extern float viewAspect;       // width / height
extern int viewCachedWidth;    // window size the constants were last computed for
extern int viewCachedHeight;

#endif
