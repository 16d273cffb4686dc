#pragma once
// A drawable that belongs to the screen: it never paints on its own but asks
// the screen for a redraw whenever its appearance changes.
#include "display/Drawable.h"

namespace velvane {

class Screen;

class Component : public Drawable {
public:
    Component(Screen& owner, int width, int height) : Drawable(width, height), m_owner(owner) {}

    void Resize(int width, int height) override;
    void RequestRedraw();
    Screen& Owner() const { return m_owner; }

private:
    Screen& m_owner;
};

} // namespace velvane
