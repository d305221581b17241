#include "common/TBitBtn.h"

#include <QAction>

TBitBtn::TBitBtn(QWidget* parent, QAction* action) : QPushButton(parent), FAction(action)
{
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, FAction, &QAction::trigger);
    connect(FAction, &QAction::changed, this, &TBitBtn::Sync);
    Sync();
}

void TBitBtn::Sync()
{
    setText(FAction->text());
    setIcon(FAction->icon());
    setToolTip(FAction->toolTip());
    setStatusTip(FAction->statusTip());
    setEnabled(FAction->isEnabled());
}
