#include "platform/application.h"
#include "platform/dialogs.h"

#include <QMainWindow>

int main(int argc, char **argv)
{
    platform::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrova 5"));
    QMainWindow window;
    window.setWindowTitle(platform::ApplicationTitle());
    window.resize(1024, 700);
    window.show();
    return app.exec();
}
