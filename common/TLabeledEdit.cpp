#include "common/TLabeledEdit.h"

#include <QKeyEvent>
#include <QLabel>

namespace {
constexpr int LabelSpacing = 3;
constexpr int LabelHeight = 13;
} // namespace

TLabeledEdit::TLabeledEdit(QWidget* parent, const QString& label)
    : QLineEdit(parent), FLabel(new QLabel(label, parent))
{
    FLabel->setBuddy(this);
    PlaceLabel();
}

void TLabeledEdit::keyPressEvent(QKeyEvent* event)
{
    // Ctrl+Alt stays text: it is AltGr on Windows keyboards.
    const Qt::KeyboardModifiers chord = event->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
    if (chord == Qt::AltModifier && !event->text().isEmpty() && event->text().front().isPrint()) {
        event->ignore();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TLabeledEdit::moveEvent(QMoveEvent* event)
{
    QLineEdit::moveEvent(event);
    PlaceLabel();
}

void TLabeledEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    PlaceLabel();
}

void TLabeledEdit::PlaceLabel()
{
    FLabel->setGeometry(x(), y() - LabelSpacing - LabelHeight, FLabel->sizeHint().width(), LabelHeight);
}
