#pragma once

#include <QRadioButton>

namespace corvane {

// An option button whose caption wraps onto further lines within its width.
// text() and the accessible name stay the whole caption; a click anywhere on
// it selects it.
class WrappedOptionButton : public QRadioButton {
    Q_OBJECT

public:
    explicit WrappedOptionButton(const QString &caption, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    int indicatorSpace() const;
    static constexpr int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
};

} // namespace corvane
