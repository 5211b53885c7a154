#include "base/PageStretch.h"

#include <QWidget>

#include <cmath>

namespace {

int part(double share, int change)
{
    return int(std::lround(share * change));
}

} // namespace

PageStretch::PageStretch(QWidget *page)
    : QObject(page)
{
    setObjectName(QStringLiteral("PageStretch"));
}

void PageStretch::add(QWidget *widget, Share share)
{
    m_items.append({widget->geometry(), share, [widget](const QRect &r) { widget->setGeometry(r); }, widget->geometry()});
}

void PageStretch::addArea(const QRect &atDefault, Share share, std::function<void(const QRect &)> place)
{
    m_items.append({atDefault, share, std::move(place), atDefault});
    m_items.last().place(atDefault);
}

void PageStretch::growBy(QSize change)
{
    m_change = change;
    for (Item &item : m_items) {
        const QRect &r = item.atDefault;
        const int dx = change.width();
        const int dy = change.height();
        // A widget never shrinks below a quarter of its default size.
        item.now = QRect(r.x() + part(item.share.moveX, dx), r.y() + part(item.share.moveY, dy),
                         std::max(r.width() / 4, r.width() + part(item.share.growX, dx)),
                         std::max(r.height() / 4, r.height() + part(item.share.growY, dy)));
        item.place(item.now);
    }
}

QRect PageStretch::area(int index) const
{
    return m_items.value(index).now;
}
