#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("HRZ2000e");
    QMainWindow window;
    window.setWindowTitle("HRZ2000e");
    window.resize(900, 600);
    window.show();
    return QApplication::exec();
}
