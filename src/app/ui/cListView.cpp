#include "app/ui/cListView.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QStackedLayout>
#include <QStandardItemModel>
#include <QTreeView>

#include "app/ui/cImageList.h"
#include "base/cError.h"

namespace {

constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kLargeKeyRole = Qt::UserRole + 2;
constexpr int kSmallKeyRole = Qt::UserRole + 3;

} // namespace

cListView::cListView(QWidget* parent)
    : QWidget(parent), model_(new QStandardItemModel(0, 1, this)), list_(new QListView(this)),
      report_(new QTreeView(this)), stack_(new QStackedLayout(this)) {
    stack_->setContentsMargins(0, 0, 0, 0);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list_), static_cast<QAbstractItemView*>(report_)}) {
        view->setModel(model_);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
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
    for (int row = 0; row < model_->rowCount(); ++row) {
        if (model_->item(row)->data(kKeyRole).toString() == qkey) {
            throw cError(cImageList::kKeyNotUnique, cError::SourceOf("cListView"), "Key is not unique in collection");
        }
    }
    auto* item = new QStandardItem(text);
    item->setData(qkey, kKeyRole);
    item->setData(QString::fromStdString(largeKey), kLargeKeyRole);
    item->setData(QString::fromStdString(smallKey), kSmallKeyRole);
    item->setEditable(false);
    QList<QStandardItem*> row{item};
    for (int c = 1; c < model_->columnCount(); ++c) row.append(new QStandardItem());
    model_->appendRow(row);
    if (!ApplyPicture(model_->rowCount() - 1)) cError::RaiseRuntime(cError::kElementNotFound);
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

void cListView::Clear() { model_->removeRows(0, model_->rowCount()); }

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

QPixmap cListView::Picture(int index) const {
    CheckIndex(index);
    return model_->item(index - 1)->data(Qt::DecorationRole).value<QPixmap>();
}

bool cListView::ApplyPicture(int row) {
    QStandardItem* item = model_->item(row);
    const cImageList* source = view_ == lvwIcon ? icons_ : smallIcons_;
    const std::string key = item->data(view_ == lvwIcon ? kLargeKeyRole : kSmallKeyRole).toString().toStdString();
    if (!source || key.empty()) {
        item->setData(QVariant(), Qt::DecorationRole);
        return true;
    }
    if (!source->Contains(key)) {
        item->setData(QVariant(), Qt::DecorationRole);
        return false;
    }
    item->setData(source->Item(key), Qt::DecorationRole);
    return true;
}

void cListView::RefreshPictures() {
    for (int row = 0; row < model_->rowCount(); ++row) ApplyPicture(row);
}

int cListView::SelectedIndex() const {
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.front().row() + 1;
}

void cListView::SetSelected(int index) {
    CheckIndex(index);
    quiet_ = true;
    const QModelIndex at = model_->index(index - 1, 0);
    list_->selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    quiet_ = false;
}

QWidget* cListView::ActiveView() const { return stack_->currentWidget(); }

void cListView::OnCurrentChanged(int row) {
    if (!quiet_) emit ItemClick(row + 1);
}
