#pragma once

#include <QLineEdit>

class QLabel;

// A single-line edit with its label standing above it, left-aligned and a
// few pixels apart, following the edit wherever the layout puts it.
class TLabeledEdit : public QLineEdit {
    Q_OBJECT

public:
    TLabeledEdit(QWidget* parent, const QString& label);

    QLabel* EditLabel() const { return FLabel; }

protected:
    // An Alt chord that no control takes is not text.
    void keyPressEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceLabel();

    QLabel* FLabel;
};
