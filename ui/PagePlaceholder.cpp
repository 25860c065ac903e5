#include "ui/PagePlaceholder.h"

#include "ui/components/PageHeader.h"
#include "ui/theme/Palette.h"

#include <QVBoxLayout>
#include <QWidget>

namespace brisklet::ui {
namespace {

struct Header {
    QString title;
    QString subtitle;
    QString symbol;
    PageHeader::TintOf tint;
};

PageHeader::TintOf brandTint() {
    return [](const Palette&) { return Palette::brand(); };
}

Header header(Page page) {
    switch (page) {
    case Page::overview:
        return {sidebarTitle(page), QStringLiteral("Your disk and memory at a glance."),
                QStringLiteral("gauge.with.dots.needle.67percent"), brandTint()};
    case Page::junk:
        return {QStringLiteral("System Junk"),
                QStringLiteral(
                    "Caches, logs and build leftovers. Apps quietly recreate whatever they still need."),
                QStringLiteral("sparkles"), brandTint()};
    case Page::nodeModules:
        return {QStringLiteral("node_modules"),
                QStringLiteral(
                    "Dependency folders in your JavaScript projects. npm install brings any of them back."),
                QStringLiteral("shippingbox.fill"), [](const Palette& colors) { return colors.green(); }};
    case Page::largeFiles:
        return {QStringLiteral("Large Files"),
                QStringLiteral(
                    "The biggest files you own. Anything you remove goes to the Trash first, so you can "
                    "change your mind."),
                QStringLiteral("doc.viewfinder"), [](const Palette& colors) { return colors.orange(); }};
    case Page::memory:
        return {QStringLiteral("Memory"),
                QStringLiteral("See what's using RAM and quit what you don't need."),
                QStringLiteral("memorychip.fill"), [](const Palette& colors) { return colors.purple(); }};
    }
    return {};
}

} // namespace

QWidget* pagePlaceholder(Page page, QWidget* parent) {
    auto* slot = new QWidget(parent);
    const Header h = header(page);
    auto* layout = new QVBoxLayout(slot);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(new PageHeader(h.title, h.subtitle, h.symbol, h.tint, slot));
    layout->addStretch(1);
    return slot;
}

} // namespace brisklet::ui
