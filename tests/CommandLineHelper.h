#pragma once

#include <string>
#include <vector>

#include <QByteArray>
#include <QCoreApplication>
#include <QTimer>
#include <QStringList>

#include "platform/CommandLine.h"

// Hands the process a command line as if it had been started with it.
inline void SetCommandLine(const QStringList& arguments)
{
    std::vector<QByteArray> bytes { QByteArrayLiteral("program") };
    for (const QString& argument : arguments) {
        bytes.push_back(argument.toUtf8());
    }
    std::vector<char*> argv;
    for (QByteArray& b : bytes) {
        argv.push_back(b.data());
    }
    argv.push_back(nullptr);
    platform::InitCommandLineArguments(static_cast<int>(bytes.size()), argv.data());
}

// QCoreApplication::exit() leaves every later event loop at once until the
// application loop has run again; a test that ends a run calls this after.
inline void ResetQuit()
{
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}
