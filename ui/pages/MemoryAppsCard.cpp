#include "ui/pages/MemoryAppsCard.h"

#include "ui/components/Card.h"
#include "ui/pages/AppListModel.h"
#include "ui/pages/AppListView.h"
#include "ui/pages/MemoryCardParts.h"

#include <QVBoxLayout>

namespace brisklet::ui {

MemoryAppsCard::MemoryAppsCard(MemoryModel& memory, QWidget* parent)
    : QWidget(parent), m_model(new AppListModel(memory, this)) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* card = new Card(this, 0);
    outer->addWidget(card);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, kCardBottomInset);
    column->setSpacing(0);
    const CardHeader header =
        makeCardHeader(QStringLiteral("Apps"), QStringLiteral("Includes each app's helper processes"), content);
    m_count = header.detail;
    m_count->show();
    column->addWidget(header.widget);
    column->addWidget(new CardDivider(0, content));
    m_list = new AppListView(*m_model, content);
    column->addWidget(m_list);
    card->setContent(content);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &MemoryAppsCard::updateCount);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &MemoryAppsCard::updateCount);
    updateCount();
}

QString MemoryAppsCard::countText() const {
    return m_count->text();
}

void MemoryAppsCard::updateCount() {
    m_count->setText(QString::number(m_model->rowCount()) + QStringLiteral(" running"));
    m_count->setAccessibleName(m_count->text());
}

} // namespace brisklet::ui
