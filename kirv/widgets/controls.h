#pragma once

#include <QLabel>

namespace kirv {

// A label that reports clicks (LblCOM toggles the caption, the clock labels toggle). It can be
// used without a mouse: it takes keyboard focus, Space and Enter click it, and assistive
// technology sees a button with a press action whose name is the text shown.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text = QString(), QWidget* parent = nullptr);

    // What a mouse click, Space, Enter or the press action does.
    void click();

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// A 3-D panel showing one value ("Board") or a caption ("SS"), sunken like the instrument's
// read-outs.
class Board : public QLabel
{
    Q_OBJECT
public:
    explicit Board(const QString& text = QString(), QWidget* parent = nullptr);
};

// Makes a label that shows a value (a board, a read-out) heard with its caption: assistive
// technology reads it as "caption: value", taken from the text when asked, so it is always the
// value shown; the caption is its description as well.
void captionValue(QLabel* value, const QString& caption);

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
