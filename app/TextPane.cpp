#include "app/TextPane.h"

#include "base/ScriptText.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>

#include <algorithm>

using namespace Qt::StringLiterals;

// The lines of a pane as a list model; rows are only ever appended or all removed.
class LineListModel : public QAbstractListModel
{
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : int(m_lines.size());
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_lines.size())
            return {};
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return m_lines.at(index.row());
        return {};
    }

    void append(const QString &line)
    {
        const int row = int(m_lines.size());
        beginInsertRows(QModelIndex(), row, row);
        m_lines.append(line);
        endInsertRows();
    }

    void append(const QStringList &lines)
    {
        const int row = int(m_lines.size());
        beginInsertRows(QModelIndex(), row, row + int(lines.size()) - 1);
        m_lines.append(lines);
        endInsertRows();
    }

    void reset(const QStringList &lines)
    {
        beginResetModel();
        m_lines = lines;
        endResetModel();
    }

    void clear()
    {
        beginResetModel();
        m_lines.clear();
        endResetModel();
    }

    const QStringList &lines() const { return m_lines; }

private:
    QStringList m_lines;
};

TextPane::TextPane(QWidget *parent)
    : QTableView(parent)
    , m_model(new LineListModel(this))
{
    setModel(m_model);
    setShowGrid(false);
    setWordWrap(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    horizontalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideNone);
    setFrameShape(QFrame::StyledPanel);

    QFont font(u"Times New Roman"_s);
    font.setPixelSize(12);
    setFont(font);
    QPalette pal = palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, Qt::black);
        pal.setColor(group, QPalette::Text, QColor(0, 255, 0));
        pal.setColor(group, QPalette::HighlightedText, Qt::black);
        pal.setColor(group, QPalette::Highlight, QColor(0, 255, 0));
    }
    setPalette(pal);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 1);
}

const QStringList &TextPane::lines() const
{
    return m_model->lines();
}

void TextPane::appendLine(const QString &line)
{
    // Follow the end only when the operator has not scrolled away from it.
    const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    const QString text = ScriptText::oneLine(line);
    // The one column is as wide as the widest line so far, measured once per line.
    const int width = fontMetrics().horizontalAdvance(text) + 8;
    if (width > columnWidth(0))
        setColumnWidth(0, width);
    m_model->append(text);
    if (atEnd)
        scrollToBottom();
    Q_EMIT linesChanged();
}

void TextPane::appendLines(const QStringList &lines)
{
    if (lines.isEmpty())
        return;
    const bool atEnd = verticalScrollBar()->value() == verticalScrollBar()->maximum();
    QStringList texts;
    texts.reserve(lines.size());
    int width = columnWidth(0);
    for (const QString &line : lines) {
        texts.append(ScriptText::oneLine(line));
        width = qMax(width, fontMetrics().horizontalAdvance(texts.last()) + 8);
    }
    if (width > columnWidth(0))
        setColumnWidth(0, width);
    m_model->append(texts);
    if (atEnd)
        scrollToBottom();
    Q_EMIT linesChanged();
}

void TextPane::setLines(const QStringList &lines)
{
    QStringList texts;
    texts.reserve(lines.size());
    int width = 0;
    for (const QString &line : lines) {
        texts.append(ScriptText::oneLine(line));
        width = qMax(width, fontMetrics().horizontalAdvance(texts.last()) + 8);
    }
    m_model->reset(texts);
    setColumnWidth(0, width);
    scrollToBottom();
    Q_EMIT linesChanged();
}

void TextPane::clearLines()
{
    m_model->clear();
    setColumnWidth(0, 0);
    Q_EMIT linesChanged();
}

QString TextPane::selectedText() const
{
    QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return lines().join(u'\n');
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList picked;
    for (const QModelIndex &row : rows)
        picked.append(lines().at(row.row()));
    return picked.join(u'\n');
}

void TextPane::copySelection() const
{
    QApplication::clipboard()->setText(selectedText());
}

void TextPane::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    QTableView::keyPressEvent(event);
}

void TextPane::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    menu.addAction(tr("Copy"), this, &TextPane::copySelection);
    menu.addAction(tr("Select all"), this, &QAbstractItemView::selectAll);
    menu.exec(event->globalPos());
}
