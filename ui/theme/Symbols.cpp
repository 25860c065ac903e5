#include "ui/theme/Symbols.h"

#include <QHash>
#include <QIconEngine>
#include <QLoggingCategory>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>
#include <array>
#include <cmath>

namespace brisklet::ui::Symbols {

namespace {

Q_LOGGING_CATEGORY(symbolsLog, "brisklet.symbols")

struct Mapping {
    std::string_view name;
    std::string_view file; // below :/icons/, Tabler's own style folder and file name
};

// Sorted by name. Names ending in ".fill" take Tabler's filled icon where it has one; where it has
// none the outline one stands in, since a missing fill reads far better than a missing picture.
constexpr std::array<Mapping, 27> table = {{
    {"arrow.clockwise", "outline/rotate-clockwise.svg"},
    {"checkmark.circle", "outline/circle-check.svg"},
    {"checkmark.circle.fill", "filled/circle-check.svg"},
    {"checkmark.seal.fill", "filled/rosette-discount-check.svg"},
    {"circle", "outline/circle.svg"},
    {"doc.text.fill", "filled/file-text.svg"},
    {"doc.viewfinder", "outline/file-search.svg"},
    {"exclamationmark.triangle.fill", "filled/alert-triangle.svg"},
    {"folder", "outline/folder.svg"},
    {"gauge.with.dots.needle.67percent", "outline/gauge.svg"},
    {"gearshape.2", "outline/settings.svg"},
    {"hammer.fill", "outline/hammer.svg"},
    {"info.circle", "outline/info-circle.svg"},
    {"internaldrive", "outline/server.svg"},
    {"lock.fill", "filled/lock.svg"},
    {"memorychip", "outline/memory.svg"},
    {"memorychip.fill", "outline/memory.svg"},
    {"minus.circle.fill", "outline/circle-minus.svg"},
    {"shippingbox", "outline/package.svg"},
    {"shippingbox.fill", "outline/package.svg"},
    {"sparkles", "outline/sparkles.svg"},
    {"square.stack.3d.up.fill", "filled/stack-3.svg"},
    {"terminal.fill", "outline/terminal-2.svg"},
    {"trash.fill", "filled/trash.svg"},
    {"wind", "outline/wind.svg"},
    {"xmark", "outline/x.svg"},
    {"xmark.circle.fill", "filled/circle-x.svg"},
}};

constexpr bool sortedAndUnique() {
    for (std::size_t i = 1; i < table.size(); ++i)
        if (!(table[i - 1].name < table[i].name)) return false;
    return true;
}
static_assert(sortedAndUnique(), "the symbol table must stay sorted by name, each name once");

constexpr std::array<std::string_view, table.size()> tableNames = [] {
    std::array<std::string_view, table.size()> result{};
    for (std::size_t i = 0; i < table.size(); ++i)
        result[i] = table[i].name;
    return result;
}();

const Mapping* find(std::string_view name) {
    const auto it = std::lower_bound(table.begin(), table.end(), name,
                                     [](const Mapping& m, std::string_view n) { return m.name < n; });
    return it != table.end() && it->name == name ? &*it : nullptr;
}

void warnUnknown(std::string_view name) {
    qCWarning(symbolsLog) << "no symbol named" << QString::fromUtf8(name.data(), qsizetype(name.size()));
}

// The few dozen distinct (symbol, size, colour) combinations of a window; bounded all the same,
// since animated tints could otherwise add an entry per frame.
constexpr std::size_t cacheLimit = 512;

QHash<QString, QImage>& cache() {
    static QHash<QString, QImage> images;
    return images;
}

QString cacheKey(std::string_view name, QSize pixels, qreal ratio, const QColor& tint) {
    return QStringLiteral("%1|%2x%3|%4|%5")
        .arg(QString::fromUtf8(name.data(), qsizetype(name.size())))
        .arg(pixels.width())
        .arg(pixels.height())
        .arg(ratio)
        .arg(tint.rgba(), 8, 16, QLatin1Char('0'));
}

QImage render(const QString& path, QSize pixels, qreal ratio, const QColor& tint) {
    QImage result(pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    if (!renderer.isValid()) return {};
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    // Keep the symbol's square proportions inside whatever box is asked for.
    const QSizeF box = QSizeF(renderer.defaultSize()).scaled(QSizeF(pixels), Qt::KeepAspectRatio);
    const QRectF target(QPointF((pixels.width() - box.width()) / 2, (pixels.height() - box.height()) / 2),
                        box);
    renderer.render(&painter, target);
    // The SVGs are drawn in one colour of their own; only their coverage is kept, in the tint.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), tint);
    painter.end();
    result.setDevicePixelRatio(ratio);
    return result;
}

class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(std::string_view name, const QColor& tint) : m_name(name), m_tint(tint) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        Symbols::paint(*painter, rect, m_name, tintFor(mode));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // QIcon asks for the device pixels it needs and states the ratio they are for.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QPixmap pixmap = QPixmap::fromImage(image(m_name, size, 1.0, tintFor(mode)));
        pixmap.setDevicePixelRatio(scale);
        return pixmap;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {side, side};
    }

    QIconEngine* clone() const override { return new SymbolIconEngine(m_name, m_tint); }
    QString key() const override { return QStringLiteral("brisklet-symbol"); }

private:
    // Disabled buttons fade their symbol the way they fade their text.
    QColor tintFor(QIcon::Mode mode) const {
        if (mode != QIcon::Disabled) return m_tint;
        QColor faded = m_tint;
        faded.setAlphaF(faded.alphaF() * 0.35f);
        return faded;
    }

    std::string_view m_name; // points into the table, which lives for the whole program
    QColor m_tint;
};

} // namespace

std::span<const std::string_view> names() {
    return tableNames;
}

bool has(std::string_view name) {
    return find(name) != nullptr;
}

QString resourcePath(std::string_view name) {
    const Mapping* mapping = find(name);
    if (!mapping) return {};
    return QStringLiteral(":/icons/") +
           QString::fromUtf8(mapping->file.data(), qsizetype(mapping->file.size()));
}

QImage image(std::string_view name, QSize logicalSize, qreal devicePixelRatio, const QColor& tint) {
    const Mapping* mapping = find(name);
    if (!mapping) {
        warnUnknown(name);
        return {};
    }
    if (logicalSize.isEmpty() || devicePixelRatio <= 0) return {};
    const QSize pixels(static_cast<int>(std::ceil(logicalSize.width() * devicePixelRatio)),
                       static_cast<int>(std::ceil(logicalSize.height() * devicePixelRatio)));
    const QString key = cacheKey(mapping->name, pixels, devicePixelRatio, tint);
    auto& images = cache();
    if (const auto it = images.constFind(key); it != images.cend()) return *it;
    QImage rendered = render(resourcePath(name), pixels, devicePixelRatio, tint);
    if (std::size_t(images.size()) >= cacheLimit) images.clear();
    images.insert(key, rendered);
    return rendered;
}

void paint(QPainter& painter, const QRectF& rect, std::string_view name, const QColor& tint) {
    if (!has(name)) {
        warnUnknown(name);
        return;
    }
    if (rect.isEmpty()) return;
    // Render for the device's pixels, scaled by the painter's transform too, so that a symbol in a
    // scaled-up tile is not a blown-up small bitmap.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    const qreal scale = std::max(1e-3, std::sqrt(std::abs(painter.worldTransform().determinant())));
    const QSize logical(static_cast<int>(std::ceil(rect.width())),
                        static_cast<int>(std::ceil(rect.height())));
    const QImage symbol = image(name, logical, ratio * scale, tint);
    if (symbol.isNull()) return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, symbol);
    painter.restore();
}

QIcon icon(std::string_view name, const QColor& tint) {
    const Mapping* mapping = find(name);
    if (!mapping) {
        warnUnknown(name);
        return {};
    }
    return QIcon(new SymbolIconEngine(mapping->name, tint));
}

} // namespace brisklet::ui::Symbols
