#pragma once

#include <QWidget>

class PasswordStore;
class QCheckBox;
class QLabel;
class QLineEdit;

// The box "Запомнить пароль" of the connection page, and the keyring behind
// it: a password is kept only in the desktop's keyring (PasswordStore),
// never in a file. Every keyring job answers later on this thread, so
// nothing here waits for it. Where the keyring cannot keep the password,
// the box is unticked and its note says why; the connection is not held up.
class RememberPasswordBox : public QWidget
{
public:
    explicit RememberPasswordBox(QWidget *parent = nullptr);

    bool isChecked() const;
    void setChecked(bool checked);
    // The keyring's problem, or empty.
    QString note() const;

    // Puts the password the keyring keeps for account into passwordBox, once
    // the keyring answers, unless the box was changed meanwhile or another
    // recall or keep came after this one.
    void recall(const QString &account, QLineEdit *passwordBox);
    // After a successful connect: keeps password for account when the box is
    // ticked; when it is not, forgets the one recalled for the account (the
    // keyring is not touched for accounts it never kept).
    void keep(const QString &account, const QString &password);

private:
    void ticked(bool checked);
    void showProblem(const QString &problem);

    PasswordStore *m_store = nullptr;
    QCheckBox *m_box = nullptr;
    QLabel *m_note = nullptr;
    // Counts recalls and keeps: an answer to an earlier one changes nothing.
    int m_generation = 0;
    QString m_recalledAccount;
};
