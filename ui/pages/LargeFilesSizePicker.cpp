#include "ui/pages/LargeFilesSizePicker.h"

namespace brisklet::ui {

const std::vector<SizeThreshold>& largeFileThresholds() {
    static const std::vector<SizeThreshold> choices{
        {QStringLiteral("100 MB+"), 100'000'000},
        {QStringLiteral("500 MB+"), 500'000'000},
        {QStringLiteral("1 GB+"), 1'000'000'000},
        {QStringLiteral("5 GB+"), 5'000'000'000},
    };
    return choices;
}

LargeFilesSizePicker::LargeFilesSizePicker(const std::vector<SizeThreshold>& thresholds, QWidget* parent)
    : QComboBox(parent) {
    for (const SizeThreshold& t : thresholds)
        addItem(t.label, QVariant::fromValue(static_cast<qlonglong>(t.bytes)));
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    // The label is for assistive tools only; the choices speak for themselves on screen.
    setAccessibleName(QStringLiteral("Size"));
    setToolTip(QStringLiteral("Size"));
    // `activated` is the user's doing alone; `currentIndexChanged` also follows setBytes.
    connect(this, &QComboBox::activated, this, [this](int index) {
        emit chosen(static_cast<std::int64_t>(itemData(index).toLongLong()));
    });
}

void LargeFilesSizePicker::setBytes(std::int64_t bytes) {
    setCurrentIndex(findData(QVariant::fromValue(static_cast<qlonglong>(bytes))));
}

std::int64_t LargeFilesSizePicker::bytes() const {
    const int index = currentIndex();
    return index < 0 ? -1 : static_cast<std::int64_t>(itemData(index).toLongLong());
}

} // namespace brisklet::ui
