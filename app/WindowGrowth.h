#pragma once

#include <QSize>

class QTabWidget;

// The window's pages and panes at a window size other than the default
// one: the pages take the change of width and height, the log and SQL panes
// below them the change of width, so the panes' tabs stay in view; each page
// hands the change to its own stretch (see PageStretch).
namespace WindowGrowth {

constexpr QSize defaultSize{857, 625};
// Below this the forms would no longer fit.
constexpr QSize smallest{760, 520};

void layOut(QTabWidget *pages, QTabWidget *panes, QSize windowSize);

} // namespace WindowGrowth
