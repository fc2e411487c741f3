// TStartForm: the borderless splash window shown while the main window starts.
#pragma once

#include <QWidget>

class QLabel;
class QMovie;

namespace vlm::shell {

class TStartForm : public QWidget {
    Q_OBJECT
public:
    // Plays programDir + "VLM32.AVI" when it can, otherwise the built-in animation.
    explicit TStartForm(const QString& programDir, QWidget* parent = nullptr);
    bool playsFile() const { return movie_ != nullptr; }

private:
    QMovie* movie_ = nullptr;
};

// A small built-in animation, the splash window's stand-in when no file can be played.
class TBuiltinAnimation : public QWidget {
    Q_OBJECT
public:
    explicit TBuiltinAnimation(int stopFrame, QWidget* parent = nullptr);
    int frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void timerEvent(QTimerEvent*) override;

private:
    int frame_ = 0;
    int stopFrame_;
    int timer_ = 0;
};

}  // namespace vlm::shell
