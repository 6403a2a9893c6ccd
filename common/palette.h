#pragma once
// The colour pairs of both programs, by what they are for. Indices of the 16-colour
// text palette; a foreground above 15 blinks.
namespace kivo {

struct Colors {
  int fg;
  int bg;
};

namespace palette {
inline constexpr Colors kRecords{7, 1};        // the record rows and the frame's first row
inline constexpr Colors kCurrentLine{7, 4};    // the record being edited
inline constexpr Colors kSeparatorCell{0, 0};  // the separators of the current line
inline constexpr Colors kCaptions{14, 1};      // captions, key legend, menus and their dialogues
inline constexpr Colors kCommandWords{10, 1};  // PGUP PGDN ... EXIT
inline constexpr Colors kBlinking{30, 1};      // table messages, "Realtime", "Searching" and the like
inline constexpr Colors kDialogue{4, 7};       // the question rows of the browse commands
inline constexpr Colors kShell{7, 0};          // what the screen is left in at the end
}  // namespace palette

}  // namespace kivo
