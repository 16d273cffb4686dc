#include "display/Component.h"
#include "display/Screen.h"

namespace velvane {

void Component::Resize(int width, int height) {
    Drawable::Resize(width, height);
    RequestRedraw();
}

void Component::RequestRedraw() {
    m_owner.RequestRedraw();
}

} // namespace velvane
