#pragma once
// cSearchListModel: the search list (cSearchList) as a Qt list model with a check box per entry,
// for a QListView with uniform rows, so that 32,767 entries scroll as smoothly as ten.
//
// Appends made during a walk go straight into the list without telling the view (no count
// update, no repaint per entry); Publish() shows every entry appended since in one step, which the
// window does on its timer and when the walk ends. rowCount() is the number of published entries;
// every other change (Clear, Reload, RemoveChecked) publishes the whole list.
// An entry may carry a note shown after its name (Find Similar's distance and group); notes go
// with the list they were made for (Clear and Reload drop them).

#include <QAbstractListModel>

#include <string>
#include <unordered_map>

#include "search/cSearchList.h"

class cSearchListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    explicit cSearchListModel(QObject* parent = nullptr);

    cSearchList& List() noexcept { return list_; }
    const cSearchList& List() const noexcept { return list_; }

    // Appends without telling the view; false when the list is full.
    bool Append(std::string text) { return list_.Append(std::move(text)); }
    // Shows the entries appended since the last publishing.
    void Publish();
    // Entries appended but not yet shown.
    int Pending() const noexcept { return list_.ListCount() - published_; }

    void Clear();
    // Shows `note` after `entry`'s name, in every row that holds it.
    void Note(const std::string& entry, QString note) { notes_[entry] = std::move(note); }
    // Checks every shown entry, with one change signal.
    void CheckAll();
    // Removes the checked entries; answers how many went.
    std::int16_t RemoveChecked();
    // Lets `fill` change the list as it likes, then shows the result in one step.
    template <class F>
    void Reload(F&& fill) {
        beginResetModel();
        notes_.clear();
        try {
            fill(list_);
        } catch (...) {
            EndReset();
            throw;
        }
        EndReset();
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void EndReset();

    cSearchList list_;
    std::unordered_map<std::string, QString> notes_;
    int published_ = 0;
};
