#include "common/WindowsFont.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

// The installed family of that name, as the font database spells it.
QString InstalledFamily(const QStringList& installed, const QString& family)
{
    for (const QString& entry : installed) {
        // A family sold by several foundries is listed once per foundry as "Name [Foundry]".
        const qsizetype foundry = entry.indexOf(QStringLiteral(" ["));
        const QStringView name = foundry < 0 ? QStringView(entry) : QStringView(entry).left(foundry);
        if (name.compare(family, Qt::CaseInsensitive) == 0) {
            return name.toString();
        }
    }
    return {};
}

} // namespace

void SubstituteWindowsFonts()
{
    const QStringList japaneseUi { QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
        QStringLiteral("VL PGothic"), QStringLiteral("Noto Sans CJK JP") };
    for (const QString& windowsName : { QStringLiteral("Tahoma"), QStringLiteral("MS UI Gothic"),
             QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic") }) {
        QFont::insertSubstitutions(windowsName, japaneseUi);
    }
}

QFont WindowsFont(const QString& name, int pixelSize)
{
    const QStringList installed = QFontDatabase::families();
    QString family = InstalledFamily(installed, name);
    const QStringList substitutes = QFont::substitutes(name);
    for (qsizetype i = 0; family.isEmpty() && i < substitutes.size(); ++i) {
        family = InstalledFamily(installed, substitutes.at(i));
    }
    // With nothing installed to stand in, Qt's own search picks the font.
    QFont font(family.isEmpty() ? name : family);
    font.setPixelSize(pixelSize);
    return font;
}
