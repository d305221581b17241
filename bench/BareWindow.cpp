// The yardstick for an unattended open: a bare Qt window that shows itself
// and quits at its first idle moment, as the opener does after its request.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(426, 154);
    window.show();
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
        &application, [] { QCoreApplication::exit(0); });
    return application.exec();
}
