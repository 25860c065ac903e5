#include "ui/pages/JunkKindStyle.h"

#include "ui/theme/Palette.h"

namespace brisklet::ui {

QColor kindColor(JunkKind kind, const Palette& colors) {
    switch (kind) {
    case JunkKind::appCaches:
        return Palette::brand();
    case JunkKind::logs:
        return colors.orange();
    case JunkKind::xcode:
        return colors.indigo();
    case JunkKind::devCaches:
        return colors.green();
    case JunkKind::trash:
        return colors.gray();
    }
    return colors.gray();
}

} // namespace brisklet::ui
