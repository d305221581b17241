#include "common/UnitFormAboutBox.h"

#include <memory>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "common/QvAppInfo.h"
#include "platform/ExecutablePath.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// Labels that size themselves to their text.
void SetAutoSizeText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

} // namespace

TFormAboutBox::TFormAboutBox(QWidget* owner, const QString& title, const QIcon& icon,
    const std::u16string& versionFile)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
              | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FormAboutBox"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    QFont font;
    // The design font first; the others stand in where it is not installed.
    font.setFamilies({ QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
        QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP") });
    font.setPixelSize(12);
    setFont(font);
    setFixedSize(273, 195);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // Lowered outer and raised inner bevel: an etched edge.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(0);
    Panel1->setGeometry(7, 7, 258, 148);

    ProgramIcon = new QLabel(Panel1);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(7, 7, 48, 48);
    ProgramIcon->setScaledContents(true);
    const QIcon shown = icon.isNull() ? QApplication::windowIcon() : icon;
    ProgramIcon->setPixmap(shown.pixmap(48, 48));

    ProductName = MakeLabel(Panel1, "ProductName", QStringLiteral("製品名"), 65, 15);
    Version = MakeLabel(Panel1, "Version", QStringLiteral("バージョン"), 65, 33);
    Copyright = MakeLabel(Panel1, "Copyright", QStringLiteral("著作権表記"), 65, 56);
    Comments = MakeLabel(Panel1, "Comments", QStringLiteral("コメント"), 7, 95);
    Comments->setWordWrap(true);
    Comments->setGeometry(7, 95, 242, 42);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(102, 165, 69, 23);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    // Centred on the screen, not over the owner.
    QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        move(screen->geometry().center() - rect().center());
    }

    const QvAppInfo info(versionFile.empty() ? platform::ExecutablePath() : versionFile);
    SetAutoSizeText(ProductName, title);
    SetAutoSizeText(Version, QStringLiteral("バージョン ") + QString::fromStdU16String(info.GetInfo(3)));
    SetAutoSizeText(Copyright, QStringLiteral("(C) ") + QString::fromStdU16String(info.GetInfo(5)));
    Comments->setText(QString::fromStdU16String(info.GetInfo(0)));
}

TFormAboutBox::~TFormAboutBox() = default;

void TFormAboutBox::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ShowAboutBox(QWidget* owner, const QString& title, const QIcon& icon, const std::u16string& versionFile)
{
    const std::unique_ptr<TFormAboutBox> box = std::make_unique<TFormAboutBox>(owner, title, icon, versionFile);
    box->exec();
}
