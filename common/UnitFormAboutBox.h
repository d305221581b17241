#pragma once

#include <string>

#include <QDialog>
#include <QIcon>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;

// The About dialog of both programs: the program's icon and title, and the
// FileVersion, LegalCopyright and Comments values of the version information.
class TFormAboutBox : public QDialog {
    Q_OBJECT

public:
    // title: the application title (the main window passes
    // Application()->Title()). icon: the program's icon; a null icon takes
    // QApplication::windowIcon(). versionFile: whose version information to
    // show; empty means the running executable.
    // Throws what QvAppInfo throws; then no dialog is left behind.
    explicit TFormAboutBox(QWidget* owner, const QString& title = QString(), const QIcon& icon = QIcon(),
        const std::u16string& versionFile = std::u16string());
    ~TFormAboutBox() override;

    QFrame* Panel1 = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;

protected:
    // There is no cancel button, so Esc does nothing.
    void keyPressEvent(QKeyEvent* event) override;
};

// The version action of both main windows: a new dialog owned by owner,
// shown modally and destroyed on every way out. An exception from building
// the dialog is left to the caller (the message loop's exception display).
void ShowAboutBox(QWidget* owner, const QString& title, const QIcon& icon = QIcon(),
    const std::u16string& versionFile = std::u16string());
