#pragma once

#include <QFrame>

namespace Quorvel {

// A thin horizontal line between parts of a view.
class Divider : public QFrame {
    Q_OBJECT
public:
    explicit Divider(QWidget *parent = nullptr);
};

} // namespace Quorvel
