#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

#include "common/UnitFileOperationUi.h"
#include "platform/ShellFileOperation.h"

namespace {

QProgressDialog* VisibleProgress()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* progress = qobject_cast<QProgressDialog*>(widget); progress && progress->isVisible()) {
            return progress;
        }
    }
    return nullptr;
}

} // namespace

class UnitFileOperationUiTest : public QObject {
    Q_OBJECT

private slots:
    void RegistersWhileItLives()
    {
        {
            TFileOperationDialogs dialogs;
            QCOMPARE(platform::FileOperationUi(), &dialogs);
        }
        QCOMPARE(platform::FileOperationUi(), nullptr);
    }

    void QuickWorkShowsNoWindow()
    {
        TFileOperationDialogs dialogs;
        bool seen = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] { seen = seen || VisibleProgress(); });
        poll.start(10);
        bool ran = false;
        dialogs.RunWithProgress(0, u"削除しています", [&](const platform::TCancelToken&, platform::TProgressCount&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            ran = true;
        });
        QVERIFY(ran);
        QVERIFY(!seen);
    }

    void LongWorkShowsProgressAndCancelStopsIt()
    {
        TFileOperationDialogs dialogs;
        QElapsedTimer clock;
        qint64 shownAt = -1;
        QString label;
        QStringList labels;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            QProgressDialog* progress = VisibleProgress();
            if (progress && shownAt < 0) {
                shownAt = clock.elapsed();
                label = progress->labelText();
            }
            if (progress && !labels.contains(progress->labelText())) {
                labels.append(progress->labelText());
            }
            // Cancel once the count has been seen to move.
            if (progress && labels.size() == 3) {
                for (QPushButton* button : progress->findChildren<QPushButton*>()) {
                    QTimer::singleShot(0, button, &QPushButton::click);
                }
            }
        });
        poll.start(10);
        std::atomic<bool> cancelled { false };
        clock.start();
        dialogs.RunWithProgress(0, u"ゴミ箱に移動しています",
            [&](const platform::TCancelToken& token, platform::TProgressCount& count) {
                for (int i = 0; i < 1000 && !token.Cancelled(); ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    count.Add(100);
                }
                cancelled = token.Cancelled();
            });
        QVERIFY(cancelled);
        QVERIFY2(shownAt >= TFileOperationDialogs::ProgressDelayMs - 20, qPrintable(QString::number(shownAt)));
        QVERIFY(clock.elapsed() < 5000);
        // The count goes up while the window shows; no file name ever does.
        const QRegularExpression counted(QStringLiteral("^ゴミ箱に移動しています…\n処理済み: ([0-9,]+) 個$"));
        QVERIFY2(counted.match(label).hasMatch(), qPrintable(label));
        QVERIFY2(labels.size() >= 3, qPrintable(labels.join(QLatin1Char('|'))));
        const auto number = [&](const QString& text) {
            return counted.match(text).captured(1).remove(QLatin1Char(',')).toLongLong();
        };
        QVERIFY2(number(labels[1]) > number(labels[0]),
            qPrintable(labels.join(QLatin1Char('|'))));
        QVERIFY(!VisibleProgress());
    }

    void EngineErrorIsShownFromTheWorkerAndWaits()
    {
        TFileOperationDialogs dialogs;
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString refused = dir.path() + QStringLiteral("/.");
        QString text;
        QString caption;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                caption = box->windowTitle();
                box->button(QMessageBox::Ok)->click();
            }
        });
        poll.start(10);
        const std::u16string list = refused.toStdU16String() + u'\0' + u'\0';
        platform::TFileOperationRequest request;
        request.From = list.c_str();
        request.Flags = platform::FofSimpleProgress | platform::FofNoConfirmation;
        QCOMPARE(platform::RunFileOperation(request), EINVAL);
        QCOMPARE(text, QStringLiteral("「%1」は削除できません。").arg(refused));
        QCOMPARE(caption, QStringLiteral("削除エラー"));
        QVERIFY(QFileInfo::exists(dir.path()));
    }
};

QTEST_MAIN(UnitFileOperationUiTest)
#include "UnitFileOperationUiTest.moc"
