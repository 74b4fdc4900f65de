#pragma once
// The one application object of a GUI test binary: the program's own
// application class, so that its default error handler is in place.
#include "controls/app_error_handler.h"

inline TlvApplication& TestApp() {
    static int argc = 1;
    static char name[] = "hrz-tests";
    static char* argv[] = {name, nullptr};
    static TlvApplication* app = [] {
        auto* a = new TlvApplication(argc, argv);
        QApplication::setApplicationName("HRZ2000e");
        return a;
    }();
    return *app;
}
