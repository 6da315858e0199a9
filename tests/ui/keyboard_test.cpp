// The program by keyboard: a mnemonic letter names one item of each menu and one control of each
// dialog, a label's letter moves to the control it names, and the search list is checked by Space
// and Ctrl+A with its current row shown; in German too.

#include <QtTest>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAccessible>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>

#include "app/ui/FAbout.h"
#include "app/ui/FLauncher.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/ui/cListView.h"
#include "grid/ui/cIconGrid.h"
#include "app/ui/mTranslations.h"
#include "doubles/cScriptedPrompts.h"
#include "themes/ui/FCursorTheme.h"
#include "base/cError.h"
#include "resources/mIconGroups.h"
#include "search/mRecurse.h"
#include "mUiTest.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"
#include "support/ui/FOptions.h"

namespace {

// The letter after the one "&" of a text ("&&" is a plain "&"), lower case; none without.
QChar Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return text[i + 1].toLower();
    }
    return {};
}

// "menu: &A and &B share a" for every letter two shown items share.
QStringList Clashes(const QString& where, const QList<QPair<QString, QChar>>& items) {
    QStringList found;
    QMap<QChar, QString> owner;
    for (const auto& [text, letter] : items) {
        if (letter.isNull()) continue;
        if (owner.contains(letter))
            found << where + ": " + owner[letter] + " and " + text + " share " + letter;
        else
            owner[letter] = text;
    }
    return found;
}

QStringList MenuClashes(const QString& where, const QList<QAction*>& actions) {
    QList<QPair<QString, QChar>> items;
    QStringList found;
    for (QAction* a : actions) {
        if (!a->isVisible() || a->isSeparator()) continue;
        items.append({a->text(), Mnemonic(a->text())});
        if (a->menu()) found << MenuClashes(where + " > " + a->text(), a->menu()->actions());
    }
    return Clashes(where, items) + found;
}

// The controls a dialog shows: one letter each; a label's letter names a buddy.
QStringList DialogClashes(const QString& where, QWidget* dialog) {
    QList<QPair<QString, QChar>> items;
    QStringList found;
    for (QWidget* w : dialog->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(dialog)) continue;
        if (const auto* b = qobject_cast<QAbstractButton*>(w)) items.append({b->text(), Mnemonic(b->text())});
        if (const auto* l = qobject_cast<QLabel*>(w); l && !Mnemonic(l->text()).isNull()) {
            items.append({l->text(), Mnemonic(l->text())});
            if (!l->buddy()) found << where + ": " + l->text() + " has no buddy";
        }
    }
    return Clashes(where, items) + found;
}

// Every clash of the main and search windows' menus and of the dialogs, in the language installed.
QStringList AllClashes(FMain& main) {
    QStringList clashes = MenuClashes("main window", main.menuBar()->actions());
    clashes << MenuClashes("the list's menu", main.IconList()->ListWidget()->actions());
    clashes << MenuClashes("the images' menu", main.ImageGrid()->actions());
    FRecurse search;
    search.show();
    clashes << MenuClashes("search window", search.menuBar()->actions());
    search.DataChanged(false);
    search.close();
    FOptions options(&main);
    options.show();
    clashes << DialogClashes("Options", &options);
    FProps props(&main);
    props.show();
    clashes << DialogClashes("Properties", &props);
    FAbout about(&main);
    about.show();
    clashes << DialogClashes("About", &about);
    FCursorTheme theme(&main);
    theme.show();
    clashes << DialogClashes("Make Cursor Theme", &theme);
    std::vector<cFileIcon> icons;
    const std::string module = mUiTest::Fixture("modules/sample.dll").toStdString();
    mIconGroups::Load(module, icons);
    FLauncher launcher(&main, module, icons.at(0), mUiTest::Fixture("no-data-home").toStdString());
    launcher.show();
    clashes << DialogClashes("Add to Applications Menu", &launcher);
    return clashes;
}

QStringList Titles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* a : bar->actions())
        if (a->isVisible()) titles << a->text();
    return titles;
}

} // namespace

class tKeyboardTest : public QObject {
    Q_OBJECT

private slots:
    void EveryMenuAndDialogHasUniqueMnemonics() {
        FMain main;
        main.show();
        const QStringList clashes = AllClashes(main);
        QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
        // A label's letter gives its control the focus.
        FOptions options(&main);
        options.show();
        options.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&options));
        QTest::keyClick(&options, Qt::Key_E, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), options.lblIconEditor->buddy());
        QTest::keyClick(&options, Qt::Key_I, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), options.lblIconBackcolor->buddy());
        QVERIFY(options.lblIconEditor->buddy() != options.lblIconBackcolor->buddy());
    }

    // The program in German: under a German locale (the environment's in the run with
    // LANG=de_DE.UTF-8, else one set here) the menus, Qt's own buttons and the core's texts come
    // out German, the mnemonics unique as in English; under the C locale there is no translator.
    void GermanUnderAGermanLocale() {
        const QLocale german =
            QLocale().language() == QLocale::German ? QLocale() : QLocale(QLocale::German, QLocale::Germany);
        QCOMPARE(mTranslations::Install(german).left(2), QString("de"));
        struct cEnglishAfter {
            ~cEnglishAfter() { mTranslations::Remove(); }
        } englishAfter;
        {
            FMain main;
            main.show();
            QCOMPARE(Titles(main.menuBar()), QStringList({"&Datei", "&Bearbeiten", "&Ansicht", "&Hilfe"}));
            QCOMPARE(main.ViewItem(3)->text(), QString("&Große Symbole"));
            QCOMPARE(main.ImagesItem()->text(), QString("&Bilder"));
            // Export as PNG of one image asks for the file under its German title, as the folder
            // question of several images does.
            main.Retrieve(mUiTest::Fixture("icons/six.ico").toStdString());
            cScriptedPrompts prompts;
            const cPrompts::cScope scope(prompts);
            prompts.CancelFile(cScriptedPrompts::eKind::SaveFile);
            main.ExportPng();
            QCOMPARE(prompts.LastAsked().title, QString("Als PNG exportieren"));
            const QStringList clashes = AllClashes(main);
            QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
        }
        QDialogButtonBox qtOwn(QDialogButtonBox::Cancel);
        QCOMPARE(qtOwn.button(QDialogButtonBox::Cancel)->text().remove('&'), QString("Abbrechen"));
        // A core text with a number in it: the pattern translated, then filled.
        QCOMPARE(mRecurse::CountText(3), std::string("Anzahl der Einträge: 3"));
        QCOMPARE(cError::RuntimeDescription(cError::kFileNotFound), std::string("Datei nicht gefunden"));

        QCOMPARE(mTranslations::Install(QLocale::c()), QString());
        FMain english;
        QCOMPARE(Titles(english.menuBar()), QStringList({"&File", "&Edit", "&View", "&Help"}));
        QDialogButtonBox qtEnglish(QDialogButtonBox::Cancel);
        QCOMPARE(qtEnglish.button(QDialogButtonBox::Cancel)->text().remove('&'), QString("Cancel"));
        QCOMPARE(mRecurse::CountText(3), std::string("Number of items: 3"));
    }

    // Space checks the current row, Ctrl+A every row (the About box's Ctrl+A stays with the
    // window's other controls), and the arrows move a current row that is drawn.
    void TheSearchListIsCheckedByKeyboard() {
        bool aboutShown = false;
        FRecurse::SetAboutBox([&aboutShown](QWidget*) { aboutShown = true; });
        auto* w = new FRecurse();
        w->setAttribute(Qt::WA_DeleteOnClose);
        auto* model = static_cast<cSearchListModel*>(w->ListView()->model());
        for (const char* entry : {"/a/one.exe", "/a/two.exe", "/a/three.exe"}) model->Append(entry);
        model->Publish();
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QListView* list = w->ListView();
        list->setFocus();
        QCOMPARE(list->currentIndex().row(), 0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex().row(), 1);
        QVERIFY(list->selectionModel()->isSelected(list->currentIndex()));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(model->List().CheckedCount(), 1);
        QVERIFY(model->List().Checked(1));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(model->List().CheckedCount(), 0);
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(model->List().CheckedCount(), 3);
        QVERIFY(!aboutShown);
        w->DataChanged(false);
        w->close();
        FRecurse::SetAboutBox({});
    }
};

PICTRIX_UI_TEST(tKeyboardTest)
#include "keyboard_test.moc"
