#include "common/UnitMessages.h"

#include <QMessageBox>
#include <QString>

namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text)
{
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace

void ShowWarning(QWidget* parent, const QString& text)
{
    ShowBox(parent, QMessageBox::Warning, QStringLiteral("警告"), text);
}

void ShowInformation(QWidget* parent, const QString& text)
{
    ShowBox(parent, QMessageBox::Information, QStringLiteral("情報"), text);
}
