#pragma once

#include "PrivateConfig.h"

#include "app/Main.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The real main window, shown, with its exit files going to a folder of its
// own and its settings in a config folder of its own (a first run).
struct TestWindow
{
    QTemporaryDir root;
    PrivateConfig config;
    std::unique_ptr<TForm1> form;

    TestWindow() { start(); }

    // The next start of the program: a new window on the same folders.
    void start()
    {
        form.reset();
        form = std::make_unique<TForm1>(root.path());
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("window not exposed");
    }

    QStringList exitFiles(const QString &folder) const
    {
        return QDir(root.filePath(folder)).entryList(QDir::Files, QDir::Name);
    }
};
