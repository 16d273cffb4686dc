#include "display/Drawable.h"

namespace velvane {

void Drawable::Resize(int width, int height) {
    m_width = width;
    m_height = height;
}

bool Drawable::OnKey(int) {
    return false;
}

bool Drawable::OnTap(int, int) {
    return false;
}

} // namespace velvane
