#include "kirv/plots/label_room.h"

#include <algorithm>

namespace kirv {

std::vector<bool> labelsWithRoom(std::span<const QRectF> boxes, const QRectF& area, qreal gap)
{
    std::vector<bool> drawn(boxes.size(), false);
    // Only the drawn boxes are compared with: no more of them fit than the area holds, so many
    // labels cost little more than a few.
    std::vector<QRectF> taken;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const QRectF box = boxes[i].adjusted(-gap, -gap, gap, gap);
        if (boxes[i].isEmpty() || !area.contains(boxes[i].center()))
            continue;
        const bool free = std::none_of(taken.begin(), taken.end(),
                                       [&](const QRectF& t) { return t.intersects(box); });
        if (free) {
            taken.push_back(boxes[i]);
            drawn[i] = true;
        }
    }
    return drawn;
}

} // namespace kirv
