#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#include <QWidget>

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
