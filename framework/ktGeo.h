// ktGeo: root of the application objects, with empty virtual hooks for idle work, drawing and
// messages. No virtual destructor: application objects live until the process ends.
#ifndef KT_FRAMEWORK_KTGEO_H
#define KT_FRAMEWORK_KTGEO_H

class ktGeo {
public:
    virtual void idle() {}
    virtual void draw() {}
    virtual void message(const char* text) { (void)text; }
};

#endif
