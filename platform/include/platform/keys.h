#pragma once
// Virtual-key codes as the device numbers them; settings files use them too.
namespace platform::vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Escape = 27;
constexpr int Space = 32;
constexpr int Prior = 33; // Page Up
constexpr int Next = 34;  // Page Down
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Delete = 46;
constexpr int Key0 = 48; // '0'..'9' are 48..57
constexpr int KeyA = 65; // 'A'..'Z' are 65..90
constexpr int Numpad0 = 96;
constexpr int Multiply = 106;
constexpr int Add = 107;
constexpr int Subtract = 109;
constexpr int Divide = 111;
constexpr int F1 = 112; // F1..F12 are 112..123
} // namespace platform::vk
