// The reference for start-up: a bare Qt window of the program's size, shown and nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(536, 514);
    window.show();
    return QApplication::exec();
}
