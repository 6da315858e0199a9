#pragma once
// mSvgHelper: SVG icons drawn for the program without Qt (pictrix-cli) by the one beside it that
// has Qt's SVG module, pictrix-container-thumbnailer, run with --draw-svg. The drawings are then
// the same pixels the window and the thumbnails show, and a drawing that makes the SVG module
// crash or hang fails that file alone.
//
// The exchange: the drawing on the helper's standard input (a file, so that nothing waits on a
// pipe), the sides after the option ("16,22,...,256"); on its standard output, for each side in
// that order, the PNG stream's length (4 bytes, little-endian) and the stream; exit status 0. On
// failure, status 1 and one line on standard error saying why.

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "containers/mContainers.h"

namespace mSvgHelper {

inline constexpr char kProgram[] = "pictrix-container-thumbnailer";
inline constexpr char kOption[] = "--draw-svg";
// The longest the helper may take over one drawing at every side before it is stopped.
inline constexpr int kSeconds = 20;

// Hands the container readers a renderer that runs kProgram from the running program's own
// folder; where it is missing, drawing fails with a message that says so.
void Install();

// The renderer running `program` (a path, or a name looked for on PATH), stopped after `seconds`.
mContainers::tSvgRenderer Renderer(const std::string& program, int seconds = kSeconds);

// The helper's side, for `pictrix-container-thumbnailer --draw-svg SIDES`: reads the drawing from
// `in`, draws it with `draw` and writes the answer to `out`; the exit status.
int Serve(const std::string& sides, std::istream& in, std::ostream& out, std::ostream& err,
          const mContainers::tSvgRenderer& draw);

// The sides of "16,22,256": each 1 to kMaxSvgSide, at most 16 of them; empty when malformed.
std::vector<std::int32_t> ParseSides(const std::string& text);
std::string SidesText(const std::vector<std::int32_t>& sides);

// The PNG streams of an answer, one per side; throws a cError when it is not such an answer.
std::vector<std::vector<std::uint8_t>> ReadAnswer(const std::vector<std::uint8_t>& answer,
                                                  const std::vector<std::int32_t>& sides);
// The most bytes an answer for these sides may take.
std::uint64_t AnswerLimit(const std::vector<std::int32_t>& sides);

} // namespace mSvgHelper
