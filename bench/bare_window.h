#pragma once
// The bare Qt window the start-up figures are measured against (a label, a
// button and a menu), and the line every measured program prints when its
// window first paints.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>
#include <ctime>

// Prints the processor time used so far the moment target first paints.
class FirstPaintLine : public QObject {
  public:
    explicit FirstPaintLine(QWidget* target) : target_(target) { qApp->installEventFilter(this); }

  protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint && o == target_) {
            std::printf("first-paint cpu=%.1f\n", 1000.0 * double(std::clock()) / CLOCKS_PER_SEC);
            std::fflush(stdout);
            qApp->removeEventFilter(this);
        }
        return false;
    }

  private:
    QWidget* target_;
};

// The bare window, its central layout ready for anything added to it.
class BareWindow : public QMainWindow {
  public:
    BareWindow() {
        menuBar()->addMenu(QStringLiteral("设置"))->addAction(QStringLiteral("开始运行热键"));
        auto* central = new QWidget(this);
        layout_ = new QVBoxLayout(central);
        layout_->addWidget(new QLabel(QStringLiteral("00:00:00")));
        layout_->addWidget(new QPushButton(QStringLiteral("开始")));
        setCentralWidget(central);
    }
    QVBoxLayout* content() const { return layout_; }

  private:
    QVBoxLayout* layout_;
};
