#include "common/UnitApplication.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <QAbstractEventDispatcher>
#include <QCursor>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStatusTipEvent>
#include <QTranslator>
#include <QWidget>

#include "common/TLazyIconStyle.h"
#include "common/WindowsFont.h"
#include "core/MessageText.h"
#include "platform/CommandLine.h"
#include "platform/ExecutablePath.h"
#include "platform/HelpViewer.h"
#include "platform/SessionBus.h"
#include "platform/ShellOpen.h"
#include "platform/StartupShowState.h"

namespace {

TApplication* TheApplication = nullptr;

// A bus on the same machine greets within milliseconds.
constexpr int SessionBusGreetingMs = 1000;

// Qt ends a run it cannot start (no display, no platform plugin) with
// abort(); say why in one line and leave without a core dump instead.
void MessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s: cannot start: no usable display. Set DISPLAY or "
                             "WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen.\n",
            QCoreApplication::applicationName().toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
}

// Texts of the file dialogs that Qt's Japanese translation leaves in English.
class TQtTextGaps : public QTranslator {
public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) {
            return {};
        }
        static const std::pair<const char*, const char*> texts[] = {
            { "Drive", "ドライブ" },
            { "Folder", "フォルダー" },
            { "File Folder", "ファイル フォルダー" },
            { "Shortcut", "ショートカット" },
            { "Alias", "エイリアス" },
        };
        for (const auto& [english, japanese] : texts) {
            if (qstrcmp(sourceText, english) == 0) {
                return QString::fromUtf8(japanese);
            }
        }
        return {};
    }
};

QString LongHintOf(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        if (!w->statusTip().isEmpty()) {
            return w->statusTip();
        }
    }
    return {};
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    TheApplication = this;
    LoadQtTranslation();
    SubstituteWindowsFonts();
    setStyle(new TLazyIconStyle(style()->name()));
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
        &TApplication::Idle);
}

TApplication::~TApplication()
{
    platform::HelpCloseAll();
    FMainForm.reset();
    TheApplication = nullptr;
}

TApplication* Application() { return TheApplication; }

bool TApplication::LoadQtTranslation()
{
    // The interface is Japanese whatever the locale, Qt's own dialogs too:
    // their dates and file types follow the default locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    installTranslator(new TQtTextGaps(this));
    auto translator = std::make_unique<QTranslator>(this);
    for (const QString& folder : { QLibraryInfo::path(QLibraryInfo::TranslationsPath),
             applicationDirPath() + QStringLiteral("/translations") }) {
        if (translator->load(QStringLiteral("qtbase_ja"), folder)) {
            installTranslator(translator.release());
            return true;
        }
    }
    return false;
}

void TApplication::SetMainForm(std::unique_ptr<QWidget> form)
{
    if (!FMainForm) {
        FMainForm = std::move(form);
    }
}

void TApplication::SetOnIdle(const QObject* owner, TIdleHandler handler)
{
    FIdleOwner = owner;
    FOnIdle = std::move(handler);
}

void TApplication::ClearOnIdleOf(const QObject* owner)
{
    if (FIdleOwner == owner) {
        ClearOnIdle();
    }
}

QString TApplication::ExeName() const
{
    return QString::fromStdU16String(platform::ExecutablePath());
}

int TApplication::Run()
{
    if (FMainForm) {
        switch (platform::StartupShowState()) {
        case platform::TShowState::Maximized:
            FMainForm->showMaximized();
            break;
        case platform::TShowState::Minimized:
            FMainForm->showMinimized();
            break;
        case platform::TShowState::Normal:
            FMainForm->show();
            break;
        }
    }
    return exec();
}

void TApplication::ShowException(const QString& message)
{
    // The one line that stands for exception logging.
    std::fprintf(stderr, "%s: exception: %s\n", FTitle.toLocal8Bit().constData(),
        message.toLocal8Bit().constData());
    QMessageBox box(QMessageBox::Critical, FTitle,
        QString::fromStdU16String(ExceptionDisplayText(message.toStdU16String())), QMessageBox::Ok,
        activeModalWidget() ? activeModalWidget() : FMainForm.get());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // Exceptions must not cross Qt's event loop: show them here and go on.
    bool handled = false;
    HandleExceptions([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void TApplication::UpdateHint()
{
    QWidget* under = widgetAt(QCursor::pos());
    if (under == FHintControl) {
        return;
    }
    FHintControl = under;
    if (under) {
        QStatusTipEvent tip(LongHintOf(under));
        sendEvent(under, &tip);
    }
}

void TApplication::Idle()
{
    if (FInIdle) {
        return;
    }
    FInIdle = true;
    UpdateHint();
    if (FOnIdle) {
        // The handler may clear the slot; keep it alive while it runs.
        const TIdleHandler handler = FOnIdle;
        // Not reached through notify(): catch here like the loop does.
        HandleExceptions(handler);
    }
    FInIdle = false;
}

int RunProgram(int& argc, char** argv, const QString& title,
    const std::function<std::unique_ptr<QWidget>()>& makeForm)
{
    qInstallMessageHandler(MessageHandler);
    platform::InitCommandLineArguments(argc, argv);
    // Before Qt takes the token out of the environment for its own window.
    platform::InitActivationToken();
    // The menu bars are drawn in the window; asking the desktop for a global
    // one would only cost a bus round trip.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    platform::DropSilentSessionBus(SessionBusGreetingMs);
    // Every argument is ours: Qt sees the program name alone, so -platform,
    // -style, -reverse and the like are folders like any other text.
    QByteArray programName = argc > 0 && argv[0] ? QByteArray(argv[0]) : title.toLower().toLocal8Bit();
    int qtArgc = 1;
    char* qtArgv[] = { programName.data(), nullptr };
    TApplication application(qtArgc, qtArgv);
    application.setApplicationName(title.toLower());
    application.HandleExceptions([&] {
        application.SetTitle(title);
        application.SetMainForm(makeForm());
        application.Run();
    });
    return 0;
}
