#pragma once
// cListView: the list view of the main window, with the four views of the platform's list view
// control: large icons, small icons, list and details (report). Items are 1-based, each with a
// unique key, a text, the keys of its large and small pictures in the attached image lists, and
// sub-items shown as the details view's further columns.
//
// One item model serves two Qt views that share the selection: a QListView for the first three
// views and a QTreeView for the details. The image lists are not owned; the pictures shown are
// looked up when an item is painted, so a picture that is drawn when first asked for is drawn
// only for the items a view shows. In the first
// three views every item keeps to its grid cell: a long text is elided (under a large icon after
// wrapping onto a second line) and shown whole in its tool tip. The copy keys are reported
// (CopyRequested) instead of copying an item's text; the views take no drops, so files dropped on
// the list reach the window.

#include <QColor>
#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <string>
#include <unordered_set>

class QAction;
class QListView;
class QStackedLayout;
class QStandardItemModel;
class QTreeView;
class cImageList;

class cListView : public QWidget {
    Q_OBJECT

public:
    // The platform list view's view codes.
    enum eView : std::int32_t { lvwIcon = 0, lvwSmallIcon = 1, lvwList = 2, lvwReport = 3 };

    explicit cListView(QWidget* parent = nullptr);

    eView View() const noexcept { return view_; }
    void SetView(std::int32_t view); // out of 0..3 raises the invalid-call error (5)

    cImageList* Icons() const noexcept { return icons_; }
    cImageList* SmallIcons() const noexcept { return smallIcons_; }
    void SetIcons(cImageList* list);
    void SetSmallIcons(cImageList* list);

    void SetBackColor(const QColor& colour);
    QColor BackColor() const;

    // Column headers of the details view: the first is the item text, the others sub-items.
    void AddColumnHeader(const QString& text, int widthPixels);
    int ColumnCount() const;
    QString ColumnText(int column) const; // 1-based
    int ColumnWidth(int column) const; // 1-based, pixels

    // Adds an item at the end and answers its index. A repeated key raises 35602. A picture key
    // missing from an attached list raises 35601 after the item has been added without that
    // picture, so a caller that goes on still has the item.
    int Add(const std::string& key, const QString& text, const std::string& largeKey, const std::string& smallKey);
    void SetSubItem(int index, int subItem, const QString& text);
    void Clear();

    int Count() const;
    std::string Key(int index) const;
    QString Text(int index) const;
    QString SubItem(int index, int subItem) const;
    // The picture an item shows in the current view (null when none).
    QPixmap Picture(int index) const;

    // Selection: one item at most, the same in every view; 0 for none.
    int SelectedIndex() const;
    void SetSelected(int index);

    // The commands a right click on the list offers (the press chooses the item under it).
    void SetContextActions(const QList<QAction*>& actions);

    // The text of an item as the current view last painted it: in the icon and list views
    // elided to fit its cell (empty before it was painted); in the details view the text.
    QString ShownText(int index) const;

    // The Qt view in use (the list or the details view), for tests and layout.
    QWidget* ActiveView() const;
    QListView* ListWidget() const noexcept { return list_; }
    QTreeView* ReportWidget() const noexcept { return report_; }

signals:
    // The user chose an item (click or keyboard); not sent for SetSelected.
    void ItemClick(int index);
    // The user pressed the copy keys (Ctrl+C) in the list.
    void CopyRequested();
    // The user pressed the left button on an item and moved it by the drag distance: the item,
    // now chosen, is to be dragged out.
    void DragRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class cPictureDelegate;
    class cItemDelegate;

    void CheckIndex(int index) const;
    void ApplyView();
    // Shows the pictures of the lists now attached, each drawn when its item is next painted.
    void RefreshPictures();
    // The image list of the current view: the large pictures in the icon view, else the small.
    const cImageList* ViewList() const;
    // The list the item of `row` (0-based) takes its picture from in the current view, with
    // the picture's key; null when it has none there.
    const cImageList* PictureSource(int row, std::string& key) const;
    bool HasPicture(int row) const;
    void OnCurrentChanged(int row);

    QStandardItemModel* model_;
    QListView* list_;
    QTreeView* report_;
    QStackedLayout* stack_;
    cItemDelegate* delegate_ = nullptr;
    cImageList* icons_ = nullptr;
    cImageList* smallIcons_ = nullptr;
    eView view_ = lvwIcon;
    bool quiet_ = false;
    QPoint dragFrom_{-1, -1}; // where the left button went down on an item, in the view's viewport
    int headers_ = 0;
    std::unordered_set<std::string> keys_;
};
