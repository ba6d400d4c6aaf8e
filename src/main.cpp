#include "sheet/appsetup.h"
#include "sheet/form1.h"
#include "sheet/messageboxes.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setupApplication(app);
    MessageBoxes messages;
    Form1 sheet(messages);
    sheet.show();
    return app.exec();
}
