#pragma once

#include <QByteArray>
#include <QByteArrayList>

namespace kirv {

// The text items of a file as a sequential read item by item finds them: items are separated by
// commas or line ends (CR, LF or CR LF), blanks around an item are dropped, and a quoted item is
// the text between its quotes (a comma or line end inside the quotes belongs to the item; text
// after the closing quote up to the next separator is dropped). Reading stops at the end of the
// data, so a final line end does not add an empty item, while an empty line or a trailing comma
// before a line end does.
QByteArrayList inputItems(const QByteArray &data);

} // namespace kirv
