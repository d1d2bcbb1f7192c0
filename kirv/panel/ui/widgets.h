#pragma once

#include <QLabel>

namespace kirv {

// A label that reports clicks (LblCOM toggles the caption, the clock labels toggle).
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A 3-D panel showing one value ("Board") or a caption ("SS"), sunken like the instrument's
// read-outs.
class Board : public QLabel
{
    Q_OBJECT
public:
    explicit Board(const QString& text = QString(), QWidget* parent = nullptr);
};

// A small filled mark on the LCD (run, pause, stop).
class Shape : public QWidget
{
    Q_OBJECT
public:
    enum Kind { Run, Pause, Stop };
    Shape(Kind kind, const QString& name, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {14, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
};

} // namespace kirv
