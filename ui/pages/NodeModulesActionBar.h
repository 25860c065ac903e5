#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

class QLabel;

namespace brisklet::ui {

class Spinner;
class ProminentButton;

// The node_modules page's bottom bar: how much is selected and how many folders, a spinner while a
// deletion runs, and "Delete".
class NodeModulesActionBar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int deleteMinimumWidth = 70;

    explicit NodeModulesActionBar(QWidget* parent = nullptr);

    void setSelection(std::int64_t bytes, std::size_t count);
    void setDeleting(bool deleting);
    void setDeleteEnabled(bool enabled);

    QString sizeText() const;
    QString countText() const;
    ProminentButton* deleteButton() const { return m_delete; }
    Spinner* spinner() const { return m_spinner; }

signals:
    void deleteRequested();

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildColors();

    QLabel* m_size;
    QLabel* m_count;
    Spinner* m_spinner;
    ProminentButton* m_delete;
};

} // namespace brisklet::ui
