#pragma once

#include <QIcon>

#include "platform/Activity.h"

namespace fm::desktop {

// The normal icon with a mark in its lower right corner: a blue clock face for busy, a
// yellow triangle with a red rim for warning; the normal look is the icon itself.
QIcon paintedLook(const QIcon& normal, IconLook look);

// The tray icon's three looks, each painted once, when first wanted.
class TrayLooks {
  public:
    explicit TrayLooks(QIcon normal = QIcon()) : normal_(std::move(normal)) {}
    const QIcon& icon(IconLook look);

  private:
    QIcon normal_;
    QIcon busy_;
    QIcon warning_;
};

}  // namespace fm::desktop
