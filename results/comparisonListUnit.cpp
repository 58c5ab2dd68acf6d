// Layer korvex_ui: the windows; includes Qt and every layer.

#include "results/comparisonListUnit.h"

#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <algorithm>

#include "platform/codePage.h"

namespace {

constexpr int kMinimumRowHeight = 17;
const QColor kGridLineColour(0xD0, 0xD0, 0xD0);
// Around a note's text, so that it reads apart from the rows and grid lines.
constexpr int kNoteMargin = 4;

}  // namespace

void ComparisonModel::setRows(ComparisonRows rows, BenchUnit unit) {
    beginResetModel();
    rows_ = std::move(rows);
    unit_ = unit;
    endResetModel();
}

int ComparisonModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.rows.size());
}

int ComparisonModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kComparisonColumns.size());
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::AccessibleTextRole && index.column() == kBenchColumn)
        return QString::fromStdString(benchCellSpokenText(row(index.row()), unit_));
    if (role != Qt::DisplayRole) return {};
    // A description holds whatever bytes its file had: the NUL bytes of a zero-filled fragment,
    // a stray tab or line feed would be drawn as boxes or break the line. Its control
    // characters are drawn as platform::printableText shows them; the record keeps every byte.
    return QString::fromStdString(
        platform::printableText(comparisonCellText(row(index.row()), index.column(), unit_)));
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= columnCount())
        return {};
    return QString::fromUtf8(kComparisonColumns[static_cast<std::size_t>(section)].title);
}

Qt::ItemFlags ComparisonModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                           : Qt::NoItemFlags;
}

ComparisonListView::ComparisonListView(QWidget* parent) : QTreeView(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setIndentation(0);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(true);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
}

void ComparisonListView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    QPainter painter(viewport());
    painter.setPen(kGridLineColour);
    const int viewBottom = viewport()->height();
    const int lastColumn = header()->count() - 1;
    if (lastColumn < 0) return;
    const int left = columnViewportPosition(0);
    const int right = columnViewportPosition(lastColumn) + columnWidth(lastColumn) - 1;
    for (int column = 0; column <= lastColumn; ++column) {
        const int edge = columnViewportPosition(column) + columnWidth(column) - 1;
        painter.drawLine(edge, 0, edge, viewBottom);
    }
    const QModelIndex first = indexAt(QPoint(0, 0));
    int pitch = 0;
    if (first.isValid()) {
        pitch = visualRect(first).height();
    } else {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        pitch = itemDelegate()->sizeHint(option, QModelIndex()).height();
    }
    const int top = first.isValid() ? visualRect(first).top() : 0;
    for (int bottom = top + pitch - 1; bottom < viewBottom; bottom += pitch)
        painter.drawLine(left, bottom, right, bottom);
}

CustomDrawDelegate::CustomDrawDelegate(DrawSubItem drawSubItem, QObject* parent)
    : QStyledItemDelegate(parent), drawSubItem_(std::move(drawSubItem)) {}

void CustomDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    if (drawSubItem_(painter, option, index)) QStyledItemDelegate::paint(painter, option, index);
}

QSize CustomDrawDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), kMinimumRowHeight));
    return size;
}

ListNote::ListNote(QTreeView& list, QWidget& holder)
    : QLabel(&holder), list_(list), viewport_(list.viewport()) {
    setWordWrap(true);
    setContentsMargins(kNoteMargin, kNoteMargin, kNoteMargin, kNoteMargin);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette colours = list.palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::Base));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
    setPalette(colours);
    setAutoFillBackground(true);
    hide();
    viewport_->installEventFilter(this);
}

void ListNote::place() {
    if (isHidden()) return;
    const QWidget* viewport = list_.viewport();
    const int rows = list_.model() != nullptr ? list_.model()->rowCount() : 0;
    const int top = rows > 0 ? list_.visualRect(list_.model()->index(rows - 1, 0)).bottom() + 1 : 0;
    const int width = viewport->width();
    const int height = std::clamp(heightForWidth(width), 0, std::max(0, viewport->height() - top));
    setGeometry(QRect(viewport->mapTo(parentWidget(), QPoint(0, top)), QSize(width, height)));
    raise();
}

// The viewport is compared as it was when the note was made: the list may be half destroyed
// when its viewport's last events come.
bool ListNote::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && watched == viewport_) place();
    return QLabel::eventFilter(watched, event);
}
