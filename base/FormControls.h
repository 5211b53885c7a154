#pragma once

#include <QRect>
#include <QString>

#include <initializer_list>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// Small makers for the fixed-position forms of the pages: every control gets
// its name as objectName, and every edit its label as buddy and accessible name.
QLineEdit *addLabelledEdit(QWidget *parent, const QString &name, const QString &label, const QRect &editGeometry,
                           int labelWidth = 0);
QLabel *addLabel(QWidget *parent, const QString &text, const QRect &geometry);
QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry);
QCheckBox *addCheckBox(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry);
// Tab goes through the widgets in this order. The first one must come first
// among them in the order the page made them: the page's own chain is cut at
// the page when it goes into the window.
void chainTabOrder(std::initializer_list<QWidget *> widgets);
QRadioButton *addRadioButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry);
