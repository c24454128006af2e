#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QLabel placeholder(QStringLiteral("Quillora"));
    placeholder.resize(480, 320);
    placeholder.show();
    return app.exec();
}
