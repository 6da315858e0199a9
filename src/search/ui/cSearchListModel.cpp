#include "search/ui/cSearchListModel.h"

cSearchListModel::cSearchListModel(QObject* parent) : QAbstractListModel(parent) {}

void cSearchListModel::Publish() {
    const int count = list_.ListCount();
    if (count <= published_) return;
    beginInsertRows(QModelIndex(), published_, count - 1);
    published_ = count;
    endInsertRows();
}

void cSearchListModel::EndReset() {
    published_ = list_.ListCount();
    endResetModel();
}

void cSearchListModel::Clear() {
    Reload([](cSearchList& list) { list.Clear(); });
}

void cSearchListModel::CheckAll() {
    for (int i = 0; i < published_; ++i) list_.SetChecked(i, true);
    if (published_ > 0) emit dataChanged(index(0), index(published_ - 1), {Qt::CheckStateRole});
}

std::int16_t cSearchListModel::RemoveChecked() {
    beginResetModel();
    const std::int16_t removed = list_.RemoveChecked();
    EndReset();
    return removed;
}

int cSearchListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : published_; }

QVariant cSearchListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= published_) return {};
    switch (role) {
    case Qt::DisplayRole: {
        const std::string& text = list_.Text(index.row());
        const QString name = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        const auto note = notes_.find(text);
        return note == notes_.end() ? name : QString("%1    %2").arg(name, note->second);
    }
    case Qt::CheckStateRole: return list_.Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default: return {};
    }
}

bool cSearchListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= published_ || role != Qt::CheckStateRole) return false;
    list_.SetChecked(index.row(), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags cSearchListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}
