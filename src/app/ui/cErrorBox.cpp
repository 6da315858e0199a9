#include "app/ui/cErrorBox.h"

#include <QApplication>

#include "platform/ui/cPrompts.h"

void cErrorBox::ShowError(const std::string& title, const std::string& text) {
    cPrompts::Current().Message(QApplication::activeWindow(), QString::fromStdString(text), cPrompts::eButtons::OK,
                                cPrompts::eIcon::Critical, QString::fromStdString(title));
}

void cErrorBox::Install() {
    static cErrorBox box;
    MError::SetErrorView(&box);
}
