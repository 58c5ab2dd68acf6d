#pragma once
// Layer korvex_ui: the windows; includes Qt and every layer.
//
// The comparison list's parts for Qt: the model over the comparison rows, the list view that
// draws grid lines, and the delegate through which the window paints its cells itself.
//
// The model converts a row's texts only when the view asks for them, so a list of a hundred
// thousand rows costs the rows on screen, not the rows in the list.

#include <QAbstractTableModel>
#include <QLabel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <functional>

#include "results/cpubenchUnit.h"

class ComparisonModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row at once (a model reset), shown in `unit`.
    void setRows(ComparisonRows rows, BenchUnit unit);

    const ComparisonRow& row(int index) const {
        return rows_.rows[static_cast<std::size_t>(index)];
    }
    std::uint32_t barScale() const { return rows_.BarScale; }
    BenchUnit unit() const { return unit_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    ComparisonRows rows_;
    BenchUnit unit_ = BenchUnit::Cycles;
};

// A report view with grid lines: a line at the right edge of every column and one under every
// row, continued at the row pitch down to the bottom of the view, drawn over the cells as a list
// view with grid lines does.
class ComparisonListView final : public QTreeView {
    Q_OBJECT

  public:
    explicit ComparisonListView(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

// Hands every cell to `drawSubItem` first; when it answers true, the cell is drawn the usual
// way. Rows are at least tall enough for the 14-pixel bars and the grid line under them.
class CustomDrawDelegate final : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using DrawSubItem =
        std::function<bool(QPainter*, const QStyleOptionViewItem&, const QModelIndex&)>;

    CustomDrawDelegate(DrawSubItem drawSubItem, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

  private:
    DrawSubItem drawSubItem_;
};

// A note in a list's empty part: under its last row, across its visible width, in the list's
// colours, with a little room around the text. It lies over the list rather than in a layout,
// so the list keeps its size, and lets the pointer through to it. Its parent is `holder`, the
// widget that holds the list, where assistive technology finds it beside the list (a list's
// children are its cells). It follows the list's size by itself; place() puts it anew after the
// rows have changed. Hidden at creation.
class ListNote final : public QLabel {
  public:
    ListNote(QTreeView& list, QWidget& holder);

    void place();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QTreeView& list_;
    QWidget* const viewport_;
};
