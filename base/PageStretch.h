#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

// Lets a page laid out at fixed positions grow with the window: each widget
// named here keeps the place and size it was given for the default window,
// and takes its share of what the window gains (or loses) beyond that size.
// The main window finds a page's stretch among its children and tells it.
class PageStretch : public QObject
{
    Q_OBJECT

public:
    // Fractions of the window's change in width (x) and height (y): how far
    // the widget moves and how much it grows.
    struct Share
    {
        double moveX = 0;
        double growX = 0;
        double moveY = 0;
        double growY = 0;
    };

    explicit PageStretch(QWidget *page);

    // The widget's geometry now is its place at the default window.
    void add(QWidget *widget, Share share);
    // An area that something else lays out (two grids side by side).
    void addArea(const QRect &atDefault, Share share, std::function<void(const QRect &)> place);

    // The window is this much larger than its default size (negative: smaller).
    void growBy(QSize change);
    // The last area given to place(), for one that lays itself out again.
    QRect area(int index) const;

private:
    struct Item
    {
        QRect atDefault;
        Share share;
        std::function<void(const QRect &)> place;
        QRect now;
    };
    QList<Item> m_items;
    QSize m_change;
};
