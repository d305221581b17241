#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QStringList>

// The pictures the actions and buttons show, by index.
class TImageList : public QObject {
    Q_OBJECT

public:
    TImageList(QObject* parent, const QStringList& resourcePaths);

    int Count() const { return static_cast<int>(FIcons.size()); }
    QIcon Icon(int index) const;

private:
    QList<QIcon> FIcons;
};
