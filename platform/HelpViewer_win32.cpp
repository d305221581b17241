#include "platform/HelpViewer.h"

#include <memory>

#include "platform/WinApi_win32.h"

namespace platform {

namespace {

// The viewer's commands, as hhctrl.ocx numbers them.
constexpr UINT HhDisplayTopic = 0x00;
constexpr UINT HhCloseAll = 0x12;
constexpr UINT HhInitialize = 0x1C;
constexpr UINT HhUninitialize = 0x1D;

using THtmlHelpEntry = HWND(WINAPI*)(HWND caller, LPCWSTR file, UINT command, DWORD_PTR data);

struct TModuleFreer {
    void operator()(HMODULE module) const noexcept { ::FreeLibrary(module); }
};

// The HTML Help viewer, loaded on first use and released at exit.
class THtmlHelpViewer {
public:
    THtmlHelpViewer()
        : FModule(::LoadLibraryW(L"hhctrl.ocx"))
    {
        if (!FModule) {
            return;
        }
        // Both entries must be there; only the wide one is called.
        const FARPROC narrow = ::GetProcAddress(FModule.get(), "HtmlHelpA");
        const FARPROC wide = ::GetProcAddress(FModule.get(), "HtmlHelpW");
        if (narrow && wide) {
            FEntry = reinterpret_cast<THtmlHelpEntry>(reinterpret_cast<void (*)()>(wide));
        }
    }

    ~THtmlHelpViewer()
    {
        // The viewer must be let go of before its library is.
        if (FInitialised) {
            FEntry(nullptr, nullptr, HhUninitialize, FCookie);
        }
    }

    THtmlHelpViewer(const THtmlHelpViewer&) = delete;
    THtmlHelpViewer& operator=(const THtmlHelpViewer&) = delete;

    void DisplayContents(const std::u16string& helpFile)
    {
        if (!FEntry) {
            return;
        }
        if (!FInitialised) {
            FEntry(nullptr, nullptr, HhInitialize, reinterpret_cast<DWORD_PTR>(&FCookie));
            FInitialised = true;
        }
        FEntry(nullptr, AsWide(helpFile), HhDisplayTopic, 0);
    }

    void CloseAll()
    {
        if (FEntry) {
            FEntry(nullptr, nullptr, HhCloseAll, 0);
        }
    }

private:
    std::unique_ptr<HINSTANCE__, TModuleFreer> FModule;
    THtmlHelpEntry FEntry = nullptr;
    bool FInitialised = false;
    DWORD_PTR FCookie = 0;
};

// Empty until the first help request: closing needs no viewer of its own.
std::unique_ptr<THtmlHelpViewer>& Viewer()
{
    static std::unique_ptr<THtmlHelpViewer> viewer;
    return viewer;
}

} // namespace

void HelpDisplayContents(const std::u16string& helpFile)
{
    if (!Viewer()) {
        Viewer() = std::make_unique<THtmlHelpViewer>();
    }
    Viewer()->DisplayContents(helpFile);
}

void HelpCloseAll()
{
    if (Viewer()) {
        Viewer()->CloseAll();
    }
}

} // namespace platform
