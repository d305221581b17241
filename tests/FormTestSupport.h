#pragma once

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QString>
#include <QTest>
#include <QWidget>

#include "tests/ModalCatcher.h"

// The next control that Tab moves to from a given one.
inline QWidget* NextTabStop(QWidget* from)
{
    QWidget* w = from->nextInFocusChain();
    while (w != from && !(w->focusPolicy() & Qt::TabFocus)) {
        w = w->nextInFocusChain();
    }
    return w;
}

// A stand-in for xdg-open in folder bin that appends each URI it is given to
// the file named by FT_OPEN_LOG; true when it could be written.
inline bool WriteFakeOpener(const QString& bin)
{
    QDir().mkpath(bin);
    QFile script(bin + QStringLiteral("/xdg-open"));
    if (!script.open(QIODevice::WriteOnly)) {
        return false;
    }
    script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$FT_OPEN_LOG\"\n");
    script.close();
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Alt+O presses the browse button (whose caption underlines the O) and opens
// the folder browser once; Alt with any other letter is never typed as text.
template <typename TForm>
void CheckAltOBrowsesAndAltChordsAreNoText()
{
    TForm form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(form.BtnFolderRefer->text(), QStringLiteral("参照(&O)"));
    form.EditFolder->setFocus();
    QTest::keyClicks(form.EditFolder, QStringLiteral("abc"));
    int browsers = 0;
    TModalCatcher catcher([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            ++browsers;
            dialog->reject();
        }
    });
    QTest::keyClick(form.EditFolder, Qt::Key_O, Qt::AltModifier);
    QTRY_COMPARE(browsers, 1);
    QTest::keyClick(form.EditFolder, Qt::Key_Q, Qt::AltModifier);
    QTest::keyClick(form.EditFolder, Qt::Key_Z, Qt::AltModifier);
    QTest::keyClick(form.EditFolder, Qt::Key_Z, Qt::AltModifier | Qt::ShiftModifier);
    QTest::qWait(200);
    QCOMPARE(form.EditFolder->text(), QStringLiteral("abc"));
}
