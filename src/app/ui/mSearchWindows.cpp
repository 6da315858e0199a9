#include "app/ui/mSearchWindows.h"

#include <QWindow>

#include <optional>

#include "app/ui/FAbout.h"
#include "app/ui/FMain.h"
#include "app/ui/Main.h"
#include "search/ui/FRecurse.h"

namespace mSearchWindows {

void Install() {
    FMain::SetSearchWindowFactory([](QWidget* owner, const std::string& listFile) -> QWidget* {
        // Not a child of the main window, which would take it down when it closes (in the middle
        // of a search, even): the window is only placed above its owner, as an owned window is.
        auto* window = new FRecurse();
        if (owner) {
            window->winId();
            if (QWindow* handle = window->windowHandle()) handle->setTransientParent(owner->window()->windowHandle());
        }
        if (!listFile.empty()) window->DisplayList(listFile);
        return window;
    });
    FMain::SetSimilarSearch([](QWidget* owner, std::uint64_t hash, const std::string& what) {
        const std::optional<FRecurse::cSimilarAsk> ask = FRecurse::AskSimilar(owner);
        if (!ask) return;
        auto* window = new FRecurse();
        window->setAttribute(Qt::WA_DeleteOnClose);
        if (owner) {
            window->winId();
            if (QWindow* handle = window->windowHandle()) handle->setTransientParent(owner->window()->windowHandle());
        }
        window->show();
        window->FindSimilar(hash, what, *ask);
    });
    FRecurse::SetAboutBox([](QWidget* owner) {
        FAbout about(owner);
        about.exec();
    });
    FRecurse::SetEndProgram([] { ::EndProgram(); });
}

} // namespace mSearchWindows
