#pragma once

#include <QWidget>

// The page "About": what the program is and what it does with the operator's work.
class AboutPage : public QWidget
{
    Q_OBJECT

public:
    explicit AboutPage(QWidget *parent = nullptr);
};
