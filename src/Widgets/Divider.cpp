#include "Widgets/Divider.h"

namespace Quorvel {

Divider::Divider(QWidget *parent) : QFrame(parent)
{
    setFrameShape(QFrame::HLine);
    setFrameShadow(QFrame::Sunken);
}

} // namespace Quorvel
