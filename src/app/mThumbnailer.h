#pragma once
// mThumbnailer: the freedesktop thumbnailer pictrix-thumbnailer, "-s SIZE INPUT OUTPUT": the
// PNG stream of mThumbnail::MakePng written to OUTPUT, through a temporary file renamed over it,
// so a file manager never sees a partial picture. On any failure OUTPUT is not touched and the
// reason goes to `err`. Exit status: 0 written, 1 no picture (no icons, a damaged file, OUTPUT
// cannot be written), 2 bad usage.

#include <ostream>
#include <string>
#include <vector>

namespace mThumbnailer {

// The size taken when -s is not given: the freedesktop "normal" thumbnail.
inline constexpr int kDefaultSize = 128;

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace mThumbnailer
