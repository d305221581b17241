#pragma once

class QString;
class QWidget;

// The tools' two kinds of message box: caption, icon, text and one OK button.
// Both return after the user has pressed OK.
void ShowWarning(QWidget* parent, const QString& text);     // "警告"
void ShowInformation(QWidget* parent, const QString& text); // "情報"
