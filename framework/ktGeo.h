/// @file
/// ktGeo: the root class of application objects.
#ifndef KT_FRAMEWORK_KTGEO_H
#define KT_FRAMEWORK_KTGEO_H

/// Root of the application objects: empty virtual hooks for idle work, drawing and messages.
///
/// Derive from ktApp rather than from this class: ktApp adds the window region and the event hooks
/// that the GLUT callbacks call. No virtual destructor: application objects live until the process
/// ends and are never deleted.
class ktGeo {
public:
    /// Idle work, run once per idle turn before each display pass (through idle_cb()). Default: nothing.
    virtual void idle() {}
    /// Draws the object. display_cb() calls it inside the outermost view frame, where world units are
    /// window pixels on the plane z = 0 (origin bottom-left, y up). Default: nothing.
    virtual void draw() {}
    /// A text message for the object; the framework never sends one. Default: nothing.
    /// @param text the message, owned by the caller.
    virtual void message(const char* text) { (void)text; }
};

#endif
