#pragma once

#include <QRect>
#include <QString>

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
QRadioButton *addRadioButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry);
