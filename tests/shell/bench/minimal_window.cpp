// The benchmark's yardstick: a minimal Qt window started to its first paint, then quit.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <cstdio>

class Painted : public QLabel {
public:
    using QLabel::QLabel;
protected:
    void paintEvent(QPaintEvent* e) override {
        QLabel::paintEvent(e);
        if (!done_) {
            done_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }
private:
    bool done_ = false;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Painted w(QStringLiteral("minimal"));
    w.resize(640, 429);
    w.show();
    return app.exec();
}
