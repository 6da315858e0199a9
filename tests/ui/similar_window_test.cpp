// Find Similar Icons: from the main window's chosen icon to a search window listing the files of a
// folder that hold a group like it, best first, each file's match in the status strip when chosen,
// the distance remembered, and the list as any search's (saved like one).

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QListView>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <set>

#include "app/ui/FMain.h"
#include "app/ui/cListView.h"
#include "app/ui/mSearchWindows.h"
#include "cMainWindowTest.h"
#include "mUiTest.h"
#include "search/mListFile.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"
#include "search/ui/cStatusStrip.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Names(const FRecurse& w) {
    std::vector<std::string> out;
    for (int i = 0; i < w.List().ListCount(); ++i) out.push_back(fs::path(w.List().Text(i)).filename().string());
    return out;
}

} // namespace

class tSimilarWindowTest : public cMainWindowTest {
    Q_OBJECT

    // Runs Find Similar on the main window's first icon with the answers given; the search window
    // it opened (tracked), or null.
    FRecurse* FindSimilar(const QString& folder, const QString& distance) {
        prompts_->AnswerFolder(folder);
        prompts_->AnswerInput(distance);
        Window().FindSimilarItem()->trigger();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* r = qobject_cast<FRecurse*>(top);
            if (r && r->isVisible() && !seen_.count(r)) {
                seen_.insert(r);
                return &Track(r);
            }
        }
        return nullptr;
    }

    std::set<FRecurse*> seen_;

private slots:
    void ListsTheFilesThatHoldALikeGroupBestFirst() {
        mSearchWindows::Install();
        const fs::path folder = fs::path(temp_.path().toStdString()) / "collection";
        fs::create_directories(folder / "deeper");
        for (const char* f : {"a_32.ico", "a_4.ico", "b_32.ico", "c_32.ico", "d_32.ico"})
            fs::copy_file(mUiTest::Fixture(QString("similar/") + f).toStdString(), folder / f);
        fs::copy_file(mUiTest::Fixture("similar/a_48.ico").toStdString(), folder / "deeper" / "a_48.ico");
        fs::copy_file(mUiTest::Fixture("modules/good32.dll").toStdString(), folder / "good32.dll");
        std::ofstream(folder / "notes.txt") << "not an icon";

        Open(mUiTest::Fixture("similar/a_png.ico"));
        Window().IconList()->SetSelected(1);
        FRecurse* w = FindSimilar(QString::fromStdString(folder.string()), "6");
        QVERIFY(w);
        // a_png's picture is a_48's at 64 pixels (distance 1), then a_32 and a_4; the others are far.
        QCOMPARE(Names(*w), (std::vector<std::string>{"a_48.ico", "a_32.ico", "a_4.ico"}));
        QVERIFY(w->StatusStrip()->Text().startsWith("Find Similar: 3 file(s) hold a group within 6"));
        w->ListView()->selectionModel()->setCurrentIndex(w->ListModel()->index(0), QItemSelectionModel::SelectCurrent);
        QCOMPARE(w->StatusStrip()->Text(), QString("Distance 1 from a_png.ico: group 1"));
        // Each row shows its distance and group, best first; the entry itself stays the path.
        for (int row = 0; row < 3; ++row) {
            const QString shown = w->ListModel()->index(row).data().toString();
            QVERIFY2(shown.startsWith(QString::fromStdString(w->List().Text(row)) + "    (distance "),
                     qPrintable(shown));
        }
        QVERIFY(w->ListModel()->index(0).data().toString().endsWith("(distance 1, group 1)"));
        // A normal list: checked entries are what a save writes.
        w->ListModel()->setData(w->ListModel()->index(2), Qt::Checked, Qt::CheckStateRole);
        const std::string saved = temp_.filePath("similar.ier").toStdString();
        QVERIFY(w->SaveList(saved));
        std::vector<std::string> entries;
        mListFile::Read(saved, [&entries](std::string&& e) {
            entries.push_back(e);
            return true;
        });
        QCOMPARE(entries, std::vector<std::string>{(folder / "a_4.ico").string()});

        // The distance is offered as last used; 0 keeps only the same picture.
        FRecurse* again = FindSimilar(QString::fromStdString(folder.string()), "0");
        QVERIFY(again);
        QCOMPARE(prompts_->LastAsked().initial, QString("6"));
        QVERIFY(Names(*again).empty());
        // Cancelled or not a distance: no window.
        prompts_->AnswerFolder(QString::fromStdString(folder.string()));
        prompts_->AnswerInput(QString("65"));
        Window().FindSimilarItem()->trigger();
        prompts_->AnswerFolder(std::nullopt);
        Window().FindSimilarItem()->trigger();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* r = qobject_cast<FRecurse*>(top);
            QVERIFY(!r || !r->isVisible() || seen_.count(r));
        }
        FMain::SetSimilarSearch({});
        FMain::SetSearchWindowFactory({});
    }
};

PICTRIX_UI_TEST(tSimilarWindowTest)
#include "similar_window_test.moc"
