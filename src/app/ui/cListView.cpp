#include "app/ui/cListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QToolTip>
#include <QItemSelectionModel>
#include <QListView>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTreeView>

#include "app/mMainWindow.h"
#include "app/ui/cImageList.h"
#include "app/ui/mAccessibleLists.h"
#include "base/cError.h"

#include <algorithm>
#include <map>

namespace {

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kLargeKeyRole = Qt::UserRole + 2;
constexpr int kSmallKeyRole = Qt::UserRole + 3;

// Lines of text under a large icon.
constexpr int kLargeIconLines = 2;

// Files dropped on the list go to the window: the view neither drags nor takes drops (icon mode
// turns both on whenever it is set).
void RefuseDragAndDrop(QAbstractItemView* view) {
    view->setDragDropMode(QAbstractItemView::NoDragDrop);
    view->setAcceptDrops(false);
    view->viewport()->setAcceptDrops(false);
}

} // namespace

// Gives each item of a view its picture from the attached image list of the current view, looked
// up when the item is painted: a picture added as a drawing is drawn only for the items a view
// shows. Sizing an item only reserves the view's picture size.
class cListView::cPictureDelegate : public QStyledItemDelegate {
public:
    cPictureDelegate(const cListView* owner, QAbstractItemView* view) : QStyledItemDelegate(view), owner_(owner) {}

    // Painting is QStyledItemDelegate's, through initStyleOption below.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const Sizing sizing(this);
        return QStyledItemDelegate::sizeHint(option, index);
    }

protected:
    // While set, initStyleOption reserves the picture's room without drawing it.
    class Sizing {
    public:
        explicit Sizing(const cPictureDelegate* d) : d_(d) { d_->sizing_ = true; }
        ~Sizing() { d_->sizing_ = false; }
        Sizing(const Sizing&) = delete;
        Sizing& operator=(const Sizing&) = delete;

    private:
        const cPictureDelegate* d_;
    };

    void initStyleOption(QStyleOptionViewItem* opt, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(opt, index);
        if (index.column() != 0 || !owner_->HasPicture(index.row())) return;
        opt->features |= QStyleOptionViewItem::HasDecoration;
        opt->decorationSize = opt->widget ? static_cast<const QAbstractItemView*>(opt->widget)->iconSize() : QSize();
        if (!sizing_) opt->icon = QIcon(owner_->Picture(index.row() + 1));
    }

private:
    const cListView* owner_;
    mutable bool sizing_ = false;
};

// Draws the items of the list view (not the details view) inside their grid cells: a text too
// long for its cell is elided in the middle (under a large icon it first wraps onto a second
// line, anywhere when it has no blanks), and its tool tip shows it whole.
class cListView::cItemDelegate final : public cPictureDelegate {
public:
    cItemDelegate(const cListView* owner, QListView* view) : cPictureDelegate(owner, view), view_(view) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        opt.rect = Cell(opt.rect);
        opt.text = Fitted(opt).text;
        shown_[index.row()] = opt.text;
        const QWidget* widget = opt.widget;
        (widget ? widget->style() : QApplication::style())->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize grid = view_->gridSize();
        if (!grid.isValid()) return cPictureDelegate::sizeHint(option, index);
        // The size of the text as it is drawn, within the cell.
        const Sizing sizing(this);
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        opt.rect = QRect(QPoint(), grid);
        opt.text = Fitted(opt).text;
        const QWidget* widget = opt.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        return style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget).boundedTo(grid);
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() == QEvent::ToolTip && index.isValid()) {
            const Sizing sizing(this);
            QStyleOptionViewItem opt(option);
            initStyleOption(&opt, index);
            opt.rect = Cell(opt.rect);
            if (Fitted(opt).cut) {
                QToolTip::showText(event->globalPos(), opt.text, view->viewport(), view->visualRect(index));
                return true;
            }
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }

    QString Shown(int row) const {
        const auto it = shown_.find(row);
        return it == shown_.end() ? QString() : it->second;
    }
    void Forget() { shown_.clear(); }

private:
    // The item's grid cell: items are placed at the cells' corners.
    QRect Cell(const QRect& rect) const {
        const QSize grid = view_->gridSize();
        return grid.isValid() ? QRect(rect.topLeft(), rect.size().boundedTo(grid)) : rect;
    }

    // The text as it fits the option's rectangle, and whether it had to be cut for that.
    struct cFitted {
        QString text;
        bool cut = false;
    };
    // A cursor's mark, the only sign that a row is a cursor, is never cut: the name before it is
    // elided instead, and under a large icon the mark takes a line of its own where the name
    // fills the first.
    cFitted Fitted(const QStyleOptionViewItem& opt) const {
        const QWidget* widget = opt.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, widget) + 1;
        const QFontMetrics metrics(opt.font);
        const QString mark =
            QString::fromUtf8(mMainWindow::kCursorMark.data(), static_cast<qsizetype>(mMainWindow::kCursorMark.size()));
        const bool cursor = opt.text.endsWith(mark) && opt.text.size() > mark.size();
        const QString name = cursor ? opt.text.chopped(mark.size()) : opt.text;
        if (view_->viewMode() != QListView::IconMode) {
            const int width = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).width() - 2 * margin;
            const int markWidth = cursor ? metrics.horizontalAdvance(mark) : 0;
            if (cursor && metrics.horizontalAdvance(opt.text) > width && markWidth < width) {
                const QString elided = metrics.elidedText(name, Qt::ElideMiddle, width - markWidth);
                return {elided + mark, true};
            }
            const QString elided = metrics.elidedText(opt.text, Qt::ElideMiddle, std::max(width, 0));
            return {elided, elided != opt.text};
        }
        const int width = std::max(opt.rect.width() - 2 * margin, 1);
        if (cursor) {
            cFitted fitted = FittedLines(name, opt, metrics, width);
            QStringList lines = fitted.text.split(QChar::LineSeparator);
            const QString bare = mark.trimmed();
            if (metrics.horizontalAdvance(lines.back() + mark) <= width) {
                lines.back() += mark;
            } else if (lines.size() < kLargeIconLines) {
                lines << bare;
            } else {
                // The name's last line makes room for the mark.
                lines.back() = metrics.elidedText(lines.back(), Qt::ElideMiddle,
                                                  std::max(width - metrics.horizontalAdvance(mark), 1)) +
                               mark;
                fitted.cut = true;
            }
            return {lines.join(QChar::LineSeparator), fitted.cut};
        }
        return FittedLines(opt.text, opt, metrics, width);
    }

    // The text on at most kLargeIconLines lines of `width`.
    static cFitted FittedLines(const QString& text, const QStyleOptionViewItem& opt, const QFontMetrics& metrics,
                               int width) {
        QTextLayout layout(text, opt.font);
        QTextOption wrap;
        wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(wrap);
        QStringList lines;
        bool cut = false;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            if (lines.size() == kLargeIconLines - 1) {
                // The last line takes the rest, elided in the middle when it does not fit.
                const QString rest = text.mid(line.textStart());
                lines << metrics.elidedText(rest, Qt::ElideMiddle, width);
                cut = lines.back() != rest;
                break;
            }
            lines << text.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        return {lines.join(QChar::LineSeparator), cut};
    }

    QListView* view_;
    mutable std::map<int, QString> shown_;
};

cListView::cListView(QWidget* parent)
    : QWidget(parent), model_(new QStandardItemModel(0, 1, this)), list_(new QListView(this)),
      report_(new QTreeView(this)), stack_(new QStackedLayout(this)) {
    // One accessible item per icon in the list view.
    mAccessibleLists::Install();
    stack_->setContentsMargins(0, 0, 0, 0);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(report_)}) {
        view->setModel(model_);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        // A click, a key or a setter chooses the whole row in every view.
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        stack_->addWidget(view);
    }
    // Both views move one selection.
    report_->setSelectionModel(list_->selectionModel());
    report_->setRootIsDecorated(false);
    report_->setItemsExpandable(false);
    report_->setUniformRowHeights(true);
    report_->setIconSize(QSize(16, 16));
    report_->header()->setStretchLastSection(false);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    delegate_ = new cItemDelegate(this, list_);
    list_->setItemDelegate(delegate_);
    report_->setItemDelegate(new cPictureDelegate(this, report_));
    // Ctrl+C copies the chosen icon, as the window's Copy does (the views would copy the item's
    // text); files dropped on the list go to the window.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(report_)}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        RefuseDragAndDrop(view);
    }
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                if (current.isValid()) OnCurrentChanged(current.row());
            });
    ApplyView();
}

void cListView::SetView(std::int32_t view) {
    if (view < lvwIcon || view > lvwReport) cError::RaiseRuntime(cError::kInvalidCall);
    const bool pictureListChanges = (view == lvwIcon) != (view_ == lvwIcon);
    view_ = static_cast<eView>(view);
    ApplyView();
    if (pictureListChanges) RefreshPictures();
}

void cListView::ApplyView() {
    switch (view_) {
    case lvwIcon:
        list_->setViewMode(QListView::IconMode);
        list_->setFlow(QListView::LeftToRight);
        list_->setWrapping(true);
        list_->setWordWrap(true);
        list_->setIconSize(QSize(32, 32));
        list_->setGridSize(QSize(80, 64));
        list_->setSpacing(0);
        break;
    case lvwSmallIcon:
    case lvwList:
        // Small icons fill rows, the list fills columns; both at 16 pixels.
        list_->setViewMode(QListView::ListMode);
        list_->setFlow(view_ == lvwSmallIcon ? QListView::LeftToRight : QListView::TopToBottom);
        list_->setWrapping(true);
        list_->setWordWrap(false);
        list_->setIconSize(QSize(16, 16));
        list_->setGridSize(QSize(120, 20));
        list_->setSpacing(0);
        break;
    case lvwReport: break;
    }
    RefuseDragAndDrop(list_);
    delegate_->Forget();
    // The list view shows only the first column; the details view all of them.
    list_->setModelColumn(0);
    stack_->setCurrentWidget(view_ == lvwReport ? static_cast<QWidget*>(report_) : list_);
}

void cListView::SetIcons(cImageList* list) {
    icons_ = list;
    RefreshPictures();
}

void cListView::SetSmallIcons(cImageList* list) {
    smallIcons_ = list;
    RefreshPictures();
}

void cListView::SetBackColor(const QColor& colour) {
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(report_)}) {
        QPalette palette = view->palette();
        palette.setColor(QPalette::Base, colour);
        view->setPalette(palette);
        view->viewport()->setPalette(palette);
    }
}

QColor cListView::BackColor() const { return list_->palette().color(QPalette::Base); }

void cListView::AddColumnHeader(const QString& text, int widthPixels) {
    const int column = headers_++;
    if (column >= model_->columnCount()) model_->setColumnCount(column + 1);
    model_->setHeaderData(column, Qt::Horizontal, text);
    report_->setColumnWidth(column, widthPixels);
}

int cListView::ColumnCount() const { return headers_; }

QString cListView::ColumnText(int column) const { return model_->headerData(column - 1, Qt::Horizontal).toString(); }

int cListView::ColumnWidth(int column) const { return report_->columnWidth(column - 1); }

int cListView::Add(const std::string& key, const QString& text, const std::string& largeKey,
                   const std::string& smallKey) {
    const QString qkey = QString::fromStdString(key);
    if (keys_.count(key) != 0)
        throw cError(cImageList::kKeyNotUnique, cError::SourceOf("cListView"), "Key is not unique in collection");
    auto* item = new QStandardItem(text);
    item->setData(qkey, kKeyRole);
    item->setData(QString::fromStdString(largeKey), kLargeKeyRole);
    item->setData(QString::fromStdString(smallKey), kSmallKeyRole);
    item->setEditable(false);
    QList<QStandardItem*> row{item};
    for (int c = 1; c < model_->columnCount(); ++c) row.append(new QStandardItem());
    model_->appendRow(row);
    keys_.insert(key);
    // The current view's list must hold the item's picture (it is looked up when painted).
    const cImageList* source = ViewList();
    const std::string& pictureKey = view_ == lvwIcon ? largeKey : smallKey;
    if (source && !pictureKey.empty() && !source->Contains(pictureKey)) cError::RaiseRuntime(cError::kElementNotFound);
    return model_->rowCount();
}

void cListView::SetSubItem(int index, int subItem, const QString& text) {
    CheckIndex(index);
    if (subItem < 1) cError::RaiseRuntime(cError::kInvalidCall);
    if (subItem >= model_->columnCount()) model_->setColumnCount(subItem + 1);
    auto* cell = new QStandardItem(text);
    cell->setEditable(false);
    model_->setItem(index - 1, subItem, cell);
}

void cListView::Clear() {
    model_->removeRows(0, model_->rowCount());
    keys_.clear();
    delegate_->Forget();
}

int cListView::Count() const { return model_->rowCount(); }

void cListView::CheckIndex(int index) const {
    if (index < 1 || index > model_->rowCount()) cError::RaiseRuntime(cError::kSubscriptOutOfRange);
}

std::string cListView::Key(int index) const {
    CheckIndex(index);
    return model_->item(index - 1)->data(kKeyRole).toString().toStdString();
}

QString cListView::Text(int index) const {
    CheckIndex(index);
    return model_->item(index - 1)->text();
}

QString cListView::SubItem(int index, int subItem) const {
    CheckIndex(index);
    const QStandardItem* cell = model_->item(index - 1, subItem);
    return cell ? cell->text() : QString();
}

const cImageList* cListView::ViewList() const { return view_ == lvwIcon ? icons_ : smallIcons_; }

const cImageList* cListView::PictureSource(int row, std::string& key) const {
    const cImageList* source = ViewList();
    if (!source) return nullptr;
    key = model_->item(row)->data(view_ == lvwIcon ? kLargeKeyRole : kSmallKeyRole).toString().toStdString();
    return !key.empty() && source->Contains(key) ? source : nullptr;
}

bool cListView::HasPicture(int row) const {
    std::string key;
    return PictureSource(row, key) != nullptr;
}

QPixmap cListView::Picture(int index) const {
    CheckIndex(index);
    std::string key;
    const cImageList* source = PictureSource(index - 1, key);
    return source ? source->Item(key) : QPixmap();
}

void cListView::RefreshPictures() {
    list_->viewport()->update();
    report_->viewport()->update();
}

int cListView::SelectedIndex() const {
    // Any selected cell chooses its row: the icon views show (and select) only the first column,
    // the details view every column, and one item is chosen whatever the view that chose it.
    const QModelIndexList cells = list_->selectionModel()->selectedIndexes();
    return cells.isEmpty() ? 0 : cells.front().row() + 1;
}

void cListView::SetContextActions(const QList<QAction*>& actions) {
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(report_)}) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        view->addActions(actions);
    }
}

void cListView::SetSelected(int index) {
    CheckIndex(index);
    quiet_ = true;
    const QModelIndex at = model_->index(index - 1, 0);
    list_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    quiet_ = false;
}

QWidget* cListView::ActiveView() const { return stack_->currentWidget(); }

QString cListView::ShownText(int index) const {
    CheckIndex(index);
    if (view_ == lvwReport) return Text(index);
    return delegate_->Shown(index - 1);
}

bool cListView::eventFilter(QObject* watched, QEvent* event) {
    // Drags out start here: the views themselves would drag their model's rows.
    const QEvent::Type type = event->type();
    const bool mouseEvent =
        type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove;
    if (mouseEvent && (watched == list_->viewport() || watched == report_->viewport())) {
        const auto* view = watched == list_->viewport() ? static_cast<QAbstractItemView*>(list_)
                                                        : static_cast<QAbstractItemView*>(report_);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress) {
            const QPoint at = mouse->position().toPoint();
            dragFrom_ = mouse->button() == Qt::LeftButton && view->indexAt(at).isValid() ? at : QPoint(-1, -1);
        } else if (type == QEvent::MouseButtonRelease) {
            dragFrom_ = {-1, -1};
        } else if (dragFrom_.x() >= 0 && (mouse->buttons() & Qt::LeftButton) &&
                   (mouse->position().toPoint() - dragFrom_).manhattanLength() >= QApplication::startDragDistance()) {
            dragFrom_ = {-1, -1};
            emit DragRequested();
            return true;
        }
    }
    if (watched == list_ || watched == report_) {
        const bool override = event->type() == QEvent::ShortcutOverride;
        if (override || event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Copy)) {
                event->accept();
                if (!override) emit CopyRequested();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void cListView::OnCurrentChanged(int row) {
    if (!quiet_) emit ItemClick(row + 1);
}
