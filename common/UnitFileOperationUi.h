#pragma once

#include "platform/ShellFileOperation.h"

// The file operation's progress and error windows in Qt Widgets. While an
// object exists it is registered with the platform service; create one at
// start-up, after the application object, on the user-interface thread.
class TFileOperationDialogs final : public platform::TFileOperationUi {
public:
    // The progress window appears once the work has run this long.
    static constexpr int ProgressDelayMs = 500;
    // The count of finished items is shown anew this often.
    static constexpr int CountIntervalMs = 250;

    TFileOperationDialogs();
    ~TFileOperationDialogs() override;
    TFileOperationDialogs(const TFileOperationDialogs&) = delete;
    TFileOperationDialogs& operator=(const TFileOperationDialogs&) = delete;

    void RunWithProgress(platform::TWindowHandle owner, const std::u16string& title, const TWork& work) override;
    void ShowError(platform::TWindowHandle owner, const std::u16string& text) override;
};
