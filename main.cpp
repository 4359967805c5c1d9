#include "window/application.h"
#include "window/form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SetUpApplication(app);

    Form1 window;
    window.show();
    return app.exec();
}
