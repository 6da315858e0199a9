#pragma once
// mTr: the texts a user reads, in the user's language. The core knows no translator: the desktop
// program installs one (its catalogue, through Qt) when it starts; without one (the command line,
// the thumbnailer, the core's tests) every text stays the English it is written in. Texts are
// marked where they are written: PICTRIX_TR translates there, PICTRIX_TR_NOOP marks an entry of a
// table that mTr::Text translates where it is used; the catalogue's extraction (lupdate) reads both
// as QT_TRANSLATE_NOOP, the first argument being the context. A text that holds names or numbers
// is translated as a pattern with %1, %2... and filled afterwards (Fill), so that a language may
// put them where its sentence needs them. Only texts a person reads are marked: nothing that a file
// format, a record or another program reads.

#include <initializer_list>
#include <string>
#include <string_view>

namespace mTr {

// Answers the translation of `text` in `context`, or `text` itself when there is none.
using tTranslator = std::string (*)(const char* context, const char* text);

// Installs the translator for the whole process (nullptr: none); safe from any thread.
void SetTranslator(tTranslator translator) noexcept;

// `text` in the user's language.
std::string Text(const char* context, const char* text);
std::string Text(const char* context, std::string_view text);

// `pattern` with each %1...%9 replaced by the argument of that number (inserted text is not read
// again; a number without an argument stays as it is).
std::string Fill(std::string_view pattern, std::initializer_list<std::string_view> args);

} // namespace mTr

#define PICTRIX_TR_NOOP(context, text) text
#define PICTRIX_TR(context, text) ::mTr::Text(context, text)
