// For benchmarks: notes that a watched widget painted (install it as an event filter).
#pragma once

#include <QEvent>
#include <QObject>

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return QObject::eventFilter(o, e);
    }
};
