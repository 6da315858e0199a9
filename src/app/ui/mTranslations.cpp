#include "app/ui/mTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

#include "base/mTr.h"

namespace mTranslations {

namespace {

std::unique_ptr<QTranslator> gOwn;
std::unique_ptr<QTranslator> gQt;

std::string TranslateCore(const char* context, const char* text) {
    return QCoreApplication::translate(context, text).toStdString();
}

} // namespace

void Remove() {
    mTr::SetTranslator(nullptr);
    if (gOwn) QCoreApplication::removeTranslator(gOwn.get());
    if (gQt) QCoreApplication::removeTranslator(gQt.get());
    gOwn.reset();
    gQt.reset();
}

QString Install(const QLocale& locale) {
    Remove();
    for (QString language : locale.uiLanguages()) {
        language.replace('-', '_');
        if (language == "C" || language == "en" || language.startsWith("en_")) return {};
        auto own = std::make_unique<QTranslator>();
        // load strips the name back ("pictrix_de_AT" finds "pictrix_de").
        if (!own->load("pictrix_" + language, ":/i18n")) continue;
        auto qt = std::make_unique<QTranslator>();
        if (qt->load("qtbase_" + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qt.get());
            gQt = std::move(qt);
        }
        QCoreApplication::installTranslator(own.get());
        const QString installed = own->language();
        gOwn = std::move(own);
        mTr::SetTranslator(&TranslateCore);
        return installed;
    }
    return {};
}

} // namespace mTranslations
