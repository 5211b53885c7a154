#include "base/SearchBox.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace {

class SearchBoxKeys : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *box = static_cast<QLineEdit *>(watched);
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && !box->text().isEmpty()) {
                box->clear();
                return true;
            }
        } else if (event->type() == QEvent::FocusIn) {
            // After the mouse press that may have brought the focus has placed the cursor.
            QTimer::singleShot(0, box, [box = QPointer<QLineEdit>(box)] {
                if (box && box->hasFocus())
                    box->selectAll();
            });
        }
        return false;
    }
};

} // namespace

void makeSearchBox(QLineEdit *box)
{
    box->installEventFilter(new SearchBoxKeys(box));
}
