#include "base/Guard.h"

#include "base/Error.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

using namespace Qt::StringLiterals;

QString errorDisplayText(const QString &errorText)
{
    if (!errorText.isEmpty() && errorText.back().unicode() > u'.')
        return errorText + u'.';
    return errorText;
}

namespace {

void showError(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, u"Quenmark"_s, errorDisplayText(text), QMessageBox::Ok, parent);
    box.setObjectName(u"ErrorBox"_s);
    box.exec();
}

} // namespace

void runGuarded(QWidget *parent, const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const QmCancelled &) {
        // The operator asked for it; nothing to report.
    } catch (const QmError &error) {
        showError(parent, error.text());
    } catch (const std::bad_alloc &) {
        showError(parent, u"Out of memory"_s);
    } catch (const std::exception &error) {
        showError(parent, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showError(parent, u"Unexpected error"_s);
    }
}
