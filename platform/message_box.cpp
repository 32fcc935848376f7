#include "platform/message_box.h"

#include <cstdio>

namespace platform {
namespace {

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

}  // namespace

void ShowMessageBox(const QString& text, MessageIcon icon)
{
    if (const auto& handler = Handler()) {
        handler(text, icon);
        return;
    }
    std::fprintf(stderr, "%s%s\n", icon == MessageIcon::Error ? "Error: " : "", qUtf8Printable(text));
}

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    Handler() = std::move(handler);
}

}  // namespace platform
