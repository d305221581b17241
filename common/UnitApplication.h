#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QString>

#include "core/Exception.h"

// The application object: title, main window, help file, one idle slot and
// the message loop. One per process; Application() reaches it.
class TApplication : public QApplication {
    Q_OBJECT

public:
    using TIdleHandler = std::function<void()>;

    TApplication(int& argc, char** argv);
    ~TApplication() override;

    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& title) { FTitle = title; }

    // The first form created becomes the main window; the application owns it.
    QWidget* MainForm() const { return FMainForm.get(); }
    void SetMainForm(std::unique_ptr<QWidget> form);

    const QString& HelpFile() const { return FHelpFile; }
    void SetHelpFile(const QString& path) { FHelpFile = path; }

    // Full path of the running executable.
    QString ExeName() const;

    // One slot; the handler runs whenever the queue has emptied, after the
    // hint under the pointer was brought up to date.
    // The owner's going clears its handler, so the slot never dangles.
    void SetOnIdle(const QObject* owner, TIdleHandler handler);
    void ClearOnIdle() { FOnIdle = nullptr, FIdleOwner = nullptr; }
    void ClearOnIdleOf(const QObject* owner);
    bool HasOnIdle() const { return static_cast<bool>(FOnIdle); }

    // Shows the main window as the process was asked to, then runs the loop.
    int Run();

    // The exception display: an error box captioned with the title.
    void ShowException(const QString& message);

    // Runs work; what it throws goes to the exception display, never further.
    template <class TWork>
    void HandleExceptions(TWork&& work)
    {
        try {
            work();
        } catch (const Exception& e) {
            ShowException(QString::fromStdU16String(e.Message()));
        } catch (...) {
            ShowException(QString());
        }
    }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    // Qt's Japanese texts (qtbase_ja) from Qt's folder or the program's own.
    bool LoadQtTranslation();

    void Idle();
    void UpdateHint();

    QString FTitle;
    QString FHelpFile;
    std::unique_ptr<QWidget> FMainForm;
    TIdleHandler FOnIdle;
    const QObject* FIdleOwner = nullptr;
    QWidget* FHintControl = nullptr;
    bool FInIdle = false;
};

TApplication* Application();

// Start-up shared by both programs: the application object, its title, the
// main window from makeForm, the message loop; exit code 0 on every way out.
int RunProgram(int& argc, char** argv, const QString& title,
    const std::function<std::unique_ptr<QWidget>()>& makeForm);
