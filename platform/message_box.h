#pragma once

#include <QString>

#include <functional>

namespace platform {

enum class MessageIcon { None, Error };

using MessageBoxHandler = std::function<void(const QString& text, MessageIcon icon)>;

// Shows a message to the user and returns once it is acknowledged. Without an installed handler
// (no GUI) the text goes to standard error. The GUI installs a handler that shows a modal box on the
// window thread; it must be installed before any worker thread starts.
void ShowMessageBox(const QString& text, MessageIcon icon);
void SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace platform
