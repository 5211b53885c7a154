#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class Shell;

// The page "Соединение": server, account, password and database, and the
// button that connects and selects the database, reporting to the log.
class ConnectionPage : public QWidget
{
    Q_OBJECT

public:
    explicit ConnectionPage(Shell &shell, QWidget *parent = nullptr);

    // Connects with the boxes' texts and selects the database; two log lines
    // with one TimeStr, whatever either step comes to.
    void Button1Click();

    QLineEdit *Edit1 = nullptr; // host
    QLineEdit *Edit2 = nullptr; // account
    QLineEdit *Edit3 = nullptr; // password
    QLineEdit *Edit4 = nullptr; // database
    QPushButton *Button1 = nullptr;

private:
    Shell &m_shell;
};

// The library's connect error as the log shows it: at most its first 200
// characters, without leading and trailing blanks and control characters.
QString connectErrorLogText(const QString &errorText);
