#include "qt_app.h"

#include <QApplication>

QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "test_file_pane";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}
