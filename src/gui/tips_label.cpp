#include "gui/tips_label.h"

#include <QMouseEvent>

namespace zorvik::app {

TipsLabel::TipsLabel(int index, const QString& text, QWidget* parent)
    : QLabel(text, parent), index_(index)
{
    setObjectName(QStringLiteral("tips_label_") + QString::number(index));
    setTextFormat(Qt::PlainText); // status lines carry platforms' and pages' texts
}

void TipsLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked(index_);
    QLabel::mouseReleaseEvent(event);
}

void TipsLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit double_clicked(index_);
    QLabel::mouseDoubleClickEvent(event);
}

TipsLabel* TipsGroup::make(int index, const QString& text)
{
    auto* label = new TipsLabel(index, text);
    labels_[size_t(index)] = label;
    connect(label, &TipsLabel::clicked, this, &TipsGroup::clicked);
    return label;
}

} // namespace zorvik::app
