// The smallest program with a Qt main window: the yardstick for start-up. Not a
// benchmark of its own; bench_startup runs it beside the program and prints the ratio.
#include "controls/first_paint_probe.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(900, 600);
    ExitAtFirstPaintIfAsked(window);
    window.show();
    return QApplication::exec();
}
