#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <optional>

namespace kirv {

/// Width of the level classes of a distribution.
enum class Resolution
{
    Fine,   ///< tenths of a dB, classes 0..1450 (the "0.1 dB" command)
    Coarse, ///< whole dB, classes 0..145 (the "1 dB" command)
};

/// Highest class of a resolution: 1450 or 145 (145.0 dB).
constexpr int topClass(Resolution r)
{
    return r == Resolution::Fine ? 1450 : 145;
}

/// The one rule that turns a level text into a class of a distribution: the class a level text
/// falls in, or nothing for a marked reading ("*": the meter paused).
/// A text holding "-" counts as 25.0 dB; one holding the capital "L", or starting with a number
/// of 145 or more, as 145.0 dB; any other text by the number it starts with (blanks ignored,
/// 0 when it starts with none): fine classes round to the nearest tenth (a tie to the even
/// tenth), coarse classes take the whole part.
std::optional<int> levelClass(QByteArrayView utf8, Resolution resolution);
std::optional<int> levelClass(QStringView text, Resolution resolution);

/// The 0.1 dB class of a computed level: rounded to the nearest tenth and held in 0..145.0 dB.
int fineClassOf(double levelDb);

} // namespace kirv
