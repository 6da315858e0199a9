#pragma once
// mTranslations: the desktop program in the user's language. Install chooses the language from the
// locale's list of interface languages: the first that is English (or the C locale) keeps the
// program English, with no translator at all; the first for which the program has a catalogue
// (built into it, :/i18n/pictrix_<language>.qm) is installed with Qt's own catalogue for the same
// language (qtbase_<language>.qm in Qt's translations folder), and the core's texts (mTr) are
// translated through the same catalogue. Returns the language installed ("de"), or "" for English.

#include <QLocale>
#include <QString>

namespace mTranslations {

QString Install(const QLocale& locale = QLocale());

// Takes the translators away again: the program is English (for tests that switch languages).
void Remove();

} // namespace mTranslations
