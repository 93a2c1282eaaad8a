#include "app/window_registry.h"

#include <vector>

namespace korvalin {
namespace {
std::vector<QPointer<QWidget>>& Windows() {
    static std::vector<QPointer<QWidget>> windows;
    return windows;
}
} // namespace

void RegisterWindow(QWidget* window) { Windows().emplace_back(window); }

void DestroyAllWindows() {
    auto windows = std::move(Windows());
    Windows().clear();
    // Newest first, so a window never outlives one it was created from.
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) delete it->data();
}

} // namespace korvalin
