#include "ui/pages/AppRow.h"

#include "ui/components/CheckBox.h"
#include "ui/components/Tag.h"
#include "ui/pages/RowBackground.h"
#include "ui/theme/Palette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/TextStyles.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

namespace brisklet::ui {

namespace {

QFont nameFont(const QFont& base) {
    QFont name = font(TextStyle::body, base);
    name.setWeight(QFont::Medium);
    return name;
}

QFont quitFont(const QFont& base) {
    return font(TextStyle::callout, base);
}

QSize quitButtonSize(const QWidget& view) {
    QStyleOptionButton option;
    option.initFrom(&view);
    option.fontMetrics = QFontMetrics(quitFont(view.font()));
    option.text = AppRow::quitText();
    const QSize text = option.fontMetrics.size(Qt::TextShowMnemonic, option.text);
    QSize size = view.style()->sizeFromContents(QStyle::CT_PushButton, &option, text, &view);
    // The style's minimum width is for dialog buttons; a row's button hugs its word.
    size.setWidth(text.width() + 24);
    size.setHeight(std::min(size.height(), text.height() + 10));
    return size;
}

} // namespace

double AppRow::shareOf(std::uint64_t memory, std::uint64_t biggest) {
    return std::clamp(static_cast<double>(memory) / static_cast<double>(std::max<std::uint64_t>(biggest, 1)), 0.0,
                      1.0);
}

qreal AppRow::shareBarWidth(qreal trackWidth, double share) {
    return std::max(trackWidth * std::clamp(share, 0.0, 1.0), shareBarMinimum);
}

int AppRow::height(const QFont& base) {
    const int firstLine = std::max(QFontMetrics(nameFont(base)).height(), Tag::sizeFor(QStringLiteral("Hidden"), base).height());
    return verticalInset + std::max(iconSize, firstLine + lineGap + shareBarHeight) + verticalInset;
}

QRect AppRow::checkBoxRect(const QRect& row) {
    return {row.left() + sideInset, row.top() + (row.height() - checkSize) / 2, checkSize, checkSize};
}

QRect AppRow::quitButtonRect(const QRect& row, const QWidget& view) {
    const QSize size = quitButtonSize(view);
    return {row.right() + 1 - sideInset - size.width(), row.top() + (row.height() - size.height()) / 2, size.width(),
            size.height()};
}

QString AppRow::processesText() const {
    if (usage.processCount < 2) return {};
    return QString::number(usage.processCount) + QStringLiteral(" processes");
}

QString AppRow::accessibleText(const QString& figure) const {
    QString text = usage.name + QStringLiteral(", ") + figure;
    if (usage.processCount >= 2) text += QStringLiteral(", ") + processesText();
    if (usage.isHidden) text += QStringLiteral(", Hidden");
    if (!usage.hasWindows) text += QStringLiteral(", No open windows");
    return text + (isSelected ? QStringLiteral(", Selected") : QStringLiteral(", Not selected"));
}

void AppRow::paint(QPainter& painter, const QStyleOptionViewItem& option, const Look& look, const QWidget& view) const {
    const Palette colors(option.palette);
    const QRect rect = option.rect;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    paintRowBackground(painter, option, rect.adjusted(4, 1, -4, -1), look.current);
    if (look.divider) {
        painter.setPen(QPen(colors.primary(0.1), 1));
        painter.drawLine(QPointF(rect.left() + dividerIndent, rect.bottom() + 0.5),
                         QPointF(rect.right() + 1, rect.bottom() + 0.5));
    }

    const QRect box = checkBoxRect(rect);
    const CheckState state = isSelected ? CheckState::on : CheckState::off;
    Symbols::paint(painter, QRectF(box), CheckBox::symbolName(state),
                   isSelected ? Palette::brand() : colors.tertiaryText());

    const QRect iconRect(box.right() + 1 + gap, rect.top() + (rect.height() - iconSize) / 2, iconSize, iconSize);
    if (!look.icon.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPixmap pixmap = look.icon.pixmap(iconRect.size(), painter.device()->devicePixelRatioF());
        painter.drawPixmap(QRectF(iconRect), pixmap, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    }

    // The button and the figure from the right edge inwards; the name's column takes what is left.
    const QRect quit = quitButtonRect(rect, view);
    QStyleOptionButton button;
    button.initFrom(&view);
    button.rect = quit;
    button.text = quitText();
    button.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (look.quitHovered) button.state |= QStyle::State_MouseOver;
    if (look.quitPressed) button.state |= QStyle::State_Sunken;
    button.palette = option.palette;
    painter.save();
    painter.setFont(quitFont(view.font()));
    button.fontMetrics = painter.fontMetrics();
    view.style()->drawControl(QStyle::CE_PushButton, &button, &painter, &view);
    painter.restore();

    const QFont figureFont = nameFont(view.font());
    const int figureWidth = std::max(figureMinimumWidth, QFontMetrics(figureFont).horizontalAdvance(look.figure));
    const QRect figure(quit.left() - gap - figureWidth, rect.top(), figureWidth, rect.height());
    painter.setFont(figureFont);
    painter.setPen(colors.primary());
    painter.drawText(figure, Qt::AlignRight | Qt::AlignVCenter, look.figure);

    const int left = iconRect.right() + 1 + gap;
    const int right = figure.left() - gap;
    const int columnWidth = std::max(0, right - left);
    const QFont name = nameFont(view.font());
    const QFontMetrics nameMetrics(name);
    const int tagHeight = Tag::sizeFor(QStringLiteral("Hidden"), view.font()).height();
    const int firstLine = std::max(nameMetrics.height(), tagHeight);
    const int top = rect.top() + (rect.height() - (firstLine + lineGap + shareBarHeight)) / 2;

    // What follows the name on its line, measured first so that a long name gives way, not them.
    struct Trailer {
        QString text;
        QColor color;
        bool isTag;
    };
    std::vector<Trailer> trailers;
    if (usage.isHidden) trailers.push_back({QStringLiteral("Hidden"), colors.gray(), true});
    if (!usage.hasWindows) trailers.push_back({QStringLiteral("No open windows"), colors.orange(), true});
    const QString processes = processesText();
    if (!processes.isEmpty()) trailers.push_back({processes, colors.tertiaryText(), false});
    const QFont caption = font(TextStyle::caption, view.font());
    int trailersWidth = 0;
    for (const Trailer& trailer : trailers)
        trailersWidth += tagGap + (trailer.isTag ? Tag::sizeFor(trailer.text, view.font()).width()
                                                 : QFontMetrics(caption).horizontalAdvance(trailer.text));
    const QString shownName =
        nameMetrics.elidedText(usage.name, Qt::ElideRight, std::max(0, columnWidth - trailersWidth));
    painter.setFont(name);
    painter.setPen(colors.primary());
    painter.drawText(QRect(left, top, columnWidth, firstLine), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     shownName);
    int x = left + nameMetrics.horizontalAdvance(shownName);
    for (const Trailer& trailer : trailers) {
        x += tagGap;
        if (x >= right) break;
        if (trailer.isTag) {
            const QSize size = Tag::sizeFor(trailer.text, view.font());
            Tag::paint(painter, QRectF(x, top + (firstLine - size.height()) / 2.0, size.width(), size.height()),
                       trailer.text, trailer.color, view.font());
            x += size.width();
        } else {
            painter.setFont(caption);
            painter.setPen(trailer.color);
            const int width = QFontMetrics(caption).horizontalAdvance(trailer.text);
            painter.drawText(QRect(x, top, width, firstLine), Qt::AlignLeft | Qt::AlignVCenter, trailer.text);
            x += width;
        }
    }

    const qreal track = std::min<qreal>(shareTrackWidth, columnWidth);
    const QRectF bar(left, top + firstLine + lineGap, track, shareBarHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colors.primary(0.07));
    painter.drawRoundedRect(bar, shareBarHeight / 2.0, shareBarHeight / 2.0);
    const QRectF filled(bar.left(), bar.top(), shareBarWidth(track, share), shareBarHeight);
    QLinearGradient fill(filled.topLeft(), filled.topRight());
    fill.setColorAt(0, colors.purple().lighter(125));
    fill.setColorAt(1, colors.purple());
    painter.setBrush(fill);
    painter.drawRoundedRect(filled, shareBarHeight / 2.0, shareBarHeight / 2.0);
    painter.restore();
}

} // namespace brisklet::ui
