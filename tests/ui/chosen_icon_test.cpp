// The icon a user chooses in the main window, by mouse and by keyboard, in each of the four views,
// and what every command then acts on: the saved file, the clipboard, a drag and the dropped file
// are pictrix-cli extract's file of that icon; Properties, Export as PNG and Find Similar name it.
// Clicks land on the item's rectangle in the view's viewport. Focus, the clipboard and drags need
// a display server: CTest runs this class under a virtual X server (test_ui_user).

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QListView>
#include <QStyleOptionViewItem>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

#include "app/ui/FMain.h"
#include "app/ui/cListView.h"
#include "cMainWindowTest.h"
#include "doubles/cScriptedPrompts.h"
#include "mUiTest.h"
#include "search/cSearchList.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"

namespace {

using eKind = cScriptedPrompts::eKind;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Takes whatever file is dropped on it.
class cDropTarget : public QWidget {
public:
    QList<QUrl> urls;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override { e->acceptProposedAction(); }
    void dragMoveEvent(QDragMoveEvent* e) override { e->acceptProposedAction(); }
    void dropEvent(QDropEvent* e) override {
        urls = e->mimeData()->urls();
        e->acceptProposedAction();
    }
};

const char* const kViews[] = {"Large Icons", "Small Icons", "List", "Details"};

// How the user chooses: each starts from the window as a file opens in it (the first icon chosen).
enum class eInput { Click, CtrlClick, ShiftClick, Arrow, CtrlA, SwitchView, CtrlClickChosen, RightClick };
const struct {
    eInput input;
    const char* name;
    int chosen; // the icon then chosen; 0 for none
} kInputs[] = {
    {eInput::Click, "click", 3},
    {eInput::CtrlClick, "Ctrl+click", 3},
    {eInput::ShiftClick, "Shift+click", 3},
    // A click, then the arrow that goes to the next item in that view's order.
    {eInput::Arrow, "click, arrow", 4},
    // One icon at most is chosen: Ctrl+A is the About box's, and the choice stays.
    {eInput::CtrlA, "click, Ctrl+A", 3},
    {eInput::SwitchView, "click, next view", 3},
    // Ctrl and a click on the chosen item take the choice back.
    {eInput::CtrlClickChosen, "Ctrl+click on the chosen", 0},
    {eInput::RightClick, "right click", 5},
};

enum class eCommand { Save, Copy, Properties, Export, FindSimilar, Drag, ContextSave };
const struct {
    eCommand command;
    const char* name;
} kCommands[] = {
    {eCommand::Save, "Save"},
    {eCommand::Copy, "Copy"},
    {eCommand::Properties, "Properties"},
    {eCommand::Export, "Export as PNG"},
    {eCommand::FindSimilar, "Find Similar"},
    {eCommand::Drag, "drag"},
    {eCommand::ContextSave, "context menu Save"},
};

} // namespace

class tChosenIconTest : public cMainWindowTest {
    Q_OBJECT

    QString extracted_;
    QString found_; // what the last Find Similar looked for

    QString Module() const { return mUiTest::Fixture("modules/sample.dll"); }
    // pictrix-cli extract names a module's icon i "sample" + i + its identifier.
    QString Extracted(int i) {
        return extracted_ + "/sample" + QString::number(i) + Window().IconList()->Text(i) + ".ico";
    }

    QAbstractItemView* View() { return static_cast<QAbstractItemView*>(Window().IconList()->ActiveView()); }
    QPoint At(int item) {
        QAbstractItemView* view = View();
        const QModelIndex index = view->model()->index(item - 1, 0);
        view->scrollTo(index);
        return view->visualRect(index).center();
    }
    void Click(int item, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(View()->viewport(), Qt::LeftButton, modifiers, At(item));
    }
    // A right click as the display server gives it (the window makes the context menu of it);
    // answers the commands of the menu that came up (closed again), none when none came up.
    QList<QAction*> RightClick(int item) {
        QList<QAction*> offered;
        QTimer::singleShot(100, [&offered] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                offered = menu->actions();
                menu->close();
            }
        });
        QTest::mouseClick(Window().windowHandle(), Qt::RightButton, {}, View()->viewport()->mapTo(&Window(), At(item)));
        QTest::qWait(200);
        return offered;
    }
    void SetView(int view) { Window().ViewItem(3 + view)->trigger(); }

    // Runs `act` while a modal dialog or a menu may come up, and closes what came up.
    template <class tAct>
    QString Dismissing(tAct act) {
        QString shown;
        QTimer closer;
        closer.setInterval(20);
        connect(&closer, &QTimer::timeout, this, [&shown] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown = modal->windowTitle();
                modal->close();
            }
        });
        closer.start();
        act();
        QTest::qWait(50);
        return shown;
    }

    void SetUp() override {
        FMain::SetSimilarSearch(
            [this](QWidget*, std::uint64_t, const std::string& what) { found_ = QString::fromStdString(what); });
        if (!extracted_.isEmpty()) return;
        extracted_ = temp_.filePath("extracted");
        QDir().mkpath(extracted_);
        QProcess cli;
        cli.start(QStringLiteral(PICTRIX_BINARY_DIR "/pictrix-cli"), {"extract", "-o", extracted_, Module()});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
    }
    void TearDown() override {
        FMain::SetSimilarSearch({});
        cMainWindowTest::TearDown();
    }

private slots:
    void ChosenByTheUser_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("command");
        for (int view = 0; view < 4; ++view) {
            for (const auto& in : kInputs) {
                for (const auto& c : kCommands) {
                    // A drag presses on an item, which chooses it: nothing to drag when none is.
                    if (in.chosen == 0 && (c.command == eCommand::Drag || c.command == eCommand::ContextSave)) continue;
                    QTest::addRow("%s, %s, %s", kViews[view], in.name, c.name)
                        << view << static_cast<int>(in.input) << in.chosen << static_cast<int>(c.command);
                }
            }
        }
    }

    void ChosenByTheUser() {
        if (QGuiApplication::platformName() == "offscreen")
            QSKIP("focus and drags need a display server (test_ui_user)");
        QFETCH(int, view);
        QFETCH(int, input);
        QFETCH(int, chosen);
        QFETCH(int, command);
        Window().setGeometry(50, 50, 520, 400);
        Window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Window()));
        Window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Window()));
        Open(Module());
        QCOMPARE(Window().IconList()->Count(), 12);
        SetView(view);
        View()->setFocus();
        found_.clear();

        QString contextMenu;
        switch (static_cast<eInput>(input)) {
        case eInput::Click: Click(3); break;
        case eInput::CtrlClick: Click(3, Qt::ControlModifier); break;
        case eInput::ShiftClick: Click(3, Qt::ShiftModifier); break;
        case eInput::Arrow:
            Click(3);
            // Large and small icons fill rows, the list and the details columns.
            QTest::keyClick(View(), view <= 1 ? Qt::Key_Right : Qt::Key_Down);
            break;
        case eInput::CtrlA:
            Click(3);
            QCOMPARE(Dismissing([this] { QTest::keyClick(View(), Qt::Key_A, Qt::ControlModifier); }),
                     QString("About Pictrix"));
            break;
        case eInput::SwitchView:
            Click(3);
            SetView((view + 1) % 4);
            break;
        case eInput::CtrlClickChosen: Click(1, Qt::ControlModifier); break;
        case eInput::RightClick: break; // below, with the command
        }

        const QString saved = temp_.filePath("saved.ico");
        QFile::remove(saved);
        const QString expected = chosen > 0 ? Extracted(chosen) : QString();
        const QString id = chosen > 0 ? Window().IconList()->Text(chosen) : QString();
        // Nothing chosen: every command says so and does nothing.
        const auto refused = [this](const QString& text) {
            QCOMPARE(prompts_->LastAsked().kind, eKind::Message);
            QCOMPARE(prompts_->LastAsked().text, text);
        };

        // A right click chooses the item under the pointer and offers the commands there.
        if (static_cast<eInput>(input) == eInput::RightClick) QVERIFY(!RightClick(chosen).isEmpty());

        switch (static_cast<eCommand>(command)) {
        case eCommand::Save:
            if (chosen == 0) {
                prompts_->AnswerMessage(cPrompts::eAnswer::OK);
                Window().FileItem(1)->trigger();
                refused("Please choose an icon to save.");
                QVERIFY(!QFile::exists(saved));
                break;
            }
            prompts_->AnswerSave(saved);
            Window().FileItem(1)->trigger();
            QCOMPARE(ReadAll(saved), ReadAll(expected));
            break;
        case eCommand::Copy:
            QApplication::clipboard()->setText("before the copy");
            QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
            if (chosen == 0) {
                QCOMPARE(QApplication::clipboard()->text(), QString("before the copy"));
                break;
            }
            QTRY_VERIFY(QApplication::clipboard()->mimeData()->hasFormat("image/vnd.microsoft.icon"));
            QCOMPARE(QApplication::clipboard()->mimeData()->data("image/vnd.microsoft.icon"), ReadAll(expected));
            break;
        case eCommand::Properties:
            if (chosen == 0) {
                prompts_->AnswerMessage(cPrompts::eAnswer::OK);
                Window().ViewItem(8)->trigger();
                refused("Please select an icon to view properties for.");
                break;
            }
            QVERIFY(PropertiesText().startsWith("Icon: " + id + "\r\n"));
            break;
        case eCommand::Export:
            if (chosen == 0) {
                prompts_->AnswerMessage(cPrompts::eAnswer::OK);
                Window().ExportPngItem()->trigger();
                QCOMPARE(prompts_->LastAsked().kind, eKind::Message);
                break;
            }
            prompts_->CancelFile(eKind::SaveFile);
            Window().ExportPngItem()->trigger();
            QCOMPARE(prompts_->LastAsked().kind, eKind::SaveFile);
            QVERIFY2(prompts_->LastAsked().file.fileName.startsWith("sample-" + id + "-"),
                     qPrintable(prompts_->LastAsked().file.fileName));
            break;
        case eCommand::FindSimilar:
            if (chosen == 0) {
                prompts_->AnswerMessage(cPrompts::eAnswer::OK);
                Window().FindSimilarItem()->trigger();
                QCOMPARE(prompts_->LastAsked().kind, eKind::Message);
                QVERIFY(found_.isEmpty());
                break;
            }
            Window().FindSimilarItem()->trigger();
            QCOMPARE(found_, "sample.dll " + id);
            break;
        case eCommand::Drag: {
            cDropTarget target;
            target.setAcceptDrops(true);
            target.setGeometry(640, 100, 200, 200);
            target.show();
            QVERIFY(QTest::qWaitForWindowExposed(&target));
            const QPoint from = At(chosen);
            // A press right after a click would be a double click.
            QTest::qWait(QApplication::doubleClickInterval() + 50);
            // The drag runs a loop of its own: in it, the pointer goes over the target and lets go.
            QTimer drop;
            connect(&drop, &QTimer::timeout, &target, [&target] {
                QTest::mouseMove(target.windowHandle(), QPoint(100, 100));
                QTest::mouseRelease(target.windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
            });
            drop.start(200);
            QTest::mousePress(View()->viewport(), Qt::LeftButton, {}, from);
            QTest::mouseMove(View()->viewport(), from + QPoint(20, 0));
            QTRY_COMPARE(target.urls.size(), 1);
            QCOMPARE(ReadAll(target.urls.front().toLocalFile()), ReadAll(expected));
            break;
        }
        case eCommand::ContextSave: {
            // The list's own menu at the chosen item: its Save.
            QAction* save = nullptr;
            for (QAction* a : RightClick(chosen))
                if (a->text() == "&Save") save = a;
            QVERIFY(save);
            prompts_->AnswerSave(saved);
            save->trigger();
            QCOMPARE(ReadAll(saved), ReadAll(expected));
            break;
        }
        }
        // The window says which icon it acts on, and the grid holds its images.
        if (chosen > 0) QCOMPARE(Window().IconList()->SelectedIndex(), chosen);
    }

    // A screen reader finds one item per icon in every view, named as the icon's row, the chosen
    // one selected (Qt's own list counted every column of the model: three per icon).
    void EveryViewHasOneAccessibleItemPerIcon() {
        Open(Module());
        Window().IconList()->SetSelected(4);
        for (int view = 0; view < 4; ++view) {
            SetView(view);
            QAccessibleInterface* list = QAccessible::queryAccessibleInterface(View());
            QVERIFY(list);
            QCOMPARE(list->role(), view < 3 ? QAccessible::List : QAccessible::Tree);
            QCOMPARE(list->text(QAccessible::Name), QString("Icons"));
            // The details view is a table: a row per icon, a cell per column.
            if (view == 3) continue;
            QCOMPARE(list->childCount(), 12);
            for (int i = 0; i < 12; ++i) {
                QAccessibleInterface* item = list->child(i);
                QVERIFY(item && item->isValid());
                QCOMPARE(item->role(), QAccessible::ListItem);
                QCOMPARE(item->text(QAccessible::Name), Window().IconList()->Text(i + 1));
                QCOMPARE(item->state().selected, i == 3);
                QCOMPARE(list->indexOfChild(item), i);
            }
        }
        // A file of fewer icons: the items past them are gone.
        QAccessibleInterface* eleventh = nullptr;
        SetView(0);
        eleventh = QAccessible::queryAccessibleInterface(View())->child(10);
        Open(mUiTest::Fixture("icons/six.ico"));
        QCOMPARE(QAccessible::queryAccessibleInterface(View())->childCount(), 1);
        QVERIFY(!eleventh->isValid());
    }

    // The search window's entries chosen by the user: a click on an entry's box, Space on the
    // current entry, Ctrl+A for all; Extract then saves the icons of those entries alone (of all
    // of them when none is checked), the files pictrix-cli extract writes for them.
    void SearchEntriesChosenByTheUser_data() {
        QTest::addColumn<QString>("keys"); // b<n>: a click on entry n's box; t<n>: on its text; " ": Space; a: Ctrl+A
        QTest::addColumn<QString>("checked"); // "1" for each entry then checked
        QTest::newRow("box of entry 2") << "b2"
                                        << "010";
        QTest::newRow("boxes of entries 1 and 3") << "b1 b3"
                                                  << "101";
        QTest::newRow("box clicked twice") << "b2 b2"
                                           << "000";
        QTest::newRow("text of entry 3, Space") << "t3 _"
                                                << "001";
        QTest::newRow("text, Down, Space") << "t1 v _"
                                           << "010";
        QTest::newRow("text alone") << "t2"
                                    << "000";
        QTest::newRow("Ctrl+A") << "t1 a"
                                << "111";
        QTest::newRow("Ctrl+A, Space") << "t2 a _"
                                       << "101";
    }

    void SearchEntriesChosenByTheUser() {
        if (QGuiApplication::platformName() == "offscreen") QSKIP("focus needs a display server (test_ui_user)");
        QFETCH(QString, keys);
        QFETCH(QString, checked);
        const QStringList sources = {mUiTest::Fixture("icons/six.ico"), Module(),
                                     mUiTest::Fixture("modules/seven64.dll")};
        FRecurse& w = Track(new FRecurse());
        w.ListModel()->Reload([&](cSearchList& list) {
            for (const QString& e : sources) list.Append(e.toStdString());
        });
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QListView* list = w.ListView();
        list->setFocus();
        for (const QString& key : keys.split(' ')) {
            const QModelIndex entry = list->model()->index(key.mid(1).toInt() - 1, 0);
            if (key[0] == 't') {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(entry).center());
            } else if (key[0] == 'b') {
                // The box is drawn where the style puts an item's check indicator.
                QStyleOptionViewItem option;
                option.initFrom(list);
                option.rect = list->visualRect(entry);
                option.features |= QStyleOptionViewItem::HasCheckIndicator;
                const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
                // Two clicks on a box are two clicks, not a double click.
                QTest::qWait(QApplication::doubleClickInterval() + 50);
            } else if (key == "_") {
                QTest::keyClick(list, Qt::Key_Space);
            } else if (key == "v") {
                QTest::keyClick(list, Qt::Key_Down);
            } else if (key == "a") {
                QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
            }
        }
        QString marks;
        for (int i = 0; i < w.List().ListCount(); ++i) marks += w.List().Checked(i) ? '1' : '0';
        QCOMPARE(marks, checked);

        const QString out = temp_.filePath("out");
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        prompts_->AnswerFolder(out);
        w.mnuEdit_Click(3);
        // pictrix-cli extract of the same entries writes the same files.
        const QString cliOut = temp_.filePath("cli");
        QDir(cliOut).removeRecursively();
        QDir().mkpath(cliOut);
        QStringList arguments = {"extract", "-o", cliOut};
        for (int i = 0; i < sources.size(); ++i)
            if (!checked.contains('1') || checked[i] == '1') arguments << sources[i];
        QProcess cli;
        cli.start(QStringLiteral(PICTRIX_BINARY_DIR "/pictrix-cli"), arguments);
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitCode(), 0);
        const QStringList written = QDir(out).entryList(QDir::Files, QDir::Name);
        const QStringList expected = QDir(cliOut).entryList(QDir::Files, QDir::Name);
        QStringList differing;
        for (const QString& name : written + expected)
            if (written.contains(name) != expected.contains(name)) differing << name;
        QVERIFY2(differing.isEmpty(), qPrintable(differing.join(", ")));
        QVERIFY(!written.isEmpty());
        for (const QString& name : written) QCOMPARE(ReadAll(out + "/" + name), ReadAll(cliOut + "/" + name));
        w.DataChanged(false);
    }
};

PICTRIX_UI_TEST(tChosenIconTest)
#include "chosen_icon_test.moc"
