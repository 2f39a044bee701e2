// The references for start-up: with --text, a Qt window of the program's size showing one label,
// the least any window with words in it pays (the font database and the first glyphs); without
// it, the same window bare, shown and nothing else.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const bool withText = argc > 1 && QByteArray(argv[1]) == "--text";
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.setFixedSize(536, 514);
    if (withText)
        (new QLabel(QStringLiteral("aplikace pro snadné měnění tapet"), &window))->move(8, 8);
    window.show();
    return QApplication::exec();
}
