#include "widgets/Controls.h"

#include "platform/Product.h"
#include "widgets/CaptionFit.h"
#include "widgets/Tag.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace corvane {

QLabel *captionLabel(QWidget *parent, const char *name, const QString &caption, int left, int top, int rightLimit)
{
    auto *label = named(new QLabel(caption, parent), name);
    label->move(twips(left), twips(top));
    label->adjustSize();
    if (rightLimit > 0)
        label->resize(qMin(label->width(), twips(rightLimit) - twips(left) - 1), label->height());
    return label;
}

QLabel *wrappedLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(geometry);
    return label;
}

QPushButton *pushButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *button = named(new QPushButton(caption, parent), name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    return button;
}

QPushButton *boldButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    QPushButton *button = pushButton(parent, name, caption, geometry);
    button->setFont(designFont(8.25, true));
    button->setAutoDefault(true);
    button->setDefault(true);
    return button;
}

QLineEdit *lockedBox(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *box = named(new QLineEdit(parent), name);
    box->setGeometry(geometry);
    box->setReadOnly(true);
    // What a profile stores comes back whole, however long.
    box->setMaxLength(std::numeric_limits<int>::max());
    setTag(box, QString());
    return box;
}

QGroupBox *frame(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *group = named(new QGroupBox(caption, parent), name);
    group->setGeometry(geometry);
    group->setAccessibleName(caption);
    return group;
}

QLabel *smallPicture(QWidget *parent, int left, int top)
{
    auto *picture = named(new QLabel(parent), "Picture1");
    picture->setPixmap(QPixmap(QStringLiteral(":/corvane/picture.png")));
    picture->setGeometry(twips(left), twips(top), 74, 31);
    picture->setAccessibleName(productName());
    return picture;
}

} // namespace corvane
