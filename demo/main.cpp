// drapo: opens the framework, makes the application object and hands control to it.
#include "framework/ktApp.h"
#include "framework/ktu.h"

int main() {
    ktuOpen();
    ktApp* app = makeApp();
    app->selfStart();
    return 0;
}
