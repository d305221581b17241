#include "common/UnitFileOperationUi.h"

#include <atomic>
#include <exception>
#include <thread>

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {

const QString ErrorCaption = QStringLiteral("削除エラー");

QWidget* OwnerWidget(platform::TWindowHandle owner)
{
    if (owner != 0) {
        if (QWidget* widget = QWidget::find(static_cast<WId>(owner))) {
            return widget->window();
        }
    }
    return QApplication::activeWindow();
}

void ShowErrorBox(platform::TWindowHandle owner, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, ErrorCaption, text, QMessageBox::Ok, OwnerWidget(owner));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString CountText(std::uint64_t items)
{
    return QStringLiteral("処理済み: %L1 個").arg(static_cast<qulonglong>(items));
}

} // namespace

TFileOperationDialogs::TFileOperationDialogs() { platform::SetFileOperationUi(this); }

TFileOperationDialogs::~TFileOperationDialogs()
{
    if (platform::FileOperationUi() == this) {
        platform::SetFileOperationUi(nullptr);
    }
}

void TFileOperationDialogs::RunWithProgress(platform::TWindowHandle owner, const std::u16string& title, const TWork& work)
{
    platform::TCancelToken cancel;
    platform::TProgressCount count;
    std::atomic<bool> done { false };
    std::exception_ptr failure;
    QEventLoop loop;
    // Receives the worker's "finished"; a queued call to it dies with it.
    QObject relay;

    std::thread worker([&] {
        try {
            work(cancel, count);
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true);
        QMetaObject::invokeMethod(&relay, [&loop] { loop.exit(0); }, Qt::QueuedConnection);
    });
    // Whatever leaves this scope, the work is told to stop and waited for.
    struct TJoin {
        std::thread& Worker;
        platform::TCancelToken& Cancel;
        ~TJoin()
        {
            if (Worker.joinable()) {
                Cancel.Cancel();
                Worker.join();
            }
        }
    } joinOnExit { worker, cancel };

    // Until the window shows, input waits in the queue as it would while the
    // request blocked the thread.
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, [&loop] { loop.exit(1); });
    delay.start(ProgressDelayMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!done.load()) {
        QProgressDialog progress(OwnerWidget(owner));
        progress.setWindowTitle(QString::fromStdU16String(title));
        const QString label = QString::fromStdU16String(title) + QStringLiteral("…\n");
        auto showCount = [&progress, &count, &label] {
            progress.setLabelText(label + CountText(count.Items()));
        };
        showCount();
        progress.setCancelButtonText(QStringLiteral("キャンセル"));
        progress.setRange(0, 0); // no file names and no total: a busy bar
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        progress.setMinimumDuration(0);
        QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&cancel, &progress] {
            cancel.Cancel();
            for (QPushButton* button : progress.findChildren<QPushButton*>()) {
                button->setEnabled(false);
            }
            progress.setLabelText(QStringLiteral("中止しています…"));
            progress.show(); // canceled() hides it; it stays until the work stops
        });
        // A few times a second is as often as anyone can read it.
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &progress, [&cancel, &showCount] {
            if (!cancel.Cancelled()) {
                showCount();
            }
        });
        tick.start(CountIntervalMs);
        progress.show();
        if (!done.load()) {
            loop.exec();
        }
    }
    worker.join();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void TFileOperationDialogs::ShowError(platform::TWindowHandle owner, const std::u16string& text)
{
    const QString message = QString::fromStdU16String(text);
    if (QThread::currentThread() == qApp->thread()) {
        ShowErrorBox(owner, message);
        return;
    }
    // The user-interface thread runs a local loop while the work goes on.
    QMetaObject::invokeMethod(qApp, [owner, message] { ShowErrorBox(owner, message); },
        Qt::BlockingQueuedConnection);
}
