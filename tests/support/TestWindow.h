#pragma once

#include "app/Main.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The real main window, shown, with its exit files going to a folder of its own.
struct TestWindow
{
    QTemporaryDir root;
    std::unique_ptr<TForm1> form;

    TestWindow()
    {
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
