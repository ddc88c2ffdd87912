// Line ends as Windows console programs write them: every LF that does not follow a CR gets
// one. Text that already ends its lines with CR LF (a report) passes unchanged; UTF-8 and the
// ANSI code pages never hold the byte 0x0A inside a character, so no character is split.
#pragma once

#include <string>
#include <string_view>

namespace hivewarden::cli {

class CrLfLineEnds {
  public:
    // `text` with a CR before each lone LF. The text is one piece of a longer stream: a CR at
    // the end of one piece counts for an LF at the start of the next.
    std::string Translate(std::string_view text);

  private:
    bool lastWasCr_ = false;
};

}  // namespace hivewarden::cli
