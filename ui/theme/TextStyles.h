#pragma once

#include <QFont>

namespace brisklet::ui {

enum class TextStyle { largeTitle, title2, title3, headline, body, callout, caption, caption2 };

// The font of a text style, scaled from `base` (by default the application font, which stands for
// body text) so that the whole interface follows the desktop's font size setting.
QFont font(TextStyle style);
QFont font(TextStyle style, const QFont& base);

} // namespace brisklet::ui
