#pragma once

#include <QWidget>

// The page "About": what the program is and what it does with the operator's
// work, with a link that opens the folder of the exit files.
class AboutPage : public QWidget
{
    Q_OBJECT

public:
    explicit AboutPage(const QString &exitFolder, QWidget *parent = nullptr);

private:
    void openExitFolder();

    QString m_exitFolder;
};
