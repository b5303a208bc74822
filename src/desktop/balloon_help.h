#pragma once

class QWidget;

// The balloon help: fourteen controls of the window, found by name under
// window, get their tip texts, shown white on dark blue.
namespace balloon_help
{

void install(QWidget &window);

} // namespace balloon_help
