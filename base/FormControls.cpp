#include "base/FormControls.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

QLineEdit *addLabelledEdit(QWidget *parent, const QString &name, const QString &label, const QRect &editGeometry,
                           int labelWidth)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(editGeometry);
    edit->setAccessibleName(label);
    auto *caption = new QLabel(label, parent);
    caption->setObjectName(name + QStringLiteral("Label"));
    const int width = labelWidth > 0 ? labelWidth : caption->fontMetrics().horizontalAdvance(label) + 4;
    caption->setGeometry(editGeometry.left() - width - 6, editGeometry.top(), width, editGeometry.height());
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setBuddy(edit);
    return edit;
}

QLabel *addLabel(QWidget *parent, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

namespace {

template<typename Control>
Control *addCaptioned(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *control = new Control(caption, parent);
    control->setObjectName(name);
    control->setGeometry(geometry);
    return control;
}

} // namespace

QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    return addCaptioned<QPushButton>(parent, name, caption, geometry);
}

QCheckBox *addCheckBox(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    return addCaptioned<QCheckBox>(parent, name, caption, geometry);
}

QRadioButton *addRadioButton(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    return addCaptioned<QRadioButton>(parent, name, caption, geometry);
}

void chainTabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}
