#pragma once
// A member of the window's clickable label group: a label named "tips_label_N" that reports
// clicks with its index N.

#include <QLabel>

namespace zorvik::app {

class TipsLabel : public QLabel {
    Q_OBJECT
public:
    TipsLabel(int index, const QString& text, QWidget* parent = nullptr);
    int index() const { return index_; }

signals:
    void clicked(int index);
    void double_clicked(int index);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int index_;
};

} // namespace zorvik::app
