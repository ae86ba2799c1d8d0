// The yardstick for start-up: a bare Qt Widgets program that shows one label.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("12:00:00 pm"));
    label.setWindowTitle(QStringLiteral("bare"));
    label.show();
    return QApplication::exec();
}
