#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

class QLabel;

namespace brisklet::ui {

class Spinner;
class ProminentButton;

// The junk page's bottom bar: how much is selected and how many items, a spinner while a cleaning
// runs, and "Clean".
class JunkActionBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int cleanMinimumWidth = 70;

    explicit JunkActionBar(QWidget* parent = nullptr);

    void setSelection(std::int64_t bytes, std::size_t count);
    void setCleaning(bool cleaning);
    void setCleanEnabled(bool enabled);

    QString sizeText() const;
    QString countText() const;
    ProminentButton* cleanButton() const { return m_clean; }
    Spinner* spinner() const { return m_spinner; }

signals:
    void cleanRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    QLabel* m_size;
    QLabel* m_count;
    Spinner* m_spinner;
    ProminentButton* m_clean;
};

} // namespace brisklet::ui
