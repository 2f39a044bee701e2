// The references for start-up: a bare Qt window of the program's size, shown and nothing else;
// with --text, the same window showing one line of text, which is what any window with words
// in it pays for the font database and the first glyphs.
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
