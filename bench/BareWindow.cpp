// The yardstick for an unattended open: a bare Qt window that shows itself
// and quits at its first idle moment, as the opener does after its request.
// With --text it also shows one line of Japanese, so the font database is
// paid for as in any window with text.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.resize(426, 154);
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("--text")) {
        (new QLabel(QStringLiteral("開くフォルダーを選択してください。"), &window))->move(8, 52);
    }
    window.show();
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
        &application, [] { QCoreApplication::exit(0); });
    return application.exec();
}
