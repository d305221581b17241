#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <functional>

#include "common/UnitFormAboutBox.h"
#include "core/Exception.h"
#include "core/Utf.h"

namespace {

std::u16string Probe(const char* path) { return Utf8ToUtf16(path); }

QIcon FilledIcon(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// Runs check on the modal dialog once the modal loop is up, then presses its
// OK button.
void WhenModal(const std::function<void(TFormAboutBox*)>& check)
{
    QTimer::singleShot(0, [check] {
        auto* box = qobject_cast<TFormAboutBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        check(box);
        QTest::mouseClick(box->OKButton, Qt::LeftButton);
    });
}

} // namespace

class TestFormAboutBox : public QObject {
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("comments");
        QTest::newRow("tervano") << FT_PROBE_TERVANO << "Tervano" << "バージョン 0.0.2.0" << "フォルダーを開きます。";
        QTest::newRow("quistel") << FT_PROBE_QUISTEL << "Quistel" << "バージョン 0.1.0.0" << "フォルダーを削除します。";
        // The label shows the title it is given, never the resource's ProductName.
        QTest::newRow("other title") << FT_PROBE_TERVANO << "Another Title" << "バージョン 0.0.2.0"
                                     << "フォルダーを開きます。";
    }
    void texts()
    {
        QFETCH(QString, program);
        QFETCH(QString, title);
        const TFormAboutBox box(nullptr, title, QIcon(), program.toStdU16String());
        QCOMPARE(box.ProductName->text(), title);
        QFETCH(QString, version);
        QCOMPARE(box.Version->text(), version);
        QCOMPARE(box.Copyright->text(), QStringLiteral("(C) Folder Tools Project"));
        QFETCH(QString, comments);
        QCOMPARE(box.Comments->text(), comments);
        // The labels above the comment grow to their text.
        for (const QLabel* label : { box.ProductName, box.Version, box.Copyright }) {
            QCOMPARE(label->width(), label->sizeHint().width());
        }
    }

    void layout()
    {
        TFormAboutBox box(nullptr, QStringLiteral("Tervano"), QIcon(), Probe(FT_PROBE_TERVANO));
        QCOMPARE(box.objectName(), QStringLiteral("FormAboutBox"));
        QCOMPARE(box.windowTitle(), QStringLiteral("バージョン情報"));
        QCOMPARE(box.size(), QSize(273, 195));
        QCOMPARE(box.minimumSize(), box.maximumSize());
        QVERIFY(!(box.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(box.font().families().value(0), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(box.font().pixelSize(), 12);

        QCOMPARE(box.Panel1->parentWidget(), &box);
        QCOMPARE(box.Panel1->geometry(), QRect(7, 7, 258, 148));
        QCOMPARE(box.Panel1->frameShape(), QFrame::Box);
        QCOMPARE(box.Panel1->frameShadow(), QFrame::Sunken);
        QCOMPARE(box.ProgramIcon->parentWidget(), box.Panel1);
        QCOMPARE(box.ProgramIcon->geometry(), QRect(7, 7, 48, 48));
        QVERIFY(box.ProgramIcon->hasScaledContents());
        QCOMPARE(box.ProductName->pos(), QPoint(65, 15));
        QCOMPARE(box.Version->pos(), QPoint(65, 33));
        QCOMPARE(box.Copyright->pos(), QPoint(65, 56));
        QCOMPARE(box.Comments->geometry(), QRect(7, 95, 242, 42));
        QVERIFY(box.Comments->wordWrap());
        for (const QLabel* label : { box.ProductName, box.Version, box.Copyright, box.Comments }) {
            QCOMPARE(label->parentWidget(), box.Panel1);
        }
        QCOMPARE(box.OKButton->parentWidget(), &box);
        QCOMPARE(box.OKButton->geometry(), QRect(102, 165, 69, 23));
        QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
        QVERIFY(box.OKButton->isDefault());

        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // Centred on the screen, give or take the window frame, which is not
        // known before the window is shown.
        const QPoint screen = box.screen()->geometry().center();
        const QRect frame = box.frameGeometry();
        QVERIFY(qAbs(frame.center().x() - screen.x()) <= frame.width() - box.width() + 1);
        QVERIFY(qAbs(frame.center().y() - screen.y()) <= frame.height() - box.height() + 1);
    }

    void longCommentIsClipped()
    {
        TFormAboutBox box(nullptr, QStringLiteral("Tervano"), QIcon(), Probe(FT_PROBE_TERVANO));
        const int oneLine = box.Comments->heightForWidth(242);
        box.Comments->setText(QStringLiteral("フォルダーを開きます。").repeated(12));
        QCOMPARE(box.Comments->size(), QSize(242, 42));
        QVERIFY(box.Comments->heightForWidth(242) > 42);
        QVERIFY(box.Comments->heightForWidth(242) >= 3 * oneLine);
    }

    void icon()
    {
        const TFormAboutBox given(nullptr, QString(), FilledIcon(Qt::red), Probe(FT_PROBE_TERVANO));
        QCOMPARE(given.ProgramIcon->pixmap().toImage().pixelColor(0, 0), QColor(Qt::red));

        QApplication::setWindowIcon(FilledIcon(Qt::blue));
        const TFormAboutBox fromApplication(nullptr, QString(), QIcon(), Probe(FT_PROBE_TERVANO));
        QCOMPARE(fromApplication.ProgramIcon->pixmap().toImage().pixelColor(0, 0), QColor(Qt::blue));
        QApplication::setWindowIcon(QIcon());
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter presses OK") << int(Qt::Key_Return);
        QTest::newRow("Esc does nothing") << int(Qt::Key_Escape);
    }
    void keys()
    {
        QFETCH(int, key);
        TFormAboutBox box(nullptr, QStringLiteral("Tervano"), QIcon(), Probe(FT_PROBE_TERVANO));
        bool stillOpen = false;
        QTimer::singleShot(0, [&] {
            QTest::keyClick(&box, Qt::Key(key));
            stillOpen = box.isVisible();
            if (stillOpen) {
                QTest::mouseClick(box.OKButton, Qt::LeftButton);
            }
        });
        QCOMPARE(box.exec(), 1);
        QCOMPARE(stillOpen, key == Qt::Key_Escape);
    }

    void eachOpeningBuildsItsOwnDialog()
    {
        QWidget owner;
        int destroyed = 0;
        for (int round = 0; round < 2; ++round) {
            WhenModal([&](TFormAboutBox* box) {
                QCOMPARE(box->parentWidget(), &owner);
                QCOMPARE(box->ProductName->text(), QStringLiteral("Quistel"));
                QCOMPARE(box->Version->text(), QStringLiteral("バージョン 0.1.0.0"));
                connect(box, &QObject::destroyed, [&] { ++destroyed; });
            });
            ShowAboutBox(&owner, QStringLiteral("Quistel"), QIcon(), Probe(FT_PROBE_QUISTEL));
            QCOMPARE(destroyed, round + 1);
            QVERIFY(owner.findChildren<TFormAboutBox*>().isEmpty());
        }
    }

    void missingVersionInformationLeavesNoDialog()
    {
        QWidget owner;
        try {
            ShowAboutBox(&owner, QStringLiteral("Tervano"), QIcon(), Probe(FT_PROBE_NONE));
            QFAIL("no exception");
        } catch (const Exception& e) {
            QCOMPARE(QString::fromStdU16String(e.Message()), QStringLiteral("バージョン情報を取得できません"));
        }
        QVERIFY(owner.findChildren<QDialog*>().isEmpty());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }
};

QTEST_MAIN(TestFormAboutBox)
#include "UnitFormAboutBoxTest.moc"
