// A window with a line edit that takes the keyboard focus, standing for whatever the user
// is typing in when an alarm fires. It prints what was typed into it when it closes.
#include <QApplication>
#include <QLineEdit>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLineEdit edit;
    edit.setWindowTitle(QStringLiteral("Saisie"));
    edit.resize(300, 40);
    edit.move(40, 40);
    edit.show();
    edit.activateWindow();
    const int code = app.exec();
    std::printf("%s\n", edit.text().toUtf8().constData());
    return code;
}
