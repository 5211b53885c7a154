#include "app/WindowGrowth.h"

#include "base/PageStretch.h"

#include <QTabWidget>

namespace WindowGrowth {

void layOut(QTabWidget *pages, QTabWidget *panes, QSize windowSize)
{
    const QSize change = windowSize - defaultSize;
    pages->setGeometry(0, 0, 857 + change.width(), 497 + change.height());
    panes->setGeometry(0, 496 + change.height(), 857 + change.width(), 129);
    for (int i = 0; i < pages->count(); ++i)
        if (auto *stretch = pages->widget(i)->findChild<PageStretch *>(QString(), Qt::FindDirectChildrenOnly))
            stretch->growBy(change);
}

} // namespace WindowGrowth
