#include "widgets/DialogParts.h"

#include <QPushButton>
#include <QWidget>

namespace tavemo::widgets {

QPushButton* dialogButton(QWidget* dialog, const QString& caption, QPoint at)
{
    auto* button = new QPushButton(caption, dialog);
    button->setAutoDefault(false);
    button->setGeometry(QRect(at, QSize(75, 25)));
    return button;
}

void centreOverOwner(QWidget& dialog)
{
    if (QWidget* owner = dialog.parentWidget()) {
        const QRect over = owner->window()->geometry();
        dialog.move(over.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
    }
}

} // namespace tavemo::widgets
