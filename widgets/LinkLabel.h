#pragma once

#include <QAbstractButton>

namespace corvane {

// A caption that reads as a web link (blue, bold, underlined, pointing hand)
// and clicks like a button, so that the keyboard and screen readers reach it.
// It sizes itself to its text.
class LinkLabel : public QAbstractButton {
    Q_OBJECT

public:
    explicit LinkLabel(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
};

} // namespace corvane
