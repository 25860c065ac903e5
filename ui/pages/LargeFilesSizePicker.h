#pragma once

#include <QComboBox>
#include <QString>

#include <cstdint>
#include <vector>

namespace brisklet::ui {

// One choice of the size picker: what it reads and the smallest size, in bytes, it lets through.
struct SizeThreshold {
    QString label;
    std::int64_t bytes = 0;
};

// The page's four choices, in decimal bytes: what people read as "100 MB" is 100,000,000 bytes.
const std::vector<SizeThreshold>& largeFileThresholds();

// Picks the smallest size a large file has. Only the user's choices are reported, never the value
// the page shows because the model holds it.
class LargeFilesSizePicker final : public QComboBox {
    Q_OBJECT

public:
    explicit LargeFilesSizePicker(const std::vector<SizeThreshold>& thresholds, QWidget* parent = nullptr);

    // Shows the choice for `bytes`; none when it is not one of the choices.
    void setBytes(std::int64_t bytes);
    // The bytes of the choice shown, or -1 when none is.
    std::int64_t bytes() const;

signals:
    void chosen(std::int64_t bytes);
};

} // namespace brisklet::ui
