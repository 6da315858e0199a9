// pictrix-atspi-windows MODULE: the windows a screen reader must be able to read, all at once and
// none of them modal, for the AT-SPI walk (atspi_walk.sh): the main window with MODULE's icons
// listed and the images pane showing the first icon's images, a search window holding a few
// entries, and the Properties, About and Options dialogs. Runs until it is ended.

#include <QApplication>
#include <QListView>

#include "app/mIconCommands.h"
#include "app/ui/FAbout.h"
#include "app/ui/FMain.h"
#include "app/ui/FProps.h"
#include "app/ui/cApplication.h"
#include "base/ui/mQtText.h"
#include "grid/ui/cIconGrid.h"
#include "search/ui/FRecurse.h"
#include "search/ui/cSearchListModel.h"
#include "support/ui/FOptions.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    cApplication app(argc, argv);
    app.setApplicationName("pictrix");

    FMain main;
    main.show();
    main.Retrieve(argv[1]);
    if (main.IconCount() < 1) return 1;
    if (!main.ImagesShown()) main.mnuImages_Click();
    main.lvwIcons_ItemClick(1);
    main.ImageGrid()->setFocus();

    FRecurse search;
    auto* model = static_cast<cSearchListModel*>(search.ListView()->model());
    for (const char* entry : {"/usr/share/one.ico", "/usr/share/two.dll"}) model->Append(entry);
    model->Publish();
    search.show();

    FProps props(&main);
    const cFileIcon& icon = main.Icon(1);
    props.SetTexts(mQtText::Q(mIconCommands::PropertiesNameLine(icon)),
                   mQtText::Q(mIconCommands::PropertiesText(icon)));
    props.show();
    FAbout about(&main);
    about.show();
    FOptions options(&main);
    options.show();
    return QApplication::exec();
}
