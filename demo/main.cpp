// drapo: opens the framework, makes the application object and hands control to it. Running out of
// memory while the application is made is a fatal diagnostic (exit status -1), not an uncaught
// exception.
#include <new>

#include "framework/ktApp.h"
#include "framework/ktu.h"

int main() {
    ktuOpen();
    ktApp* app = nullptr;
    try {
        app = makeApp();
    } catch (const std::bad_alloc&) {
        ktuDebug(1, "drapo: out of memory");
    }
    app->selfStart();
    return 0;
}
