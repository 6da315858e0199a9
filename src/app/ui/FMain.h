#pragma once
// FMain: the main window. It owns the icons of the current file (`Icons`, 1..IconCount) and the two
// image lists their pictures live in, shows one list item per icon in `lvwIcons` in one of four
// views, and keeps the chosen icon's images in the grid `IconGrid1`, hidden until View > Images
// shows it beside the list: list and images share the splitter splImages, whose handle the user
// drags (the pane's width is kept with the settings), and the images pane scrImages scrolls
// sideways where it is narrower than the widest image, so that no image is ever cut. Save, Copy,
// Properties and Export as PNG act on the images selected in the shown grid (none selected: all);
// with the grid hidden its selection plays no part. A cursor (a cursor group, a cursor file, a
// frame of an animated cursor) is marked in every view, saved and copied as a .cur file, and its
// properties give the hotspots; View > Cursors decides whether a module's cursor groups are read.
//
// Invariants: the icons are those of the last retrieval, every one of them whole (a group that
// failed to load is never among them); ilsIcons32 and ilsIcons16 hold at most one picture per
// icon, under the icon's item key "C" + i; the list items are those of the last DisplayIcons. The
// check marks of mnuView 0, 1 and 3..6, the visibility of tbrMain and sbrMain, the pressed view
// button and lvwIcons' view agree after every mnuView_Click.
//
// Handlers are named after the control and the event; each traps its errors and reports them as
// the command concerned requires. Menu items are addressed by their index in their menu array;
// an index with no item in the array is nullptr. Every control, menu array and flag lives in one
// private struct, FMain::cState (FMain_State.h); the accessors below show what the other windows
// and the tests look at.

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "icon/cFileIcon.h"
#include "support/cMRUFileList.h"

class QAction;
class QMenu;
class QScrollArea;
class QSplitter;
class QToolBar;
class cIconGrid;
class cImageList;
class cListView;
class cStatusBar;

class FMain : public QMainWindow {
    Q_OBJECT

public:
    // The designed client area, 6795 by 4650 twips.
    static constexpr int kDesignWidthTwips = 6795;
    static constexpr int kDesignHeightTwips = 4650;
    // Width of each details column, in twips.
    static constexpr int kColumnWidthTwips = 2540;
    // The type column ("Icon" or "Cursor") needs less.
    static constexpr int kTypeColumnWidthTwips = 1200;
    static constexpr int kRecentCapacity = 4;

    explicit FMain(QWidget* parent = nullptr);
    ~FMain() override;

    // The global default instance, created on first use; released when the window closes.
    static FMain& Default();
    static bool DefaultLoaded();

    // ---- State. The icons of the current file, 1-based; out of range raises 9.
    std::int32_t IconCount() const noexcept;
    const cFileIcon& Icon(std::int32_t i) const;
    const cMRUFileList& RecentFiles() const noexcept;

    // ---- The parts the other windows and the tests look at.
    cListView* IconList() const noexcept; // lvwIcons
    cIconGrid* ImageGrid() const noexcept; // IconGrid1, in the images pane
    QScrollArea* ImagesPane() const noexcept; // scrImages: the grid, scrolled sideways
    QSplitter* ImagesSplitter() const noexcept; // splImages: the list, then the images pane
    QToolBar* Toolbar() const noexcept; // tbrMain
    cStatusBar* StatusPanels() const noexcept; // sbrMain
    const cImageList* Pictures32() const noexcept; // ilsIcons32
    const cImageList* Pictures16() const noexcept; // ilsIcons16
    // The items of the menu arrays by index (nullptr where the array has no item).
    QAction* FileItem(int index) const; // mnuFile, 0 to 7
    QAction* RecentItem(int index) const; // mnuMRU, 0 to 6
    QAction* ViewItem(int index) const; // mnuView, 0 to 8
    QAction* ErrorLogItem(int index) const; // mnuErrorLog, 0 to 2
    QAction* HelpItem(int index) const; // mnuHelp, 0 to 5
    QAction* ImagesItem() const noexcept; // View > "Ima&ges"
    QAction* CursorsItem() const noexcept; // View > "C&ursors"
    QAction* ExportPngItem() const noexcept; // File > "&Export as PNG..."
    QAction* CursorThemeItem() const noexcept; // File > "Make Cursor &Theme..."
    QAction* LauncherItem() const noexcept; // File > "Add to Applications &Menu..."
    QAction* CopyItem() const noexcept; // the hidden "&Copy"
    QAction* FindSimilarItem() const noexcept; // Edit > "Find &Similar Icons..."
    QAction* OptionsItem() const noexcept; // View > "&Options..."

    // The toolbar button of a key ("open", "viewlarge", ...); nullptr for an unknown key.
    QAction* Button(const QString& key) const;
    // The keys of the toolbar in order ("" for a separator).
    const std::vector<QString>& ButtonKeys() const;

    // ---- Retrieval and display.
    void RetrieveIcons();
    // Opens a file dropped on the window as the open dialog's choice: it heads the recent files.
    void RetrieveDroppedFile(const std::string& fileName);
    // Steps 3 on of RetrieveIcons: every icon of a file named without the dialog (the chosen
    // file, the command line's, a recent file), its pictures, the list.
    void Retrieve(const std::string& fileName);
    std::int32_t BestImageIndex(std::int32_t n, std::int32_t size);
    void DisplayIcons();
    void RefreshRecentMenu();

    // The background of lvwIcons from a stored colour value (a colour or a system-colour
    // reference 0x80000000 + index).
    void SetListBackColour(std::int32_t value);
    // Screen twips per pixel (vertical and horizontal).
    double TwipsPerPixelY() const;
    double TwipsPerPixelX() const;

    // Applies the stored settings (list colour, toolbar, status bar, window state and place, view,
    // images, cursors); a value that cannot be read leaves its control as it is.
    void Settings();

    // ---- Commands on the chosen icon, outside programs, options, log and help (FMain_Commands.cpp).
    // The pages of the Help menu's items 4 and 5 in the Help folder beside the program.
    static constexpr const char* kHelpPage4 = "formats.htm";
    static constexpr const char* kHelpPage5 = "files.htm";

    void SaveIcons();
    void mnuCopy_Click();
    void ShowProperties();
    // Writes the chosen images as PNG files (the icon's best image when the grid is hidden): one
    // file through the save dialog, several into a folder the user picks, asking before any file
    // there is replaced; then says what was written and what failed.
    void ExportPng();
    // File > "Make Cursor Theme...": the dialog that installs a Windows cursor pack as a theme.
    void MakeCursorTheme();
    // File > "Add to Applications Menu...": the dialog that makes a menu entry for the chosen
    // icon's file with that icon (FLauncher).
    void AddLauncher();
    // Whether the image grid is shown (View > Images carries the check mark).
    bool ImagesShown() const;
    // Whether a module's cursor groups are listed after its icon groups (View > Cursors carries
    // the check mark).
    bool CursorsShown() const;
    // Starts the configured icon editor (asking to configure one when there is none); a program
    // that cannot be started raises the error mnuFile_Click shows.
    void LaunchEditor();
    // Opens a new, independent search window owned by this one, with the list file `listFile`
    // loaded when one is named; raises when the build has none.
    void OpenSearchWindow(const std::string& listFile = {});
    void RunGlintsmith();

    // The search window's maker (mSearchWindows registers it at start-up): given the owner and a list file to
    // load (none when empty), a new window.
    using tSearchWindowFactory = std::function<QWidget*(QWidget* owner, const std::string& listFile)>;
    static void SetSearchWindowFactory(tSearchWindowFactory factory);
    // Edit > Find Similar Icons: the chosen icon's difference hash handed to the search windows
    // (mSearchWindows registers them), which ask where to look and list what looks like it.
    void FindSimilar();
    using tSimilarSearch = std::function<void(QWidget* owner, std::uint64_t hash, const std::string& what)>;
    static void SetSimilarSearch(tSimilarSearch search);

    // Saves the recent files and the window's settings (FMain_Settings.cpp).
    void StoreSettings();

    // ---- Event handlers.
    void Form_Load();
    void Form_Resize();
    void lvwIcons_ItemClick(int index);
    void mnuView_Click(int index);
    void mnuImages_Click();
    // Turns View > Cursors over and reads the file shown again, keeping the chosen row where
    // it is still listed.
    void mnuCursors_Click();
    void mnuFile_Click(int index);
    void mnuMRU_Click(int index);
    void tbrMain_ButtonClick(const QString& key);
    void mnuOptions_Click();
    void mnuErrorLog_Click(int index);
    void mnuHelp_Click(int index);
    void mnuExit_Click();
    void Form_QueryUnload();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateMenus();
    void CreateToolbar();
    // The image grid's own Copy key and its context menu (Save, Copy, Export as PNG, Properties).
    void CreateGridCommands();
    // Adds the pictures of icon i under key "C" + i to both image lists, each drawn when a view
    // first shows it: a picture that cannot be made is logged, and its item shows none.
    void AddPictures(std::int32_t i);
    // Empties both image lists for the screen's ratio, with a fresh store of drawn pictures.
    void ForgetPictures();
    // The device pixel ratio the list pictures are made for: the window's screen's.
    double PictureRatio() const;
    // Makes the pictures of every icon again when the screen's ratio is not the one they were
    // made for (the window moved to another screen).
    void RemakePictures();
    void ResetIcons();
    // Errors of RetrieveIcons that end it.
    void RetrieveFailed(const cError& e);
    // mnuFile_Click's report: number, source and description on three lines.
    void ShowCommandError(const cError& e);
    // True when an icon is chosen. Otherwise tells the user, as Save and Export do: with no icons
    // listed, `noIcons` in the status bar; with none chosen, `chooseOne` in a message.
    bool HasChosenIcon(const char* context, std::string_view noIcons, std::string_view chooseOne);
    // The number of the chosen icon (the list's selected item).
    std::int32_t ChosenIndex() const;
    // The selection flags of the grid's images while it is shown; empty (nothing chosen, so every
    // image counts) while it is hidden.
    std::vector<bool> ChosenImages() const;
    // The chosen icon restricted to the images chosen in the grid (all when none is).
    cFileIcon ChosenCopy();
    // Drags the chosen copy out of the list or the images pane (mIconDrag).
    void StartDrag();
    // Sets the grid shown or hidden with the check mark of View > Images, and lays the window out.
    void ShowImages(bool shown);
    // Gives the images pane its width in the splitter: the one the user left (imagesWidth_), else
    // a third of the list's place, at least 120 and at most 280 pixels, or the width the widest
    // image needs where that is more and the list keeps a third.
    void PlaceImagesPane();
    // Sizes the grid to the pane: its height, and its width or the width the widest image needs.
    void FitGridToPane();

    // Every control, menu item and flag of the window (FMain_State.h).
    struct cState;
    const std::unique_ptr<cState> s_;
};
