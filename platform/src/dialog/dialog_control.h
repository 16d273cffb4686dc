#pragma once
// What the dialog code and its painting share: the controls' state and the
// look of the dialog parts.
#include "platform/dialog.h"

#include <string>
#include <utility>
#include <vector>

namespace platform::dialog_look {

inline constexpr Color Face = Rgb(212, 208, 200);
inline constexpr Color Caption = Rgb(0, 0, 128);
inline constexpr Color CaptionText = Rgb(255, 255, 255);
inline constexpr Color FieldColor = Rgb(255, 255, 255);
inline constexpr Color Text = Rgb(0, 0, 0);
inline constexpr Color GrayText = Rgb(128, 128, 128);
inline constexpr Color Highlight = Rgb(0, 0, 128);
inline constexpr int ScrollBarWidth = 13;

} // namespace platform::dialog_look

namespace platform {

struct Dialog::Control {
    ControlTemplate t;
    Rect rect;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::vector<std::pair<std::u16string, intptr_t>> items;
    int selection = -1;
    int top = 0;
    int horizontalExtent = 0;
};

} // namespace platform
