#pragma once

#include <QPushButton>

class QAction;

// A push button with a picture that shows and runs an action.
class TBitBtn : public QPushButton {
    Q_OBJECT

public:
    TBitBtn(QWidget* parent, QAction* action);

    QAction* Action() const { return FAction; }

private:
    void Sync();

    QAction* FAction;
};
