// A main window that cannot be made: the exception display shows the failure
// captioned with the title, no window is shown, and the run still ends with 0.
#include <cstdio>
#include <memory>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "common/UnitApplication.h"
#include "core/Exception.h"

namespace {

QString SeenCaption;
QString SeenText;
bool WindowShown = false;

void PressOkOnTheBox()
{
    QTimer* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            SeenCaption = box->windowTitle();
            SeenText = box->text();
            box->button(QMessageBox::Ok)->click();
            poll->stop();
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            WindowShown |= w->isVisible() && !qobject_cast<QMessageBox*>(w);
        }
    });
    poll->start(10);
}

} // namespace

int main(int argc, char** argv)
{
    const int result = RunProgram(argc, argv, QStringLiteral("Quistel"), []() -> std::unique_ptr<QWidget> {
        PressOkOnTheBox();
        throw Exception(u"窓を作れません");
    });
    const bool ok = result == 0 && SeenCaption == QStringLiteral("Quistel")
        && SeenText == QStringLiteral("窓を作れません.") && !WindowShown;
    std::printf("%s: exit %d, caption \"%s\", text \"%s\", window shown %d\n", ok ? "PASS" : "FAIL", result,
        SeenCaption.toUtf8().constData(), SeenText.toUtf8().constData(), WindowShown);
    return ok ? 0 : 1;
}
