#pragma once

#include <QLCDNumber>

namespace kirv {

// The meter's large level display: seven-segment digits on an LCD-green face, with a star after
// them for a marked reading. It keeps the text it shows ("93.4", "93.4*", "- - -") as its
// accessible name, so a screen reader reads the level.
class LcdDisplay : public QLCDNumber
{
    Q_OBJECT
public:
    explicit LcdDisplay(const QString& text, QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    // The reading is marked: its text ends in "*", shown as a star after the digits.
    bool marked() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};

// Colours of the LCD face, shared by every widget drawn on it.
namespace lcd {
inline constexpr QRgb Face = 0xFFB8C9A3;
inline constexpr QRgb Ink = 0xFF1E2A1E;
inline constexpr QRgb Faint = 0xFF9DB08A;
} // namespace lcd

} // namespace kirv
