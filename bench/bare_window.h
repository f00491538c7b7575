#pragma once
// The bare Qt window the start-up figures are measured against: a label, a
// button and a menu.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

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
